#include "engine/conversion_run.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <new>
#include <system_error>

#include "engine/file_io.h"
#include "engine/geodesy.h"
#include "engine/output_file.h"
#include "engine/ski_reader.h"

namespace delvaro {

namespace {

constexpr size_t kOutputBufferSize = size_t{1} << 18;

EllipsoidParams Wgs84() { return EllipsoidParams{kWgs84A, Wgs84EccentricitySquared()}; }

bool IsOneOf(const FileIdentity& output, const std::vector<std::string>& paths) {
    if (!output.valid) return false;
    for (const std::string& path : paths)
        if (IdentityOfPath(path.c_str()) == output) return true;
    return false;
}

// An output that does not exist yet has no identity, but it can still be
// named among the SKI files: the run would create it and then read back
// its own partial output.
bool IsNamedAmong(const char* output, const std::vector<std::string>& paths) {
    std::error_code error;
    const std::filesystem::path name = std::filesystem::weakly_canonical(output, error);
    if (error) return false;
    for (const std::string& path : paths) {
        const std::filesystem::path other = std::filesystem::weakly_canonical(path, error);
        if (!error && other == name) return true;
    }
    return false;
}

bool LineLevelFault(Status status) {
    return status == IDS_ERR_READ || status == IDS_ERR_FIELD_TOO_LONG ||
           status == IDS_ERR_TOO_FEW_FIELDS || status == IDS_ERR_BAD_NUMBER;
}

// The output's own file named among the SKI files, however it is reached:
// the run would read back what it writes, or destroy an input.
bool OutputIsAnInput(const OutputFile& output, const char* outputName,
                     const std::vector<std::string>& skiPaths) {
    if (IsOneOf(IdentityOfPath(outputName), skiPaths) || IsNamedAmong(outputName, skiPaths))
        return true;
    for (const std::string& path : skiPaths)
        if (output.Replaces(path.c_str())) return true;
    return false;
}

void ReportCannotOpen(ConversionHost& host, const std::string& name, const std::string& reason) {
    host.ShowMessage(IDS_ERR_CANNOT_OPEN, kMbOk, name.c_str());
    host.FailureReason(name, reason);
}

// The files in order into `out`, stopping at the first failure; then
// `finish` completes the output (true when every byte reached it), and the
// report follows.
Status ConvertAll(ConversionHost& host, FILE* out, const char* outputName,
                  const std::function<bool()>& finish, const EllipsoidParams& ellipsoid,
                  double covarianceScaler, const std::vector<std::string>& skiPaths,
                  RecordObserver* observer) {
    Status status = kStatusOk;
    int32_t lineNumber = 0;
    int openError = 0;
    host.FilesProcessed() = 0;
    host.BaselinesProcessed() = 0;
    host.BeginWaitCursor();
    // The path converted is the path the report quotes, held whole.
    std::string path;
    const SkiWarning warning = [&host, &path](int32_t line, const std::string& text) {
        host.Warning(path, line, text);
    };
    try {
        for (size_t i = 0; i < skiPaths.size() && status == kStatusOk; ++i) {
            path = skiPaths[i];
            host.CurrentFile() = path.c_str();
            lineNumber = 0;
            ConvertSkiFile(path.c_str(), out, ellipsoid.a, ellipsoid.e2, covarianceScaler,
                           &host.BaselinesProcessed(), &lineNumber, &status, warning, observer);
            if (status == IDS_ERR_CANNOT_OPEN) openError = errno;
            // A file counts as converted once its records have reached the
            // output, not the stream's buffer: a write that fails later would
            // otherwise be reported for the next file, or for none.
            if (status == kStatusOk && std::fflush(out) != 0) status = IDS_ERR_WRITE;
            if (status == kStatusOk) ++host.FilesProcessed();
            host.Refresh();
        }
    } catch (const std::bad_alloc&) {
        status = IDS_ERR_NO_MEMORY;
    }
    host.RestoreWaitCursor();
    // Buffered output reaches the file only now, and a temporary file its
    // name; a failure here (a full disk, a folder gone) means the output is
    // incomplete, so it must not pass as success.
    if (!finish() && status == kStatusOk) status = IDS_ERR_WRITE;

    if (LineLevelFault(status))
        host.ShowMessage(static_cast<unsigned>(status), kMbOk, static_cast<int>(lineNumber),
                         path.c_str());
    else if (status == IDS_ERR_OUTPUT_IS_INPUT)
        host.ShowMessage(static_cast<unsigned>(status), kMbOk, outputName);
    else if (status == IDS_ERR_CANNOT_OPEN)
        ReportCannotOpen(host, path, std::strerror(openError));
    else if (status != kStatusOk)
        host.ShowMessage(static_cast<unsigned>(status), kMbOk, path.c_str());
    host.EndWaitCursor();
    return status;
}

Status ConvertIntoFile(ConversionHost& host, const char* outputFileName, double covarianceScaler,
                       const std::vector<std::string>& skiPaths, RecordObserver* observer) {
    const EllipsoidParams ellipsoid = Wgs84();
    OutputFile output;
    std::string reason;
    if (!output.Resolve(outputFileName, &reason)) {
        ReportCannotOpen(host, outputFileName, reason);
        return IDS_ERR_CANNOT_OPEN;
    }
    // Checked before anything is created: writing the output would destroy
    // the very input about to be read.
    if (OutputIsAnInput(output, outputFileName, skiPaths)) {
        host.ShowMessage(IDS_ERR_OUTPUT_IS_INPUT, kMbOk, outputFileName);
        return IDS_ERR_OUTPUT_IS_INPUT;
    }
    if (!output.Open([&host](const char* path) { host.TemporaryOutput(path); }, &reason)) {
        ReportCannotOpen(host, outputFileName, reason);
        return IDS_ERR_CANNOT_OPEN;
    }
    // Large writes: the output of a big run goes to the file in few system
    // calls. The buffer outlives the stream, which the output closes.
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kOutputBufferSize]);
    if (buffer != nullptr) std::setvbuf(output.Stream(), buffer.get(), _IOFBF, kOutputBufferSize);
    return ConvertAll(
        host, output.Stream(), outputFileName, [&output] { return output.Close(); }, ellipsoid,
        covarianceScaler, skiPaths, observer);
}

}  // namespace

