// Faults of the SKI files: missing, a folder, a FIFO, unreadable, removed
// during a run; and a run of 10,000 files. The run stops at the failing file
// and names it, the output keeps exactly the earlier files' records, no SKI
// file changes and no descriptor stays open.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "res/string_table.h"
#include "tests/faults/fault_support.h"

namespace delvaro::faults {
namespace {

std::string Message(unsigned id, const std::string& path) {
    return FormatResourceMessage(id, path.c_str());
}

// What the engine writes for an SKI file called `name` holding `bytes`; the
// folder does not show in the output.
std::string EngineOutputOf(const std::string& name, const std::string& bytes) {
    TempDir elsewhere;
    WriteFile(elsewhere / name, bytes);
    return EngineOutput({elsewhere / name});
}

// A run of good.asc, the troublesome path, then later.asc, in a folder of its
// own; remembers the bytes of every regular SKI file.
class SkiRun {
  public:
    SkiRun() {
        // Writable by the unprivileged reader too.
        mkdir(Output().substr(0, Output().rfind('/')).c_str(), 0777);
        chmod(Output().substr(0, Output().rfind('/')).c_str(), 0777);
        Add("good.asc", SkiText(2, 1));
        Add("later.asc", SkiText(1, 2));
    }
    std::string Add(const std::string& name, const std::string& bytes, unsigned mode = 0644) {
        const std::string path = dir / name;
        WriteFile(path, bytes, mode);
        m_bytes[path] = bytes;
        return path;
    }
    std::string operator[](const std::string& name) const { return dir / name; }
    void ExpectUnchanged() const {
        for (const auto& [path, bytes] : m_bytes) {
            struct stat info;
            ASSERT_EQ(stat(path.c_str(), &info), 0) << path;
            // The unreadable file stays unreadable: read it as its owner may.
            chmod(path.c_str(), info.st_mode | 0400);
            EXPECT_EQ(ReadFile(path), bytes) << path;
            chmod(path.c_str(), info.st_mode);
        }
    }
    std::string Output() const { return dir / "out/out.txt"; }

    TempDir dir;

