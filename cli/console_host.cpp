#include "cli/console_host.h"

#include <cstdarg>

#include "cli/interrupt.h"
#include "res/string_table.h"

namespace delvaro {

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = '?';
    return text;
}

std::string CountOf(long long count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

void ConsoleHost::Refresh() {
    if (!m_progress) return;
    std::fprintf(m_err, "delvaro-cli: %s: %s, %s\n", OneLine(m_currentFile.str()).c_str(),
                 CountOf(m_files, "file").c_str(), CountOf(m_baselines, "baseline").c_str());
    std::fflush(m_err);
}

int ConsoleHost::ShowMessage(unsigned id, unsigned type, ...) {
    va_list args;
    va_start(args, type);
    std::string text = FormatResourceMessageV(id, args);
    va_end(args);
    std::fprintf(m_err, "%s\n", OneLine(text).c_str());
    std::fflush(m_err);
    return 1;  // IDOK
}

void ConsoleHost::Warning(const std::string& file, int32_t line, const std::string& text) {
    ++m_warnings;
    if (line > 0)
        std::fprintf(m_err, "%s:%d: warning: %s\n", OneLine(file).c_str(), static_cast<int>(line),
                     OneLine(text).c_str());
    else if (!file.empty())
        std::fprintf(m_err, "delvaro-cli: warning: %s: %s\n", OneLine(file).c_str(),
                     OneLine(text).c_str());
    else
        std::fprintf(m_err, "delvaro-cli: warning: %s\n", OneLine(text).c_str());
    std::fflush(m_err);
}

void ConsoleHost::FailureReason(const std::string& file, const std::string& reason) {
    std::fprintf(m_err, "delvaro-cli: %s: %s\n", OneLine(file).c_str(), OneLine(reason).c_str());
    std::fflush(m_err);
}

void ConsoleHost::TemporaryOutput(const char* path) { SetTemporaryOutput(path); }

}  // namespace delvaro