Status RunConversion(ConversionHost& host, const char* outputFileName, double covarianceScaler,
                     const std::vector<std::string>& skiPaths, RecordObserver* observer) {
    if (skiPaths.empty()) return kStatusOk;
    // Memory running out before the files are taken (names of the output,
    // the temporary file): nothing has been created, or it is removed.
    try {
        return ConvertIntoFile(host, outputFileName, covarianceScaler, skiPaths, observer);
    } catch (const std::bad_alloc&) {
        host.ShowMessage(IDS_ERR_NO_MEMORY, kMbOk);
        return IDS_ERR_NO_MEMORY;
    }
}

Status RunConversionToStream(ConversionHost& host, FILE* out, const char* outputName,
                             double covarianceScaler, const std::vector<std::string>& skiPaths,
                             RecordObserver* observer) {
    const EllipsoidParams ellipsoid = Wgs84();
    if (skiPaths.empty()) return kStatusOk;
    if (IsOneOf(IdentityOfStream(out), skiPaths)) {
        host.ShowMessage(IDS_ERR_OUTPUT_IS_INPUT, kMbOk, outputName);
        return IDS_ERR_OUTPUT_IS_INPUT;
    }
    try {
        return ConvertAll(
            host, out, outputName, [out] { return std::fflush(out) == 0 && !std::ferror(out); },
            ellipsoid, covarianceScaler, skiPaths, observer);
    } catch (const std::bad_alloc&) {
        host.ShowMessage(IDS_ERR_NO_MEMORY, kMbOk);
        return IDS_ERR_NO_MEMORY;
    }
}

}  // namespace delvaro
