// The Win32 calls the window layer's Windows seam needs, behind plain C++
// types. <windows.h> spells DWORD, LONG, RECT, TRUE and HICON otherwise
// than the layer does, so it is included by win32_api.cpp alone; window,
// device-context and menu handles are the very same types on both sides.
// Texts cross this boundary in UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct HWND__;
struct HDC__;
struct HMENU__;
struct HICON__;

namespace win32 {

struct Rect {
    int left;
    int top;
    int right;
    int bottom;
};

// Hands a window's message to the object that handles it in the layer.
using Dispatch = intptr_t (*)(void* sink, HWND__* window, unsigned message, uintptr_t wParam,
                              intptr_t lParam);

void Initialize(Dispatch dispatch);
std::string ModuleFileName();
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);

// A dialog made from an in-memory extended template (DLGTEMPLATEEX),
// hidden. Every message it receives afterwards goes to `sink`, which calls
// CallDefault for what it leaves alone.
HWND__* CreateDialogFromTemplate(const std::vector<uint16_t>& words, HWND__* owner, void* sink);
void DestroyDialog(HWND__* window);
intptr_t CallDefault(HWND__* window, unsigned message, uintptr_t wParam, intptr_t lParam);
// Shows the dialog modally over its disabled owner; F1 becomes the command
// `helpCommand`. Returns the result given to EndModalLoop, or `closed`
// when the loop ended otherwise.
int RunModalLoop(HWND__* window, unsigned helpCommand, int closed);
void EndModalLoop(HWND__* window, int result);

intptr_t Send(HWND__* window, unsigned message, uintptr_t wParam, intptr_t lParam);
HWND__* GetDlgItem(HWND__* dialog, int id);
// The children of a window in creation (tab) order.
std::vector<HWND__*> Children(HWND__* window);
// The window's style bits.
uint32_t Style(HWND__* window);
bool IsClass(HWND__* window, const wchar_t* className);
std::string GetText(HWND__* window);
void SetText(HWND__* window, const std::string& text);
void SetFocus(HWND__* window);
Rect GetWindowRect(HWND__* window);
Rect GetClientRect(HWND__* window);
void MoveWindow(HWND__* window, int x, int y, int width, int height, bool repaint);
bool IsWindowVisible(HWND__* window);
bool IsIconic(HWND__* window);
HMENU__* GetSystemMenu(HWND__* window, bool revert);
bool AddMenuItem(HMENU__* menu, unsigned flags, unsigned id, const std::string& text);
HWND__* GetDesktopWindow();
int GetSystemMetrics(int index);
Rect GetWorkArea(HWND__* nearWindow);

HDC__* BeginPaint(HWND__* window);
void EndPaint(HWND__* window, HDC__* dc);
void DrawIcon(HDC__* dc, int x, int y, HICON__* icon);

// Icon `id` from the program's resources at `size` pixels, or nullptr.
HICON__* LoadIconResource(unsigned id, int size);
// An icon from 32-bit ARGB pixels, row by row from the top; alpha 0 is
// transparent.
HICON__* CreateIconFromPixels(int width, int height, const std::vector<uint32_t>& argb);

int ShowMessageBox(HWND__* owner, const std::string& text, const std::string& caption,
                   unsigned type);
void SetWaitCursor(bool shown);

struct FileDialogRequest {
    HWND__* owner = nullptr;
    bool multiSelect = false;
    std::string title;
    std::string initialDirectory;
    std::string initialName;
    // Display name and pattern list, in order.
    std::vector<std::pair<std::string, std::string>> filters;
    int filterIndex = 0;  // 0-based
};
// The common file dialog, explorer style; once it is laid out, and before
// it shows, `sink` receives WM_INITDIALOG with the visible dialog frame.
// False when cancelled or when the dialog failed.
bool RunFileDialog(const FileDialogRequest& request, void* sink, std::vector<std::string>& chosen);

}  // namespace win32
