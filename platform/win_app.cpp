#include <cstdio>
#include <string>

#include "platform/afxwin.h"
#include "res/resources.h"

namespace {

CWinApp* g_app = nullptr;

// The file name without its folder and extension.
std::string BaseName(const std::string& path) {
    std::string name = path.substr(path.find_last_of("/\\") + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

}  // namespace

CWinApp::CWinApp(LPCTSTR lpszAppName) {
    if (lpszAppName != nullptr) m_strAppName = lpszAppName;
    m_pszAppName = m_strAppName;
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return FALSE; }

int CWinApp::ExitInstance() { return 0; }

HICON CWinApp::LoadIcon(UINT nIDResource) const { return delvaro::FindIconResource(nIDResource); }

// Three-dimensional controls are how every control is drawn here.
BOOL CWinApp::Enable3dControlsStatic() { return TRUE; }

void CWinApp::DoWaitCursor(int nCode) {
    if (nCode > 0) {
        ++m_nWaitCursorCount;
    } else if (nCode < 0 && m_nWaitCursorCount > 0) {
        --m_nWaitCursorCount;
    }
    afx_backend::SetWaitCursor(m_nWaitCursorCount > 0);
}

int CWinApp::DoMessageBox(LPCTSTR lpszPrompt, UINT nType, UINT) {
    if ((nType & MB_ICONMASK) == 0) {
        switch (nType & MB_TYPEMASK) {
            case MB_OK:
            case MB_OKCANCEL:
            case MB_YESNO:
            case MB_YESNOCANCEL:
                nType |= MB_ICONEXCLAMATION;
                break;
        }
    }
    HWND owner = m_pMainWnd != nullptr ? m_pMainWnd->m_hWnd : nullptr;
    // The box waits for the user, so it shows the ordinary pointer; the
    // wait count stays as it is and the busy cursor returns afterwards.
    const bool busy = m_nWaitCursorCount > 0;
    if (busy) afx_backend::SetWaitCursor(false);
    const int result = afx_backend::MessageBox(owner, lpszPrompt, m_pszAppName, nType);
    if (busy) afx_backend::SetWaitCursor(true);
    return result;
}

void CWinApp::OnHelp() { WinHelp(0); }

void CWinApp::WinHelp(UINT) {
    CString text;
    if (!text.LoadString(AFX_IDS_HELP_TEXT)) return;
    CString caption = m_pszAppName;
    caption += " Help";
    afx_backend::ShowHelp(m_pMainWnd != nullptr ? m_pMainWnd->m_hWnd : nullptr, caption, text);
}

CWinApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() { return g_app != nullptr ? g_app->m_pMainWnd : nullptr; }

BOOL AfxWinInit(int& argc, char** argv) {
    if (!afx_backend::Initialize(argc, argv)) return FALSE;
    afx_backend::SetApplicationIcon(delvaro::ProgramIcon());
    if (g_app != nullptr && g_app->m_strAppName.IsEmpty()) {
        g_app->m_strAppName = CString(BaseName(afx_backend::ModuleFileName()));
        g_app->m_pszAppName = g_app->m_strAppName;
    }
    return TRUE;
}

void AfxWinTerm() { afx_backend::Shutdown(); }

int AfxWinMain(int argc, char** argv) {
    if (!AfxWinInit(argc, argv)) {
        std::fprintf(stderr, "%s: cannot open a window: no display available\n",
                     argc > 0 ? BaseName(argv[0]).c_str() : "program");
        return 1;
    }
    int exitCode = 1;
    if (CWinApp* app = AfxGetApp()) {
        app->InitInstance();
        exitCode = app->ExitInstance();
    }
    AfxWinTerm();
    return exitCode;
}

int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT nIDHelp) {
    if (g_app == nullptr) return afx_backend::MessageBox(nullptr, lpszText, "", nType);
    return g_app->DoMessageBox(lpszText, nType, nIDHelp);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
    CString text;
    text.LoadString(nIDPrompt);
    return AfxMessageBox(text, nType, nIDHelp == static_cast<UINT>(-1) ? nIDPrompt : nIDHelp);
}

void AfxFormatString2(CString& rString, UINT nIDS, LPCTSTR lpsz1, LPCTSTR lpsz2) {
    CString format;
    format.LoadString(nIDS);
    std::string result;
    const std::string& text = format.str();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '1' || text[i + 1] == '2')) {
            result += text[i + 1] == '1' ? lpsz1 : lpsz2;
            ++i;
        } else {
            result += text[i];
        }
    }
    rString = CString(result);
}
