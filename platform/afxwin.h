// The window framework's classes as the dialog program uses them: command
// targets with message maps, windows, modal dialogs with data exchange,
// menus, painting, the application object, message boxes and the wait
// cursor. Real windows come from the window system behind
// platform/backend.h; nothing here names one.
#pragma once

#include <cfloat>
#include <exception>

#include "platform/backend.h"
#include "platform/core/afxres.h"
#include "platform/core/cstring.h"
#include "platform/core/resource_types.h"
#include "platform/core/win_types.h"

class CCmdTarget;
class CWnd;
class CWinApp;

// ---------------------------------------------------------------------------
// Message maps: per class, a plain table of the messages it handles, each
// with the handler to call, chained to the base class's table.

using AFX_PMSG = LRESULT (*)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // WM_...; 0 ends the table
    UINT nCode;     // notification code, for WM_COMMAND
    UINT nID;       // control or command id, for WM_COMMAND
    UINT nLastID;
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// The entry for `message` (and, for WM_COMMAND, `code` and `id`) in `map`
// or the tables it chains to; nullptr when none handles it.
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT code,
                                            UINT id);

// clang-format off
#define DECLARE_MESSAGE_MAP()                                                   \
protected:                                                                      \
    static const AFX_MSGMAP* GetThisMessageMap();                               \
    const AFX_MSGMAP* GetMessageMap() const override;                           \
                                                                                \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                  \
    const AFX_MSGMAP* theClass::GetMessageMap() const {                         \
        return GetThisMessageMap();                                             \
    }                                                                           \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                           \
        using ThisClass [[maybe_unused]] = theClass;                            \
        using TheBaseClass = baseClass;                                         \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                       \
            {0, 0, 0, 0, nullptr}};                                             \
        static const AFX_MSGMAP messageMap = {                                  \
            &TheBaseClass::GetThisMessageMap, entries};                         \
        return &messageMap;                                                     \
    }

// Each entry calls the handler through a function that knows its class.
#define ON_COMMAND(id, memberFxn)                                               \
    {WM_COMMAND, 0, static_cast<UINT>(id), static_cast<UINT>(id),               \
     [](CCmdTarget* target, WPARAM, LPARAM) -> LRESULT {                        \
         static_cast<ThisClass*>(target)->memberFxn();                          \
         return 0;                                                              \
     }},

#define ON_BN_CLICKED(id, memberFxn)                                            \
    {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id), static_cast<UINT>(id),      \
     [](CCmdTarget* target, WPARAM, LPARAM) -> LRESULT {                        \
         static_cast<ThisClass*>(target)->memberFxn();                          \
         return 0;                                                              \
     }},

#define ON_MESSAGE(message, memberFxn)                                          \
    {message, 0, 0, 0,                                                          \
     [](CCmdTarget* target, WPARAM wParam, LPARAM lParam) -> LRESULT {          \
         return static_cast<ThisClass*>(target)->memberFxn(wParam, lParam);     \
     }},

#define ON_WM_SYSCOMMAND()                                                      \
    {WM_SYSCOMMAND, 0, 0, 0,                                                    \
     [](CCmdTarget* target, WPARAM wParam, LPARAM lParam) -> LRESULT {          \
         static_cast<ThisClass*>(target)->OnSysCommand(                         \
             static_cast<UINT>(wParam), lParam);                                \
         return 0;                                                              \
     }},

#define ON_WM_PAINT()                                                           \
    {WM_PAINT, 0, 0, 0,                                                         \
     [](CCmdTarget* target, WPARAM, LPARAM) -> LRESULT {                        \
         static_cast<ThisClass*>(target)->OnPaint();                            \
         return 0;                                                              \
     }},

#define ON_WM_QUERYDRAGICON()                                                   \
    {WM_QUERYDRAGICON, 0, 0, 0,                                                 \
     [](CCmdTarget* target, WPARAM, LPARAM) -> LRESULT {                        \
         return reinterpret_cast<LRESULT>(                                      \
             static_cast<ThisClass*>(target)->OnQueryDragIcon());               \
     }},
// clang-format on

// ---------------------------------------------------------------------------

class CCmdTarget {
  public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;
    virtual ~CCmdTarget() = default;

    // Routes a command to this object's handler; FALSE when it has none.
    virtual BOOL OnCmdMsg(UINT nID, int nCode);

    // The application's wait cursor, counted.
    void BeginWaitCursor();
    void EndWaitCursor();
    void RestoreWaitCursor();

  protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

struct CRect : RECT {
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    explicit CRect(const RECT& rect) : RECT(rect) {}
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

class CMenu {
  public:
    HMENU m_hMenu = nullptr;
    BOOL AppendMenu(UINT nFlags, UINT nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr);
};

class CDataExchange;

class CWnd : public CCmdTarget, protected afx_backend::MessageSink {
  public:
    CWnd() = default;
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    // A window object for `hWnd`: the one attached to it, or a wrapper
    // that lives as long as the program (for the desktop, say).
    static CWnd* FromHandle(HWND hWnd);
    static CWnd* GetDesktopWindow();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void SetWindowText(LPCTSTR lpszString);
    void GetWindowText(CString& rString) const;
    void GetWindowRect(RECT* lpRect) const;
    void GetClientRect(RECT* lpRect) const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    BOOL IsWindowVisible() const;
    BOOL IsIconic() const;
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    CMenu* GetSystemMenu(BOOL bRevert);
    // Centres the window over `pAlternateOwner` (the screen's work area
    // when null), kept inside that work area.
    void CenterWindow(CWnd* pAlternateOwner = nullptr);

    // Reads the controls into the members (TRUE, validating) or shows the
    // members in the controls (FALSE). FALSE when validation failed; the
    // user has been told why.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

  protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The default handling of the message being handled.
    LRESULT Default();

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();

    void Attach(HWND hWnd);
    void Detach();

  private:
    LRESULT OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    struct CurrentMessage {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };
    CurrentMessage m_current;
    CMenu m_systemMenu;
};

// Thrown by a failed exchange to leave DoDataExchange; UpdateData catches it.
class CUserException : public std::exception {
  public:
    const char* what() const noexcept override { return "data exchange failed"; }
};

class CDataExchange {
  public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;

    // The control `nIDC`, remembered as the one a later failure returns to;
    // for an edit control the failure also selects its text.
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    // Puts the focus back in the last prepared control and ends the exchange.
    [[noreturn]] void Fail();

    HWND m_hWndLastControl = nullptr;
    BOOL m_bEditLastControl = FALSE;
};

// Text, int and double exchange with an edit control. A double is shown
// with "%.*g" and 15 significant digits; reading accepts a decimal number
// with blanks around it, and anything else (an empty box too) is refused
// with the framework's prompt.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, double& value);
// Refuses, when reading, a value outside [minVal, maxVal].
void DDV_MinMaxDouble(CDataExchange* pDX, const double& value, double minVal, double maxVal);

class CDialog : public CWnd {
  public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // Shows the dialog and returns when it closes: IDOK, IDCANCEL or the
    // value given to EndDialog; -1 when the template does not exist.
    virtual int DoModal();
    virtual BOOL OnInitDialog();
    void EndDialog(int nResult);

  protected:
    virtual void OnOK();
    virtual void OnCancel();
    LRESULT HandleInitDialog(WPARAM, LPARAM);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    // The window the dialog is modal over, as the framework chooses it.
    HWND PreModal();

    DECLARE_MESSAGE_MAP()

  private:
    int m_nModalResult = -1;
    bool m_bEnded = false;
};

class CDC {
  public:
    HDC m_hDC = nullptr;
    HDC GetSafeHdc() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON hIcon);
};

class CPaintDC : public CDC {
  public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

  private:
    HWND m_hWnd;
};

class CWinApp : public CCmdTarget {
  public:
    explicit CWinApp(LPCTSTR lpszAppName = nullptr);
    ~CWinApp() override;

    // The executable's file name without folder and extension unless the
    // constructor was given a name; the caption of every message box.
    LPCTSTR m_pszAppName = nullptr;
    CWnd* m_pMainWnd = nullptr;

    // A dialog-based program does all its work here and returns FALSE, so
    // that the program ends when its dialog closes.
    virtual BOOL InitInstance();
    virtual int ExitInstance();

    HICON LoadIcon(UINT nIDResource) const;
    BOOL Enable3dControlsStatic();

    // 1 raises the wait count and shows the busy cursor, -1 lowers it and
    // takes the cursor away at zero, 0 shows it again while the count is up.
    void DoWaitCursor(int nCode);
    int m_nWaitCursorCount = 0;

    virtual int DoMessageBox(LPCTSTR lpszPrompt, UINT nType, UINT nIDPrompt);
    void OnHelp();
    virtual void WinHelp(UINT nCmd);

  private:
    friend BOOL AfxWinInit(int& argc, char** argv);
    CString m_strAppName;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();

// Sets up the window system and the application's name.
BOOL AfxWinInit(int& argc, char** argv);
void AfxWinTerm();
// Runs the application object: what the program's main does.
int AfxWinMain(int argc, char** argv);

// A message box owned by the main window, with the application's name as
// caption. Without an icon in nType, OK, OK/Cancel, Yes/No and
// Yes/No/Cancel boxes get the exclamation icon.
int AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));
// String-table entry nIDS with %1 and %2 replaced.
void AfxFormatString2(CString& rString, UINT nIDS, LPCTSTR lpsz1, LPCTSTR lpsz2);

int GetSystemMetrics(int nIndex);
BOOL SetWindowText(HWND hWnd, LPCTSTR lpszString);
// Moves the focus to a dialog's control, selecting the text of an edit box
// as the dialog manager does.
void AfxGotoDlgCtrl(HWND hWndCtrl);
