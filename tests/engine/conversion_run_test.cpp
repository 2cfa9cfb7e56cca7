#include "engine/conversion_run.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <cstdarg>
#include <filesystem>
#include <string>
#include <vector>

#include "res/string_table.h"
#include "support/ski_convert.h"
#include "support/temp_dir.h"

namespace delvaro {
namespace {

using test::Baseline3;
using test::Header;

// Records what the run asks of its host, in order.
class RecordingHost : public ConversionHost {
  public:
    CString& CurrentFile() override { return current; }
    int32_t& BaselinesProcessed() override { return baselines; }
    int32_t& FilesProcessed() override { return files; }
    void BeginWaitCursor() override { calls.push_back("begin"); }
    void RestoreWaitCursor() override { calls.push_back("restore"); }
    void EndWaitCursor() override { calls.push_back("end"); }
    void Refresh() override {
        calls.push_back("refresh " + current.str() + " " + std::to_string(baselines) + " " +
                        std::to_string(files));
    }
    int ShowMessage(unsigned id, unsigned type, ...) override {
        va_list args;
        va_start(args, type);
        messages.push_back(FormatResourceMessageV(id, args));
        va_end(args);
        calls.push_back("message " + std::to_string(id));
        return 1;
    }

    CString current = "untouched";
    int32_t baselines = -1, files = -1;
    std::vector<std::string> calls, messages;
};

int OpenDescriptors() {
#ifdef _WIN32
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return static_cast<int>(count);
#else
    int count = 0;
    DIR* dir = opendir("/proc/self/fd");
    while (readdir(dir) != nullptr) ++count;
    closedir(dir);
    return count;
#endif
}

class RunConversionTest : public ::testing::Test {
  protected:
    std::string Ski(const std::string& name, const std::string& text) {
        return dir.Write(name, text);
    }
    std::string Output() const { return test::ReadFileBytes(dir.Path("out.txt")); }
    std::string out = "";
    test::TempDir dir;
    RecordingHost host;
    void SetUp() override { out = dir.Path("out.txt"); }
};

TEST_F(RunConversionTest, TwoGoodFilesOneAfterTheOther) {
    auto a = Ski("a.asc", Header() + Baseline3("A", "B") + Baseline3("B", "C"));
    auto b = Ski("b.asc", Header("fts") + Baseline3("C", "D"));
    const int fds = OpenDescriptors();
    EXPECT_EQ(RunConversion(host, out.c_str(), 1.0, {a, b}), 0);
    EXPECT_EQ(OpenDescriptors(), fds);
    EXPECT_EQ(host.files, 2);
    EXPECT_EQ(host.baselines, 3);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"begin", "refresh " + a + " 2 1",
                                                    "refresh " + b + " 3 2", "restore", "end"}));
    EXPECT_TRUE(host.messages.empty());
    auto alone = [&](const std::string& path) {
        RecordingHost other;
        std::string single = dir.Path("single.txt");
        RunConversion(other, single.c_str(), 1.0, {path});
        return test::ReadFileBytes(single);
    };
    EXPECT_EQ(Output(), alone(a) + alone(b));
}

TEST_F(RunConversionTest, StopsAtTheFirstFailingFile) {
    auto a = Ski("a.asc", Header() + Baseline3("A", "B"));
    auto b = Ski("b.asc", Header() + Baseline3("B", "C") + "\n@+D               1 2\n");
    auto c = Ski("c.asc", "this file would fail differently\n");
    EXPECT_EQ(RunConversion(host, out.c_str(), 1.0, {a, b, c}), IDS_ERR_TOO_FEW_FIELDS);
    EXPECT_EQ(host.files, 1);
    EXPECT_EQ(host.baselines, 2);
    EXPECT_EQ(host.current, b);
    // The line number is counted within the failing file.
    EXPECT_EQ(host.messages, std::vector<std::string>{"Not enough arguments on line 7 - " + b});
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{"begin", "refresh " + a + " 1 1", "refresh " + b + " 2 1",
                                        "restore", "message 5013", "end"}));
    // The output keeps the first file and what the second wrote.
    std::string output = Output();
    EXPECT_EQ(output.find("$UNITS"), 2u);
    EXPECT_NE(output.find("$GPS_COMPACT; B; C"), std::string::npos);
}

