#include "search/FindDlg.h"

#include "app/BytelonApp.h"
#include "framework/MDIFrameWnd.h"
#include "framework/MessageBox.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

CFindDlg::CFindDlg() : CDialog(IDD_FIND)
{
    // Closing the main window ends the program even while this one is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    // Kept above the main window, as a tool window of it.
    WindowCreated = Create(AfxGetMainWnd());
    if (!WindowCreated)
        AfxMessageBox(IDS_FINDDLG_CREATE_FAILED);
}

CFindDlg::~CFindDlg()
{
    // The main window takes this window with it when it goes first.
    if (CBytelonApp* pApp = BytelonApp()) {
        if (pApp->pFindDlg == this)
            pApp->pFindDlg = nullptr;
    }
}

void CFindDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Radio(pDX, IDC_FIND_UP, Direction);
    DDX_Radio(pDX, IDC_FIND_CASE_YES, CaseChoice);
}

bool CFindDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    Pair.AttachControls(IDC_FIND_ASCII, IDC_FIND_HEX, this);
    if (CBytelonApp* pApp = BytelonApp())
        Pair.HexBox.SetWindowText(pApp->SearchHexText);
    Pair.HexToAscii();
    Direction = 1;
    CaseChoice = 1;
    UpdateData(false);
    return true;
}

bool CFindDlg::OnCmdMsg(UINT id, CCmdUI* pCmdUI)
{
    return DispatchCommandMap<CFindDlg>(this, {{IDC_FIND_NEXT, &CFindDlg::OnFindNext, nullptr}}, id, pCmdUI)
           || CDialog::OnCmdMsg(id, pCmdUI);
}

void CFindDlg::OnFindNext()
{
    if (Pair.HexToAscii()) {
        AfxMessageBox(IDS_HEX_FORMAT_ERROR);
        Pair.HexBox.SetFocus();
        return;
    }
    CBytelonApp* pApp = BytelonApp();
    CBytelonView* pView = pApp ? pApp->pCurrentView : nullptr;
    if (!pView)
        return;
    UpdateData(true);
    if (Direction == 1)
        pView->FindNext(Pair.Bytes, Pair.Count, CaseChoice);
    else
        pView->FindPrevious(Pair.Bytes, Pair.Count, CaseChoice);
}

void CFindDlg::SaveSearchText()
{
    if (CBytelonApp* pApp = BytelonApp())
        pApp->SearchHexText = Pair.HexBox.GetWindowText().left(CHexAsciiPair::MaxHexChars);
}

void CFindDlg::OnCancel()
{
    SaveSearchText();
    DestroyWindow();
}

void CFindDlg::OnClose()
{
    SaveSearchText();
    CDialog::OnClose();
}

void CFindDlg::PostNcDestroy()
{
    if (CBytelonApp* pApp = BytelonApp()) {
        if (pApp->pFindDlg == this)
            pApp->pFindDlg = nullptr;
    }
    // Not at once: this runs inside the handler of one of the dialog's own buttons.
    deleteLater();
}
