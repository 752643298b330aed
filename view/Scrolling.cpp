#include "view/BytelonView.h"

#include "doc/BytelonDoc.h"
#include "framework/DC.h"
#include "view/PreparedDC.h"

#include <algorithm>
#include <climits>

namespace {
// Offsets near 2 GB must not overflow when a screen is added to them.
int ClampedSum(long long a, long long b)
{
    return int(std::clamp<long long>(a + b, INT_MIN, INT_MAX));
}
}  // namespace

void CBytelonView::UpdateScrollBar()
{
    UpdateScrollBar(DocLength());
}

void CBytelonView::UpdateScrollBar(int docLen)
{
    if (BytesPerScreen() < docLen) {
        ScrollBarOn = 1;
        SetScrollRange(0, 10000, false);
        const double scrollable = double(docLen) - BytesPerScreen();
        SetScrollPage(int(std::min(10000.0, 10000.0 * BytesPerScreen() / scrollable)));
        // TopOffset may still be the one before an edit shortened the
        // document: the position is set again once it is known.
        SetScrollPos(int(std::clamp(double(TopOffset) / scrollable * 10000.0, 0.0, 10000.0)), true);
    } else {
        ScrollBarOn = 0;
        SetScrollRange(0, 0, true);
    }
}

void CBytelonView::ScrollTo(int offset, int mode, CDC* pDC)
{
    ScrollTo(offset, mode, pDC, DocLength());
}

void CBytelonView::ScrollTo(int offset, int mode, CDC* pDC, int docLen)
{
    const int oldTop = TopOffset;
    const int lastOffset = docLen > 0 ? docLen - 1 : 0;
    UpdateScrollBar(docLen);

    // The last line is shown on the last row, unless the document is shorter than a screen.
    auto endClamp = [&] {
        if ((long long)TopOffset + BytesPerScreen() > docLen)
            TopOffset = int((long long)BytesPerLine * (lastOffset / BytesPerLine + 1) - BytesPerScreen());
        if (TopOffset < 0)
            TopOffset = 0;
    };
    auto bottomFromTop = [&] {
        BottomOffset = ClampedSum(TopOffset, BytesPerScreen() - 1);
        if (BottomOffset >= docLen)
            BottomOffset = lastOffset;
    };
    if (mode < 0) {
        TopOffset = offset > 0 ? BytesPerLine * (offset / BytesPerLine) : 0;
        endClamp();
        bottomFromTop();
    } else if (mode == 0) {
        TopOffset = BytesPerLine * (offset / BytesPerLine - LinesPerScreen / 2);
        if (TopOffset < 0)
            TopOffset = 0;
        endClamp();
        bottomFromTop();
    } else {
        BottomOffset = offset < 0 ? 0 : offset;
        if (BottomOffset >= docLen)
            BottomOffset = lastOffset;
        TopOffset = int((long long)BytesPerLine * (BottomOffset / BytesPerLine + 1) - BytesPerScreen());
        if (TopOffset < 0)
            TopOffset = 0;
    }
    if (ScrollBarOn)
        SetScrollPos(int(double(TopOffset) / (double(docLen) - BytesPerScreen()) * 10000.0), true);

    if (TopOffset == oldTop + BytesPerLine || TopOffset == oldTop - BytesPerLine) {
        // One line: the data band's pixels move and only the uncovered line is drawn.
        QRect client = GetClientRect();
        pDC->DPtoLP(&client);
        QRect band(client.left(), client.top() + LineHeight * YDirection + 5, client.width(),
                   LinesPerScreen * LineHeight * YDirection);
        pDC->LPtoDP(&band);
        QPoint step[2] = {QPoint(0, 0), QPoint(0, LineHeight)};
        pDC->LPtoDP(step, 2);
        const int dy = step[1].y() - step[0].y();
        ScrollWindow(0, TopOffset > oldTop ? -dy : dy, band);
    } else if (TopOffset != oldTop) {
        Invalidate(true);
    }
    KeepCaretInData(docLen);
    AccessibleLinesChanged();
}

void CBytelonView::LineUp(CDC* pDC)
{
    ScrollTo(TopOffset - BytesPerLine, -1, pDC);
    UpdateWindow();
}

void CBytelonView::LineDown(CDC* pDC)
{
    ScrollTo(ClampedSum(TopOffset, BytesPerLine), -1, pDC);
    UpdateWindow();
}

void CBytelonView::PageUp(CDC* pDC)
{
    ScrollTo(TopOffset - BytesPerScreen(), -1, pDC);
}

void CBytelonView::PageDown(CDC* pDC)
{
    ScrollTo(ClampedSum(TopOffset, BytesPerScreen()), -1, pDC);
}

void CBytelonView::ScrollToTop(CDC* pDC)
{
    ScrollTo(0, -1, pDC);
    CaretHome(pDC);
}

void CBytelonView::ScrollToBottom(CDC* pDC)
{
    const int docLen = DocLength();
    ScrollTo(docLen > 0 ? docLen - 1 : 0, 1, pDC);
    CaretToLastLineEnd(pDC);
}

void CBytelonView::OnVScroll(UINT code, UINT position)
{
    CPreparedDC dc(this);
    switch (code) {
    case SB_LINEUP: LineUp(dc); break;
    case SB_LINEDOWN: LineDown(dc); break;
    case SB_PAGEUP: PageUp(dc); break;
    case SB_PAGEDOWN: PageDown(dc); break;
    case SB_THUMBPOSITION:
        if (position == 10000)
            ScrollTo(DocLength() - 1, 1, dc);
        else
            ScrollTo(int(float(position) * 0.0001F * float(DocLength() - BytesPerScreen())), -1, dc);
        break;
    case SB_TOP: ScrollToTop(dc); break;
    case SB_BOTTOM: ScrollToBottom(dc); break;
    default:
        // Dragging the thumb moves nothing until it is released.
        break;
    }
}

void CBytelonView::OnSize(UINT, int cx, int cy)
{
    CPreparedDC dc(this);
    QPoint corners[2] = {QPoint(0, 0), QPoint(cx, cy)};
    dc->DPtoLP(corners, 2);
    int lines = (corners[1].y() - corners[0].y() - 6) * YDirection / LineHeight - 1;
    if (16384 / BytesPerLine < lines)
        lines = 16384 / BytesPerLine;
    LinesPerScreen = lines < 1 ? 1 : lines;
    SelActive = 0;
    ScrollTo(TopOffset, -1, dc);
}