TEST_F(RunConversionTest, MessagesForEveryKindOfFault) {
    struct Case {
        std::string text;
        std::string message;  // %s stands for the SKI path
    } cases[] = {
        {"@%Unit: m\n\n\n\n\n\n" + std::string(60, 'x') + "\n",
         "No Coordinate record found in file %s"},
        {Header() + "@+A               1 2 " + std::string(51, '9') + "\n",
         "Argument(s) to long on line 3 - %s"},
        {Header() + "@+A               1 2 3x\n", "Invalid number on line 3 - %s"},
        {"@%Unit: m\n@%Coordinate type: Geodetic\n",
         "Coordinates are not cartesian type in file %s"},
        {"a b\n", "No Unit record found in file %s"},
        {"", "No baselines found in file %s"},
        {Header() + "@= 1 0 0 0 0 0 0\n", "Bad baseline found in file %s"},
    };
    for (const Case& c : cases) {
        RecordingHost h;
        auto path = Ski("f.asc", c.text);
        RunConversion(h, out.c_str(), 1.0, {path});
        std::string expected = c.message;
        expected.replace(expected.find("%s"), 2, path);
        EXPECT_EQ(h.messages, std::vector<std::string>{expected});
    }
    RecordingHost h;
    auto missing = dir.Path("missing.asc");
    EXPECT_EQ(RunConversion(h, out.c_str(), 1.0, {missing}), IDS_ERR_CANNOT_OPEN);
    EXPECT_EQ(h.messages, std::vector<std::string>{"Cannot open file " + missing});
}

TEST_F(RunConversionTest, SamePathTwiceIsConvertedTwice) {
    auto a = Ski("a.asc", Header() + Baseline3("A", "B"));
    EXPECT_EQ(RunConversion(host, out.c_str(), 1.0, {a, a}), 0);
    EXPECT_EQ(host.files, 2);
    EXPECT_EQ(host.baselines, 2);
    std::string output = Output();
    EXPECT_EQ(output.substr(0, output.size() / 2), output.substr(output.size() / 2));
}

TEST_F(RunConversionTest, ExistingOutputIsReplacedEvenWhenTheFirstFileFails) {
    dir.Write("out.txt", "old contents");
    auto bad = Ski("bad.asc", "");
    EXPECT_EQ(RunConversion(host, out.c_str(), 1.0, {bad}), IDS_ERR_NO_BASELINES);
    EXPECT_EQ(Output(), "");
}

TEST_F(RunConversionTest, UnopenableOutputTouchesNothing) {
    auto a = Ski("a.asc", Header() + Baseline3("A", "B"));
    for (std::string name : {dir.Path("no/such/folder/out.txt"), dir.Path("")}) {
        RecordingHost h;
        EXPECT_EQ(RunConversion(h, name.c_str(), 1.0, {a}), IDS_ERR_CANNOT_OPEN);
        EXPECT_EQ(h.calls, std::vector<std::string>{"message 5014"});
        EXPECT_EQ(h.messages, std::vector<std::string>{"Cannot open file " + name});
        EXPECT_EQ(h.files, -1);
        EXPECT_EQ(h.current, "untouched");
    }
}

