// The window layer's seam implemented with Win32: dialog templates become
// real dialogs through an in-memory extended template, and the dialog
// manager, message boxes, the system menu and the common file dialog are
// Windows' own. The Win32 calls themselves are in win32_api.cpp.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "platform/backend.h"
#include "platform/core/afxres.h"
#include "platform/win32/win32_api.h"
#include "res/resources.h"

namespace {

// Messages and values the seam translates; the layer's header spells only
// the ones the dialog code uses.
constexpr UINT kStmSetIcon = 0x0170;
constexpr WORD kNormalWeight = 400;
constexpr BYTE kDefaultCharset = 1;
constexpr int kSmallIconSize = 16;
constexpr int kLargeIconSize = 32;

// ---------------------------------------------------------------------------
// Icons: the picture of an icon resource, from the program's own resources
// where it has them (with the sizes made for Windows), else from the layer's
// image of it.

// The colour of an XPM colour entry as ARGB; 0 (transparent) for "None".
uint32_t XpmColour(const char* value) {
    if (value[0] != '#') return 0;
    return 0xFF000000u | static_cast<uint32_t>(std::strtoul(value + 1, nullptr, 16));
}

std::vector<uint32_t> XpmPixels(const char* const* xpm, int& width, int& height) {
    int colours = 0;
    int perPixel = 0;
    width = height = 0;
    std::vector<uint32_t> pixels;
    const char* header = xpm[0];
    if (std::sscanf(header, "%d %d %d %d", &width, &height, &colours, &perPixel) != 4 ||
        perPixel != 1 || width <= 0 || height <= 0)
        return pixels;
    uint32_t palette[256] = {};
    for (int i = 0; i < colours; ++i) {
        const char* entry = xpm[1 + i];
        const char* colour = std::strstr(entry + 1, " c ");
        if (colour == nullptr) continue;
        palette[static_cast<unsigned char>(entry[0])] = XpmColour(colour + 3);
    }
    pixels.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        const char* row = xpm[1 + colours + y];
        // A short row ends in transparent pixels.
        const size_t length = std::strlen(row);
        for (int x = 0; x < width; ++x)
            pixels.push_back(
                static_cast<size_t>(x) < length ? palette[static_cast<unsigned char>(row[x])] : 0);
    }
    return pixels;
}

HICON__* NativeIcon(HICON icon, int size) {
    if (icon == nullptr) return nullptr;
    static std::map<std::pair<HICON, int>, HICON__*> icons;
    auto found = icons.find({icon, size});
    if (found != icons.end()) return found->second;
    HICON__* native = win32::LoadIconResource(icon->id, size);
    if (native == nullptr) {
        int width = 0;
        int height = 0;
        const std::vector<uint32_t> pixels = XpmPixels(icon->xpm, width, height);
        native = win32::CreateIconFromPixels(width, height, pixels);
    }
    icons.emplace(std::make_pair(icon, size), native);
    return native;
}

// ---------------------------------------------------------------------------
// Dialog templates as the dialog manager reads them: an extended template
// (DLGTEMPLATEEX) of 16-bit words, every item on a 32-bit boundary.

class TemplateWriter {
  public:
    void Word(uint32_t value) { m_words.push_back(static_cast<uint16_t>(value)); }
    void Dword(uint32_t value) {
        Word(value & 0xFFFF);
        Word(value >> 16);
    }
    void Text(const char* utf8) {
        for (wchar_t c : win32::Widen(utf8 != nullptr ? utf8 : "")) Word(static_cast<uint16_t>(c));
        Word(0);
    }
    void AlignToDword() {
        if (m_words.size() % 2 != 0) Word(0);
    }
    std::vector<uint16_t> Take() { return std::move(m_words); }

  private:
    std::vector<uint16_t> m_words;
};

uint16_t ClassAtom(ControlClass controlClass) {
    switch (controlClass) {
        case ControlClass::Button:
            return 0x0080;
        case ControlClass::Edit:
            return 0x0081;
        case ControlClass::Static:
            return 0x0082;
        case ControlClass::ListBox:
            return 0x0083;
        case ControlClass::ComboBox:
            return 0x0085;
    }
    return 0x0082;
}

