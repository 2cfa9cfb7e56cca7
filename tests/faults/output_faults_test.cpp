// Faults of the output file: a full device, a size limit reached at the
// header, in the middle of a file or only at the close, a folder that is
// missing or read-only, a name that is a folder. Each run must report the
// right file, keep exactly what reached the output before the fault, leave
// every SKI file as it was and every descriptor closed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <map>

#include "engine/geodesy.h"
#include "engine/ski_reader.h"
#include "res/string_table.h"
#include "tests/faults/fault_support.h"

namespace delvaro::faults {
namespace {

// SKI files in a temporary folder, with their bytes as written.
class SkiFiles {
  public:
    SkiFiles() {
        Add("a.asc", SkiText(2, 1));
        Add("b.asc", SkiText(3, 2));
        // Output of about 260 KB: several flushes of the output buffer.
        Add("big.asc", SkiText(400, 3));
    }
    std::string Add(const std::string& name, const std::string& bytes) {
        const std::string path = dir / name;
        WriteFile(path, bytes);
        m_bytes[path] = bytes;
        return path;
    }
    std::string operator[](const std::string& name) const { return dir / name; }
    void ExpectUnchanged() const {
        for (const auto& [path, bytes] : m_bytes) EXPECT_EQ(ReadFile(path), bytes) << path;
    }

    TempDir dir;

