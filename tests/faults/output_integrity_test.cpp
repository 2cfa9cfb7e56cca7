// The output never holds anything but one run's whole output (or, after a
// reported failure, what that run wrote before it): whatever the names of
// the files, a second run at the same time, a signal, a folder removed, a
// link, numbers too large for a position, or memory running out.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include "engine/geodesy.h"
#include "engine/ski_reader.h"
#include "res/string_table.h"
#include "tests/faults/fault_support.h"

namespace delvaro::faults {
namespace {

namespace fs = std::filesystem;

std::string Message(unsigned id, const std::string& path) {
    return FormatResourceMessage(id, path.c_str());
}

mode_t ModeOf(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return 0;
    return info.st_mode & 07777;
}

mode_t CurrentUmask() {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

// Waits until a run has created its temporary file beside `output`.
bool TemporaryAppears(const std::string& output) {
    for (int i = 0; i < 2000; ++i) {
        if (!TemporaryFilesBeside(output).empty()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// Every line ends in CR LF, and no CR or LF stands anywhere else.
void ExpectWholeLines(const std::string& output) {
    ASSERT_GE(output.size(), 2u);
    EXPECT_EQ(output.substr(output.size() - 2), "\r\n");
    for (size_t i = 0; i < output.size(); ++i) {
        if (output[i] == '\r') {
            EXPECT_EQ(output[i + 1], '\n') << "a CR alone at byte " << i;
            ++i;
        } else {
            EXPECT_NE(output[i], '\n') << "an LF alone at byte " << i;
        }
    }
}

size_t CountLinesStartingWith(const std::string& output, const std::string& start) {
    size_t count = output.rfind(start, 0) == 0 ? 1 : 0;
    for (size_t at = output.find("\r\n" + start); at != std::string::npos;
         at = output.find("\r\n" + start, at + 1))
        ++count;
    return count;
}

// -- Names that hold line breaks ------------------------------------------------

TEST(OutputIntegrity, LineBreaksInNamesBecomeBlanks) {
    TempDir dir;
    const std::string fake = "$GPS_COMPACT; FAKE1; FAKE2; 1.0; 2.0; 3.0; 0.1; 0; 0; 0.1; 0; 0.1";
    struct Case {
        const char* what;
        std::string fileName;
        std::string bytes;
        std::string warning;      // after the folder's path and '/'
        std::string description;  // of every station
        std::string name;         // of the first from station
    };
    const Case cases[] = {
        {"a file name with CR LF and an invented record", "day1\r\n\r\n" + fake + "\r\n.asc",
         SkiText(2, 1),
         "day1????" + fake +
             "??.asc: the file name holds a line break, written as a blank in "
             "the output",
         "day1    " + fake + "  .asc", "P100000"},
        {"a file name with a lone LF", "two\nlines.asc", SkiText(1, 2),
         "two?lines.asc: the file name holds a line break, written as a blank in the output",
         "two lines.asc", "P200000"},
        {"a station name with a CR inside", "cr.asc",
         "@%Unit: M\r\n@%Coordinate type: Cartesian\r\n"
         "@+AB\rCD           4361564.4935 556408.2668 4605581.9993\r\n"
         "@-PT200            589.2084 1622.6942 -782.4466\r\n"
         "@= 1.0 0.0000012 -0.00000034 0.00000056 0.0000021 -0.00000045 0.0000033\r\n",
         "", "cr.asc", "AB CD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string ski = dir / c.fileName;
        WriteFile(ski, c.bytes);
        const std::string output = dir / "out.txt";
        CliProcess cli({"-q", "-o", output, ski});
        cli.Wait();
        EXPECT_EQ(cli.exitStatus, 0);
        const std::string warning =
            c.warning.empty() ? ski +
                                    ":3: warning: the station name holds a line "
                                    "break, written as a blank\n"
                              : "delvaro-cli: warning: " + dir.Path() + "/" + c.warning + "\n";
        EXPECT_EQ(test::WithoutCheckWarnings(cli.standardError), warning);
        const std::string written = ReadFile(output);
        ExpectWholeLines(written);
        EXPECT_EQ(CountLinesStartingWith(written, "$GPS_COMPACT"),
                  CountLinesStartingWith(written, "$OBS_DESC"));
        EXPECT_EQ(CountLinesStartingWith(written, "$GEO_COMPACT; " + c.name + ";"), 1u);
        EXPECT_EQ(
            CountLinesStartingWith(written, "$STA_DESC; " + c.name + "; " + c.description + "\r\n"),
            1u);
    }
}

// -- Two runs into one output ---------------------------------------------------

// A run held in the middle (its second SKI file is a FIFO) while a second
// run writes the same output: each run's output replaces the other whole.
TEST(OutputIntegrity, TwoRunsNeverMix) {
    TempDir dir;
    const std::string big = dir / "big.asc", small = dir / "small.asc";
    WriteFile(big, SkiText(3000, 1));
    WriteFile(small, SkiText(1, 2));
    const std::string streamed = SkiText(5, 3);
    const std::string output = dir / "both.out";
    HeldFifo held(dir / "stream.asc");
    CliProcess first({"-q", "-o", output, big, dir / "stream.asc"});
    ASSERT_TRUE(held.OpenedBy(first));

    CliProcess second({"-q", "-o", output, small});
    second.Wait();
    EXPECT_EQ(second.exitStatus, 0);
    EXPECT_EQ(ReadFile(output), EngineOutput({small}));

    held.Feed(streamed);
    held.Close();
    first.Wait();
    EXPECT_EQ(first.exitStatus, 0);
    // The same name elsewhere: the station description is the file's name.
    TempDir elsewhere;
    WriteFile(elsewhere / "stream.asc", streamed);
    EXPECT_EQ(ReadFile(output), EngineOutput({big, elsewhere / "stream.asc"}));
    EXPECT_TRUE(TemporaryFilesBeside(output).empty());
}

// Runs at full speed against each other: whenever one ends, the file is one
// run's whole output.
TEST(OutputIntegrity, ConcurrentRunsLeaveOneWholeOutput) {
    TempDir dir;
    const std::string big = dir / "big.asc", small = dir / "small.asc";
    WriteFile(big, SkiText(2000, 4));
    WriteFile(small, SkiText(3, 5));
    const std::string bigOutput = EngineOutput({big, big, big, big});
    const std::string smallOutput = EngineOutput({small});
    const std::string output = dir / "both.out";
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        CliProcess large({"-q", "-o", output, big, big, big, big});
        for (int i = 0; i < 3; ++i) {
            CliProcess quick({"-q", "-o", output, small});
            quick.Wait();
            EXPECT_EQ(quick.exitStatus, 0);
            const std::string now = ReadFile(output);
            EXPECT_TRUE(now == smallOutput || now == bigOutput) << now.size() << " bytes";
        }
        large.Wait();
        EXPECT_EQ(large.exitStatus, 0);
        const std::string last = ReadFile(output);
        EXPECT_TRUE(last == smallOutput || last == bigOutput) << last.size() << " bytes";
    }
    EXPECT_TRUE(TemporaryFilesBeside(output).empty());
}

// -- Signals and a vanishing folder ---------------------------------------------

TEST(OutputIntegrity, KilledRunsLeaveThePreviousOutputWhole) {
    struct Case {
        const char* what;
        int signal;
        int exitStatus;  // -1: killed
        const char* standardError;
        size_t temporariesLeft;
    };
    const Case cases[] = {
        {"SIGINT", SIGINT, 130, "delvaro-cli: interrupted\n", 0},
        {"SIGTERM", SIGTERM, 143, "delvaro-cli: interrupted\n", 0},
        // Nothing can be done about it: the temporary file stays, under a
        // name that says what it is.
        {"SIGKILL", SIGKILL, -1, "", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string previous = "$UNITS of an earlier run\r\n";
        const std::string output = dir / "out.txt";
        WriteFile(output, previous, 0640);
        WriteFile(dir / "big.asc", SkiText(500, 1));
        HeldFifo held(dir / "stream.asc");
        CliProcess cli({"-o", output, dir / "big.asc", dir / "stream.asc"});
        ASSERT_TRUE(held.OpenedBy(cli));
        // Half a record: the run is in the middle of a line.
        held.Feed(SkiText(2, 2).substr(0, 150));
        ASSERT_EQ(TemporaryFilesBeside(output).size(), 1u);
        ASSERT_EQ(kill(cli.Pid(), c.signal), 0);
        cli.Wait();
        EXPECT_EQ(cli.exitStatus, c.exitStatus);
        EXPECT_EQ(cli.standardError, c.standardError);
        EXPECT_EQ(ReadFile(output), previous);
        EXPECT_EQ(ModeOf(output), 0640u);
        EXPECT_EQ(TemporaryFilesBeside(output).size(), c.temporariesLeft);
    }
}

// The temporary file goes with its folder; the run must not report success.
TEST(OutputIntegrity, OutputFolderRemovedDuringTheRun) {
    TempDir dir;
    const std::string folder = dir / "results";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string output = folder + "/out.txt";
    WriteFile(dir / "a.asc", SkiText(2, 1));
    const std::string stream = dir / "stream.asc";
    HeldFifo held(stream);
    CliProcess cli({"-q", "-o", output, dir / "a.asc", stream});
    ASSERT_TRUE(held.OpenedBy(cli));
    ASSERT_TRUE(TemporaryAppears(output));
    fs::remove_all(folder);
    held.Feed(SkiText(2, 2));
    held.Close();
    cli.Wait();
    EXPECT_EQ(cli.exitStatus, 1);
    EXPECT_EQ(cli.standardError, Message(IDS_ERR_WRITE, stream) + "\n");
    EXPECT_FALSE(Exists(folder));
}

// -- What the output replaces ---------------------------------------------------

TEST(OutputIntegrity, ReplacedFilesKeepTheirPermissionsAndLinks) {
    TempDir dir;
    const std::string ski = dir / "a.asc";
    WriteFile(ski, SkiText(2, 1));
    const std::string expected = EngineOutput({ski});

    const std::string kept = dir / "kept.txt";
    WriteFile(kept, "old\r\n", 0604);
    CliProcess toKept({"-q", "-o", kept, ski});
    toKept.Wait();
    EXPECT_EQ(toKept.exitStatus, 0);
    EXPECT_EQ(ReadFile(kept), expected);
    EXPECT_EQ(ModeOf(kept), 0604u);

    const std::string fresh = dir / "fresh.txt";
    CliProcess toFresh({"-q", "-o", fresh, ski});
    toFresh.Wait();
    EXPECT_EQ(ReadFile(fresh), expected);
    EXPECT_EQ(ModeOf(fresh), 0666u & ~CurrentUmask());

    // A link stays a link, in front of its target; a dangling one gets its
    // target created.
    ASSERT_EQ(mkdir((dir / "sub").c_str(), 0755), 0);
    WriteFile(dir / "sub/target.txt", "old\r\n", 0644);
    ASSERT_EQ(symlink("sub/target.txt", (dir / "link.txt").c_str()), 0);
    ASSERT_EQ(symlink("sub/new.txt", (dir / "dangling.txt").c_str()), 0);
    for (const char* link : {"link.txt", "dangling.txt"}) {
        SCOPED_TRACE(link);
        CliProcess cli({"-q", "-o", dir / link, ski});
        cli.Wait();
        EXPECT_EQ(cli.exitStatus, 0);
        EXPECT_TRUE(fs::is_symlink(dir / link));
        EXPECT_EQ(ReadFile(dir / link), expected);
        EXPECT_TRUE(TemporaryFilesBeside(dir / "sub/target.txt").empty());
    }
    EXPECT_EQ(ReadFile(dir / "sub/new.txt"), expected);
}

// An output that does not exist yet, named among the SKI files by another
// way: the run would create it and read it back as input.
TEST(OutputIntegrity, AnOutputReachedAnotherWayIsRefused) {
    struct Case {
        const char* what;
        const char* output;
        const char* skiFile;
    };
    const Case cases[] = {
        {"through a dangling link", "out.lnk", "target.asc"},
        {"through a linked folder", "alias/t.asc", "real/t.asc"},
        {"through a folder and back", "real/../real/t.asc", "real/t.asc"},
        {"a link in the SKI file's name", "real/t.asc", "alias/t.asc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        WriteFile(dir / "s1.asc", SkiText(1, 1));
        ASSERT_EQ(mkdir((dir / "real").c_str(), 0755), 0);
        ASSERT_EQ(symlink("real", (dir / "alias").c_str()), 0);
        ASSERT_EQ(symlink("target.asc", (dir / "out.lnk").c_str()), 0);
        const std::string output = dir / c.output;
        CliProcess cli({"-q", "-o", output, dir / "s1.asc", dir / c.skiFile});
        cli.Wait();
        EXPECT_EQ(cli.exitStatus, 1);
        EXPECT_EQ(cli.standardError, Message(IDS_ERR_OUTPUT_IS_INPUT, output) + "\n");
        EXPECT_FALSE(Exists(dir / c.skiFile) && !fs::is_symlink(dir / c.skiFile));
        EXPECT_FALSE(Exists(dir / "target.asc"));
        EXPECT_FALSE(Exists(dir / "real/t.asc"));
        EXPECT_TRUE(TemporaryFilesBeside(dir / "real/t.asc").empty());
        EXPECT_TRUE(TemporaryFilesBeside(dir / "target.asc").empty());
    }
}

// However the two came to be one file (a link made, a file renamed during
// the run), an SKI file that is the output stream itself is not read.
TEST(OutputIntegrity, AnSkiFileThatIsTheOutputIsNotRead) {
    TempDir dir;
    const std::string bytes = SkiText(2, 1);
    WriteFile(dir / "a.asc", bytes);
    ASSERT_EQ(link((dir / "a.asc").c_str(), (dir / "b.asc").c_str()), 0);
    for (const char* name : {"a.asc", "b.asc"}) {
        SCOPED_TRACE(name);
        FILE* out = std::fopen((dir / "a.asc").c_str(), "ab");
        ASSERT_NE(out, nullptr);
        int32_t baselines = 0, line = 0;
        Status status = kStatusOk;
        ConvertSkiFile((dir / name).c_str(), out, kWgs84A, Wgs84EccentricitySquared(), 1.0,
                       &baselines, &line, &status);
        std::fclose(out);
        EXPECT_EQ(status, IDS_ERR_OUTPUT_IS_INPUT);
        EXPECT_EQ(baselines, 0);
        EXPECT_EQ(ReadFile(dir / "a.asc"), bytes);
    }
}

// -- Numbers and memory ---------------------------------------------------------

TEST(OutputIntegrity, NoInfiniteOrUndefinedNumberIsWritten) {
    const std::string header = "@%Unit: M\r\n@%Coordinate type: Cartesian\r\n";
    const std::string rest =
        "@-B                1.0 1.0 1.0\r\n"
        "@= 1.0 0.0000012 -0.00000034 0.00000056 0.0000021 -0.00000045 0.0000033\r\n";
    struct Case {
        const char* what;
        const char* from;
        bool refused;
    };
    const Case cases[] = {
        {"both horizontal coordinates near the largest double",
         "@+A                1.7e308 1.7e308 0\r\n", true},
        // The squares overflow, but the position is still found: on the
        // equator, 1e200 metres up.
        {"one coordinate whose square overflows", "@+A                1e200 0 0\r\n", false},
        {"a height past the largest double", "@+A                -1.7e308 1e308 5\r\n", true},
        // On the axis the height is the distance past the pole: finite.
        {"a huge point on the polar axis", "@+A                0 0 1e200\r\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string ski = dir / "big.asc";
        WriteFile(ski, header + c.from + rest);
        const std::string output = dir / "out.txt";
        CliProcess cli({"-q", "-o", output, ski});
        cli.Wait();
        const std::string written = ReadFile(output);
        EXPECT_EQ(written.find("inf"), std::string::npos);
        EXPECT_EQ(written.find("nan"), std::string::npos);
        if (c.refused) {
            EXPECT_EQ(cli.exitStatus, 1);
            // The covariance record completes the baseline.
            EXPECT_EQ(test::WithoutWarnings(cli.standardError),
                      FormatResourceMessage(IDS_ERR_BAD_NUMBER, 5, ski.c_str()) + "\n");
            EXPECT_EQ(CountLinesStartingWith(written, "$GEO_COMPACT"), 0u);
        } else {
            EXPECT_EQ(cli.exitStatus, 0);
            EXPECT_EQ(CountLinesStartingWith(written, "$GEO_COMPACT"), 2u);
        }
    }
}

#if defined(__SANITIZE_ADDRESS__)
#define DELVARO_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DELVARO_ADDRESS_SANITIZER 1
#endif
#endif

// Under every address-space limit, from the least with which the program
// gets as far as starting a run upwards, a run either converts everything
// or reports the lack of memory with exit status 1, leaving what a failed
// run leaves; it never aborts. (Below that, the language's run time cannot
// even raise the exception that says memory ran out.)
TEST(OutputIntegrity, MemoryRunningOutIsReported) {
#ifdef DELVARO_ADDRESS_SANITIZER
    GTEST_SKIP() << "AddressSanitizer reserves terabytes of address space: no address-space "
                    "limit can be set under it";
#endif
    TempDir dir;
    // Enough baselines for the second writing thread and its ring.
    const std::vector<std::string> ski = {dir / "a.asc", dir / "b.asc"};
    WriteFile(ski[0], SkiText(300, 1));
    WriteFile(ski[1], SkiText(5, 2));
    const std::string complete = EngineOutput(ski);
    const std::string output = dir / "out.txt";
    const std::string previous = "an earlier run's output\r\n";

    // The least limit, to 64 KiB, with which a run starts: it creates its
    // output and reports a missing SKI file.
    rlim_t low = 1 << 20, high = 1 << 30;
    while (high - low > (64 << 10)) {
        const rlim_t middle = low + (high - low) / 2;
        CliProcess cli({"-q", "-o", dir / "start.txt", dir / "missing.asc"},
                       CliOptions{.addressSpaceLimit = middle});
        cli.Wait();
        const bool started = cli.exitStatus == 1 && cli.standardError.rfind("Cannot open", 0) == 0;
        (started ? high : low) = middle;
    }
    int reported = 0, converted = 0;
    for (rlim_t limit = high; converted < 3 && limit < high + (64u << 20); limit += 64 << 10) {
        SCOPED_TRACE(limit);
        WriteFile(output, previous);
        CliProcess cli({"-q", "-o", output, ski[0], ski[1]},
                       CliOptions{.addressSpaceLimit = limit});
        cli.Wait();
        const std::string written = ReadFile(output);
        EXPECT_TRUE(TemporaryFilesBeside(output).empty());
        if (cli.exitStatus == 0) {
            ++converted;
            EXPECT_EQ(test::WithoutWarnings(cli.standardError), "");
            EXPECT_EQ(written, complete);
            continue;
        }
        ++reported;
        EXPECT_EQ(cli.exitStatus, 1);
        EXPECT_EQ(test::WithoutWarnings(cli.standardError), Message(IDS_ERR_NO_MEMORY, "") + "\n");
        // Before the output was opened, or part way through it.
        EXPECT_TRUE(written == previous || complete.rfind(written, 0) == 0);
    }
    EXPECT_GT(reported, 0) << "no limit made the run short of memory";
    EXPECT_GT(converted, 0) << "no limit let the run finish";
}

// The same through the run's host, as the dialog shows it: in a child of
// this process whose address space is limited to what it uses, its memory
// taken up to the last block and then `room` of it given back, a run either
// converts or shows 5022 as its one message.
TEST(OutputIntegrity, MemoryRunningOutIsShownByTheHost) {
#ifdef DELVARO_ADDRESS_SANITIZER
    GTEST_SKIP() << "AddressSanitizer reserves terabytes of address space: no address-space "
                    "limit can be set under it";
#endif
    TempDir dir;
    const std::vector<std::string> ski = {dir / "a.asc", dir / "b.asc"};
    WriteFile(ski[0], SkiText(300, 1));
    WriteFile(ski[1], SkiText(5, 2));
    const std::string complete = EngineOutput(ski);
    const std::string output = dir / "out.txt";
    const std::string noMemory = Message(IDS_ERR_NO_MEMORY, "");
    int reported = 0, converted = 0;
    constexpr size_t kBlock = 4096;
    for (size_t room = 0; converted == 0 && room < (16u << 20); room += 8 * kBlock) {
        SCOPED_TRACE(room);
        int report[2];
        ASSERT_EQ(pipe(report), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(report[0]);
            long pages = 0;
            if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
                if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
                std::fclose(statm);
            }
            const rlim_t limit = static_cast<rlim_t>(pages) * sysconf(_SC_PAGESIZE);
            struct rlimit rl = {limit, limit};
            setrlimit(RLIMIT_AS, &rl);
            // Every free block taken, chained through their first word.
            void* taken = nullptr;
            while (void* block = std::malloc(kBlock)) {
                *static_cast<void**>(block) = taken;
                taken = block;
            }
            for (size_t given = 0; given < room && taken != nullptr; given += kBlock) {
                void* next = *static_cast<void**>(taken);
                std::free(taken);
                taken = next;
            }
            RecordingHost host;
            std::string text;
            try {
                const Status status = RunConversion(host, output.c_str(), 1.0, ski);
                text = std::to_string(status) + "|" +
                       (host.messages.empty() ? std::string() : host.messages[0]) + "|" +
                       std::to_string(host.messages.size());
            } catch (...) {
                text = "an exception left the run";
            }
            (void)!write(report[1], text.data(), text.size());
            _exit(0);
        }
        close(report[1]);
        std::string text;
        char chunk[512];
        ssize_t n;
        while ((n = read(report[0], chunk, sizeof chunk)) > 0) text.append(chunk, n);
        close(report[0]);
        int childStatus = 0;
        waitpid(child, &childStatus, 0);
        // A child that could not even format its report ran out before the
        // run began.
        if (text.empty()) continue;
        EXPECT_TRUE(TemporaryFilesBeside(output).empty());
        if (text == "0||0") {
            ++converted;
            EXPECT_EQ(ReadFile(output), complete);
            continue;
        }
        EXPECT_EQ(text, std::to_string(IDS_ERR_NO_MEMORY) + "|" + noMemory + "|1");
        ++reported;
        if (Exists(output)) {
            EXPECT_EQ(complete.rfind(ReadFile(output), 0), 0u);
        }
    }
    EXPECT_GT(reported, 0) << "no limit made the run short of memory";
    EXPECT_GT(converted, 0) << "no limit let the run finish";
}

}  // namespace
}  // namespace delvaro::faults
