// The command-line converter's side of a conversion run: progress lines and
// messages on standard error.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "engine/conversion_run.h"

namespace delvaro {

class ConsoleHost : public ConversionHost {
  public:
    // `progress`: a line on `err` after every file.
    ConsoleHost(FILE* err, bool progress) : m_err(err), m_progress(progress) {}

    CString& CurrentFile() override { return m_currentFile; }
    int32_t& BaselinesProcessed() override { return m_baselines; }
    int32_t& FilesProcessed() override { return m_files; }
    void BeginWaitCursor() override {}
    void RestoreWaitCursor() override {}
    void EndWaitCursor() override {}
    void Refresh() override;
    int ShowMessage(unsigned id, unsigned type, ...) override;
    // `FILE:LINE: warning: TEXT` in the GNU form, or `delvaro-cli: warning:
    // TEXT` when there is no line to point at. Counted, for --strict.
    void Warning(const std::string& file, int32_t line, const std::string& text) override;
    long long WarningCount() const { return m_warnings; }
    // Told of every warning too, as it is shown.
    void ListenToWarnings(
        std::function<void(const std::string&, int32_t, const std::string&)> listener) {
        m_listener = std::move(listener);
    }
    // The last message shown, as one line.
    const std::string& LastMessage() const { return m_lastMessage; }
    // `delvaro-cli: FILE: REASON`, on a line of its own after the message.
    void FailureReason(const std::string& file, const std::string& reason) override;
    // Kept for the interrupt handler, which removes it.
    void TemporaryOutput(const char* path) override;

  private:
    FILE* m_err;
    bool m_progress;
    CString m_currentFile;
    int32_t m_baselines = 0;
    int32_t m_files = 0;
    long long m_warnings = 0;
    std::string m_lastMessage;
    std::function<void(const std::string&, int32_t, const std::string&)> m_listener;
};

// A message as one line: line breaks in it (a file name may hold them)
// become '?'.
std::string OneLine(std::string text);

// "1 file", "2 files": `count` and the noun, in the singular for one.
std::string CountOf(long long count, const char* noun);

// `text` made one line, then written with a line end and flushed. Texts are
// UTF-8; a Windows console shows them in its own characters.
void WriteLine(FILE* stream, const std::string& text);

}  // namespace delvaro
