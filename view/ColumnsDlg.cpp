#include "view/ColumnsDlg.h"

#include "framework/MDIFrameWnd.h"
#include "framework/WinApp.h"
#include "res/Resource.h"

// Without a parent the main window owns the dialog, as the framework does.
CColumnsDlg::CColumnsDlg(QWidget* pParent) : CDialog(IDD_COLUMNS, pParent ? pParent : AfxGetMainWnd()) {}

CColumnsDlg::~CColumnsDlg() = default;

void CColumnsDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_COLUMNS, Columns);
    DDV_MinMaxInt(pDX, Columns, 1, 64);
}
