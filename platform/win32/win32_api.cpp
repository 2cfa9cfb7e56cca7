// The Win32 side of the window layer's Windows seam: wide-character calls,
// texts converted from and to UTF-8 at this boundary, so that file names
// outside the ANSI code page show as they are.
#ifndef UNICODE
#define UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include "platform/win32/win32_api.h"

// <windows.h> first: the other headers build on it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
// clang-format on

#include <map>
#include <memory>

namespace win32 {

namespace {

// What the layer knows of a dialog window it made.
struct DialogState {
    void* sink = nullptr;
    WNDPROC original = nullptr;
    bool ended = false;
    int result = 0;
    HWND requestedFocus = nullptr;
    PAINTSTRUCT paint{};
};

Dispatch g_dispatch = nullptr;
bool g_waitCursor = false;

std::map<HWND, DialogState>& Dialogs() {
    static std::map<HWND, DialogState> dialogs;
    return dialogs;
}

DialogState* StateOf(HWND window) {
    auto found = Dialogs().find(window);
    return found != Dialogs().end() ? &found->second : nullptr;
}

// The dialog procedure of every template dialog: the dialog manager's own
// handling throughout; the layer sets the focus itself.
INT_PTR CALLBACK TemplateDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Every message of a layer dialog goes to its object in the layer first.
LRESULT CALLBACK LayerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogState* state = StateOf(window);
    if (state == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_SETCURSOR && g_waitCursor) {
        ::SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
    }
    if (state->sink == nullptr || g_dispatch == nullptr)
        return CallWindowProcW(state->original, window, message, wParam, lParam);
    return g_dispatch(state->sink, window, message, wParam, lParam);
}

bool IsInside(HWND window, HWND dialog) {
    return window != nullptr && (window == dialog || IsChild(dialog, window));
}

}  // namespace

void Initialize(Dispatch dispatch) {
    g_dispatch = dispatch;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
}

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string Narrow(const std::wstring& utf16) {
    if (utf16.empty()) return std::string();
    const int size = static_cast<int>(utf16.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

std::string ModuleFileName() {
    // Long enough for a path with the "\\?\" prefix.
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    return Narrow(path);
}

HWND CreateDialogFromTemplate(const std::vector<uint16_t>& words, HWND owner, void* sink) {
    HWND window = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                             reinterpret_cast<LPCDLGTEMPLATEW>(words.data()), owner,
                                             TemplateDialogProc, 0);
    if (window == nullptr) return nullptr;
    DialogState& state = Dialogs()[window];
    state.sink = sink;
    state.original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LayerWindowProc)));
    return window;
}

void DestroyDialog(HWND window) {
    if (window == nullptr) return;
    // The layer is done with the window: what it receives while it goes
    // away is the dialog manager's alone.
    if (DialogState* state = StateOf(window)) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(state->original));
        Dialogs().erase(window);
    }
    ::DestroyWindow(window);
}

intptr_t CallDefault(HWND window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    DialogState* state = StateOf(window);
    if (state == nullptr) return 0;
    return CallWindowProcW(state->original, window, message, wParam, lParam);
}

int RunModalLoop(HWND window, unsigned helpCommand, int closed) {
    DialogState* state = StateOf(window);
    if (state == nullptr) return closed;
    state->ended = false;
    state->result = closed;
    HWND owner = GetWindow(window, GW_OWNER);
    const bool disableOwner = owner != nullptr && IsWindowEnabled(owner);
    if (disableOwner) EnableWindow(owner, FALSE);

    // The focus was set while the window was hidden; showing it activates
    // the window, which may move the focus elsewhere.
    const HWND focus = state->requestedFocus;
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    if (focus != nullptr && IsWindow(focus) && GetFocus() != focus) ::SetFocus(focus);
    UpdateWindow(window);

    MSG msg;
    bool quit = false;
    while (!state->ended) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            quit = got == 0;
            break;
        }
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_F1 && IsInside(msg.hwnd, window) &&
            GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0 &&
            GetKeyState(VK_MENU) >= 0) {
            ::SendMessageW(window, WM_COMMAND, helpCommand, 0);
            continue;
        }
        if (!IsDialogMessageW(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        state = StateOf(window);
        if (state == nullptr) return closed;
    }
    const int result = state->result;
    // The owner takes the activation back before this window hides, so
    // that no other program's window comes to the front.
    if (disableOwner) EnableWindow(owner, TRUE);
    if (owner != nullptr && GetActiveWindow() == window) SetActiveWindow(owner);
    ShowWindow(window, SW_HIDE);
    if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
    return result;
}

