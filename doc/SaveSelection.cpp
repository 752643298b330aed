#include "view/BytelonView.h"

#include "doc/BytelonDoc.h"
#include "framework/MessageBox.h"
#include "framework/ReplacingFile.h"
#include "framework/WaitCursor.h"
#include "res/Resource.h"

#include <algorithm>

void CBytelonView::On_File_Save_Selection_As()
{
    EndReplaceAllPass();
    CBytelonDoc* pDocument = GetDocument();
    const int lo = std::min(SelAnchor, SelEnd);
    const int len = std::abs(SelEnd - SelAnchor);
    if (!SelActive || len == 0 || pDocument->DocLen <= 0) {
        AfxMessageBox(IDS_NOTHING_TO_SAVE);
        return;
    }
    QString pathName;
    if (!PromptForFileName(false, pathName))
        return;
    if (pDocument->IsOpenWorkFile(pathName)) {
        AfxMessageBox(IDS_FILE_OPEN_FAILED);
        AfxMessageBox(IDS_SAVE_SELECTION_COPY);
        return;
    }
    CWaitCursor wait;
    // A failure leaves the target as it was. The dialog has asked before replacing it.
    CReplacingFile target(pathName);
    target.OnFiles = [pDocument](const CReplacementFiles& files) { pDocument->OnSaveFiles(files); };
    if (!target.Create()
        || !CopyFileSegment(pDocument->WorkFile, pDocument->WorkFileName, lo, target.File, target.WritePath(), 0, len)
        || !target.Commit(len)) {
        target.Abandon();
        AfxMessageBox(IDS_SAVE_SELECTION_COPY);
    }
}

void CBytelonView::OnUpdate_File_Save_Selection_As(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(SelActive != 0);
}
