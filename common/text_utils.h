// Blank stripping and path helpers shared by the engine and the programs.
#pragma once

#include <string>

namespace delvaro {

// A blank is any byte whose value, read as a signed 8-bit number, is 32 or
// less: the control characters, the space and every byte from 0x80 up.
inline bool IsBlank(char c) { return static_cast<signed char>(c) <= 32; }

// In place; each returns its argument.
char* StripLeadingBlanks(char* text);
char* StripTrailingBlanks(char* text);
char* StripBlanks(char* text);
char* StripTrailingChar(char* text, char c);

std::string& StripBlanks(std::string& text);
std::string& StripTrailingChar(std::string& text, char c);

// The characters that end a directory part of a path on this platform.
bool IsPathSeparator(char c);

// The part of `path` after its last separator (the whole path when it has
// none); with `dropExtension`, cut at the last '.' of that part.
std::string FileNameFromPath(const std::string& path, bool dropExtension);

// `path` stripped of blanks, up to and including its last separator; a
// bare drive ("C:") gets a backslash. A path with no separator gives "".
std::string DirectoryFromPath(const std::string& path);

// The folder of the running executable, ending in a separator.
std::string GetProgramDirectory();

}  // namespace delvaro
