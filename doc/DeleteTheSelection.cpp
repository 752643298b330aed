#include "view/BytelonView.h"

#include "doc/BytelonDoc.h"
#include "doc/Insertion.h"
#include "framework/MessageBox.h"
#include "framework/WaitCursor.h"
#include "res/Resource.h"

#include <algorithm>

// The bytes after the selection move down over it inside the work file,
// which is then shortened: one copy of the tail, whatever the document's
// size, and beforehand one of the deleted bytes the move overwrites, so that
// a failure leaves the document as it was.
bool CBytelonView::DeleteTheSelection(CDC* pDC)
{
    EndReplaceAllPass();
    CBytelonDoc* pDocument = GetDocument();
    const int lo = std::min(SelAnchor, SelEnd);
    const int hi = std::max(SelAnchor, SelEnd);
    const int len = hi - lo;
    if (!SelActive || len == 0 || pDocument->DocLen <= 0) {
        AfxMessageBox(IDS_NOTHING_TO_DELETE);
        return false;
    }
    CWaitCursor wait;
    // Nothing in place of the selection.
    CInsertion deletion(this);
    if (!deletion.SaveOverwritten() || !deletion.MoveTailDown())
        return false;
    if (pDocument->DocLen - len < 0) {
        AfxMessageBox(IDS_DELETE_DOCLEN_NEGATIVE);
        return false;
    }
    deletion.Done(0);
    ScrollTo(std::min(lo, TopOffset), -1, pDC);
    Invalidate(true);
    SetCaretToOffset(lo, pDC);
    pDocument->SetModifiedFlag(true);
    pDocument->UpdateAllViews(this, 0, nullptr);
    return true;
}

// Nothing is inverted for the one-byte selection: it is deleted at once.
void CBytelonView::DeleteByteBeforeCaret(CDC* pDC)
{
    EndReplaceAllPass();
    if (!SelActive && CaretOffset() > 0) {
        SelActive = 1;
        SelEnd = SelShownEnd = CaretOffset();
        SelAnchor = SelEnd - 1;
    }
    DeleteTheSelection(pDC);
}

void CBytelonView::DeleteByteAtCaret(CDC* pDC)
{
    EndReplaceAllPass();
    if (!SelActive && CaretOffset() < DocLength()) {
        SelActive = 1;
        SelAnchor = CaretOffset();
        SelEnd = SelShownEnd = SelAnchor + 1;
    }
    DeleteTheSelection(pDC);
}