void EndModalLoop(HWND window, int result) {
    DialogState* state = StateOf(window);
    if (state == nullptr) return;
    state->result = result;
    state->ended = true;
    // Wakes the loop, which may be waiting for a message.
    PostMessageW(window, WM_NULL, 0, 0);
}

intptr_t Send(HWND window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    return ::SendMessageW(window, message, wParam, lParam);
}

HWND GetDlgItem(HWND dialog, int id) { return ::GetDlgItem(dialog, id); }

std::vector<HWND> Children(HWND window) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

uint32_t Style(HWND window) { return static_cast<uint32_t>(GetWindowLongW(window, GWL_STYLE)); }

bool IsClass(HWND window, const wchar_t* className) {
    wchar_t name[64];
    if (GetClassNameW(window, name, 64) == 0) return false;
    return lstrcmpiW(name, className) == 0;
}

std::string GetText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return Narrow(text);
}

void SetText(HWND window, const std::string& text) {
    SetWindowTextW(window, Widen(text).c_str());
    // A conversion keeps the message loop waiting until it ends; painting
    // now lets the user follow its progress.
    if (::IsWindowVisible(window)) UpdateWindow(window);
}

void SetFocus(HWND window) {
    if (window == nullptr) return;
    if (DialogState* state = StateOf(GetAncestor(window, GA_ROOT))) state->requestedFocus = window;
    ::SetFocus(window);
}

Rect GetWindowRect(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return Rect{rect.left, rect.top, rect.right, rect.bottom};
}

Rect GetClientRect(HWND window) {
    RECT rect{};
    ::GetClientRect(window, &rect);
    return Rect{rect.left, rect.top, rect.right, rect.bottom};
}

void MoveWindow(HWND window, int x, int y, int width, int height, bool repaint) {
    ::MoveWindow(window, x, y, width, height, repaint ? TRUE : FALSE);
}

bool IsWindowVisible(HWND window) { return ::IsWindowVisible(window) != FALSE; }

bool IsIconic(HWND window) { return ::IsIconic(window) != FALSE; }

HMENU GetSystemMenu(HWND window, bool revert) { return ::GetSystemMenu(window, revert); }

bool AddMenuItem(HMENU menu, unsigned flags, unsigned id, const std::string& text) {
    const std::wstring wide = Widen(text);
    return AppendMenuW(menu, flags, id, (flags & MF_SEPARATOR) != 0 ? nullptr : wide.c_str()) !=
           FALSE;
}

HWND GetDesktopWindow() { return ::GetDesktopWindow(); }

int GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

Rect GetWorkArea(HWND nearWindow) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromWindow(nearWindow, MONITOR_DEFAULTTOPRIMARY);
    if (monitor == nullptr || !GetMonitorInfoW(monitor, &info))
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0);
    return Rect{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

HDC BeginPaint(HWND window) {
    DialogState* state = StateOf(window);
    if (state == nullptr) return nullptr;
    return ::BeginPaint(window, &state->paint);
}

void EndPaint(HWND window, HDC dc) {
    DialogState* state = StateOf(window);
    if (state == nullptr || dc == nullptr) return;
    ::EndPaint(window, &state->paint);
}

void DrawIcon(HDC dc, int x, int y, HICON icon) { ::DrawIcon(dc, x, y, icon); }

HICON LoadIconResource(unsigned id, int size) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                         MAKEINTRESOURCEW(static_cast<WORD>(id)), IMAGE_ICON, size,
                                         size, LR_DEFAULTCOLOR));
}

