// The view's side of the print loop: pages of framed lines in 0.01 inch,
// drawn by the same Draw as the screen.

#include "view/BytelonView.h"

#include "doc/BytelonDoc.h"
#include "framework/DC.h"
#include "framework/PrintInfo.h"

#include <algorithm>

namespace {
// The header line is half an inch below the top of the drawable area.
constexpr int PageHeaderY = 50;
}  // namespace

int CBytelonView::LinesPerPage(int pageHeight) const
{
    int lines = (pageHeight - 100) / std::max(1, LineHeight) - 1;
    lines = std::min(lines, 16384 / BytesPerLine);
    // A page too short for its margins still holds a line, so the page count stays finite.
    return std::max(1, lines);
}

bool CBytelonView::OnPreparePrinting(CPrintInfo* pInfo)
{
    if (DocLength() == 0)
        return false;
    return DoPreparePrinting(pInfo);
}

void CBytelonView::OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo)
{
    pDC->SetMapMode(MM_LOENGLISH);
    QPoint corners[2] = {QPoint(0, 0), QPoint(pDC->GetDeviceCaps(HORZRES), pDC->GetDeviceCaps(VERTRES))};
    pDC->DPtoLP(corners, 2);
    const int pageHeight = corners[0].y() - corners[1].y();
    {
        CFontSelection select(pDC, Font.get());
        TEXTMETRIC metrics;
        if (pDC->GetTextMetrics(&metrics) && metrics.tmHeight > 0)
            LineHeight = metrics.tmHeight;
    }
    const long long bytesPerPage = (long long)LinesPerPage(pageHeight) * BytesPerLine;
    pInfo->SetMaxPage(int((DocLength() - 1) / bytesPerPage + 1));
}

void CBytelonView::OnPrint(CDC* pDC, CPrintInfo* pInfo)
{
    PrintPage(pDC, pInfo);
    // The printer's metrics are in the view's fields now: the next screen paint restores them.
    Invalidate(true);
}

void CBytelonView::OnEndPrinting(CDC*, CPrintInfo*)
{
    // Each page is laid out on its own: nothing to release.
}

void CBytelonView::PrintPage(CDC* pDC, CPrintInfo* pInfo)
{
    CFontSelection select(pDC, Font.get());
    PageNumber = pInfo->CurPage;
    // y grows upward: the drawable rectangle's height is negative.
    const int pageHeight = -pInfo->DrawRect.height();
    const int pageWidth = pInfo->DrawRect.width();
    const int blockWidth = int(float(AddressWidth() + 4 * BytesPerLine + 10) * CharWidth);
    const int xLeft = std::max(0, (pageWidth - blockWidth) / 2);
    const int lines = LinesPerPage(pageHeight);
    const long long first = (long long)(PageNumber - 1) * lines * BytesPerLine;
    if (first >= DocLength())
        return;
    Draw(pDC, int(first), lines, PageHeaderY, xLeft);
}
