// The program's report of its own failures: a string-table message,
// formatted printf-style, in a box with one OK button and the exclamation
// icon.
#pragma once

#include <cstdarg>

#include "platform/afxwin.h"

// Shows message `id` with the arguments that follow (an int for each %d, a
// C string for each %s); a text longer than the message buffer is cut and
// marked. Returns the box's result.
int ShowMessage(UINT id, UINT type, ...);
int ShowMessageV(UINT id, UINT type, va_list args);
