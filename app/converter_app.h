// The application object: shows the main dialog and ends the program when
// it closes.
#pragma once

#include "platform/afxwin.h"

class CConverterApp : public CWinApp {
  public:
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

extern CConverterApp theApp;
