#include "res/string_table.h"

#include <cstdio>

#include "res/resource.h"

namespace delvaro {

namespace {

struct StringEntry {
    unsigned id;
    const char* text;
};

constexpr StringEntry kStringTable[] = {
    {IDS_ABOUTBOX, "&About Delvaro..."},
    {IDS_ERR_READ, "File read error on line %d - %s"},
    {IDS_ERR_FIELD_TOO_LONG, "Argument(s) to long on line %d - %s"},
    {IDS_ERR_TOO_FEW_FIELDS, "Not enough arguments on line %d - %s"},
    {IDS_ERR_CANNOT_OPEN, "Cannot open file %s"},
    {IDS_ERR_NO_UNIT, "No Unit record found in file %s"},
    {IDS_ERR_NOT_CARTESIAN, "Coordinates are not cartesian type in file %s"},
    {IDS_ERR_NO_COORD_TYPE, "No Coordinate record found in file %s"},
    {IDS_ERR_NO_BASELINES, "No baselines found in file %s"},
    {IDS_ERR_BAD_BASELINE, "Bad baseline found in file %s"},
    {IDS_ERR_WRITE, "File write error %s"},
    {IDS_ERR_NO_OUTPUT_NAME, "Please enter a 'TREVADEL' File name"},
    {IDS_ERR_NO_MEMORY, "Unable to allocate the required memory"},
    {IDS_ERR_BAD_NUMBER, "Invalid number on line %d - %s"},
    {IDS_ERR_OUTPUT_IS_INPUT, "Output file %s is also one of the SKI files"},
    {IDS_ERR_SELECTION_TOO_LONG,
     "The selected file names are too long to be taken in one go. Please select fewer files "
     "or files with shorter paths."},
    {IDS_MSG_SUCCESS, "Success - the results are in %s"},
    {IDS_MSG_APPEND, "File %s already exists.  Append to it?"},
    {IDS_OUTPUT_FILTER, "ASCII (Text) File (*.txt)|*.txt|All Files (*.*)| *.*||"},
    {IDS_OUTPUT_TITLE, "Enter/Select An Output File"},
    {IDS_INPUT_FILTER, "Leica Files (*.asc)|*.asc|All Files (*.*)| *.*||"},
    {IDS_INPUT_TITLE, "Select One Or More Receiver Files"},
    {AFX_IDP_PARSE_INT, "Please enter an integer."},
    {AFX_IDP_PARSE_REAL, "Please enter a number."},
    {AFX_IDP_PARSE_REAL_RANGE, "Please enter a number between %1 and %2."},
    {AFX_IDS_HELP_TEXT,
     "Delvaro converts Leica SKI ASCII baseline files ('asc' files) into one input file for "
     "the TREVADEL network adjustment.\n"
     "\n"
     "1. Enter the name of the TREVADEL file to create, or press Browse... to choose it. An "
     "existing file is replaced without a question.\n"
     "2. Change the Covariance Scaler if needed: every covariance term is multiplied by it "
     "(0.00001 to 99999, 1 by default).\n"
     "3. Press Convert Data (or Enter) and select one or more 'asc' files; hold Ctrl or Shift "
     "to select several.\n"
     "\n"
     "The files are converted in the order listed. The boxes show the file just converted and "
     "the counts of baselines and files so far. The first file that fails stops the run, and a "
     "message names the file and, where it applies, the line.\n"
     "\n"
     "Close or Esc ends the program."},
};

// A cut can split a multi-byte UTF-8 character (a path with accented
// letters); drop the broken piece so the box shows no garbage.
void DropIncompleteUtf8Tail(std::string& text) {
    size_t start = text.size();
    while (start > 0 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80 &&
           text.size() - start < 3)
        --start;
    if (start == 0) return;
    unsigned char lead = static_cast<unsigned char>(text[start - 1]);
    size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (lead >= 0xC0 && text.size() - (start - 1) < need) text.resize(start - 1);
}

}  // namespace

const char* FindResourceString(unsigned id) {
    for (const StringEntry& entry : kStringTable)
        if (entry.id == id) return entry.text;
    return nullptr;
}

std::string FormatResourceMessageV(unsigned id, va_list args) {
    const char* format = FindResourceString(id);
    if (format == nullptr) return std::string();
    char buffer[MessageBufferSize];
    va_list probe;
    va_copy(probe, args);
    int full = std::vsnprintf(buffer, sizeof buffer, format, probe);
    va_end(probe);
    if (full < 0) return std::string();
    std::string text(buffer);
    if (static_cast<size_t>(full) >= sizeof buffer) {
        text.resize(sizeof buffer - 4);
        DropIncompleteUtf8Tail(text);
        text += "...";
    }
    return text;
}

std::string FormatResourceMessage(unsigned id, ...) {
    va_list args;
    va_start(args, id);
    std::string text = FormatResourceMessageV(id, args);
    va_end(args);
    return text;
}

}  // namespace delvaro