HICON CreateIconFromPixels(int width, int height, const std::vector<uint32_t>& argb) {
    if (width <= 0 || height <= 0 ||
        argb.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
        return nullptr;
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = width;
    header.bV5Height = -height;  // top-down rows
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP color = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                     &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (color == nullptr) return nullptr;
    std::copy(argb.begin(), argb.end(), static_cast<uint32_t*>(bits));
    // With alpha in the colour image the mask only has to exist.
    HBITMAP mask = CreateBitmap(width, height, 1, 1, nullptr);
    ICONINFO info{TRUE, 0, 0, mask, color};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(color);
    return icon;
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, unsigned type) {
    return MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), type);
}

void SetWaitCursor(bool shown) {
    g_waitCursor = shown;
    ::SetCursor(LoadCursorW(nullptr, shown ? IDC_WAIT : IDC_ARROW));
}

namespace {

struct FileDialogContext {
    void* sink = nullptr;
    bool initialised = false;
};

FileDialogContext* g_fileDialog = nullptr;

// The hook's window is an empty child of the visible dialog frame; the
// frame has its final layout once the dialog says it is initialised.
UINT_PTR CALLBACK FileDialogHook(HWND hook, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_NOTIFY || g_fileDialog == nullptr || g_fileDialog->initialised) return 0;
    const auto* notify = reinterpret_cast<const OFNOTIFYW*>(lParam);
    if (notify->hdr.code != CDN_INITDONE) return 0;
    g_fileDialog->initialised = true;
    if (g_dispatch != nullptr && g_fileDialog->sink != nullptr)
        g_dispatch(g_fileDialog->sink, GetParent(hook), WM_INITDIALOG, 0, 0);
    return 0;
}

// Room for far more names than the layer's own buffer holds, so that a
// selection too long for that buffer reaches the layer, which reports it.
constexpr DWORD kChosenNamesCapacity = 1 << 20;

}  // namespace

bool RunFileDialog(const FileDialogRequest& request, void* sink, std::vector<std::string>& chosen) {
    std::wstring filter;
    for (const auto& [name, patterns] : request.filters) {
        filter += Widen(name);
        filter += L'\0';
        // The framework's filters may put a blank before a pattern.
        std::wstring list = Widen(patterns);
        list.erase(0, list.find_first_not_of(L' '));
        filter += list;
        filter += L'\0';
    }
    filter += L'\0';
    const std::wstring title = Widen(request.title);
    const std::wstring initialDirectory = Widen(request.initialDirectory);
    std::unique_ptr<wchar_t[]> names(new wchar_t[kChosenNamesCapacity]());
    const std::wstring initialName = Widen(request.initialName);
    initialName.copy(names.get(), std::min<size_t>(initialName.size(), kChosenNamesCapacity - 1));

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = request.owner;
    ofn.hInstance = GetModuleHandleW(nullptr);
    ofn.lpstrFilter = request.filters.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(request.filterIndex + 1);
    ofn.lpstrFile = names.get();
    ofn.nMaxFile = kChosenNamesCapacity;
    ofn.lpstrInitialDir = initialDirectory.empty() ? nullptr : initialDirectory.c_str();
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING | OFN_HIDEREADONLY |
                OFN_NOCHANGEDIR | (request.multiSelect ? OFN_ALLOWMULTISELECT : 0);
    ofn.lpfnHook = FileDialogHook;

    FileDialogContext context{sink, false};
    g_fileDialog = &context;
    const BOOL confirmed = GetOpenFileNameW(&ofn);
    g_fileDialog = nullptr;
    if (!confirmed) return false;

    // One file: its full path. Several: their folder, then each name.
    const wchar_t* first = names.get();
    const wchar_t* next = first + wcslen(first) + 1;
    if (!request.multiSelect || *next == L'\0') {
        chosen.push_back(Narrow(first));
        return true;
    }
    std::wstring folder = first;
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    for (; *next != L'\0'; next += wcslen(next) + 1) chosen.push_back(Narrow(folder + next));
    return true;
}

}  // namespace win32
