#include "app/messages.h"

#include "res/string_table.h"

int ShowMessage(UINT id, UINT type, ...) {
    va_list args;
    va_start(args, type);
    const int result = ShowMessageV(id, type, args);
    va_end(args);
    return result;
}

// The same formatting as the command-line converter's, so that both show
// one text for one fault.
int ShowMessageV(UINT id, UINT type, va_list args) {
    const CString text(delvaro::FormatResourceMessageV(id, args));
    return AfxMessageBox(text, type, id);
}
