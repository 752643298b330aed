#include "view/BytelonView.h"

#include "doc/BytelonDoc.h"
#include "doc/Insertion.h"
#include "framework/MessageBox.h"
#include "framework/WaitCursor.h"
#include "res/Resource.h"
#include "view/PreparedDC.h"

// Replacing is deleting the selection, then inserting at its start.
bool CBytelonView::ReplaceSelectionWithString(const char* data, int count)
{
    CWaitCursor wait;
    CPreparedDC dc(this);
    CBytelonDoc* pDocument = GetDocument();
    if (count < 0)
        return false;
    if (!CInsertion::ClearSelection(this, count, dc))
        return false;
    const int p = CaretOffset();
    if (count > 0) {
        CInsertion insertion(this, p);
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
        pDocument->DocLen += count;
    }
    ScrollTo(TopOffset, -1, dc);
    Invalidate(true);
    SetCaretToOffset(p + count, dc);
    pDocument->SetModifiedFlag(true);
    pDocument->UpdateAllViews(this, 0, nullptr);
    return true;
}