TEST_F(RunConversionTest, EmptyListCreatesNothing) {
    EXPECT_EQ(RunConversion(host, out.c_str(), 1.0, {}), 0);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(RunConversionTest, RefusesAnOutputThatIsOneOfTheInputs) {
    const std::string content = Header() + Baseline3("A", "B");
    auto a = Ski("a.asc", content);
    auto b = Ski("b.asc", content);
    std::filesystem::create_hard_link(b, dir.Path("hard.txt"));
    std::vector<std::string> outputs = {b, dir.Path("hard.txt"), dir.Path("./b.asc")};
#ifndef _WIN32
    // Symbolic links need a privilege on Windows, and Wine has none.
    std::filesystem::create_symlink(b, dir.Path("soft.txt"));
    outputs.push_back(dir.Path("soft.txt"));
#endif
    for (const std::string& output : outputs) {
        RecordingHost h;
        EXPECT_EQ(RunConversion(h, output.c_str(), 1.0, {a, b}), IDS_ERR_OUTPUT_IS_INPUT);
        EXPECT_EQ(h.messages, std::vector<std::string>{"Output file " + output +
                                                       " is also one of the SKI files"});
        EXPECT_EQ(h.calls, std::vector<std::string>{"message 5024"});
    }
    EXPECT_EQ(test::ReadFileBytes(a), content);
    EXPECT_EQ(test::ReadFileBytes(b), content);

    // Named among the SKI files before it exists: nothing is created.
    const std::string fresh = dir.Path("fresh.asc");
    RecordingHost h;
    EXPECT_EQ(RunConversion(h, fresh.c_str(), 1.0, {a, dir.Path("sub/../fresh.asc")}),
              IDS_ERR_OUTPUT_IS_INPUT);
    EXPECT_FALSE(std::filesystem::exists(fresh));
}

// A file size limit exists only on POSIX systems.
#ifndef _WIN32
TEST_F(RunConversionTest, FailureThatAppearsOnlyAtCloseIsAWriteError) {
    // The output is small enough to stay in the stream's buffer until the
    // first file ends, and the file may not grow at all. The records lost
    // are the first file's: its failure, and it does not count as converted.
    auto a = Ski("a.asc", Header() + Baseline3("A", "B"));
    auto b = Ski("b.asc", Header() + Baseline3("C", "D"));
    signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = 0;
    setrlimit(RLIMIT_FSIZE, &limited);
    Status status = RunConversion(host, out.c_str(), 1.0, {a, b});
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(status, IDS_ERR_WRITE);
    EXPECT_EQ(host.messages, std::vector<std::string>{"File write error " + a});
    EXPECT_EQ(host.files, 0);
}
#endif

TEST_F(RunConversionTest, FullDeviceIsAWriteError) {
#ifdef _WIN32
    // Wine reaches the host's /dev/full; Windows itself has no such device.
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
#else
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
#endif
    auto a = Ski("a.asc", Header() + Baseline3("A", "B"));
    EXPECT_EQ(RunConversion(host, "/dev/full", 1.0, {a}), IDS_ERR_WRITE);
    EXPECT_EQ(host.messages, std::vector<std::string>{"File write error " + a});
}

TEST_F(RunConversionTest, LongPathsAreConvertedAndQuotedWhole) {
    std::string folder = dir.Path(std::string(200, 'd'));
    std::filesystem::create_directories(folder + "/" + std::string(200, 'e'));
    std::string path = folder + "/" + std::string(200, 'e') + "/site.asc";
    {
        std::ofstream f(path, std::ios::binary);
        f << Header() + Baseline3("A", "B") + "@+X\n";
    }
    EXPECT_EQ(RunConversion(host, out.c_str(), 1.0, {path}), IDS_ERR_TOO_FEW_FIELDS);
    EXPECT_EQ(host.current, path);
    ASSERT_EQ(host.messages.size(), 1u);
    // The message box holds 259 characters; the cut is marked.
    EXPECT_EQ(host.messages[0].size(), 259u);
    EXPECT_EQ(host.messages[0].substr(0, 30), "Not enough arguments on line 6");
    EXPECT_EQ(host.messages[0].substr(256), "...");
    EXPECT_NE(Output().find("$STA_DESC; A; site.asc"), std::string::npos);
}

}  // namespace
}  // namespace delvaro
