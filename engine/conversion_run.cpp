#include "engine/conversion_run.h"

#include <filesystem>
#include <memory>
#include <new>
#include <system_error>

#include "engine/file_io.h"
#include "engine/geodesy.h"
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

// The files in order into `out`, stopping at the first failure; `out` is
// flushed and, when `closeOutput`, closed. The report follows.
Status ConvertAll(ConversionHost& host, FILE* out, bool closeOutput,
                  const EllipsoidParams& ellipsoid, double covarianceScaler,
                  const std::vector<std::string>& skiPaths, RecordObserver* observer) {
    Status status = kStatusOk;
    int32_t lineNumber = 0;
    host.FilesProcessed() = 0;
    host.BaselinesProcessed() = 0;
    host.BeginWaitCursor();
    // The path converted is the path the report quotes, held whole.
    std::string path;
    for (size_t i = 0; i < skiPaths.size() && status == kStatusOk; ++i) {
        path = skiPaths[i];
        host.CurrentFile() = path.c_str();
        lineNumber = 0;
        ConvertSkiFile(path.c_str(), out, ellipsoid.a, ellipsoid.e2, covarianceScaler,
                       &host.BaselinesProcessed(), &lineNumber, &status, observer);
        // A file counts as converted once its records have reached the
        // output, not the stream's buffer: a write that fails later would
        // otherwise be reported for the next file, or for none.
        if (status == kStatusOk && std::fflush(out) != 0) status = IDS_ERR_WRITE;
        if (status == kStatusOk) ++host.FilesProcessed();
        host.Refresh();
    }
    host.RestoreWaitCursor();
    // Buffered output reaches the file only now; a failure here (a full
    // disk) means the output is incomplete, so it must not pass as success.
    bool written = std::fflush(out) == 0 && !std::ferror(out);
    if (closeOutput && std::fclose(out) != 0) written = false;
    if (!written && status == kStatusOk) status = IDS_ERR_WRITE;

    if (LineLevelFault(status))
        host.ShowMessage(static_cast<unsigned>(status), kMbOk, static_cast<int>(lineNumber),
                         path.c_str());
    else if (status != kStatusOk)
        host.ShowMessage(static_cast<unsigned>(status), kMbOk, path.c_str());
    host.EndWaitCursor();
    return status;
}

}  // namespace

Status RunConversion(ConversionHost& host, const char* outputFileName, double covarianceScaler,
                     const std::vector<std::string>& skiPaths, RecordObserver* observer) {
    const EllipsoidParams ellipsoid = Wgs84();
    if (skiPaths.empty()) return kStatusOk;
    // Checked before anything is created or truncated: writing the output
    // would destroy the very input about to be read.
    if (IsOneOf(IdentityOfPath(outputFileName), skiPaths) ||
        IsNamedAmong(outputFileName, skiPaths)) {
        host.ShowMessage(IDS_ERR_OUTPUT_IS_INPUT, kMbOk, outputFileName);
        return IDS_ERR_OUTPUT_IS_INPUT;
    }
    FILE* out = CreateOutputFile(outputFileName);
    if (out == nullptr) {
        host.ShowMessage(IDS_ERR_CANNOT_OPEN, kMbOk, outputFileName);
        return IDS_ERR_CANNOT_OPEN;
    }
    // Large writes: the output of a big run goes to the file in few system
    // calls. The buffer outlives the stream, which ConvertAll closes.
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kOutputBufferSize]);
    if (buffer != nullptr) std::setvbuf(out, buffer.get(), _IOFBF, kOutputBufferSize);
    return ConvertAll(host, out, true, ellipsoid, covarianceScaler, skiPaths, observer);
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
    return ConvertAll(host, out, false, ellipsoid, covarianceScaler, skiPaths, observer);
}

}  // namespace delvaro
