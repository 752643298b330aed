#include "view/BytelonView.h"

#include "doc/BytelonDoc.h"
#include "doc/Insertion.h"
#include "framework/MessageBox.h"
#include "framework/WaitCursor.h"
#include "res/Resource.h"
#include "view/PreparedDC.h"

#include <algorithm>

// The file's bytes go in at the caret, in place of the selection, all or
// nothing. Nothing changes until a file has been chosen.
void CBytelonView::On_File_Insert_From_File()
{
    EndReplaceAllPass();
    QString pathName;
    if (!PromptForFileName(true, pathName))
        return;
    CFileException error;
    if (!CFile::CheckRegular(pathName, &error)) {
        error.ReportError();
        return;
    }
    CFileStatus status;
    if (!CFile::GetStatus(pathName, status)) {
        AfxMessageBox(IDS_INSERT_FILE_STATUS);
        return;
    }
    CBytelonDoc* pDocument = GetDocument();
    CPreparedDC dc(this);
    if (status.Size == 0) {
        // An empty file only takes the selection's place.
        (void)CInsertion::ClearSelection(this, 0, dc);
        return;
    }
    CInsertion insertion(this);
    if (insertion.RefuseGrowth(status.Size))
        return;
    const int size = int(status.Size);

    CWaitCursor wait;
    const int at = insertion.Offset();
    if (!insertion.SaveTail(IDS_INSERT_FILE_TEMP_FAILED, IDS_INSERT_FILE_COPY_1))
        return;
    CFile source;
    if (!CopyFileSegment(source, pathName, 0, pDocument->WorkFile, pDocument->WorkFileName, at, size)) {
        AfxMessageBox(IDS_INSERT_FILE_COPY_2);
        if (SegmentWriteStarted)
            insertion.Undo();
        return;
    }
    if (!insertion.PutTailBack(size, IDS_INSERT_FILE_COPY_3))
        return;
    insertion.Done(size);
    ScrollTo(std::min(at, TopOffset), -1, dc);
    Invalidate(true);
    // The caret stands on the first inserted byte.
    SetCaretToOffset(at, dc);
    pDocument->SetModifiedFlag(true);
    pDocument->UpdateAllViews(this, 0, nullptr);
}
