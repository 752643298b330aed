#include "search/ReplaceDlg.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "framework/MDIFrameWnd.h"
#include "framework/MessageBox.h"
#include "res/Resource.h"
#include "view/BytelonView.h"
#include "view/PreparedDC.h"

CReplaceDlg::CReplaceDlg() : CDialog(IDD_REPLACE)
{
    // Closing the main window ends the program even while this one is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    // Kept above the main window, as a tool window of it.
    WindowCreated = Create(AfxGetMainWnd());
    if (!WindowCreated)
        AfxMessageBox(IDS_REPLACEDLG_CREATE_FAILED);
}

CReplaceDlg::~CReplaceDlg()
{
    // The main window takes this window with it when it goes first.
    if (CBytelonApp* pApp = BytelonApp()) {
        if (pApp->pReplaceDlg == this)
            pApp->pReplaceDlg = nullptr;
    }
}

void CReplaceDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Radio(pDX, IDC_REPLACE_CASE_YES, CaseChoice);
}

bool CReplaceDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CBytelonApp* pApp = BytelonApp();
    FindPair.AttachControls(IDC_REPLACE_FIND_ASCII, IDC_REPLACE_FIND_HEX, this);
    if (pApp)
        FindPair.HexBox.SetWindowText(pApp->SearchHexText);
    FindPair.HexToAscii();
    ReplacePair.AttachControls(IDC_REPLACE_WITH_ASCII, IDC_REPLACE_WITH_HEX, this);
    if (pApp)
        ReplacePair.HexBox.SetWindowText(pApp->ReplaceHexText);
    ReplacePair.HexToAscii();
    CaseChoice = 1;
    UpdateData(false);
    return true;
}

bool CReplaceDlg::OnCmdMsg(UINT id, CCmdUI* pCmdUI)
{
    return DispatchCommandMap<CReplaceDlg>(this,
                                           {
                                               {IDC_REPLACE_FIND_NEXT, &CReplaceDlg::OnFindNext, nullptr},
                                               {IDC_REPLACE, &CReplaceDlg::OnReplace, nullptr},
                                               {IDC_REPLACE_ALL, &CReplaceDlg::OnReplaceAll, nullptr},
                                           },
                                           id, pCmdUI)
           || CDialog::OnCmdMsg(id, pCmdUI);
}

bool CReplaceDlg::ValidateEntries()
{
    if (FindPair.HexToAscii()) {
        AfxMessageBox(IDS_HEX_FORMAT_ERROR);
        FindPair.HexBox.SetFocus();
        return false;
    }
    if (ReplacePair.HexToAscii()) {
        AfxMessageBox(IDS_HEX_FORMAT_ERROR);
        ReplacePair.HexBox.SetFocus();
        return false;
    }
    return true;
}

void CReplaceDlg::OnFindNext()
{
    BytelonApp()->EndReplaceAllPass();
    if (!ValidateEntries())
        return;
    CBytelonView* pView = BytelonApp()->pCurrentView;
    if (!pView)
        return;
    UpdateData(true);
    pView->FindNext(FindPair.Bytes, FindPair.Count, CaseChoice);
}

void CReplaceDlg::OnReplace()
{
    BytelonApp()->EndReplaceAllPass();
    if (!ValidateEntries())
        return;
    CBytelonView* pView = BytelonApp()->pCurrentView;
    if (!pView)
        return;
    // A replacement that failed has been reported; searching on would select
    // an occurrence the user did not ask about.
    if (!pView->ReplaceSelectionWithString(ReplacePair.Bytes, ReplacePair.Count))
        return;
    UpdateData(true);
    pView->FindNext(FindPair.Bytes, FindPair.Count, CaseChoice);
}

void CReplaceDlg::OnReplaceAll()
{
    BytelonApp()->EndReplaceAllPass();
    if (!ValidateEntries())
        return;
    CBytelonApp* pApp = BytelonApp();
    CBytelonView* pView = pApp->pCurrentView;
    if (!pView || FindPair.Count < 1)
        return;
    UpdateData(true);
    {
        CPreparedDC dc(pView);
        pView->CaretHome(dc);
        pView->ScrollTo(0, -1, dc);
    }
    pApp->ReplaceAllActive = TRUE;
    pApp->ReplaceCount = 0;
    SetMainStatusText(0, QStringLiteral("Replaced 0"));
    // The steps run from the application's idle processing.
    pApp->WakeIdle();
}

void CReplaceDlg::SaveEntryTexts()
{
    if (CBytelonApp* pApp = BytelonApp()) {
        pApp->SearchHexText = FindPair.HexBox.GetWindowText().left(CHexAsciiPair::MaxHexChars);
        pApp->ReplaceHexText = ReplacePair.HexBox.GetWindowText().left(CHexAsciiPair::MaxHexChars);
    }
}

void CReplaceDlg::OnCancel()
{
    SaveEntryTexts();
    DestroyWindow();
}

void CReplaceDlg::OnClose()
{
    SaveEntryTexts();
    CDialog::OnClose();
}

void CReplaceDlg::PostNcDestroy()
{
    if (CBytelonApp* pApp = BytelonApp()) {
        // The steps found so far stay done; no more follow.
        pApp->EndReplaceAllPass();
        if (pApp->pReplaceDlg == this)
            pApp->pReplaceDlg = nullptr;
        pApp->ReplaceAllActive = FALSE;
        pApp->ReplaceCount = 0;
    }
    SetMainStatusText(0, QStringLiteral(" "));
    // Not at once: this runs inside the handler of one of the dialog's own buttons.
    deleteLater();
}
