#include "view/BytelonView.h"

#include "doc/BytelonDoc.h"
#include "doc/Insertion.h"
#include "framework/MessageBox.h"
#include "framework/WaitCursor.h"
#include "res/Resource.h"
#include "view/PreparedDC.h"

#include <algorithm>

// Replacing is deleting the selection, then inserting at its start; done as
// one insertion over the selected bytes it is all or nothing, and the tail
// is copied once each way.
bool CBytelonView::ReplaceSelectionWithString(const char* data, int count)
{
    EndReplaceAllPass();
    CWaitCursor wait;
    CPreparedDC dc(this);
    CBytelonDoc* pDocument = GetDocument();
    if (count < 0)
        return false;
    int p = 0;
    int replaced = 0;
    if (count == 0) {
        // Nothing to write: a selection is deleted, which moves the tail once.
        if (!CInsertion::ClearSelection(this, 0, dc))
            return false;
        p = CaretOffset();
    } else {
        CInsertion insertion(this);
        if (insertion.RefuseGrowth(count))
            return false;
        p = insertion.Offset();
        replaced = insertion.ReplacedLength();
        if (!insertion.SaveTail(IDS_REPLACE_TEMP_FAILED, IDS_REPLACE_COPY_1))
            return false;
        CFile& work = pDocument->WorkFile;
        if (!work.Open(pDocument->WorkFileName, CFile::modeReadWrite | CFile::shareExclusive)) {
            AfxMessageBox(IDS_REPLACE_OPEN_FAILED);
            return false;
        }
        if (work.Seek(p, CFile::begin) != p) {
            work.Close();
            AfxMessageBox(IDS_REPLACE_SEEK);
            return false;
        }
        try {
            work.Write(data, UINT(count));
        } catch (const CFileException& e) {
            work.Close();
            e.ReportError();
            insertion.Undo();
            return false;
        }
        work.Close();
        if (!insertion.PutTailBack(count, IDS_REPLACE_COPY_2))
            return false;
        insertion.Done(count);
    }
    ShowReplacement(p, replaced, count, dc);
    pDocument->SetModifiedFlag(true);
    pDocument->UpdateAllViews(this, 0, nullptr);
    return true;
}

void CBytelonView::ShowReplacement(int p, int replaced, int count, CDC* pDC)
{
    // The deletion of the replaced bytes places the window first, over the
    // shorter document: its last line may come up.
    if (replaced > 0 && count > 0)
        ScrollTo(std::min(p, TopOffset), -1, pDC, DocLength() - count);
    // A selection that began above the top line brings its start to the top.
    ScrollTo(std::min(p, TopOffset), -1, pDC);
    Invalidate(true);
    SetCaretToOffset(p + count, pDC);
    // New bytes ending below the window's last row leave the caret clamped
    // before their end, where the next typed byte would go in before them:
    // the window follows the caret instead.
    if (CaretOffset() != p + count) {
        ScrollTo(p + count, 1, pDC);
        SetCaretToOffset(p + count, pDC);
    }
}