  private:
    std::map<std::string, std::string> m_bytes;
};

struct SkiCase {
    const char* what;
    // Makes the troublesome path.
    std::string (*prepare)(SkiRun& run);
    bool unprivileged;
    unsigned messageId;
    int line = 0;  // the line a line-level fault names
    // The system's reason, on a line of its own after "Cannot open file".
    const char* reason = nullptr;
};

const SkiCase kSkiCases[] = {
    {"a missing file", [](SkiRun& run) { return run["missing.asc"]; }, false, IDS_ERR_CANNOT_OPEN,
     0, "No such file or directory"},
    {"a folder",
     [](SkiRun& run) {
         mkdir(run["folder.asc"].c_str(), 0755);
         return run["folder.asc"];
     },
     false, IDS_ERR_CANNOT_OPEN, 0, "Is a directory"},
    // Nobody writes to it: it reads as an empty file, at once.
    {"a FIFO without a writer",
     [](SkiRun& run) {
         mkfifo(run["fifo.asc"].c_str(), 0644);
         return run["fifo.asc"];
     },
     false, IDS_ERR_NO_BASELINES},
    {"a file its reader may not read",
     [](SkiRun& run) { return run.Add("secret.asc", SkiText(1, 3), 0000); }, true,
     IDS_ERR_CANNOT_OPEN, 0, "Permission denied"},
    // Opens, but its first read fails (EIO: the process's page 0 is unmapped).
    {"a file whose read fails", [](SkiRun&) { return std::string("/proc/self/mem"); }, false,
     IDS_ERR_READ, 1},
};

std::string ExpectedMessage(const SkiCase& c, const std::string& path) {
    if (c.line != 0) return FormatResourceMessage(c.messageId, c.line, path.c_str());
    return Message(c.messageId, path);
}

TEST(SkiFaults, ThroughTheCommandLine) {
    for (const SkiCase& c : kSkiCases) {
        SCOPED_TRACE(c.what);
        SkiRun run;
        const std::string troublesome = c.prepare(run);
        CliProcess cli({"-o", run.Output(), run["good.asc"], troublesome, run["later.asc"]},
                       CliOptions{.unprivileged = c.unprivileged});
        cli.Wait(60);
        EXPECT_FALSE(cli.timedOut);
        EXPECT_EQ(cli.exitStatus, 1);
        EXPECT_EQ(cli.standardError,
                  ExpectedMessage(c, troublesome) + "\n" + ReasonLine(troublesome, c.reason));
        // The failing file adds nothing here: each fails before its unit record.
        EXPECT_EQ(ReadFile(run.Output()), EngineOutput({run["good.asc"]}));
        run.ExpectUnchanged();
    }
}

TEST(SkiFaults, RunConversionInProcess) {
    for (const SkiCase& c : kSkiCases) {
        if (c.unprivileged && RunningAsRoot()) continue;  // root reads it anyway
        SCOPED_TRACE(c.what);
        SkiRun run;
        const std::string troublesome = c.prepare(run);
        RecordingHost host;
        const int descriptors = CountOpenDescriptors();
        const Status status = RunConversion(host, run.Output().c_str(), 1.0,
                                            {run["good.asc"], troublesome, run["later.asc"]});
        EXPECT_EQ(CountOpenDescriptors(), descriptors);
        EXPECT_EQ(status, static_cast<Status>(c.messageId));
        EXPECT_EQ(host.messages, std::vector<std::string>{ExpectedMessage(c, troublesome)});
        EXPECT_EQ(host.FilesProcessed(), 1);
        EXPECT_EQ(host.refreshes, 2) << "the file after the failing one is never taken";
        EXPECT_EQ(ReadFile(run.Output()), EngineOutput({run["good.asc"]}));
        run.ExpectUnchanged();
    }
}

// The next file disappears while the run converts the one before it.
TEST(SkiFaults, FileRemovedDuringTheRunInProcess) {
    SkiRun run;
    const std::string victim = run.Add("victim.asc", SkiText(1, 4));
    RecordingHost host;
    host.onRefresh = [&](int files) {
        if (files == 1) unlink(victim.c_str());
    };
    const int descriptors = CountOpenDescriptors();
    const Status status =
        RunConversion(host, run.Output().c_str(), 1.0, {run["good.asc"], victim, run["later.asc"]});
    EXPECT_EQ(CountOpenDescriptors(), descriptors);
    EXPECT_EQ(status, IDS_ERR_CANNOT_OPEN);
    EXPECT_EQ(host.messages, std::vector<std::string>{Message(IDS_ERR_CANNOT_OPEN, victim)});
    EXPECT_EQ(ReadFile(run.Output()), EngineOutput({run["good.asc"]}));
}

// While it reads the third file, delvaro-cli holds exactly its standard
// streams, the output and that file: the first two are closed already.
TEST(SkiFaults, OnlyTheFileBeingReadIsOpen) {
    SkiRun run;
    const std::string fifo = run["stream.asc"];
    HeldFifo held(fifo);
    const std::string streamed = SkiText(3, 5);
    CliProcess cli(
        {"-q", "-o", run.Output(), run["good.asc"], run["later.asc"], fifo, run["good.asc"]});
    ASSERT_TRUE(held.OpenedBy(cli));
    std::vector<std::string> open = cli.OpenFiles();
    std::sort(open.begin(), open.end());
    // The output is written under its temporary name until the run ends.
    const std::vector<std::string> temporary = TemporaryFilesBeside(run.Output());
    ASSERT_EQ(temporary.size(), 1u);
    std::vector<std::string> expected = {"/dev/null", "/dev/null", fifo, temporary[0]};
    std::sort(expected.begin(), expected.end());
    // Standard error is a pipe; its name says so.
    open.erase(std::remove_if(open.begin(), open.end(),
                              [](const std::string& f) { return f.rfind("pipe:", 0) == 0; }),
               open.end());
    EXPECT_EQ(open, expected);
    held.Feed(streamed);
    held.Close();
    cli.Wait(60);
    EXPECT_EQ(cli.exitStatus, 0);
    EXPECT_EQ(test::WithoutWarnings(cli.standardError), "");
    const std::string expectedOutput = EngineOutput({run["good.asc"], run["later.asc"]}) +
                                       EngineOutputOf("stream.asc", streamed) +
                                       EngineOutput({run["good.asc"]});
    EXPECT_EQ(ReadFile(run.Output()), expectedOutput);
    run.ExpectUnchanged();
}

TEST(SkiFaults, FilesRemovedDuringTheRun) {
    struct Case {
        const char* what;
        bool removeTheFifo;  // else the file after it
    };
    for (const Case c : {Case{"the file being read", true}, Case{"the next file", false}}) {
        SCOPED_TRACE(c.what);
        SkiRun run;
        const std::string fifo = run["stream.asc"];
        HeldFifo held(fifo);
        const std::string next = run.Add("next.asc", SkiText(1, 6));
        CliProcess cli({"-q", "-o", run.Output(), fifo, next});
        ASSERT_TRUE(held.OpenedBy(cli));
        ASSERT_EQ(unlink((c.removeTheFifo ? fifo : next).c_str()), 0);
        // What is open stays readable whole after its name is gone.
        const std::string streamed = SkiText(2, 7);
        held.Feed(streamed);
        held.Close();
        cli.Wait(60);
        std::string expected = EngineOutputOf("stream.asc", streamed);
        if (c.removeTheFifo) {
            EXPECT_EQ(cli.exitStatus, 0);
            EXPECT_EQ(test::WithoutWarnings(cli.standardError), "");
            expected += EngineOutput({next});
            EXPECT_EQ(ReadFile(next), SkiText(1, 6));
        } else {
            EXPECT_EQ(cli.exitStatus, 1);
            EXPECT_EQ(cli.standardError, Message(IDS_ERR_CANNOT_OPEN, next) + "\n" +
                                             ReasonLine(next, "No such file or directory"));
        }
        EXPECT_EQ(ReadFile(run.Output()), expected);
    }
}

// 10,000 files in one run, with so few descriptors allowed that a single
// file left open per hundred would stop it.
TEST(SkiFaults, TenThousandFilesInOneRun) {
    TempDir dir;
    std::vector<std::string> paths;
    for (int i = 0; i < 10000; ++i) {
        paths.push_back(dir / ("f" + std::to_string(i) + ".asc"));
        WriteFile(paths.back(), SkiText(1 + i % 3, i));
    }
    const std::string expected = EngineOutput(paths);
    int baselines = 0;
    for (int i = 0; i < 10000; ++i) baselines += 1 + i % 3;

    std::vector<std::string> args = {"-o", dir / "out.txt"};
    args.insert(args.end(), paths.begin(), paths.end());
    CliProcess cli(args, CliOptions{.openFileLimit = 64});
    cli.Wait(300);
    EXPECT_EQ(cli.exitStatus, 0);
    EXPECT_EQ(test::WithoutWarnings(cli.standardError),
              "delvaro-cli: 10000 files, " + std::to_string(baselines) +
                  " baselines converted into " + (dir / "out.txt") + "\n");
    EXPECT_EQ(ReadFile(dir / "out.txt"), expected);

    // The same in process, the last file missing this time.
    paths.push_back(dir / "missing.asc");
    RecordingHost host;
    const int descriptors = CountOpenDescriptors();
    const Status status = RunConversion(host, (dir / "out2.txt").c_str(), 1.0, paths);
    EXPECT_EQ(CountOpenDescriptors(), descriptors);
    EXPECT_EQ(status, IDS_ERR_CANNOT_OPEN);
    EXPECT_EQ(host.messages, std::vector<std::string>{Message(IDS_ERR_CANNOT_OPEN, paths.back())});
    EXPECT_EQ(host.FilesProcessed(), 10000);
    EXPECT_EQ(host.BaselinesProcessed(), baselines);
    EXPECT_EQ(ReadFile(dir / "out2.txt"), expected);
    for (int i = 0; i < 10000; i += 997) EXPECT_EQ(ReadFile(paths[i]), SkiText(1 + i % 3, i));
}

}  // namespace
}  // namespace delvaro::faults
