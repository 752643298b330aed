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
    CWaitCursor wait;
    CPreparedDC dc(this);
    CBytelonDoc* pDocument = GetDocument();
    if (count < 0)
        return false;
    int p = 0;
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
    // A selection that began above the top line brings its start to the top.
    ScrollTo(std::min(p, TopOffset), -1, dc);
    Invalidate(true);
    SetCaretToOffset(p + count, dc);
    pDocument->SetModifiedFlag(true);
    pDocument->UpdateAllViews(this, 0, nullptr);
    return true;
}
