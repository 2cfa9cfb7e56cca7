#ifndef UNICODE
#define UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include "win_ui_driver.h"

#include <gtest/gtest.h>

// <windows.h> first: the other headers build on it.
// clang-format off
#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>
// clang-format on

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace wui {

namespace {

constexpr UINT kPollMilliseconds = 20;
constexpr int kStepLimitMilliseconds = 15000;

Script* g_script = nullptr;

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_script != nullptr) g_script->Poll();
}

std::wstring Widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(),
                        length, nullptr, nullptr);
    return narrow;
}

std::wstring ClassName(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

bool IsClass(HWND window, const wchar_t* name) {
    return lstrcmpiW(ClassName(window).c_str(), name) == 0;
}

std::vector<HWND> Children(HWND window) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// The visible, enabled top-level windows of this thread.
std::vector<HWND> FrontWindows() {
    std::vector<HWND> all;
    EnumThreadWindows(GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&all));
    std::vector<HWND> front;
    for (HWND window : all)
        if (IsWindowVisible(window) && IsWindowEnabled(window)) front.push_back(window);
    return front;
}

}  // namespace

Script::Script() = default;

Script::~Script() {
    if (m_timer != 0) KillTimer(nullptr, m_timer);
    if (g_script == this) g_script = nullptr;
    if (!m_aborted && !Finished())
        ADD_FAILURE() << "the script stopped before step '" << m_steps[m_next].what << "'";
}

Script& Script::Then(std::string what, std::function<bool()> step) {
    m_steps.push_back({std::move(what), std::move(step)});
    return *this;
}

void Script::Start() {
    g_script = this;
    m_timer = SetTimer(nullptr, 0, kPollMilliseconds, OnTimer);
}

void Script::Poll() {
    // A step may end up in a nested modal loop that dispatches the timer.
    if (m_polling) return;
    m_polling = true;
    if (m_aborted) {
        Abort();
    } else if (Finished()) {
        KillTimer(nullptr, m_timer);
        m_timer = 0;
    } else {
        Step& step = m_steps[m_next];
        if (step.run()) {
            ++m_next;
            m_pollsOnStep = 0;
        } else if (++m_pollsOnStep * static_cast<int>(kPollMilliseconds) > kStepLimitMilliseconds) {
            ADD_FAILURE() << "step '" << step.what << "' did not happen within "
                          << kStepLimitMilliseconds / 1000 << " s";
            m_aborted = true;
        }
    }
    m_polling = false;
}

void Script::Abort() {
    const std::vector<HWND> front = FrontWindows();
    if (front.empty()) {
        KillTimer(nullptr, m_timer);
        m_timer = 0;
        return;
    }
    for (HWND window : front) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
}

Window Modal(const std::string& caption) {
    for (HWND window : FrontWindows())
        if (Text(window) == caption) return window;
    return nullptr;
}

Window Control(Window dialog, int id) {
    return dialog != nullptr ? GetDlgItem(dialog, id) : nullptr;
}

int ControlId(Window control) { return control != nullptr ? GetDlgCtrlID(control) : 0; }

std::string Text(Window window) {
    if (window == nullptr) return "<no window>";
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return Narrow(text);
}

std::string Text(Window dialog, int id) {
    HWND control = Control(dialog, id);
    return control != nullptr ? Text(control) : "<no control " + std::to_string(id) + ">";
}

bool IsReadOnly(Window edit) { return (GetWindowLongW(edit, GWL_STYLE) & ES_READONLY) != 0; }

