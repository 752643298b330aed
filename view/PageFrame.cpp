#include "view/BytelonView.h"

#include "doc/BytelonDoc.h"
#include "framework/DC.h"

void CBytelonView::DrawPageFrame(CDC* pDC, int yTop, int lines, int xLeft, int rightX)
{
    const int frameTop = YDirection * yTop + 5;
    const int frameBottom = YDirection * (yTop + (lines + 1) * LineHeight) - 5;
    const int centreX = (rightX + xLeft) / 2;

    LOGFONT captionDescription;
    captionDescription.lfHeight = 16;
    captionDescription.lfWeight = FW_NORMAL;
    captionDescription.lfFaceName = QStringLiteral("Courier");
    CFont captionFont;
    captionFont.CreateFontIndirect(&captionDescription);
    {
        CFontSelection select(pDC, &captionFont);
        const QString path = GetDocument()->GetPathName();
        pDC->TextOut(centreX - pDC->GetTextExtent(path).width() / 2, frameTop + 25, path);
        const QString page = QString::asprintf("page %d", PageNumber);
        pDC->TextOut(centreX - pDC->GetTextExtent(page).width() / 2, frameBottom - 10, page);
    }

    pDC->MoveTo(xLeft, frameTop);
    pDC->LineTo(rightX, frameTop);
    pDC->LineTo(rightX, frameBottom);
    pDC->LineTo(xLeft, frameBottom);
    pDC->LineTo(xLeft, frameTop);

    pDC->MoveTo(HexRuleX, frameTop);
    pDC->LineTo(HexRuleX, frameBottom);
    pDC->MoveTo(TextRuleX, frameTop);
    pDC->LineTo(TextRuleX, frameBottom);
}
