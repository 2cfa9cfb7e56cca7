#include "app/converter_app.h"

#include "app/convert_dlg.h"

// clang-format off
BEGIN_MESSAGE_MAP(CConverterApp, CWinApp)
    ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()
// clang-format on

CConverterApp theApp;

BOOL CConverterApp::InitInstance() {
    Enable3dControlsStatic();
    CConvertDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    // The dialog is gone; nothing may reach it through the main window.
    m_pMainWnd = nullptr;
    return FALSE;
}