  private:
    std::map<std::string, std::string> m_bytes;
};

std::string Message(unsigned id, const std::string& path) {
    return FormatResourceMessage(id, path.c_str());
}

// -- Through delvaro-cli ------------------------------------------------------

struct OutputCase {
    const char* what;
    // Prepares the output and returns its name.
    std::string (*prepare)(const SkiFiles& files);
    std::vector<const char*> skiFiles;
    bool unprivileged;
    unsigned messageId;
    // Whose path the message quotes: "output" or an SKI file's name.
    const char* named;
    // The system's reason, on a line of its own after "Cannot open file".
    const char* reason = nullptr;
};

const OutputCase kOutputCases[] = {
    // The first file's records are flushed when it ends: the failure is
    // that file's, not the next one's.
    {"a full device with a small output fails when the first file ends",
     [](const SkiFiles&) { return std::string("/dev/full"); },
     {"a.asc", "b.asc"},
     false,
     IDS_ERR_WRITE,
     "a.asc"},
    {"a full device fails in the middle of a large first file",
     [](const SkiFiles&) { return std::string("/dev/full"); },
     {"big.asc", "a.asc"},
     false,
     IDS_ERR_WRITE,
     "big.asc"},
    {"the output's folder is missing",
     [](const SkiFiles& files) { return files["missing-folder/out.txt"]; },
     {"a.asc"},
     false,
     IDS_ERR_CANNOT_OPEN,
     "output",
     "No such file or directory"},
    {"the output's name is a folder",
     [](const SkiFiles& files) {
         const std::string folder = files["folder.txt"];
         mkdir(folder.c_str(), 0755);
         return folder;
     },
     {"a.asc", "b.asc"},
     false,
     IDS_ERR_CANNOT_OPEN,
     "output",
     "Is a directory"},
    {"the output's folder is read-only",
     [](const SkiFiles& files) {
         const std::string folder = files["read-only"];
         mkdir(folder.c_str(), 0555);
         chmod(folder.c_str(), 0555);
         return folder + "/out.txt";
     },
     {"a.asc"},
     true,
     IDS_ERR_CANNOT_OPEN,
     "output",
     "Permission denied"},
    {"the output file is read-only",
     [](const SkiFiles& files) {
         const std::string output = files["locked.txt"];
         WriteFile(output, "an earlier run's output\r\n", 0444);
         return output;
     },
     {"a.asc"},
     true,
     IDS_ERR_CANNOT_OPEN,
     "output",
     "Permission denied"},
    {"the output is an SKI file under another name",
     [](const SkiFiles& files) {
         link(files["b.asc"].c_str(), files["alias.txt"].c_str());
         return files["alias.txt"];
     },
     {"a.asc", "b.asc"},
     false,
     IDS_ERR_OUTPUT_IS_INPUT,
     "output"},
    {"the output is a symbolic link to an SKI file",
     [](const SkiFiles& files) {
         symlink(files["b.asc"].c_str(), files["link.txt"].c_str());
         return files["link.txt"];
     },
     {"a.asc", "b.asc"},
     false,
     IDS_ERR_OUTPUT_IS_INPUT,
     "output"},
};

TEST(OutputFaults, ThroughTheCommandLine) {
    for (const OutputCase& c : kOutputCases) {
        SCOPED_TRACE(c.what);
        SkiFiles files;
        const std::string output = c.prepare(files);
        // An output file that exists already keeps its bytes; none is left
        // behind where there was none.
        const bool existed = std::filesystem::is_regular_file(output);
        const std::string before = existed ? ReadFile(output) : std::string();
        std::vector<std::string> args = {"-o", output};
        for (const char* name : c.skiFiles) args.push_back(files[name]);
        CliProcess cli(args, CliOptions{.unprivileged = c.unprivileged});
        cli.Wait();
        EXPECT_EQ(cli.exitStatus, 1);
        const std::string named = std::string(c.named) == "output" ? output : files[c.named];
        EXPECT_EQ(cli.standardError,
                  Message(c.messageId, named) + "\n" + ReasonLine(named, c.reason));
        files.ExpectUnchanged();
        if (existed) {
            EXPECT_EQ(ReadFile(output), before);
        } else if (output.rfind("/dev/", 0) != 0) {
            EXPECT_FALSE(Exists(output) && !std::filesystem::is_directory(output));
        }
    }
}

TEST(OutputFaults, StandardOutputOnAFullDevice) {
    SkiFiles files;
    CliProcess cli({"-o", "-", files["a.asc"], files["b.asc"]},
                   CliOptions{.stdoutPath = "/dev/full"});
    cli.Wait();
    EXPECT_EQ(cli.exitStatus, 1);
    EXPECT_EQ(cli.standardError, Message(IDS_ERR_WRITE, files["a.asc"]) + "\n");
    files.ExpectUnchanged();
}

// Standard output appended to one of the SKI files: refused before a byte
// is written.
TEST(OutputFaults, StandardOutputIsAnSkiFile) {
    SkiFiles files;
    CliProcess cli({"-o", "-", files["a.asc"], files["b.asc"]},
                   CliOptions{.stdoutPath = files["b.asc"]});
    cli.Wait();
    EXPECT_EQ(cli.exitStatus, 1);
    EXPECT_EQ(cli.standardError, Message(IDS_ERR_OUTPUT_IS_INPUT, "standard output") + "\n");
    files.ExpectUnchanged();
}

// A file-size limit is a real fault that keeps what fitted: the output must
// then be exactly the first `limit` bytes of the complete output, and the
// message must name the file being converted when the write failed.
TEST(OutputFaults, FileSizeLimitKeepsExactlyWhatFitted) {
    SkiFiles files;
    const std::vector<std::string> ski = {files["big.asc"], files["a.asc"]};
    const std::string complete = EngineOutput(ski);
    const size_t bigOutput = EngineOutput({files["big.asc"]}).size();
    ASSERT_GT(bigOutput, 3u * 65536) << "the first file must span several output buffers";
    struct Case {
        const char* what;
        size_t limit;
        const char* named;  // nullptr: the run succeeds
    };
    const Case cases[] = {
        {"at the first header", 10, "big.asc"},
        {"in the middle of the first file", bigOutput / 2, "big.asc"},
        {"at the second file's header", bigOutput + 5, "a.asc"},
        {"at the last byte, only when the output is closed", complete.size() - 1, "a.asc"},
        {"nothing: the output fits exactly", complete.size(), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string output = files["limited.txt"];
        CliProcess cli({"-q", "-o", output, ski[0], ski[1]},
                       CliOptions{.fileSizeLimit = static_cast<rlim_t>(c.limit)});
        cli.Wait();
        if (c.named == nullptr) {
            EXPECT_EQ(cli.exitStatus, 0);
            EXPECT_EQ(test::WithoutWarnings(cli.standardError), "");
        } else {
            EXPECT_EQ(cli.exitStatus, 1);
            EXPECT_EQ(cli.standardError, Message(IDS_ERR_WRITE, files[c.named]) + "\n");
        }
        EXPECT_EQ(ReadFile(output), complete.substr(0, c.limit));
        files.ExpectUnchanged();
    }
}

// -- In the program's own process ---------------------------------------------

TEST(OutputFaults, RunConversionInProcess) {
    struct Case {
        const char* what;
        std::string (*prepare)(const SkiFiles& files);
        unsigned messageId;
        bool namesOutput;
        int refreshes;
    };
    const Case cases[] = {
        {"a full device fails when the first file's records are flushed",
         [](const SkiFiles&) { return std::string("/dev/full"); }, IDS_ERR_WRITE, false, 1},
        {"the output's folder is missing",
         [](const SkiFiles& files) { return files["missing-folder/out.txt"]; }, IDS_ERR_CANNOT_OPEN,
         true, 0},
        {"the output's name is a folder",
         [](const SkiFiles& files) {
             mkdir(files["folder.txt"].c_str(), 0755);
             return files["folder.txt"];
         },
         IDS_ERR_CANNOT_OPEN, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SkiFiles files;
        const std::string output = c.prepare(files);
        RecordingHost host;
        const int descriptors = CountOpenDescriptors();
        const Status status =
            RunConversion(host, output.c_str(), 1.0, {files["a.asc"], files["b.asc"]});
        EXPECT_EQ(CountOpenDescriptors(), descriptors);
        EXPECT_EQ(status, static_cast<Status>(c.messageId));
        const std::string named = c.namesOutput ? output : files["a.asc"];
        EXPECT_EQ(host.messages, std::vector<std::string>{Message(c.messageId, named)});
        // An output that cannot be opened: no SKI file is taken at all.
        EXPECT_EQ(host.refreshes, c.refreshes);
        files.ExpectUnchanged();
    }
}

// The units header is the first write of a file: on an unbuffered full
// device it fails at once, nothing is counted and the SKI file is closed.
TEST(OutputFaults, ConvertSkiFileFailsAtTheHeader) {
    SkiFiles files;
    FILE* out = std::fopen("/dev/full", "wb");
    ASSERT_NE(out, nullptr);
    std::setvbuf(out, nullptr, _IONBF, 0);
    const int descriptors = CountOpenDescriptors();
    int32_t baselines = 0;
    int32_t line = 0;
    Status status = kStatusOk;
    ConvertSkiFile(files["a.asc"].c_str(), out, kWgs84A, Wgs84EccentricitySquared(), 1.0,
                   &baselines, &line, &status);
    EXPECT_EQ(CountOpenDescriptors(), descriptors);
    std::fclose(out);
    EXPECT_EQ(status, IDS_ERR_WRITE);
    EXPECT_EQ(baselines, 0);
    EXPECT_EQ(line, 2) << "the comment line and the unit record were read";
    files.ExpectUnchanged();
}

// The run itself under a file-size limit, in a child process so the limit
// stays there: the same prefix, the same message, no descriptor left open.
TEST(OutputFaults, RunConversionUnderAFileSizeLimit) {
    SkiFiles files;
    const std::vector<std::string> ski = {files["a.asc"], files["big.asc"], files["b.asc"]};
    const std::string complete = EngineOutput(ski);
    const size_t firstOutput = EngineOutput({files["a.asc"]}).size();
    const size_t limit = firstOutput + 1000;
    const std::string output = files["limited.txt"];
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(report[0]);
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit rl = {limit, limit};
        setrlimit(RLIMIT_FSIZE, &rl);
        RecordingHost host;
        const int before = CountOpenDescriptors();
        const Status status = RunConversion(host, output.c_str(), 1.0, ski);
        const int after = CountOpenDescriptors();
        std::string text = std::to_string(status) + "|" + std::to_string(after - before) + "|" +
                           std::to_string(host.FilesProcessed()) + "|" +
                           (host.messages.empty() ? "" : host.messages[0]);
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
    EXPECT_EQ(text, std::to_string(IDS_ERR_WRITE) + "|0|1|" + Message(IDS_ERR_WRITE, ski[1]));
    EXPECT_EQ(ReadFile(output), complete.substr(0, limit));
    files.ExpectUnchanged();
}

}  // namespace
}  // namespace delvaro::faults
