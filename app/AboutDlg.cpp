#include "app/AboutDlg.h"

#include "framework/WinApp.h"
#include "framework/MDIFrameWnd.h"
#include "res/Resource.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX, AfxGetMainWnd()) {}

bool CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    Logo.AutoLoad(IDC_LOGO, this);
    return true;
}
