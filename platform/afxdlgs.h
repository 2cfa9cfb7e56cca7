// The common file dialog: CFileDialog with its OPENFILENAME block, as the
// framework offers it over the platform's file chooser.
#pragma once

#include <string>
#include <vector>

#include "platform/afxwin.h"

constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
constexpr DWORD OFN_ENABLEHOOK = 0x00000020;
constexpr DWORD OFN_EXPLORER = 0x00080000;
constexpr DWORD OFN_ENABLESIZING = 0x00800000;

// Extended error of the last file dialog: the chosen names did not fit
// the caller's buffer.
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;
DWORD CommDlgExtendedError();

struct OPENFILENAME {
    HWND hwndOwner = nullptr;
    LPCTSTR lpstrFilter = nullptr;  // pairs of NUL-terminated strings, ending in an empty one
    DWORD nFilterIndex = 0;         // 1-based; 0 for the first
    LPTSTR lpstrFile = nullptr;     // in: the initial name; out: the choice
    DWORD nMaxFile = 0;             // the size of lpstrFile, terminators included
    LPCTSTR lpstrInitialDir = nullptr;
    LPCTSTR lpstrTitle = nullptr;
    DWORD Flags = 0;
    LPCTSTR lpstrDefExt = nullptr;
};

class CCommonDialog : public CDialog {
  public:
    explicit CCommonDialog(CWnd* pParentWnd) : CDialog(0, pParentWnd) {}
};

class CFileDialog : public CCommonDialog {
  public:
    // bOpenFileDialog: TRUE for an Open dialog. lpszFilter: pairs of display
    // name and pattern separated by '|', ending in "||".
    explicit CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt = nullptr,
                         LPCTSTR lpszFileName = nullptr, DWORD dwFlags = OFN_HIDEREADONLY,
                         LPCTSTR lpszFilter = nullptr, CWnd* pParentWnd = nullptr);

    OPENFILENAME m_ofn;

    // IDOK when the user chose; IDCANCEL when not, and also when the
    // choice does not fit m_ofn.lpstrFile (CommDlgExtendedError then gives
    // FNERR_BUFFERTOOSMALL).
    int DoModal() override;

    CString GetPathName() const;
    // Walks a multiple selection: each call gives one full path.
    POSITION GetStartPosition() const;
    CString GetNextPathName(POSITION& pos) const;

    // Writes `chosen` into `buffer` as the file dialog returns a choice: a
    // single path; or, for a multiple selection of several files, their
    // folder and then each name, every string NUL-terminated and the list
    // ending in an empty one. False when it does not fit `size` bytes.
    static bool StoreSelection(const std::vector<std::string>& chosen, bool multiSelect,
                               char* buffer, DWORD size);

  protected:
    BOOL m_bOpenFileDialog;

  private:
    std::string m_strFilter;  // the filter with every '|' made a NUL
    char m_szFileName[260] = {};
};