bool IsDefaultButton(Window button) {
    return (GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

bool IsEnabled(Window window) { return IsWindowEnabled(window) != FALSE; }

Window Focus() { return GetFocus(); }

std::string SelectedText(Window edit) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const std::wstring text = Widen(Text(edit));
    if (start >= end || end > text.size()) return std::string();
    return Narrow(text.substr(start, end - start));
}

std::vector<std::string> StaticTexts(Window dialog) {
    std::vector<std::string> texts;
    for (HWND child : Children(dialog))
        if (IsClass(child, L"Static") && !Text(child).empty()) texts.push_back(Text(child));
    return texts;
}

bool ShowsIcon(Window dialog) {
    for (HWND child : Children(dialog))
        if (IsClass(child, L"Static") &&
            (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            SendMessageW(child, STM_GETICON, 0, 0) != 0)
            return true;
    return false;
}

bool HasIcon(Window window, bool big) {
    return SendMessageW(window, WM_GETICON, big ? ICON_BIG : ICON_SMALL, 0) != 0;
}

bool HasDragIcon(Window window) { return SendMessageW(window, WM_QUERYDRAGICON, 0, 0) != 0; }

Rect WindowRect(Window window) {
    RECT r{};
    GetWindowRect(window, &r);
    return Rect{r.left, r.top, r.right, r.bottom};
}

Rect ScreenRect() {
    return Rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

std::vector<Window> Controls(Window dialog) { return Children(dialog); }

uint32_t Style(Window window) { return static_cast<uint32_t>(GetWindowLongW(window, GWL_STYLE)); }

uint32_t ExStyle(Window window) {
    return static_cast<uint32_t>(GetWindowLongW(window, GWL_EXSTYLE));
}

std::string FontName(Window window) {
    auto font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    LOGFONTW description{};
    if (font == nullptr || GetObjectW(font, sizeof description, &description) == 0) return "";
    return Narrow(description.lfFaceName);
}

Rect DialogUnitsToPixels(Window dialog, int x, int y, int cx, int cy) {
    RECT r{x, y, x + cx, y + cy};
    MapDialogRect(dialog, &r);
    return Rect{r.left, r.top, r.right, r.bottom};
}

Rect ClientRectInParent(Window control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return Rect{r.left, r.top, r.right, r.bottom};
}

std::vector<std::string> SystemMenu(Window window) {
    std::vector<std::string> items;
    HMENU menu = GetSystemMenu(window, FALSE);
    for (int i = 0; menu != nullptr && i < GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
        items.push_back(Narrow(text));
    }
    return items;
}

void PressTab(Window dialog) {
    MSG msg{};
    msg.hwnd = GetFocus();
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_TAB;
    IsDialogMessageW(dialog, &msg);
}

void TypeInto(Window edit, const std::string& text) {
    ASSERT_NE(edit, nullptr);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, WM_CLEAR, 0, 0);
    for (wchar_t c : Widen(text)) SendMessageW(edit, WM_CHAR, c, 1);
}

void Click(Window button) {
    ASSERT_NE(button, nullptr);
    PostMessageW(button, BM_CLICK, 0, 0);
}

void Press(Window target, int virtualKey) {
    ASSERT_NE(target, nullptr);
    PostMessageW(target, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 1);
    PostMessageW(target, WM_KEYUP, static_cast<WPARAM>(virtualKey), 0xC0000001);
}

void PostSystemCommand(Window window, unsigned command) {
    PostMessageW(window, WM_SYSCOMMAND, command, 0);
}

void PressAltSpace(Window window) {
    ASSERT_NE(window, nullptr);
    // Bit 29: the Alt key is down.
    PostMessageW(window, WM_SYSKEYDOWN, VK_SPACE, 0x20000001);
    PostMessageW(window, WM_SYSKEYUP, VK_SPACE, 0xE0000001);
}

Window OpenMenu() {
    HWND menu = FindWindowW(L"#32768", nullptr);
    return menu != nullptr && IsWindowVisible(menu) ? menu : nullptr;
}

MessageBoxInfo ReadMessageBox(Window box) {
    MessageBoxInfo info;
    info.caption = Text(box);
    const HICON exclamation = LoadIconW(nullptr, IDI_EXCLAMATION);
    for (HWND child : Children(box)) {
        if (!IsWindowVisible(child)) continue;
        if (IsClass(child, L"Button")) {
            info.buttons.push_back(Text(child));
        } else if (IsClass(child, L"Static")) {
            if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                info.exclamation =
                    reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0)) == exclamation;
            else if (!Text(child).empty())
                info.text = Text(child);
        }
    }
    return info;
}

