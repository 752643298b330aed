#include "view/BytelonView.h"

#include "framework/VirtualKeys.h"
#include "view/PreparedDC.h"

void CBytelonView::OnKeyDown(UINT vk)
{
    CPreparedDC dc(this);
    // A move that honours Shift ends or extends the selection around it.
    auto wrapped = [&](void (CBytelonView::*move)(CDC*)) {
        SyncSelectionWithShift(dc);
        (this->*move)(dc);
        ExtendSelection(dc);
    };
    switch (vk) {
    case VK_BACK: DeleteByteBeforeCaret(dc); break;
    case VK_TAB:
        CaretInText = CaretInText ? 0 : 1;
        PlaceCaret(dc);
        break;
    case VK_SHIFT: ShiftDown = 1; break;
    case VK_CONTROL: CtrlDown = 1; break;
    case VK_ESCAPE:
        SyncSelectionWithShift(dc);
        ExtendSelection(dc);
        break;
    case VK_PRIOR: wrapped(&CBytelonView::PageUp); break;
    case VK_NEXT: wrapped(&CBytelonView::PageDown); break;
    case VK_END: wrapped(CtrlDown ? &CBytelonView::ScrollToBottom : &CBytelonView::CaretLineEnd); break;
    case VK_HOME: wrapped(CtrlDown ? &CBytelonView::ScrollToTop : &CBytelonView::CaretLineStart); break;
    case VK_LEFT: wrapped(&CBytelonView::CaretLeft); break;
    case VK_UP: CaretUp(dc); break;
    case VK_RIGHT: wrapped(&CBytelonView::CaretRight); break;
    case VK_DOWN: CaretDown(dc); break;
    case VK_DELETE: DeleteByteAtCaret(dc); break;
    default: break;
    }
}

void CBytelonView::OnKeyUp(UINT vk)
{
    // Releasing Shift keeps the selection shown until the next move without it.
    if (vk == VK_SHIFT)
        ShiftDown = 0;
    else if (vk == VK_CONTROL)
        CtrlDown = 0;
}

void CBytelonView::CaretLineStart(CDC* pDC)
{
    CaretColumn = 0;
    PlaceCaret(pDC);
}

void CBytelonView::CaretLineEnd(CDC* pDC)
{
    CaretColumn = BytesPerLine;
    KeepCaretInData();
    PlaceCaret(pDC);
}

void CBytelonView::CaretRowUp(CDC* pDC)
{
    if (CaretRow > 0)
        --CaretRow;
    PlaceCaret(pDC);
}

void CBytelonView::CaretRowDown(CDC* pDC)
{
    if (CaretRow < LastDataRow())
        ++CaretRow;
    KeepCaretInData();
    PlaceCaret(pDC);
}

void CBytelonView::CaretLeft(CDC* pDC)
{
    if (CaretOffset() == 0)
        return;
    if (--CaretColumn < 0) {
        CaretColumn = BytesPerLine - 1;
        if (--CaretRow < 0) {
            CaretRow = 0;
            LineUp(pDC);
        }
    }
    PlaceCaret(pDC);
}

void CBytelonView::CaretRight(CDC* pDC)
{
    const long long next = (long long)CaretOffset() + 1;
    const int docLen = DocLength();
    const int n = CaretColumn + 1;
    auto wrap = [&] {
        CaretColumn = 0;
        if (++CaretRow > LastDataRow()) {
            CaretRow = LastDataRow();
            LineDown(pDC);
        }
    };
    if (next == docLen) {
        // Before the last byte the caret may take the end-of-line place behind it.
        if (n <= BytesPerLine)
            CaretColumn = n;
        else
            wrap();
    } else if (next < docLen) {
        if (n < BytesPerLine)
            CaretColumn = n;
        else
            wrap();
    }
    KeepCaretInData();
    PlaceCaret(pDC);
}

// With Shift, the selection's moving end first goes to edgeColumn of the
// current row, then the caret changes rows and takes its column back, so
// the inverted band stays whole across the move.
void CBytelonView::ShiftedRowMove(int edgeColumn, void (CBytelonView::*move)(CDC*), int saved, CDC* pDC)
{
    CaretColumn = edgeColumn;
    ExtendSelection(pDC);
    (this->*move)(pDC);
    CaretColumn = saved;
    KeepCaretInData();
    PlaceCaret(pDC);
}

void CBytelonView::CaretUp(CDC* pDC)
{
    const int saved = CaretColumn;
    SyncSelectionWithShift(pDC);
    if (CtrlDown && !ShiftDown && TopOffset != 0 && CaretRow != LastDataRow()) {
        LineUp(pDC);
        CaretRowDown(pDC);
    } else if (!CtrlDown && !ShiftDown && CaretRow != 0) {
        CaretRowUp(pDC);
    } else if (!CtrlDown && !ShiftDown && TopOffset != 0 && CaretRow == 0) {
        LineUp(pDC);
    } else if (CtrlDown && !ShiftDown && TopOffset != 0 && CaretRow == LastDataRow()) {
        LineUp(pDC);
    } else if (ShiftDown && CaretRow != 0) {
        ShiftedRowMove(0, &CBytelonView::CaretRowUp, saved, pDC);
    } else if (ShiftDown && TopOffset != 0 && CaretRow == 0) {
        ShiftedRowMove(0, &CBytelonView::LineUp, saved, pDC);
    }
    KeepCaretInData();
    ExtendSelection(pDC);
}

void CBytelonView::CaretDown(CDC* pDC)
{
    const int saved = CaretColumn;
    // The document's end is not on the screen yet.
    const bool more = (long long)BottomOffset + 1 != DocLength();
    SyncSelectionWithShift(pDC);
    if (CtrlDown && !ShiftDown && more && CaretRow != 0) {
        LineDown(pDC);
        CaretRowUp(pDC);
    } else if (!CtrlDown && !ShiftDown && CaretRow != LastDataRow()) {
        CaretRowDown(pDC);
    } else if (!CtrlDown && !ShiftDown && more && CaretRow == LastDataRow()) {
        LineDown(pDC);
    } else if (CtrlDown && !ShiftDown && more && CaretRow == 0) {
        LineDown(pDC);
    } else if (ShiftDown && CaretRow != LastDataRow()) {
        ShiftedRowMove(BytesPerLine, &CBytelonView::CaretRowDown, saved, pDC);
    } else if (ShiftDown && more && CaretRow == LastDataRow()) {
        ShiftedRowMove(0, &CBytelonView::LineDown, saved, pDC);
    }
    KeepCaretInData();
    ExtendSelection(pDC);
}
