// Whole conversions compared byte for byte with outputs kept from before
// the writer, the reader and the number conversions were made faster.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/conversion_run.h"
#include "support/quiet_host.h"
#include "support/temp_dir.h"

namespace delvaro {
namespace {

using test::QuietHost;

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(RunConversion, GivesTheKeptOutputsByteForByte) {
    const std::filesystem::path fixtures = DELVARO_FIXTURE_DIR;
    const std::filesystem::path samples = DELVARO_SAMPLE_DIR;
    struct Case {
        std::vector<std::string> files;
        double scaler;
        std::string expected;
    };
    const Case cases[] = {
        {{"eleven_lines.asc"}, 1.0, "eleven_lines.txt"},
        {{"network_m.asc"}, 1.0, "network_m.txt"},
        {{"network_fts.asc"}, 1.0, "network_fts.txt"},
        {{"network_fti.asc"}, 1.0, "network_fti.txt"},
        {{"extreme_values.asc"}, 1.0, "extreme_values.txt"},
        // Heights and angles of stations 10^6.5 to 10^12.5 m out: a single
        // unit in the last place of any sine, cosine or arctangent shows.
        {{"far_stations.asc"}, 1.0, "far_stations.txt"},
        {{"network_m.asc", "network_fts.asc", "network_fti.asc", "extreme_values.asc"},
         2.5,
         "all_four_scaled_2.5.txt"},
        {{"samples/bern_2026-03-14.asc", "samples/spiez_2026-03-16.asc",
          "samples/thun_2026-03-15.asc"},
         1.0,
         "samples_all_three.txt"},
    };
    test::TempDir dir;
    const std::filesystem::path output = dir.Path("golden_output.txt");
    for (const Case& c : cases) {
        std::vector<std::string> paths;
        for (const std::string& file : c.files) {
            const bool sample = file.rfind("samples/", 0) == 0;
            paths.push_back(sample ? (samples / file.substr(8)).string()
                                   : (fixtures / file).string());
        }
        QuietHost host;
        ASSERT_EQ(RunConversion(host, output.string().c_str(), c.scaler, paths), kStatusOk);
        const std::string expected = ReadBytes(fixtures / "expected" / c.expected);
        ASSERT_FALSE(expected.empty()) << c.expected;
        EXPECT_TRUE(ReadBytes(output) == expected) << "output differs from " << c.expected;
    }
}

}  // namespace
}  // namespace delvaro
