#include "app/convert_dlg.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "app/about_box.h"
#include "app/centered_file_dialog.h"
#include "app/messages.h"
#include "common/text_utils.h"
#include "platform/number_text.h"
#include "res/resource.h"

namespace {

constexpr double kMinCovScaler = 0.00001;
constexpr double kMaxCovScaler = 99999;
constexpr int kCovScalerDecimals = 5;

// Room for the names of many SKI files chosen at once.
constexpr DWORD kFileBufferSize = 32000;

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
// The case of a chosen name does not matter to the file system here.
constexpr bool kLowerCaseChosenNames = true;
#else
constexpr char kPathSeparator = '/';
// Here it does: another case names another file.
constexpr bool kLowerCaseChosenNames = false;
#endif

// The folder both file choosers open in. On Windows it is the program's
// folder, given as each chooser has always had it: without the separator
// that ends it for Browse, with it for Convert Data. Elsewhere the program is
// installed among all the others (/usr/bin), where no SKI file lives, so the
// choosers open in the working folder: where the user started the program,
// or the home folder when it was started from the desktop's menu.
std::string ChooserStartFolder(bool endWithSeparator) {
#ifdef _WIN32
    std::string folder = delvaro::GetProgramDirectory();
    if (!endWithSeparator) {
        folder = delvaro::DirectoryFromPath(folder);
        delvaro::StripTrailingChar(folder, kPathSeparator);
    }
    return folder;
#else
    (void)endWithSeparator;
    std::error_code error;
    const std::filesystem::path working = std::filesystem::current_path(error);
    if (!error) return working.string();
    // The working folder can have been removed since the program started;
    // the home folder is the next best place to look for files.
    const char* home = std::getenv("HOME");
    return home != nullptr ? home : "";
#endif
}

}  // namespace

CString FormatFixedDouble(double value, int nDecimals) {
    // Wide enough for every double in fixed notation with the decimals asked.
    std::string text(340 + static_cast<size_t>(std::max(nDecimals, 0)), '\0');
    auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), value,
                                      std::chars_format::fixed, std::max(nDecimals, 0));
    if (error != std::errc()) return CString(AfxFormatDouble(value, DBL_DIG));
    text.resize(static_cast<size_t>(end - text.data()));
    // Only decimals lose their trailing zeros, never the digits of a whole number.
    if (text.find('.') != std::string::npos) delvaro::StripTrailingChar(text, '0');
    return CString(text);
}

void DDX_FixedDouble(CDataExchange* pDX, int nIDC, double& value, int nDecimals) {
    HWND control = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        DDX_Text(pDX, nIDC, value);
    else
        SetWindowText(control, FormatFixedDouble(value, nDecimals));
}

CConvertDlg::CConvertDlg(CWnd* pParent)
    : CDialog(IDD_CONVERT_DIALOG, pParent), m_dCovScaler(1.0), m_nBaselines(0), m_nFiles(0) {
    m_hIcon = AfxGetApp()->LoadIcon(IDI_MAIN_ICON);
}

// clang-format off
BEGIN_MESSAGE_MAP(CConvertDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
    ON_BN_CLICKED(IDC_CONVERT, OnConvertData)
END_MESSAGE_MAP()
// clang-format on

void CConvertDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_OUTPUT_FILE, m_strOutputFile);
    DDX_Text(pDX, IDC_CURRENT_FILE, m_strCurrentFile);
    DDX_Text(pDX, IDC_COV_SCALER, m_dCovScaler);
    DDX_Text(pDX, IDC_BASELINE_COUNT, m_nBaselines);
    DDX_Text(pDX, IDC_FILE_COUNT, m_nFiles);
    DDX_FixedDouble(pDX, IDC_COV_SCALER, m_dCovScaler, kCovScalerDecimals);
    DDV_MinMaxDouble(pDX, m_dCovScaler, kMinCovScaler, kMaxCovScaler);
}

BOOL CConvertDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    CMenu* pSysMenu = GetSystemMenu(FALSE);
    if (pSysMenu != nullptr) {
        CString strAboutMenu;
        strAboutMenu.LoadString(IDS_ABOUTBOX);
        if (!strAboutMenu.IsEmpty()) {
            pSysMenu->AppendMenu(MF_SEPARATOR);
            pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
        }
    }

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    return TRUE;
}

void CConvertDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutBox dlgAbout;
        dlgAbout.DoModal();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

// A minimized dialog shows its icon centred in the space it has.
void CConvertDlg::OnPaint() {
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
        const int cxIcon = GetSystemMetrics(SM_CXICON);
        const int cyIcon = GetSystemMetrics(SM_CYICON);
        CRect rect;
        GetClientRect(&rect);
        const int x = (rect.Width() - cxIcon + 1) / 2;
        const int y = (rect.Height() - cyIcon + 1) / 2;
        dc.DrawIcon(x, y, m_hIcon);
    } else {
        CDialog::OnPaint();
    }
}

HCURSOR CConvertDlg::OnQueryDragIcon() { return m_hIcon; }

int CConvertDlg::ShowMessage(unsigned id, unsigned type, ...) {
    va_list args;
    va_start(args, type);
    const int result = ShowMessageV(id, type, args);
    va_end(args);
    return result;
}

void CConvertDlg::OnBrowse() {
    if (!UpdateData(TRUE)) return;
    BrowseForOutputFile();
}

void CConvertDlg::BrowseForOutputFile() {
    const std::string initialDir = ChooserStartFolder(false);
    CString filter;
    filter.LoadString(IDS_OUTPUT_FILTER);
    CString title;
    title.LoadString(IDS_OUTPUT_TITLE);

    std::unique_ptr<CCenteredFileDialog> dialog;
    try {
        dialog = std::make_unique<CCenteredFileDialog>(TRUE, nullptr, nullptr, OFN_HIDEREADONLY,
                                                       filter, nullptr);
    } catch (const std::bad_alloc&) {
        ::ShowMessage(IDS_ERR_NO_MEMORY, MB_OK);
        return;
    }
    dialog->m_ofn.lpstrInitialDir = initialDir.c_str();
    dialog->m_ofn.lpstrTitle = title;

    if (dialog->DoModal() == IDOK) {
        m_strOutputFile = dialog->GetPathName();
        if (kLowerCaseChosenNames) m_strOutputFile.MakeLower();
        UpdateData(FALSE);
    } else if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) {
        ::ShowMessage(IDS_ERR_SELECTION_TOO_LONG, MB_OK);
    }
}

void CConvertDlg::OnConvertData() {
    if (!UpdateData(TRUE)) return;

    m_strOutputFile.TrimLeft();
    m_strOutputFile.TrimRight();
    if (m_strOutputFile.IsEmpty()) {
        ::ShowMessage(IDS_ERR_NO_OUTPUT_NAME, MB_OK);
        return;
    }

    std::unique_ptr<char[]> fileBuffer(new (std::nothrow) char[kFileBufferSize]);
    if (!fileBuffer) {
        ::ShowMessage(IDS_ERR_NO_MEMORY, MB_OK);
        return;
    }
    CString filter;
    filter.LoadString(IDS_INPUT_FILTER);
    const CString initialDir(ChooserStartFolder(true));
    CString title;
    std::unique_ptr<CCenteredFileDialog> dialog;
    try {
        dialog = std::make_unique<CCenteredFileDialog>(
            TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY, filter, nullptr);
        title.LoadString(IDS_INPUT_TITLE);
    } catch (const std::bad_alloc&) {
        ::ShowMessage(IDS_ERR_NO_MEMORY, MB_OK);
        return;
    }
    std::fill_n(fileBuffer.get(), kFileBufferSize, '\0');
    dialog->m_ofn.lpstrFile = fileBuffer.get();
    dialog->m_ofn.nMaxFile = kFileBufferSize;
    dialog->m_ofn.lpstrInitialDir = initialDir;
    dialog->m_ofn.lpstrTitle = title;

    if (dialog->DoModal() != IDOK) {
        // A choice too long for the buffer is not the user's cancel: say so.
        if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
            ::ShowMessage(IDS_ERR_SELECTION_TOO_LONG, MB_OK);
        return;
    }

    std::vector<std::string> paths;
    for (POSITION pos = dialog->GetStartPosition(); pos != nullptr;)
        paths.push_back(dialog->GetNextPathName(pos).str());
    delvaro::RunConversion(*this, m_strOutputFile, m_dCovScaler, paths);
}
