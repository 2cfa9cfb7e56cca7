// A batch of SKI files converted into one new TREVADEL input file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/engine_types.h"
#include "engine/record_observer.h"

namespace delvaro {

// The message-box style every report uses: one OK button.
constexpr unsigned kMbOk = 0;

// What a conversion run needs of its caller: the progress values it writes,
// the wait cursor, a refresh of whatever shows the progress, and a report.
class ConversionHost {
  public:
    virtual ~ConversionHost() = default;

    virtual CString& CurrentFile() = 0;
    virtual int32_t& BaselinesProcessed() = 0;
    virtual int32_t& FilesProcessed() = 0;

    virtual void BeginWaitCursor() = 0;
    virtual void RestoreWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;

    // Shows the progress values; called after every file.
    virtual void Refresh() = 0;

    // Shows string-table message `id` formatted printf-style with the
    // arguments that follow (an int for each %d, a C string for each %s).
    virtual int ShowMessage(unsigned id, unsigned type, ...) = 0;

    // Something in the data that does not stop the conversion but that the
    // user should look at. `file` is the path as it was given and `line` the
    // line it concerns; a warning about a file as a whole, or about the run,
    // has line 0 (and, for the run, an empty file). A host that has nowhere
    // to show warnings ignores them.
    virtual void Warning(const std::string& file, int32_t line, const std::string& text) {
        (void)file;
        (void)line;
        (void)text;
    }

    // Why the system would not open `file`, told right after the message
    // "Cannot open file" that names it, for a host that can show it apart
    // from the message (a missing file, a forbidden or a locked one).
    virtual void FailureReason(const std::string& file, const std::string& reason) {
        (void)file;
        (void)reason;
    }

    // The temporary file the output is written to, as soon as it exists,
    // and nullptr once it is gone (moved into place or removed). Signals are
    // held back during the call: a signal handler that removes the file it
    // was last told of neither misses it nor removes a finished output.
    virtual void TemporaryOutput(const char* path) { (void)path; }
};

// Converts `skiPaths` in order into the file `outputFileName`. A regular
// file is written under a temporary name beside it and moved into place
// when the run ends, after a failure too: until then the name holds the
// previous file whole. Devices and FIFOs are written directly. Returns the
// final status; a failure has been reported through the host by then, and
// success is reported only when every byte reached the file. `observer`,
// when given, is shown what every file holds.
Status RunConversion(ConversionHost& host, const char* outputFileName, double covarianceScaler,
                     const std::vector<std::string>& skiPaths, RecordObserver* observer = nullptr);

// The same into a stream the caller opened (standard output, say) and keeps:
// it is flushed, not closed. `outputName` names it in messages.
Status RunConversionToStream(ConversionHost& host, FILE* out, const char* outputName,
                             double covarianceScaler, const std::vector<std::string>& skiPaths,
                             RecordObserver* observer = nullptr);

}  // namespace delvaro
