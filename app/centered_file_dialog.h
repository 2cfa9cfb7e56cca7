// The program's file chooser: the common file dialog, placed at the centre
// of its owner window, or of the screen when it has none.
#pragma once

#include "platform/afxdlgs.h"

// The top-left corner that centres a window of `width` x `height` on
// `reference`, kept 2 pixels inside a screen of `screenWidth` x
// `screenHeight` where it would cross the screen's edge.
POINT CenteredPosition(const RECT& reference, int width, int height, int screenWidth,
                       int screenHeight);

class CCenteredFileDialog : public CFileDialog {
  public:
    CCenteredFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName,
                        DWORD dwFlags, LPCTSTR lpszFilter, CWnd* pParentWnd);

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    // The window to centre on; null for the screen. Not owned.
    CWnd* m_pOwnerWnd;

    DECLARE_MESSAGE_MAP()
};
