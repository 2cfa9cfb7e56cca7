// Dialog templates 100 (About box), 102 (main dialog) and 103 (the old-style
// directory chooser, carried but never loaded). Positions and sizes are in
// dialog units of the template's font.
#include <cstddef>

#include "res/resource.h"
#include "res/resources.h"
#include "res/version.h"

namespace delvaro {

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kText = kChild | SS_LEFT | WS_GROUP;
constexpr DWORD kEdit = kChild | ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD kButton = kChild | BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kDefButton = kChild | BS_DEFPUSHBUTTON | WS_TABSTOP;
constexpr DWORD kModalDialog = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

constexpr ControlClass kStatic = ControlClass::Static;
constexpr ControlClass kEditBox = ControlClass::Edit;
constexpr ControlClass kPushButton = ControlClass::Button;

const DialogItem kAboutItems[] = {
    {kStatic, -1, nullptr, 11, 17, 20, 20, kChild | SS_ICON, IDI_MAIN_ICON},
    {kStatic, -1, DELVARO_PRODUCT_NAME " Version " DELVARO_VERSION_TEXT, 40, 10, 124, 8,
     kText | SS_NOPREFIX},
    {kStatic, -1, DELVARO_COPYRIGHT, 40, 25, 119, 8, kText},
    {kPushButton, IDOK, "OK", 188, 7, 40, 14, kDefButton | WS_GROUP},
};

const DialogItem kConvertItems[] = {
    {kStatic, -1,
     "This utility allows you to extract data from one or more Leica SKI 'asc' files and "
     "write them into a TREVADEL compatible",
     7, 7, 386, 8, kText},
    {kStatic, -1,
     "input file. Supply the name of an output TREVADEL file, then press the Convert Data "
     "button to select the 'asc' file(s).",
     7, 17, 386, 8, kText},
    {kStatic, -1,
     "After creating the TREVADEL compatible file, load the file into TREVADEL and enter the "
     "Edit - Stations - Geodetic dialog",
     7, 32, 386, 8, kText},
    {kStatic, -1, "to modify (as needed) the coordinates of your fixed stations. ", 7, 42, 386, 8,
     kText},
    {kStatic, -1, "'SKI' File records currently supported include: @+, @-, @=, @*", 7, 57, 386, 8,
     kText},
    {kStatic, -1,
     "Linear and coordinate types supported: meters, u.s. feet, intl. feet, ECEF cartesian "
     "coordinates.",
     7, 67, 298, 8, kText},
    {kStatic, -1, "Covariance Scaler:", 7, 95, 61, 8, kText},
    {kEditBox, IDC_COV_SCALER, nullptr, 73, 92, 50, 14, kEdit},
    {kStatic, -1, "Baselines Processed:", 141, 95, 68, 8, kText},
    {kEditBox, IDC_BASELINE_COUNT, nullptr, 214, 92, 40, 14, kEdit | ES_READONLY},
    {kStatic, -1, "Files Processed:", 274, 95, 52, 8, kText},
    {kEditBox, IDC_FILE_COUNT, nullptr, 331, 92, 40, 14, kEdit | ES_READONLY},
    {kStatic, -1,
     "Enter the name of the TREVADEL ASCII (Text) file to create from data in the 'SKI' file(s):",
     7, 120, 278, 8, kText},
    {kEditBox, IDC_OUTPUT_FILE, nullptr, 7, 130, 336, 14, kEdit},
    {kPushButton, IDC_BROWSE, "Browse...", 353, 130, 40, 14, kButton},
    {kStatic, -1, "Name of the current 'SKI' File being processed:", 7, 150, 148, 8, kText},
    {kEditBox, IDC_CURRENT_FILE, nullptr, 7, 160, 336, 14, kEdit | ES_READONLY},
    {kPushButton, IDC_CONVERT, "&Convert Data", 7, 186, 60, 14, kDefButton},
    {kPushButton, IDCANCEL, "Close", 353, 185, 40, 14, kButton},
};

// The directory chooser of the old common dialogs: the folder name, the
// folder list and the drive list.
const DialogItem kChooseDirectoryItems[] = {
    {kStatic, -1, "Directory &Name:", 6, 6, 92, 9, kText},
    {kEditBox, 1152, nullptr, 6, 16, 92, 12, kEdit | ES_OEMCONVERT},
    {kStatic, 1088, nullptr, 6, 32, 92, 9, kText | SS_NOPREFIX},
    {ControlClass::ListBox, 1121, nullptr, 6, 44, 92, 56,
     kChild | LBS_SORT | LBS_NOTIFY | LBS_HASSTRINGS | LBS_OWNERDRAWFIXED | LBS_DISABLENOSCROLL |
         WS_VSCROLL | WS_BORDER | WS_TABSTOP},
    {kStatic, -1, "Dri&ves:", 6, 104, 92, 9, kText},
    {ControlClass::ComboBox, 1137, nullptr, 6, 114, 92, 68,
     kChild | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_AUTOHSCROLL | CBS_SORT | CBS_HASSTRINGS |
         WS_VSCROLL | WS_BORDER | WS_TABSTOP},
    {kPushButton, IDOK, "OK", 110, 6, 50, 14, kDefButton | WS_GROUP},
    {kPushButton, IDCANCEL, "Cancel", 110, 24, 50, 14, kButton | WS_GROUP},
};

template <std::size_t N>
constexpr int Count(const DialogItem (&)[N]) {
    return static_cast<int>(N);
}

const DialogTemplate kDialogTemplates[] = {
    {IDD_ABOUTBOX, kModalDialog, 0, 0, 0, 235, 55, "About " DELVARO_PRODUCT_NAME, "MS Sans Serif",
     8, kAboutItems, Count(kAboutItems)},
    {IDD_CONVERT_DIALOG, kModalDialog | WS_VISIBLE, WS_EX_APPWINDOW, 0, 0, 400, 207,
     "Convert Leica SKI File(s) to a Trevadel Input File", "MS Sans Serif", 8, kConvertItems,
     Count(kConvertItems)},
    {IDD_CHOOSE_DIRECTORY, kModalDialog, 0, 36, 24, 166, 134, "Choose Directory", "MS Sans Serif",
     8, kChooseDirectoryItems, Count(kChooseDirectoryItems)},
};

}  // namespace

const DialogTemplate* FindDialogTemplate(unsigned id) {
    for (const DialogTemplate& dialog : kDialogTemplates)
        if (dialog.id == id) return &dialog;
    return nullptr;
}

}  // namespace delvaro
