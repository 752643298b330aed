#include "view/BytelonView.h"

#include "framework/DC.h"

void CBytelonView::SetCaretFromPoint(QPoint point, CDC* pDC)
{
    // The header line counts as row 0.
    CaretRow = (point.y() - 5) * YDirection / LineHeight - 1;
    if (CaretRow < 0)
        CaretRow = 0;
    if (CaretRow > LastDataRow())
        CaretRow = LastDataRow();
    const float x = float(point.x());
    if (point.x() < TextPaneX()) {
        CaretInText = 0;
        CaretColumn = int((x - float(HexColumnX()) + 1.5F * CharWidth) / (3 * CharWidth));
    } else {
        CaretInText = 1;
        CaretColumn = int((x - float(TextColumnX()) + 0.5F * CharWidth) / CharWidth);
    }
    if (DocLength() <= 0)
        CaretHome(pDC);
    if (CaretColumn > BytesPerLine)
        CaretColumn = BytesPerLine;
    if (CaretColumn < 0)
        CaretColumn = 0;
    KeepCaretInData();
    PlaceCaret(pDC);
}
