#include "common/text_utils.h"

#include <cstring>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "common/windows_text.h"
#else
#include <unistd.h>
#endif

namespace delvaro {

char* StripLeadingBlanks(char* text) {
    char* p = text;
    while (*p != '\0' && IsBlank(*p)) ++p;
    if (p != text) std::memmove(text, p, std::strlen(p) + 1);
    return text;
}

char* StripTrailingBlanks(char* text) {
    size_t n = std::strlen(text);
    while (n > 0 && IsBlank(text[n - 1])) --n;
    text[n] = '\0';
    return text;
}

char* StripBlanks(char* text) { return StripTrailingBlanks(StripLeadingBlanks(text)); }

char* StripTrailingChar(char* text, char c) {
    size_t n = std::strlen(text);
    while (n > 0 && text[n - 1] == c) --n;
    text[n] = '\0';
    return text;
}

std::string& StripBlanks(std::string& text) {
    size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) --end;
    size_t begin = 0;
    while (begin < end && IsBlank(text[begin])) ++begin;
    text = text.substr(begin, end - begin);
    return text;
}

std::string& StripTrailingChar(std::string& text, char c) {
    size_t n = text.size();
    while (n > 0 && text[n - 1] == c) --n;
    text.resize(n);
    return text;
}

bool IsPathSeparator(char c) {
#ifdef _WIN32
    // Windows takes '/' as a separator too: "C:/data/a.asc" names a.asc.
    return c == '\\' || c == ':' || c == '/';
#else
    return c == '/';
#endif
}

static size_t LastSeparator(const std::string& path) {
    for (size_t i = path.size(); i > 0; --i) {
        if (IsPathSeparator(path[i - 1])) return i - 1;
    }
    return std::string::npos;
}

std::string FileNameFromPath(const std::string& path, bool dropExtension) {
    size_t sep = LastSeparator(path);
    std::string name = sep == std::string::npos ? path : path.substr(sep + 1);
    if (dropExtension) {
        size_t dot = name.rfind('.');
        if (dot != std::string::npos) name.resize(dot);
    }
    return name;
}

std::string DirectoryFromPath(const std::string& path) {
    std::string dir = path;
    StripBlanks(dir);
    size_t sep = LastSeparator(dir);
    if (sep == std::string::npos) return std::string();
    dir.resize(sep + 1);
    // A drive letter and its colon name the drive's current folder, not its
    // root; the backslash makes it the root.
    if (dir.back() == ':') dir += '\\';
    return dir;
}

std::string GetProgramDirectory() {
#ifdef _WIN32
    // Wide, so that a folder named outside the ANSI code page comes back
    // whole, as UTF-8 like every other path.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::string();
        if (n < buffer.size())
            return DirectoryFromPath(Utf8FromWide(std::wstring_view(buffer.data(), n)));
        buffer.resize(buffer.size() * 2);
    }
#else
    std::vector<char> buffer(4096);
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return std::string();
        if (static_cast<size_t>(n) < buffer.size())
            return DirectoryFromPath(std::string(buffer.data(), static_cast<size_t>(n)));
        buffer.resize(buffer.size() * 2);
    }
#endif
}

}  // namespace delvaro
