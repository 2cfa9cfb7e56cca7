#include "cli/console_host.h"

#include <cstdarg>

#include "res/string_table.h"

namespace delvaro {

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = '?';
    return text;
}

void ConsoleHost::Refresh() {
    if (!m_progress) return;
    std::fprintf(m_err, "delvaro-cli: %s: %d files, %d baselines\n",
                 OneLine(m_currentFile.str()).c_str(), static_cast<int>(m_files),
                 static_cast<int>(m_baselines));
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

}  // namespace delvaro
