#include "cli/console_host.h"

#include <cstdarg>

#include "cli/interrupt.h"
#include "res/string_table.h"
#ifdef _WIN32
#include "common/windows_text.h"
#endif

namespace delvaro {

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = '?';
    return text;
}

std::string CountOf(long long count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

void WriteLine(FILE* stream, const std::string& text) {
#ifdef _WIN32
    WriteText(stream, OneLine(text) + "\n");
#else
    std::fputs((OneLine(text) + "\n").c_str(), stream);
#endif
    std::fflush(stream);
}

void ConsoleHost::Refresh() {
    if (!m_progress) return;
    WriteLine(m_err, "delvaro-cli: " + m_currentFile.str() + ": " + CountOf(m_files, "file") +
                         ", " + CountOf(m_baselines, "baseline"));
}

int ConsoleHost::ShowMessage(unsigned id, unsigned type, ...) {
    va_list args;
    va_start(args, type);
    std::string text = FormatResourceMessageV(id, args);
    va_end(args);
    m_lastMessage = OneLine(text);
    WriteLine(m_err, text);
    return 1;  // IDOK
}

void ConsoleHost::Warning(const std::string& file, int32_t line, const std::string& text) {
    ++m_warnings;
    if (m_listener) m_listener(file, line, text);
    if (line > 0)
        WriteLine(m_err, file + ":" + std::to_string(line) + ": warning: " + text);
    else if (!file.empty())
        WriteLine(m_err, "delvaro-cli: warning: " + file + ": " + text);
    else
        WriteLine(m_err, "delvaro-cli: warning: " + text);
}

void ConsoleHost::FailureReason(const std::string& file, const std::string& reason) {
    WriteLine(m_err, "delvaro-cli: " + file + ": " + reason);
}

void ConsoleHost::TemporaryOutput(const char* path) { SetTemporaryOutput(path); }

}  // namespace delvaro
