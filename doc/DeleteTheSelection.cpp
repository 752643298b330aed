#include "view/BytelonView.h"

#include "doc/BytelonDoc.h"
#include "doc/Insertion.h"
#include "framework/MessageBox.h"
#include "framework/WaitCursor.h"
#include "res/Resource.h"

#include <algorithm>

// No longer than the selection, the bytes after it move down over it inside
// the work file, which is then shortened: one copy of them, and beforehand
// one of the deleted bytes the move overwrites, so that a failure leaves the
// document as it was. Longer, they go out to a tail file and back, as for an
// insertion of nothing: a move in place would overwrite bytes it has still
// to move, and a kill part-way would leave a document that is neither the
// one before the deletion nor the one after it.
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
    if (deletion.MovesInPlace()) {
        if (!deletion.SaveOverwritten() || !deletion.MoveTailDown())
            return false;
    } else if (!deletion.SaveTail(QStringLiteral("DeleteTheSelection() could not create temp file"),
                                  IDS_DELETE_COPY_FAILED)
               || !deletion.PutTailBack(0, IDS_DELETE_COPY_FAILED)) {
        return false;
    }
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
