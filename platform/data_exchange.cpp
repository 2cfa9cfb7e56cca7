#include <cstdio>

#include "platform/afxwin.h"
#include "platform/number_text.h"

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

HWND CDataExchange::PrepareCtrl(int nIDC) {
    HWND control = afx_backend::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    if (control == nullptr) {
        // The code and the dialog template disagree: no value can be
        // exchanged, and carrying on would show stale data as current.
        std::fprintf(stderr, "dialog data exchange: control %d is not in the dialog\n", nIDC);
        throw CUserException();
    }
    m_hWndLastControl = control;
    m_bEditLastControl = FALSE;
    return control;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
    HWND control = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return control;
}

void CDataExchange::Fail() {
    if (m_bSaveAndValidate && m_hWndLastControl != nullptr) {
        if (m_bEditLastControl)
            AfxGotoDlgCtrl(m_hWndLastControl);
        else
            afx_backend::SetFocus(m_hWndLastControl);
    }
    throw CUserException();
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    HWND control = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = CString(afx_backend::GetWindowText(control));
    else
        afx_backend::SetWindowText(control, value);
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
    HWND control = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        if (!AfxParseInt(afx_backend::GetWindowText(control).c_str(), value)) {
            AfxMessageBox(AFX_IDP_PARSE_INT);
            pDX->Fail();
        }
    } else {
        char text[16];
        std::snprintf(text, sizeof text, "%d", value);
        afx_backend::SetWindowText(control, text);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, double& value) {
    HWND control = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        if (!AfxParseDouble(afx_backend::GetWindowText(control).c_str(), value)) {
            AfxMessageBox(AFX_IDP_PARSE_REAL);
            pDX->Fail();
        }
    } else {
        afx_backend::SetWindowText(control, AfxFormatDouble(value, DBL_DIG).c_str());
    }
}

void DDV_MinMaxDouble(CDataExchange* pDX, const double& value, double minVal, double maxVal) {
    if (!pDX->m_bSaveAndValidate) return;
    if (value >= minVal && value <= maxVal) return;
    CString prompt;
    AfxFormatString2(prompt, AFX_IDP_PARSE_REAL_RANGE, AfxFormatDouble(minVal, DBL_DIG).c_str(),
                     AfxFormatDouble(maxVal, DBL_DIG).c_str());
    AfxMessageBox(prompt, MB_ICONEXCLAMATION, AFX_IDP_PARSE_REAL_RANGE);
    pDX->Fail();
}
