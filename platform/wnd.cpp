#include <map>
#include <memory>

#include "platform/afxwin.h"

namespace {

// Window objects attached to their windows, and the wrappers made for
// windows that have none.
std::map<HWND, CWnd*>& PermanentWindows() {
    static std::map<HWND, CWnd*> windows;
    return windows;
}

std::map<HWND, std::unique_ptr<CWnd>>& WrapperWindows() {
    static std::map<HWND, std::unique_ptr<CWnd>> windows;
    return windows;
}

}  // namespace

CWnd::~CWnd() { Detach(); }

void CWnd::Attach(HWND hWnd) {
    m_hWnd = hWnd;
    if (hWnd != nullptr) PermanentWindows()[hWnd] = this;
}

void CWnd::Detach() {
    if (m_hWnd == nullptr) return;
    auto found = PermanentWindows().find(m_hWnd);
    if (found != PermanentWindows().end() && found->second == this) PermanentWindows().erase(found);
    m_hWnd = nullptr;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (hWnd == nullptr) return nullptr;
    auto found = PermanentWindows().find(hWnd);
    if (found != PermanentWindows().end()) return found->second;
    std::unique_ptr<CWnd>& wrapper = WrapperWindows()[hWnd];
    if (!wrapper) {
        wrapper = std::make_unique<CWnd>();
        wrapper->m_hWnd = hWnd;
    }
    return wrapper.get();
}

CWnd* CWnd::GetDesktopWindow() { return FromHandle(afx_backend::GetDesktopWindow()); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return afx_backend::SendMessage(m_hWnd, message, wParam, lParam);
}

void CWnd::SetWindowText(LPCTSTR lpszString) { afx_backend::SetWindowText(m_hWnd, lpszString); }

void CWnd::GetWindowText(CString& rString) const {
    rString = CString(afx_backend::GetWindowText(m_hWnd));
}

void CWnd::GetWindowRect(RECT* lpRect) const { *lpRect = afx_backend::GetWindowRect(m_hWnd); }

void CWnd::GetClientRect(RECT* lpRect) const { *lpRect = afx_backend::GetClientRect(m_hWnd); }

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
    afx_backend::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint != FALSE);
}

BOOL CWnd::IsWindowVisible() const { return afx_backend::IsWindowVisible(m_hWnd); }

BOOL CWnd::IsIconic() const { return afx_backend::IsIconic(m_hWnd); }

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) {
    m_systemMenu.m_hMenu = afx_backend::GetSystemMenu(m_hWnd, bRevert != FALSE);
    return m_systemMenu.m_hMenu != nullptr ? &m_systemMenu : nullptr;
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT nIDNewItem, LPCTSTR lpszNewItem) {
    return afx_backend::AppendMenu(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
}

void CWnd::CenterWindow(CWnd* pAlternateOwner) {
    const RECT area = afx_backend::GetWorkArea(m_hWnd);
    const RECT reference = pAlternateOwner != nullptr && pAlternateOwner->IsWindowVisible() &&
                                   !pAlternateOwner->IsIconic()
                               ? afx_backend::GetWindowRect(pAlternateOwner->m_hWnd)
                               : area;
    CRect window(afx_backend::GetWindowRect(m_hWnd));
    int x = reference.left + (reference.right - reference.left - window.Width()) / 2;
    int y = reference.top + (reference.bottom - reference.top - window.Height()) / 2;
    // Kept inside the work area; the top-left corner wins when it is too small.
    if (x + window.Width() > area.right) x = area.right - window.Width();
    if (x < area.left) x = area.left;
    if (y + window.Height() > area.bottom) y = area.bottom - window.Height();
    if (y < area.top) y = area.top;
    MoveWindow(x, y, window.Width(), window.Height(), FALSE);
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const CUserException&) {
        return FALSE;
    }
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

LRESULT CWnd::OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_hWnd == nullptr) Attach(window);
    return WindowProc(message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const CurrentMessage outer = m_current;
    m_current = {message, wParam, lParam};
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    m_current = outer;
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam)) return FALSE;
        *pResult = 0;
        return TRUE;
    }
    const AFX_MSGMAP_ENTRY* entry = AfxFindMessageEntry(GetMessageMap(), message, 0, 0);
    if (entry == nullptr) return FALSE;
    *pResult = entry->pfn(this, wParam, lParam);
    return TRUE;
}

// A command the window does not handle goes on to the application, as the
// help command does.
BOOL CWnd::OnCommand(WPARAM wParam, LPARAM) {
    const UINT id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (OnCmdMsg(id, code)) return TRUE;
    CWinApp* app = AfxGetApp();
    return app != nullptr && app->OnCmdMsg(id, code);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return afx_backend::DefWindowProc(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }

void CWnd::OnPaint() { Default(); }

HCURSOR CWnd::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }

BOOL CDC::DrawIcon(int x, int y, HICON hIcon) {
    if (m_hDC == nullptr || hIcon == nullptr) return FALSE;
    afx_backend::DrawIcon(m_hDC, x, y, hIcon);
    return TRUE;
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd) { m_hDC = afx_backend::BeginPaint(m_hWnd); }

CPaintDC::~CPaintDC() { afx_backend::EndPaint(m_hWnd, m_hDC); }

int GetSystemMetrics(int nIndex) { return afx_backend::GetSystemMetrics(nIndex); }

BOOL SetWindowText(HWND hWnd, LPCTSTR lpszString) {
    afx_backend::SetWindowText(hWnd, lpszString);
    return TRUE;
}

void AfxGotoDlgCtrl(HWND hWndCtrl) {
    if (hWndCtrl == nullptr) return;
    afx_backend::SetFocus(hWndCtrl);
    if (afx_backend::IsEditControl(hWndCtrl)) afx_backend::SetSel(hWndCtrl, 0, -1);
}
