#include "app/centered_file_dialog.h"

namespace {

constexpr int kScreenMargin = 2;

}  // namespace

POINT CenteredPosition(const RECT& reference, int width, int height, int screenWidth,
                       int screenHeight) {
    // Integer division truncates toward zero, also for a reference smaller
    // than the window.
    LONG x = reference.left + (reference.right - reference.left - width) / 2;
    LONG y = reference.top + (reference.bottom - reference.top - height) / 2;
    if (y < 0) y = kScreenMargin;
    if (x < 0) x = kScreenMargin;
    // After the rules above: a window larger than the screen ends up with
    // a negative coordinate.
    if (y + height > screenHeight) y = screenHeight - height - kScreenMargin;
    if (x + width > screenWidth) x = screenWidth - width - kScreenMargin;
    return POINT{x, y};
}

CCenteredFileDialog::CCenteredFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt,
                                         LPCTSTR lpszFileName, DWORD dwFlags, LPCTSTR lpszFilter,
                                         CWnd* pParentWnd)
    : CFileDialog(bOpenFileDialog, lpszDefExt, lpszFileName, dwFlags, lpszFilter, pParentWnd),
      m_pOwnerWnd(pParentWnd) {}

BEGIN_MESSAGE_MAP(CCenteredFileDialog, CFileDialog)
END_MESSAGE_MAP()

void CCenteredFileDialog::DoDataExchange(CDataExchange*) {}

BOOL CCenteredFileDialog::OnInitDialog() {
    CFileDialog::OnInitDialog();
    CWnd* reference = m_pOwnerWnd != nullptr ? m_pOwnerWnd : CWnd::GetDesktopWindow();
    CRect referenceRect;
    reference->GetWindowRect(&referenceRect);
    CRect dialogRect;
    GetWindowRect(&dialogRect);
    const POINT at = CenteredPosition(referenceRect, dialogRect.Width(), dialogRect.Height(),
                                      GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    MoveWindow(at.x, at.y, dialogRect.Width(), dialogRect.Height(), TRUE);
    return TRUE;
}
