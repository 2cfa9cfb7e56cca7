#include "common/windows_text.h"

#include <io.h>
#include <windows.h>

#include <vector>

namespace delvaro {

std::wstring WideFromUtf8(std::string_view text) {
    if (text.empty()) return std::wstring();
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), n);
    return wide;
}

std::string Utf8FromWide(std::wstring_view text) {
    if (text.empty()) return std::string();
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), n, nullptr, nullptr);
    return utf8;
}

std::wstring WideFilePath(const char* utf8Path) {
    std::wstring path = WideFromUtf8(utf8Path);
    // MAX_PATH counts the terminator; a folder must leave room for an 8.3
    // name, so the classic calls refuse from 248 characters on.
    constexpr size_t kClassicLimit = 248;
    if (path.size() < kClassicLimit || path.rfind(L"\\\\?\\", 0) == 0) return path;
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::vector<wchar_t> full(n);
    const DWORD written = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    if (written == 0 || written >= n) return path;
    std::wstring absolute(full.data(), written);
    // A network path \\server\share\... takes the \\?\UNC\ form.
    if (absolute.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + absolute.substr(2);
    return L"\\\\?\\" + absolute;
}

void WriteText(std::FILE* stream, std::string_view text) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
        std::fflush(stream);
        // A console shows "\n" as a new line by itself.
        const std::wstring wide = WideFromUtf8(text);
        DWORD written = 0;
        if (WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr))
            return;
    }
    std::fwrite(text.data(), 1, text.size(), stream);
}

}  // namespace delvaro
