#include "platform/afxwin.h"
#include "res/resources.h"

// clang-format off
BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()
// clang-format on

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

HWND CDialog::PreModal() {
    if (m_pParentWnd != nullptr) return m_pParentWnd->m_hWnd;
    // Without a parent the main window owns the dialog, unless this is it.
    CWnd* main = AfxGetMainWnd();
    if (main == nullptr || main == this || main->m_hWnd == nullptr) return nullptr;
    return main->m_hWnd;
}

int CDialog::DoModal() {
    const DialogTemplate* dialog = delvaro::FindDialogTemplate(m_nIDTemplate);
    if (dialog == nullptr) return -1;
    HWND owner = PreModal();
    Attach(afx_backend::CreateDialogWindow(*dialog, owner, this));
    if (m_hWnd == nullptr) return -1;
    m_nModalResult = -1;
    m_bEnded = false;

    // A template at (0, 0) that does not place itself is centred over its
    // owner, or on the screen.
    if (dialog->x == 0 && dialog->y == 0 &&
        (dialog->style & (DS_ABSALIGN | DS_CENTER | DS_CENTERMOUSE)) == 0)
        CenterWindow(owner != nullptr ? CWnd::FromHandle(owner) : nullptr);

    if (SendMessage(WM_INITDIALOG) != 0)
        AfxGotoDlgCtrl(afx_backend::GetNextDlgTabItem(m_hWnd, nullptr, false));
    // OnInitDialog may have ended the dialog already.
    const int result = m_bEnded ? m_nModalResult : afx_backend::RunModalLoop(m_hWnd);

    HWND window = m_hWnd;
    Detach();
    afx_backend::DestroyWindow(window);
    return result;
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) { return OnInitDialog(); }

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::EndDialog(int nResult) {
    m_nModalResult = nResult;
    m_bEnded = true;
    if (m_hWnd != nullptr) afx_backend::EndModalLoop(m_hWnd, nResult);
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }
