#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/conversion_run.h"
#include "support/quiet_host.h"
#include "support/temp_dir.h"

namespace delvaro {
namespace {

// Records the progress values and the one report of a run.
class RecordingHost : public test::QuietHost {
  public:
    // Every report without a line number has the path as its argument.
    int ShowMessage(unsigned id, unsigned type, ...) override {
        messages.push_back(id);
        va_list args;
        va_start(args, type);
        if (id == IDS_ERR_WRITE) reportedPath = va_arg(args, const char*);
        va_end(args);
        return 1;
    }

    std::vector<unsigned> messages;
    std::string reportedPath;
};

std::string WriteSkiFile(const test::TempDir& dir, const std::string& name, int baselines) {
    const std::filesystem::path path = dir.Path(name);
    std::ofstream file(path, std::ios::binary);
    file << "@%Unit: m\r\n@%Coordinate type: Cartesian\r\n";
    for (int i = 0; i < baselines; ++i)
        file << "@+PT100          4361564.4935 556408.2668 4605581.9993\r\n"
                "@-PT200          589.2084 1622.6942 -782.4466\r\n"
                "@= 1.0 0.0000012 -0.00000034 0.00000056 0.0000021 -0.00000045 0.0000033\r\n";
    return path.string();
}

// The device that refuses every write: output waits in the stream's buffer
// until it is flushed, and the flush fails. The file whose records were
// lost is the one reported, and it does not count as converted.
TEST(RunConversion, ReportsAFailedWriteForTheFileWhoseRecordsItLost) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    test::TempDir dir;
    const std::string small = WriteSkiFile(dir, "small_first.asc", 1);
    const std::string large = WriteSkiFile(dir, "large_second.asc", 2000);
    struct Case {
        std::vector<std::string> paths;
        std::string reported;
    };
    const Case cases[] = {
        {{small, large}, small},
        {{small}, small},
        {{large, small}, large},
    };
    for (const Case& c : cases) {
        RecordingHost host;
        EXPECT_EQ(RunConversion(host, "/dev/full", 1.0, c.paths), IDS_ERR_WRITE);
        EXPECT_EQ(host.files, 0);
        EXPECT_EQ(host.reportedPath, c.reported);
        EXPECT_EQ(host.messages, std::vector<unsigned>{IDS_ERR_WRITE});
    }
}

}  // namespace
}  // namespace delvaro
