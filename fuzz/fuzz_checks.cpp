#include "fuzz/fuzz_checks.h"

#include <dirent.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "checks/data_checks.h"
#include "checks/html_report.h"
#include "checks/network_checks.h"
#include "engine/conversion_run.h"
#include "engine/geodesy.h"
#include "engine/ski_reader.h"
#include "res/string_table.h"

namespace delvaro::fuzz {

namespace {

int CountOpenDescriptors() {
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) std::abort();
    int count = 0;
    while (readdir(dir) != nullptr) ++count;
    closedir(dir);
    return count;
}

// A file that lives in memory only, reachable by a path.
class MemoryFile {
  public:
    explicit MemoryFile(std::string_view bytes) : m_fd(memfd_create("ski", MFD_CLOEXEC)) {
        if (m_fd < 0) std::abort();
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = write(m_fd, bytes.data() + done, bytes.size() - done);
            if (n <= 0) std::abort();
            done += static_cast<size_t>(n);
        }
    }
    ~MemoryFile() { close(m_fd); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    std::string Path() const { return "/proc/self/fd/" + std::to_string(m_fd); }
    std::string Contents() const {
        std::string text;
        char chunk[65536];
        off_t offset = 0;
        for (;;) {
            ssize_t n = pread(m_fd, chunk, sizeof chunk, offset);
            if (n < 0) std::abort();
            if (n == 0) return text;
            text.append(chunk, static_cast<size_t>(n));
            offset += n;
        }
    }

  private:
    int m_fd;
};

// A stream that collects what is written to it.
class MemoryStream {
  public:
    MemoryStream() : m_stream(open_memstream(&m_data, &m_size)) {
        if (m_stream == nullptr) std::abort();
    }
    ~MemoryStream() {
        if (m_stream != nullptr) std::fclose(m_stream);
        std::free(m_data);
    }
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;

    FILE* Stream() { return m_stream; }
    std::string Take() {
        std::fclose(m_stream);
        m_stream = nullptr;
        return std::string(m_data, m_size);
    }

  private:
    char* m_data = nullptr;
    size_t m_size = 0;
    FILE* m_stream;
};

class RecordingHost : public ConversionHost {
  public:
    CString& CurrentFile() override { return m_currentFile; }
    int32_t& BaselinesProcessed() override { return m_baselines; }
    int32_t& FilesProcessed() override { return m_files; }
    void BeginWaitCursor() override { ++m_waitCursorCalls; }
    void RestoreWaitCursor() override { ++m_waitCursorCalls; }
    void EndWaitCursor() override { ++m_waitCursorCalls; }
    void Refresh() override { ++m_refreshes; }
    int ShowMessage(unsigned id, unsigned type, ...) override {
        va_list args;
        va_start(args, type);
        m_messages.push_back(FormatResourceMessageV(id, args));
        va_end(args);
        return 1;
    }

    // Start values the run must overwrite.
    CString m_currentFile;
    int32_t m_baselines = -1;
    int32_t m_files = -1;
    int m_waitCursorCalls = 0;
    int m_refreshes = 0;
    std::vector<std::string> m_messages;
};

bool LineLevelFault(Status status) {
    return status == IDS_ERR_READ || status == IDS_ERR_FIELD_TOO_LONG ||
           status == IDS_ERR_TOO_FEW_FIELDS || status == IDS_ERR_BAD_NUMBER;
}

std::string ReportFor(Status status, int32_t lineNumber, const std::string& path) {
    if (LineLevelFault(status))
        return FormatResourceMessage(static_cast<unsigned>(status), static_cast<int>(lineNumber),
                                     path.c_str());
    return FormatResourceMessage(static_cast<unsigned>(status), path.c_str());
}

// Lines that begin with `keyword`. Names and descriptions may hold any
// text, keywords included, but never a line feed.
size_t CountLines(const std::string& text, std::string_view keyword) {
    size_t count = 0;
    for (size_t at = 0; at < text.size();) {
        if (text.compare(at, keyword.size(), keyword) == 0) ++count;
        at = text.find('\n', at);
        if (at == std::string::npos) break;
        ++at;
    }
    return count;
}

constexpr char kUnitsHeader[] = "\r\n$UNITS\r\nM\r\nD\r\n1\r\n\r\n$NETTYP\r\n3\r\n\r\n";

struct FileOutcome {
    Status status = kStatusOk;
    int32_t lineNumber = 0;
    int32_t baselines = 0;
    std::string output;
};

FileOutcome ConvertOne(const std::string& path, double e2) {
    FileOutcome outcome;
    MemoryStream out;
    ConvertSkiFile(path.c_str(), out.Stream(), kWgs84A, e2, 1.0, &outcome.baselines,
                   &outcome.lineNumber, &outcome.status);
    outcome.output = out.Take();
    return outcome;
}

}  // namespace

