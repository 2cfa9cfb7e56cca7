// The program's string table: every message, file-chooser filter and title
// and the system-menu text, addressed by number.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

namespace delvaro {

// The text of entry `id`, or nullptr when the table has no such entry.
const char* FindResourceString(unsigned id);

// The size of the buffer a message box formats into: a message of up to
// MessageBufferSize - 1 characters is shown whole.
constexpr size_t MessageBufferSize = 260;

// Entry `id` formatted printf-style with `args`, as a message box shows it:
// an absent entry gives an empty text, and a text longer than the message
// buffer is cut, the cut marked by "..." at its end.
std::string FormatResourceMessageV(unsigned id, va_list args);
std::string FormatResourceMessage(unsigned id, ...);

}  // namespace delvaro
