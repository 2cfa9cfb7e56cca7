// Driving real Win32 dialogs from a test: a script of steps that a thread
// timer runs while the code under test sits in its modal loops (the main
// dialog's, a message box's, the common file dialog's), and helpers that
// find windows and act on them as a user does. Plain types only, so that
// the tests can include the window layer's headers; window handles are the
// layer's HWND, which is Windows' own.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct HWND__;

namespace wui {

using Window = HWND__*;

// Steps run in order, each polled until it returns true. A step that does
// not come true within the time limit fails the test, and every modal
// window still open is cancelled so that the test ends instead of hanging.
class Script {
  public:
    Script();
    ~Script();
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    Script& Then(std::string what, std::function<bool()> step);
    // Starts polling; the steps run once the caller enters a modal loop.
    void Start();
    bool Finished() const { return m_next == m_steps.size(); }

    // Called by the timer.
    void Poll();

  private:
    void Abort();

    struct Step {
        std::string what;
        std::function<bool()> run;
    };
    std::vector<Step> m_steps;
    size_t m_next = 0;
    int m_pollsOnStep = 0;
    bool m_aborted = false;
    bool m_polling = false;
    uintptr_t m_timer = 0;
};

// The window in front: the visible, enabled top-level window of this
// thread captioned `caption`; nullptr while another window is modal over it.
Window Modal(const std::string& caption);

Window Control(Window dialog, int id);
int ControlId(Window control);
std::string Text(Window window);
// The text of control `id`; a note when there is none.
std::string Text(Window dialog, int id);
bool IsReadOnly(Window edit);
bool IsDefaultButton(Window button);
bool IsEnabled(Window window);
Window Focus();
std::string SelectedText(Window edit);
// The non-empty static texts of a dialog, in template order.
std::vector<std::string> StaticTexts(Window dialog);
bool ShowsIcon(Window dialog);
bool HasIcon(Window window, bool big);
// What the window answers when Windows asks for the icon to drag.
bool HasDragIcon(Window window);

struct Rect {
    int left, top, right, bottom;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};
Rect WindowRect(Window window);
Rect ScreenRect();

// The child windows of a dialog in creation (template) order.
std::vector<Window> Controls(Window dialog);
uint32_t Style(Window window);
uint32_t ExStyle(Window window);
// The face name of the font a window draws its text with.
std::string FontName(Window window);
// A rectangle in dialog units of `dialog`, in pixels of its client area.
Rect DialogUnitsToPixels(Window dialog, int x, int y, int cx, int cy);
// Where a control lies in its dialog's client area.
Rect ClientRectInParent(Window control);

// Texts of the system menu's entries, "" for a separator.
std::vector<std::string> SystemMenu(Window window);

// What the dialog manager does with a key: Tab, at once.
void PressTab(Window dialog);
// Replaces the text of an edit box by typing, as a user selects all and types.
void TypeInto(Window edit, const std::string& text);
// Clicks, keys and commands that may open a modal window are posted, so
// that a step never blocks: they happen after the step returns.
void Click(Window button);
void Press(Window target, int virtualKey);
void PostSystemCommand(Window window, unsigned command);
// Alt+Space: the window's system menu opens, as from its caption.
void PressAltSpace(Window window);
// The open popup menu, if any.
Window OpenMenu();

constexpr int kKeyReturn = 0x0D;
constexpr int kKeyEscape = 0x1B;
constexpr int kKeyF1 = 0x70;
constexpr int kKeyUp = 0x26;
constexpr unsigned kCloseCommand = 0xF060;

// A message box as the user sees it.
struct MessageBoxInfo {
    std::string caption;
    std::string text;
    bool exclamation = false;
    std::vector<std::string> buttons;
};
MessageBoxInfo ReadMessageBox(Window box);
// The front message box, if its text is not that of a window of ours.
Window FrontMessageBox();
// Closes a message box with its only button, after checking what every box
// of the program has: one OK button and the exclamation icon.
void AcknowledgeMessage(Window box);

// The common file dialog.
std::string ChooserFolder(Window chooser);
std::vector<std::string> ChooserFilters(Window chooser);
// Types into the chooser's name box and confirms as with Enter.
void ChooseInChooser(Window chooser, const std::string& typed);
void CancelChooser(Window chooser);

// Whether this thread shows the busy cursor.
bool ShowsWaitCursor();

// Runs a program and waits for it; its exit status.
int RunProgram(const std::vector<std::string>& args);

// Saves a picture of `window`, as the screen shows it, as <name>.bmp in the
// folder DELVARO_SCREENSHOT_DIR names; nothing without that variable (the
// tests can run where no display draws the windows). The path, or "".
std::string SaveScreenshot(Window window, const std::string& name);

}  // namespace wui