Window FrontMessageBox() {
    for (HWND window : FrontWindows()) {
        if (ClassName(window) != L"#32770") continue;
        // A message box has no edit box; the program's dialogs and the file
        // dialog have.
        bool hasEdit = false;
        for (HWND child : Children(window))
            hasEdit = hasEdit || IsClass(child, L"Edit") || IsClass(child, L"ComboBox");
        if (!hasEdit && GetDlgItem(window, IDOK) != nullptr &&
            ReadMessageBox(window).text.size() > 0)
            return window;
    }
    return nullptr;
}

void AcknowledgeMessage(Window box) {
    ASSERT_NE(box, nullptr);
    const MessageBoxInfo info = ReadMessageBox(box);
    EXPECT_TRUE(info.exclamation) << info.text;
    EXPECT_EQ(info.buttons, std::vector<std::string>{"OK"}) << info.text;
    Click(GetDlgItem(box, IDOK));
}

std::string ChooserFolder(Window chooser) {
    wchar_t folder[MAX_PATH * 4] = {};
    SendMessageW(chooser, CDM_GETFOLDERPATH, MAX_PATH * 4, reinterpret_cast<LPARAM>(folder));
    return Narrow(folder);
}

std::vector<std::string> ChooserFilters(Window chooser) {
    std::vector<std::string> filters;
    HWND combo = GetDlgItem(chooser, cmb1);
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const auto length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length));
        filters.push_back(Narrow(text));
    }
    return filters;
}

void ChooseInChooser(Window chooser, const std::string& typed) {
    ASSERT_NE(chooser, nullptr);
    HWND name = GetDlgItem(chooser, cmb13);
    if (name == nullptr) name = GetDlgItem(chooser, edt1);
    ASSERT_NE(name, nullptr);
    SetWindowTextW(name, Widen(typed).c_str());
    PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDOK)));
}

void CancelChooser(Window chooser) {
    ASSERT_NE(chooser, nullptr);
    PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDCANCEL)));
}

bool ShowsWaitCursor() { return GetCursor() == LoadCursorW(nullptr, IDC_WAIT); }

int RunProgram(const std::vector<std::string>& args) {
    std::wstring commandLine;
    for (const std::string& arg : args) {
        if (!commandLine.empty()) commandLine += L' ';
        commandLine += L'"' + Widen(arg) + L'"';
    }
    // The program's messages are not the test's: they go nowhere.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nowhere =
        CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nowhere;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(nowhere);
    if (!started) return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(status);
}

std::string SaveScreenshot(Window window, const std::string& name) {
    // Only a real display has pictures of windows to take.
    const char* folderVariable = std::getenv("DELVARO_SCREENSHOT_DIR");
    if (folderVariable == nullptr || *folderVariable == '\0') return std::string();
    // What the window shows once every part of it has painted.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // Under Wine a window's drawing reaches the screen from the message
    // loop, a little later: look at the queue for a moment first.
    for (int i = 0; i < 15; ++i) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
        Sleep(20);
    }
    const Rect rect = WindowRect(window);
    const int width = rect.Width();
    const int height = rect.Height();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as a BMP file stores it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    SelectObject(memory, old);
    // The fourth byte of each pixel is left as drawing left it; image
    // readers take it for opacity.
    auto* pixels = static_cast<uint32_t*>(bits);
    for (size_t i = 0; i < static_cast<size_t>(width) * static_cast<size_t>(height); ++i)
        pixels[i] |= 0xFF000000u;

    const std::filesystem::path folder(folderVariable);
    std::filesystem::create_directories(folder);
    const std::filesystem::path path = folder / (name + ".bmp");
    const DWORD imageSize = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageSize;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), imageSize);
    EXPECT_TRUE(out.good()) << "cannot write " << path.string();

    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return path.string();
}

}  // namespace wui
