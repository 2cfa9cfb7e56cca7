#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_checks.h"

namespace fs = std::filesystem;
using delvaro::fuzz::CheckConversionRun;
using delvaro::fuzz::CheckSkiFileConversion;

namespace {

const fs::path kSource = DELVARO_SOURCE_DIR;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every regular file below the folders that exist, in a stable order.
std::vector<fs::path> FilesIn(std::initializer_list<fs::path> folders) {
    std::vector<fs::path> files;
    for (const fs::path& folder : folders) {
        if (!fs::is_directory(folder)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string Check(std::string (*check)(const uint8_t*, size_t), const std::string& bytes) {
    return check(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

TEST(FuzzCorpus, EverySkiSeedAndFixtureKeepsTheFileProperties) {
    const auto files =
        FilesIn({kSource / "fuzz/seeds/ski", kSource / "tests/fixtures", kSource / "samples"});
    ASSERT_FALSE(files.empty());
    for (const fs::path& file : files)
        EXPECT_EQ(Check(CheckSkiFileConversion, ReadAll(file)), "") << file;
}

TEST(FuzzCorpus, EveryRunSeedAndFixtureKeepsTheRunProperties) {
    const auto files =
        FilesIn({kSource / "fuzz/seeds/run", kSource / "tests/fixtures", kSource / "samples"});
    ASSERT_FALSE(files.empty());
    for (const fs::path& file : files)
        EXPECT_EQ(Check(CheckConversionRun, ReadAll(file)), "") << file;
}

// Every kind of path the run target makes: the same file again, a missing
// file, a folder, the output itself, empty files.
TEST(FuzzCorpus, RunsWithEveryKindOfPathKeepTheRunProperties) {
    const std::string good = ReadAll(kSource / "tests/fixtures/eleven_lines.asc");
    const std::string runs[] = {
        good + "#FILE#?again",  good + "#FILE#?missing#FILE#" + good,
        good + "#FILE#?folder", good + "#FILE#?output",
        "#FILE##FILE#",         good + "#FILE#" + good + "#FILE#" + good,
    };
    for (const std::string& run : runs) EXPECT_EQ(Check(CheckConversionRun, run), "") << run;
}

}  // namespace
