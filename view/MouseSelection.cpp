#include "view/BytelonView.h"

#include "app/BytelonApp.h"
#include "framework/CursorPos.h"
#include "framework/DC.h"
#include "framework/VirtualKeys.h"
#include "view/ColumnBox.h"
#include "view/PreparedDC.h"

#include <QTimerEvent>

#include <cstdlib>

namespace {
// How close to a rule, in logical units, the pointer grabs it.
constexpr int RuleReach = 4;
// Qt cannot poll the button inside a handler: the drag beyond an edge steps on a timer.
constexpr int AutoScrollInterval = 30;

void DestroyColumnBox(CBytelonApp* pApp)
{
    if (pApp && pApp->pColumnBox) {
        CColumnBox* pBox = pApp->pColumnBox;
        pApp->pColumnBox = nullptr;
        pBox->DestroyWindow();
    }
}
}  // namespace

int CBytelonView::DraggedBytesPerLine(int x) const
{
    // One column per three character widths, unchanged from -0.8 to 1.2 of them.
    return int(float(x - TextRuleX) / (3 * CharWidth) - 0.2F) + BytesPerLine;
}

int CBytelonView::DraggedAddressBase(int x) const
{
    return x > int(12.5F * CharWidth) ? 0 : 1;
}

void CBytelonView::OnLButtonDown(QPoint point)
{
    MouseDown = 1;
    SetCapture();
    CPreparedDC dc(this);
    QPoint logical = point;
    dc->DPtoLP(&logical);
    CBytelonApp* pApp = BytelonApp();
    if (RuleDrag != 0) {
        DestroyColumnBox(pApp);
        if (!pApp)
            return;
        const QRect window = GetWindowRect();
        pApp->ColumnBoxX = window.left() + point.x();
        pApp->ColumnBoxY = window.top() + point.y();
        auto* pBox = new CColumnBox;
        if (pBox->IsCreated()) {
            pApp->pColumnBox = pBox;
        } else {
            // The drag goes on without a box; the release still applies its value.
            delete pBox;
            pApp->pColumnBox = nullptr;
        }
        return;
    }
    if (!ShiftDown) {
        InvertRange(SelAnchor, SelEnd, dc);
        // Placing the caret repaints the status bar at once, and with it the
        // view's pending cells: they must not be drawn from the old selection.
        SelActive = 0;
        UpdateSelEnd(&logical, dc);
        PlaceCaret(dc);
        SelAnchor = SelShownEnd = SelEnd;
        SelActive = 1;
        return;
    }
    const int wasActive = SelActive;
    SelActive = 1;
    // A selection taken up again after it was ended is shown from its anchor.
    if (!wasActive)
        InvertRange(SelAnchor, SelShownEnd, dc);
    UpdateSelEnd(&logical, dc);
    ShowSelEnd(dc);
}

void CBytelonView::OnMouseMove(QPoint point)
{
    CBytelonApp* pApp = BytelonApp();
    if (!pApp)
        return;
    CPreparedDC dc(this);
    QPoint logical = point;
    dc->DPtoLP(&logical);

    if (!MouseDown) {
        pApp->hCurrentCursor = pApp->hIBeamCursor;
        RuleDrag = 0;
        if (std::abs(logical.x() - HexRuleX) <= RuleReach) {
            pApp->hCurrentCursor = pApp->hColumnCursor;
            RuleDrag = 1;
        }
        // The hex/text rule wins when both are within reach.
        if (std::abs(logical.x() - TextRuleX) <= RuleReach) {
            pApp->hCurrentCursor = pApp->hColumnCursor;
            RuleDrag = 2;
        }
        // Qt sends no separate set-cursor message after the move: show it now.
        OnSetCursor();
        return;
    }

    if (RuleDrag != 0) {
        if (!pApp->pColumnBox)
            return;
        if (RuleDrag == 1) {
            pApp->pColumnBox->SetLabelText(DraggedAddressBase(logical.x()) ? QStringLiteral("A16")
                                                                           : QStringLiteral("A10"));
        } else {
            int n = DraggedBytesPerLine(logical.x());
            if (n < 1)
                n = 1;
            if (n > 64)
                n = 64;
            pApp->pColumnBox->SetLabelText(QString::asprintf("%d", n));
        }
        return;
    }

    // Any move ends a running scroll; one beyond an edge starts it again.
    StopAutoScroll();
    QRect client = GetClientRect();
    dc->DPtoLP(&client);
    int direction = 0;
    if (logical.y() < 0)
        direction = -1;
    else if (logical.y() > client.top() + client.height())
        direction = 1;
    if (direction == 0 || (direction < 0 && TopOffset <= 0)
        || (direction > 0 && (long long)BottomOffset >= (long long)DocLength() - 1)) {
        UpdateSelEnd(&logical, dc);
        ShowSelEnd(dc);
        return;
    }
    AutoScrollDirection = direction;
    AutoScrollCursor = AfxGetCursorPos();
    AutoScrollTimerId = startTimer(AutoScrollInterval);
    AutoScrollStep();
}

void CBytelonView::AutoScrollStep()
{
    if (!MouseDown || RuleDrag != 0) {
        StopAutoScroll();
        return;
    }
    if (!AfxIsKeyDown(VK_LBUTTON)) {
        MouseDown = 0;
        StopAutoScroll();
        return;
    }
    if (AfxGetCursorPos() != AutoScrollCursor) {
        StopAutoScroll();
        return;
    }
    CPreparedDC dc(this);
    // Caret moves extend the selection while the drag scrolls.
    ShiftDown = 1;
    if (AutoScrollDirection < 0)
        CaretUp(dc);
    else
        CaretDown(dc);
    ShiftDown = AfxIsKeyDown(VK_SHIFT) ? 1 : 0;
}

void CBytelonView::StopAutoScroll()
{
    if (AutoScrollTimerId == 0)
        return;
    killTimer(AutoScrollTimerId);
    AutoScrollTimerId = 0;
    ShiftDown = AfxIsKeyDown(VK_SHIFT) ? 1 : 0;
}

void CBytelonView::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == AutoScrollTimerId && AutoScrollTimerId != 0) {
        AfxCallGuarded([this] { AutoScrollStep(); });
        return;
    }
    CView::timerEvent(event);
}

void CBytelonView::OnLButtonUp(QPoint point)
{
    CBytelonApp* pApp = BytelonApp();
    if (pApp)
        pApp->hCurrentCursor = pApp->hIBeamCursor;
    StopAutoScroll();
    if (RuleDrag != 0) {
        DestroyColumnBox(pApp);
        int x = 0;
        {
            CPreparedDC dc(this);
            QPoint logical = point;
            dc->DPtoLP(&logical);
            x = logical.x();
        }
        if (RuleDrag == 1) {
            RuleDrag = 0;
            SetAddressBase(DraggedAddressBase(x));
        } else {
            RuleDrag = 0;
            SetBytesPerLine(DraggedBytesPerLine(x));
        }
    }
    RuleDrag = 0;
    ReleaseCapture();
    MouseDown = 0;
    // A press without movement leaves no selection.
    if (SelAnchor == SelEnd)
        SelActive = 0;
}

bool CBytelonView::OnSetCursor()
{
    if (const CBytelonApp* pApp = BytelonApp())
        SetCursor(pApp->hCurrentCursor);
    return true;
}
