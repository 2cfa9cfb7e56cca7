// The About box: the program's icon, name and version, and a rights notice.
#pragma once

#include "platform/afxwin.h"

class CAboutBox : public CDialog {
  public:
    CAboutBox();

  protected:
    void DoDataExchange(CDataExchange* pDX) override;

    DECLARE_MESSAGE_MAP()
};
