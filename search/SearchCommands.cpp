#include "view/BytelonView.h"

#include "app/BytelonApp.h"
#include "framework/CmdTarget.h"
#include "framework/MessageBox.h"
#include "res/Resource.h"
#include "search/FindDlg.h"
#include "search/ReplaceDlg.h"

#include <new>

void CBytelonView::On_Search_Find()
{
    CBytelonApp* pApp = BytelonApp();
    // One Find dialog at a time; an open one is left where it is.
    if (!pApp || pApp->pFindDlg)
        return;
    auto* pDialog = new (std::nothrow) CFindDlg;
    if (!pDialog) {
        AfxMessageBox(IDS_FINDDLG_ALLOC_FAILED);
        return;
    }
    if (!pDialog->Created()) {
        delete pDialog;
        return;
    }
    pApp->pFindDlg = pDialog;
}

void CBytelonView::OnUpdate_Search_Find(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(DocLength() > 0);
}

void CBytelonView::On_Search_Replace()
{
    CBytelonApp* pApp = BytelonApp();
    // One Replace dialog at a time; an open one is left where it is.
    if (!pApp || pApp->pReplaceDlg)
        return;
    auto* pDialog = new (std::nothrow) CReplaceDlg;
    if (!pDialog) {
        AfxMessageBox(IDS_REPLACEDLG_ALLOC_FAILED);
        return;
    }
    if (!pDialog->Created()) {
        delete pDialog;
        return;
    }
    pApp->pReplaceDlg = pDialog;
}

void CBytelonView::OnUpdate_Search_Replace(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(DocLength() > 0);
}
