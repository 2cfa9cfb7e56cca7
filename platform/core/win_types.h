// The basic types, handles and constants of the window framework, as the
// dialog code and the resources spell them. Plain C++, no window system.
#pragma once

#include <cstdint>

using BOOL = int;
using BYTE = uint8_t;
using WORD = uint16_t;
using UINT = unsigned int;
using DWORD = uint32_t;
using LONG = int32_t;
using TCHAR = char;
using LPTSTR = char*;
using LPCTSTR = const char*;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

// Handles are opaque: only the window-system part of the layer knows what
// a window, a device context or a position in a file list is.
struct HWND__;
using HWND = HWND__*;
struct HDC__;
using HDC = HDC__*;
struct IconResource;
using HICON = const IconResource*;
using HCURSOR = HICON;
struct HMENU__;
using HMENU = HMENU__*;
struct __POSITION;
using POSITION = __POSITION*;

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct POINT {
    LONG x;
    LONG y;
};

inline WORD LOWORD(uintptr_t value) { return static_cast<WORD>(value & 0xFFFF); }
inline WORD HIWORD(uintptr_t value) { return static_cast<WORD>((value >> 16) & 0xFFFF); }
inline WPARAM MAKEWPARAM(WORD low, WORD high) {
    return static_cast<WPARAM>(low) | (static_cast<WPARAM>(high) << 16);
}

// Dialog results
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// Window and dialog styles
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;
constexpr DWORD DS_ABSALIGN = 0x0001;
constexpr DWORD DS_SETFONT = 0x0040;
constexpr DWORD DS_MODALFRAME = 0x0080;
constexpr DWORD DS_CENTER = 0x0800;
constexpr DWORD DS_CENTERMOUSE = 0x1000;

// Control styles
constexpr DWORD SS_LEFT = 0x0000;
constexpr DWORD SS_ICON = 0x0003;
constexpr DWORD SS_TYPEMASK = 0x001F;
constexpr DWORD SS_NOPREFIX = 0x0080;
constexpr DWORD ES_LEFT = 0x0000;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD ES_OEMCONVERT = 0x0400;
constexpr DWORD ES_READONLY = 0x0800;
constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;
constexpr DWORD BS_TYPEMASK = 0x000F;
constexpr DWORD LBS_NOTIFY = 0x0001;
constexpr DWORD LBS_SORT = 0x0002;
constexpr DWORD LBS_OWNERDRAWFIXED = 0x0010;
constexpr DWORD LBS_HASSTRINGS = 0x0040;
constexpr DWORD LBS_DISABLENOSCROLL = 0x1000;
constexpr DWORD CBS_DROPDOWNLIST = 0x0003;
constexpr DWORD CBS_OWNERDRAWFIXED = 0x0010;
constexpr DWORD CBS_AUTOHSCROLL = 0x0040;
constexpr DWORD CBS_SORT = 0x0100;
constexpr DWORD CBS_HASSTRINGS = 0x0200;

// Window messages and notifications
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_ICONERASEBKGND = 0x0027;
constexpr UINT WM_QUERYDRAGICON = 0x0037;
constexpr UINT WM_SETICON = 0x0080;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT BN_CLICKED = 0;
constexpr WPARAM ICON_SMALL = 0;
constexpr WPARAM ICON_BIG = 1;

// System commands: the low four bits are the system's own
constexpr UINT SC_CLOSE = 0xF060;

// Menus
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_SEPARATOR = 0x0800;

// Message boxes
constexpr UINT MB_OK = 0x0000;
constexpr UINT MB_OKCANCEL = 0x0001;
constexpr UINT MB_YESNOCANCEL = 0x0003;
constexpr UINT MB_YESNO = 0x0004;
constexpr UINT MB_TYPEMASK = 0x000F;
constexpr UINT MB_ICONHAND = 0x0010;
constexpr UINT MB_ICONQUESTION = 0x0020;
constexpr UINT MB_ICONEXCLAMATION = 0x0030;
constexpr UINT MB_ICONASTERISK = 0x0040;
constexpr UINT MB_ICONMASK = 0x00F0;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// System metrics
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
