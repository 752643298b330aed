#include "view/BytelonView.h"

#include "app/BytelonApp.h"
#include "doc/BytelonDoc.h"
#include "framework/VirtualKeys.h"
#include "view/PreparedDC.h"

void CBytelonView::SyncSelectionWithShift(CDC* pDC)
{
    if (SelActive == ShiftDown)
        return;
    InvertRange(SelAnchor, SelEnd, pDC);
    // The end moves with the anchor: a paint during the coming move (a scroll)
    // draws from SelAnchor to SelEnd, and an old end would show stale bytes.
    SelAnchor = SelEnd = SelShownEnd = CaretOffset();
    SelActive = ShiftDown;
    AccessibleStateChanged();
}

void CBytelonView::ExtendSelection(CDC* pDC)
{
    if (!ShiftDown)
        return;
    UpdateSelEnd(nullptr, pDC);
    ShowSelEnd(pDC);
}

void CBytelonView::UpdateSelEnd(const QPoint* pPoint, CDC* pDC)
{
    if (pPoint)
        SetCaretFromPoint(*pPoint, pDC);
    SelEnd = CaretOffset();
}

void CBytelonView::ShowSelEnd(CDC* pDC)
{
    InvertRange(SelShownEnd, CaretOffset(), pDC);
    SelShownEnd = CaretOffset();
}

void CBytelonView::SelectAll()
{
    CPreparedDC dc(this);
    ScrollToBottom(dc);
    if (SelActive)
        InvertRange(SelAnchor, SelEnd, dc);
    SelAnchor = 0;
    SelEnd = SelShownEnd = DocLength();
    SelActive = 1;
    InvertRange(0, DocLength(), dc);
}

void CBytelonView::OnSetFocus()
{
    {
        CPreparedDC dc(this);
        CreateSolidCaret(2 * 1, CaretHeight);
        ShownCaretRow = -1;
        PlaceCaret(dc);
        ShowCaret();
    }
    if (CBytelonApp* pApp = BytelonApp()) {
        if (pApp->pCurrentView != this) {
            if (pApp->pCurrentView)
                pApp->pPreviousView = pApp->pCurrentView;
            pApp->pCurrentView = this;
        }
    }
    // Either key may have been released while another window had the focus.
    ShiftDown = AfxIsKeyDown(VK_SHIFT) ? 1 : 0;
    CtrlDown = AfxIsKeyDown(VK_CONTROL) ? 1 : 0;
}

void CBytelonView::OnKillFocus()
{
    HideCaret();
    DestroyCaret();
}
