// Texts between the program, which holds every path and message as UTF-8,
// and Windows' wide-character calls. Windows only.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace delvaro {

// UTF-8 to UTF-16 and back; an invalid sequence becomes U+FFFD.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

// A path for the wide file calls. A path too long for the classic limit is
// made absolute and given the \\?\ form, which has no such limit, so long
// paths open even where the system has not enabled long paths for every
// program.
std::wstring WideFilePath(const char* utf8Path);

// Writes UTF-8 text to `stream`. On a console it goes through the wide
// console call, so that names outside the console's code page read right;
// anywhere else (a file, a pipe) the UTF-8 bytes are written as they are.
void WriteText(std::FILE* stream, std::string_view text);

}  // namespace delvaro
