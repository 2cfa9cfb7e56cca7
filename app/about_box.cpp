#include "app/about_box.h"

#include "res/resource.h"

CAboutBox::CAboutBox() : CDialog(IDD_ABOUTBOX, nullptr) {}

void CAboutBox::DoDataExchange(CDataExchange* pDX) { CDialog::DoDataExchange(pDX); }

BEGIN_MESSAGE_MAP(CAboutBox, CDialog)
END_MESSAGE_MAP()
