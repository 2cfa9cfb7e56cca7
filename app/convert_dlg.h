// The main dialog: the output file name, the covariance scaler, the file
// in progress and the counts; Browse... for the output file, Convert Data
// to pick the SKI files and run the conversion with this dialog as host.
#pragma once

#include <cstdint>

#include "engine/conversion_run.h"
#include "platform/afxwin.h"

// A double shown with `nDecimals` decimals and its trailing zeros removed;
// the decimal point stays, so a whole number keeps its point ("1.").
CString FormatFixedDouble(double value, int nDecimals);

// Exchange of a double shown in that fixed form; reading it back is the
// framework's double exchange.
void DDX_FixedDouble(CDataExchange* pDX, int nIDC, double& value, int nDecimals);

class CConvertDlg : public CDialog, public delvaro::ConversionHost {
  public:
    explicit CConvertDlg(CWnd* pParent = nullptr);

    // What a conversion run reads and writes while it runs.
    CString& CurrentFile() override { return m_strCurrentFile; }
    int32_t& BaselinesProcessed() override { return m_nBaselines; }
    int32_t& FilesProcessed() override { return m_nFiles; }
    void BeginWaitCursor() override { CDialog::BeginWaitCursor(); }
    void RestoreWaitCursor() override { CDialog::RestoreWaitCursor(); }
    void EndWaitCursor() override { CDialog::EndWaitCursor(); }
    void Refresh() override { UpdateData(FALSE); }
    int ShowMessage(unsigned id, unsigned type, ...) override;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnBrowse();
    void OnConvertData();

    void BrowseForOutputFile();

    CString m_strOutputFile;
    CString m_strCurrentFile;
    double m_dCovScaler;
    int32_t m_nBaselines;
    int32_t m_nFiles;
    HICON m_hIcon;

    DECLARE_MESSAGE_MAP()
};
