// The seam between the window layer and a window system: everything the
// framework's classes need of real windows, in plain C++. platform/qt/
// implements it; swapping that folder for another window system leaves the
// layer and the program unchanged.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/core/resource_types.h"

namespace afx_backend {

// Where a window reports what happens to it: commands (WM_COMMAND),
// system-menu commands (WM_SYSCOMMAND), painting (WM_PAINT) and, for a
// file dialog, its initialisation (WM_INITDIALOG) before it is shown.
class MessageSink {
  public:
    virtual LRESULT OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;

  protected:
    ~MessageSink() = default;
};

// The application. Initialize must come before any window.
bool Initialize(int& argc, char** argv);
void Shutdown();
int RunEventLoop();
std::string ModuleFileName();
// The icon of every window that sets none of its own.
void SetApplicationIcon(HICON icon);

// Dialog windows built from templates, hidden until RunModalLoop.
HWND CreateDialogWindow(const DialogTemplate& dialog, HWND owner, MessageSink* sink);
void DestroyWindow(HWND window);
// Shows the window modally; returns the result given to EndModalLoop, or
// IDCANCEL when the window closed some other way.
int RunModalLoop(HWND window);
void EndModalLoop(HWND window, int result);

// Any window or control.
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// What a window does with a message that its owner leaves alone.
LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
HWND GetDlgItem(HWND dialog, int id);
// The first (control == nullptr) or next tab stop of a dialog.
HWND GetNextDlgTabItem(HWND dialog, HWND control, bool previous);
bool IsEditControl(HWND window);
std::string GetWindowText(HWND window);
void SetWindowText(HWND window, const char* text);
void SetFocus(HWND window);
void SetSel(HWND edit, int start, int end);  // end -1: to the end of the text
RECT GetWindowRect(HWND window);             // screen coordinates, frame included
RECT GetClientRect(HWND window);
void MoveWindow(HWND window, int x, int y, int width, int height, bool repaint);
bool IsWindowVisible(HWND window);
bool IsIconic(HWND window);
void SetIcon(HWND window, HICON icon, bool big);

// The system menu: the window's own commands, opened from the title bar
// where the window system allows, by a right-click in the window or by
// Alt+Space. Choosing an entry sends WM_SYSCOMMAND with its id.
HMENU GetSystemMenu(HWND window, bool revert);
bool AppendMenu(HMENU menu, UINT flags, UINT id, const char* text);

// The screen.
HWND GetDesktopWindow();
int GetSystemMetrics(int index);
RECT GetWorkArea(HWND nearWindow);

// Painting, while a WM_PAINT is being handled.
HDC BeginPaint(HWND window);
void EndPaint(HWND window, HDC dc);
void DrawIcon(HDC dc, int x, int y, HICON icon);

// Message boxes: `type` as the MB_ flags; returns IDOK, IDCANCEL, IDYES or IDNO.
int MessageBox(HWND owner, const char* text, const char* caption, UINT type);
void ShowHelp(HWND owner, const char* caption, const char* text);

// The busy cursor over every window of the program.
void SetWaitCursor(bool shown);

// The platform's file chooser.
struct FileDialogRequest {
    HWND owner = nullptr;
    bool multiSelect = false;
    std::string title;
    std::string initialDirectory;
    std::string initialName;
    // Display name and pattern list ("*.txt;*.doc") in the framework's
    // filter syntax: "*.*" means every file, letters match either case.
    std::vector<std::pair<std::string, std::string>> filters;
    int filterIndex = 0;  // 0-based
};
// Runs the chooser; `sink` receives WM_INITDIALOG with the chooser's
// window once it has its size, before it is shown. False when cancelled;
// otherwise `chosen` holds full paths in the order the chooser lists them.
bool RunFileDialog(const FileDialogRequest& request, MessageSink* sink,
                   std::vector<std::string>& chosen);

}  // namespace afx_backend