std::string CheckSkiFileConversion(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    MemoryFile file(bytes);
    const int descriptorsBefore = CountOpenDescriptors();
    const FileOutcome outcome = ConvertOne(file.Path(), Wgs84EccentricitySquared());
    if (CountOpenDescriptors() != descriptorsBefore) return "a file descriptor was left open";
    if (file.Contents() != bytes) return "the SKI file changed";

    switch (outcome.status) {
        case kStatusOk:
        case IDS_ERR_FIELD_TOO_LONG:
        case IDS_ERR_TOO_FEW_FIELDS:
        case IDS_ERR_NO_UNIT:
        case IDS_ERR_NOT_CARTESIAN:
        case IDS_ERR_NO_COORD_TYPE:
        case IDS_ERR_NO_BASELINES:
        case IDS_ERR_BAD_BASELINE:
        case IDS_ERR_BAD_NUMBER:
            break;
        default:
            return "unexpected status " + std::to_string(outcome.status);
    }
    if (LineLevelFault(outcome.status) ? outcome.lineNumber < 1 : outcome.lineNumber < 0)
        return "line number " + std::to_string(outcome.lineNumber) + " with status " +
               std::to_string(outcome.status);
    const std::string& output = outcome.output;
    if (!output.empty()) {
        if (output.rfind(kUnitsHeader, 0) != 0) return "the output does not begin with a header";
        if (CountLines(output, "$UNITS\r\n") != 1) return "more than one units header";
    }
    // Every counted baseline is written: none is dropped, none invented.
    const size_t observations = CountLines(output, "$GPS_COMPACT; ");
    if (observations != static_cast<size_t>(outcome.baselines))
        return std::to_string(outcome.baselines) + " baselines counted but " +
               std::to_string(observations) + " written";
    if (CountLines(output, "$GEO_COMPACT; ") != 2 * observations)
        return "station blocks do not pair with observations";
    for (size_t i = 0; i < output.size(); ++i)
        if (output[i] == '\n' && (i == 0 || output[i - 1] != '\r')) return "a line end without CR";
    if (!output.empty() && output.compare(output.size() - 2, 2, "\r\n") != 0)
        return "the output ends inside a line";
    if (outcome.status == kStatusOk && outcome.baselines == 0) return "success without a baseline";
    return std::string();
}

std::string CheckConversionRun(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> pieces;
    const std::string_view separator(kFileSeparator);
    size_t start = 0;
    for (;;) {
        size_t at = bytes.find(separator, start);
        if (at == std::string_view::npos || pieces.size() + 1 == kMaxRunFiles) break;
        pieces.push_back(bytes.substr(start, at - start));
        start = at + separator.size();
    }
    pieces.push_back(bytes.substr(start));

    const std::string previousOutput = "an earlier run's output\r\n";
    MemoryFile output(previousOutput);
    // The SKI files in memory, each with the text it must still hold.
    std::vector<std::pair<std::unique_ptr<MemoryFile>, std::string_view>> files;
    std::vector<std::string> paths;
    bool outputListed = false;
    for (std::string_view piece : pieces) {
        if (piece == kMissingMarker) {
            paths.push_back("/nonexistent-delvaro-folder/missing.asc");
        } else if (piece == kFolderMarker) {
            paths.push_back("/");
        } else if (piece == kAgainMarker && !paths.empty()) {
            paths.push_back(paths.back());
        } else if (piece == kOutputMarker) {
            paths.push_back(output.Path());
            outputListed = true;
        } else {
            files.emplace_back(std::make_unique<MemoryFile>(piece), piece);
            paths.push_back(files.back().first->Path());
        }
    }

    // What the run must give: the files converted one by one, up to and
    // including the first that fails.
    const double e2 = Wgs84EccentricitySquared();
    Status expectedStatus = kStatusOk;
    int32_t expectedBaselines = 0;
    int32_t expectedFiles = 0;
    size_t attempted = 0;
    std::string expectedOutput;
    std::string expectedMessage;
    if (outputListed) {
        expectedStatus = IDS_ERR_OUTPUT_IS_INPUT;
        expectedOutput = previousOutput;
        expectedMessage = FormatResourceMessage(IDS_ERR_OUTPUT_IS_INPUT, output.Path().c_str());
    } else {
        for (const std::string& path : paths) {
            ++attempted;
            FileOutcome outcome = ConvertOne(path, e2);
            expectedOutput += outcome.output;
            expectedBaselines += outcome.baselines;
            if (outcome.status != kStatusOk) {
                expectedStatus = outcome.status;
                expectedMessage = ReportFor(outcome.status, outcome.lineNumber, path);
                break;
            }
            ++expectedFiles;
        }
    }

    RecordingHost host;
    const int descriptorsBefore = CountOpenDescriptors();
    // With the data checks watching, which must change nothing of the run.
    DataChecks checks(host, CheckOptions{});
    const Status status = RunConversion(host, output.Path().c_str(), 1.0, paths, &checks);
    if (CountOpenDescriptors() != descriptorsBefore) return "a file descriptor was left open";
    const NetworkAnalysis network = CheckNetwork(checks);
    RunSummary summary;
    summary.succeeded = status == kStatusOk;
    if (HtmlReport(summary, checks, network).find("</html>") == std::string::npos)
        return "the report is not whole";

    if (status != expectedStatus)
        return "status " + std::to_string(status) + ", expected " + std::to_string(expectedStatus);
    if (output.Contents() != expectedOutput) return "the output differs from file-by-file output";
    for (const auto& [file, text] : files)
        if (file->Contents() != text) return "an SKI file changed";
    if (expectedMessage.empty() ? !host.m_messages.empty()
                                : host.m_messages != std::vector<std::string>{expectedMessage})
        return "wrong report: " + (host.m_messages.empty() ? "none" : host.m_messages.front()) +
               " instead of " + (expectedMessage.empty() ? "none" : expectedMessage);
    if (outputListed) {
        if (host.m_refreshes != 0 || host.m_waitCursorCalls != 0 || host.m_files != -1)
            return "a refused run touched the progress";
        return std::string();
    }
    if (host.m_files != expectedFiles || host.m_baselines != expectedBaselines)
        return "counts " + std::to_string(host.m_files) + " files " +
               std::to_string(host.m_baselines) + " baselines, expected " +
               std::to_string(expectedFiles) + " and " + std::to_string(expectedBaselines);
    if (host.m_refreshes != static_cast<int>(attempted)) return "one refresh per file expected";
    if (host.m_waitCursorCalls != 3) return "wait cursor not begun, restored and ended once";
    if (host.m_currentFile.str() != paths[attempted - 1]) return "wrong current file";
    return std::string();
}

}  // namespace delvaro::fuzz