std::vector<uint16_t> BuildTemplate(const DialogTemplate& dialog) {
    TemplateWriter out;
    out.Word(1);       // dlgVer
    out.Word(0xFFFF);  // signature of an extended template
    out.Dword(0);      // helpID
    out.Dword(dialog.exStyle);
    // Hidden until the modal loop shows it.
    out.Dword(dialog.style & ~WS_VISIBLE);
    out.Word(static_cast<uint32_t>(dialog.itemCount));
    out.Word(static_cast<uint16_t>(dialog.x));
    out.Word(static_cast<uint16_t>(dialog.y));
    out.Word(static_cast<uint16_t>(dialog.cx));
    out.Word(static_cast<uint16_t>(dialog.cy));
    out.Word(0);  // no menu
    out.Word(0);  // the dialog class
    out.Text(dialog.caption);
    if ((dialog.style & DS_SETFONT) != 0) {
        out.Word(static_cast<uint32_t>(dialog.pointSize));
        out.Word(kNormalWeight);
        out.Word(kDefaultCharset << 8);  // not italic; the character set
        out.Text(dialog.fontName);
    }
    for (int i = 0; i < dialog.itemCount; ++i) {
        const DialogItem& item = dialog.items[i];
        out.AlignToDword();
        out.Dword(0);  // helpID
        out.Dword(0);  // exStyle
        out.Dword(item.style);
        out.Word(static_cast<uint16_t>(item.x));
        out.Word(static_cast<uint16_t>(item.y));
        out.Word(static_cast<uint16_t>(item.cx));
        out.Word(static_cast<uint16_t>(item.cy));
        out.Dword(static_cast<uint32_t>(item.id));
        out.Word(0xFFFF);
        out.Word(ClassAtom(item.controlClass));
        // An icon static gets its picture once it exists.
        const bool icon =
            item.controlClass == ControlClass::Static && (item.style & SS_TYPEMASK) == SS_ICON;
        out.Text(icon ? nullptr : item.text);
        out.Word(0);  // no creation data
    }
    return out.Take();
}

intptr_t DispatchToSink(void* sink, HWND__* window, unsigned message, uintptr_t wParam,
                        intptr_t lParam) {
    LRESULT result = static_cast<afx_backend::MessageSink*>(sink)->OnWindowMessage(window, message,
                                                                                   wParam, lParam);
    // The layer answers with its own icon; Windows wants its picture.
    if (message == WM_QUERYDRAGICON)
        result =
            reinterpret_cast<LRESULT>(NativeIcon(reinterpret_cast<HICON>(result), kLargeIconSize));
    return result;
}

}  // namespace

namespace afx_backend {

bool Initialize(int&, char**) {
    win32::Initialize(&DispatchToSink);
    return true;
}

void Shutdown() { SetWaitCursor(false); }

std::string ModuleFileName() { return win32::ModuleFileName(); }

// Windows takes the program's icon from its resources.
void SetApplicationIcon(HICON) {}

HWND CreateDialogWindow(const DialogTemplate& dialog, HWND owner, MessageSink* sink) {
    HWND window = win32::CreateDialogFromTemplate(BuildTemplate(dialog), owner, sink);
    if (window == nullptr) return nullptr;
    const std::vector<HWND> children = win32::Children(window);
    for (size_t i = 0; i < children.size() && i < static_cast<size_t>(dialog.itemCount); ++i) {
        const DialogItem& item = dialog.items[i];
        if (item.controlClass == ControlClass::Static && (item.style & SS_TYPEMASK) == SS_ICON)
            win32::Send(children[i], kStmSetIcon,
                        reinterpret_cast<uintptr_t>(
                            NativeIcon(delvaro::FindIconResource(item.iconId), kLargeIconSize)),
                        0);
    }
    return window;
}

void DestroyWindow(HWND window) { win32::DestroyDialog(window); }

int RunModalLoop(HWND window) { return win32::RunModalLoop(window, ID_HELP, IDCANCEL); }

void EndModalLoop(HWND window, int result) { win32::EndModalLoop(window, result); }

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETICON) {
        // The layer's icon as Windows' picture of the size asked for.
        const int size = wParam == ICON_BIG ? kLargeIconSize : kSmallIconSize;
        win32::Send(window, message, wParam,
                    reinterpret_cast<intptr_t>(NativeIcon(reinterpret_cast<HICON>(lParam), size)));
        return 0;
    }
    return win32::Send(window, message, wParam, lParam);
}

LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The layer's default for the drag icon is none: Windows then uses its own.
    if (message == WM_QUERYDRAGICON) return 0;
    return win32::CallDefault(window, message, wParam, lParam);
}

HWND GetDlgItem(HWND dialog, int id) { return win32::GetDlgItem(dialog, id); }

HWND GetNextDlgTabItem(HWND dialog, HWND control, bool previous) {
    // The style bits decide, so that this works before the dialog shows.
    std::vector<HWND> stops;
    for (HWND child : win32::Children(dialog)) {
        const DWORD style = win32::Style(child);
        if ((style & WS_TABSTOP) != 0 && (style & WS_VISIBLE) != 0 && (style & WS_DISABLED) == 0)
            stops.push_back(child);
    }
    if (stops.empty()) return nullptr;
    if (control == nullptr) return previous ? stops.back() : stops.front();
    size_t index = 0;
    while (index < stops.size() && stops[index] != control) ++index;
    if (index == stops.size()) return stops.front();
    const size_t count = stops.size();
    return stops[previous ? (index + count - 1) % count : (index + 1) % count];
}

bool IsEditControl(HWND window) { return window != nullptr && win32::IsClass(window, L"Edit"); }

std::string GetWindowText(HWND window) { return win32::GetText(window); }

void SetWindowText(HWND window, const char* text) {
    win32::SetText(window, text != nullptr ? text : "");
}

void SetFocus(HWND window) { win32::SetFocus(window); }

void SetSel(HWND edit, int start, int end) {
    constexpr UINT kEmSetSel = 0x00B1;
    win32::Send(edit, kEmSetSel, static_cast<uintptr_t>(start), end);
}

RECT GetWindowRect(HWND window) {
    const win32::Rect r = win32::GetWindowRect(window);
    return RECT{r.left, r.top, r.right, r.bottom};
}

RECT GetClientRect(HWND window) {
    const win32::Rect r = win32::GetClientRect(window);
    return RECT{r.left, r.top, r.right, r.bottom};
}

void MoveWindow(HWND window, int x, int y, int width, int height, bool repaint) {
    win32::MoveWindow(window, x, y, width, height, repaint);
}

bool IsWindowVisible(HWND window) { return win32::IsWindowVisible(window); }

bool IsIconic(HWND window) { return win32::IsIconic(window); }

void SetIcon(HWND window, HICON icon, bool big) {
    SendMessage(window, WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

HMENU GetSystemMenu(HWND window, bool revert) { return win32::GetSystemMenu(window, revert); }

bool AppendMenu(HMENU menu, UINT flags, UINT id, const char* text) {
    return win32::AddMenuItem(menu, flags, id, text != nullptr ? text : "");
}

HWND GetDesktopWindow() { return win32::GetDesktopWindow(); }

int GetSystemMetrics(int index) { return win32::GetSystemMetrics(index); }

RECT GetWorkArea(HWND nearWindow) {
    const win32::Rect r = win32::GetWorkArea(nearWindow);
    return RECT{r.left, r.top, r.right, r.bottom};
}

HDC BeginPaint(HWND window) { return win32::BeginPaint(window); }

void EndPaint(HWND window, HDC dc) { win32::EndPaint(window, dc); }

void DrawIcon(HDC dc, int x, int y, HICON icon) {
    if (dc != nullptr && icon != nullptr)
        win32::DrawIcon(dc, x, y, NativeIcon(icon, kLargeIconSize));
}

int MessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    return win32::ShowMessageBox(owner, text != nullptr ? text : "",
                                 caption != nullptr ? caption : "", type);
}

void ShowHelp(HWND owner, const char* caption, const char* text) {
    win32::ShowMessageBox(owner, text != nullptr ? text : "", caption != nullptr ? caption : "",
                          MB_OK | MB_ICONASTERISK);
}

void SetWaitCursor(bool shown) { win32::SetWaitCursor(shown); }

bool RunFileDialog(const FileDialogRequest& request, MessageSink* sink,
                   std::vector<std::string>& chosen) {
    win32::FileDialogRequest native;
    native.owner = request.owner;
    native.multiSelect = request.multiSelect;
    native.title = request.title;
    native.initialDirectory = request.initialDirectory;
    native.initialName = request.initialName;
    native.filters = request.filters;
    native.filterIndex = request.filterIndex;
    return win32::RunFileDialog(native, sink, chosen);
}

}  // namespace afx_backend
