#include "view/BytelonView.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "framework/DC.h"
#include "framework/WinApp.h"

#include <QApplication>

#include <algorithm>

namespace {
constexpr int SystemBorderWidth = 1;
}

int CBytelonView::LastDataRow() const
{
    return LastDataRow(DocLength());
}

int CBytelonView::LastDataRow(int docLen) const
{
    if (docLen <= 0)
        return 0;
    const int r = (docLen - 1) / BytesPerLine - TopOffset / BytesPerLine;
    return r < LinesPerScreen ? r : LinesPerScreen - 1;
}

int CBytelonView::LastByteColumn() const
{
    return LastByteColumn(DocLength());
}

int CBytelonView::LastByteColumn(int docLen) const
{
    return docLen <= 0 ? 0 : (docLen - 1) % BytesPerLine;
}

void CBytelonView::KeepCaretInData()
{
    KeepCaretInData(DocLength());
}

void CBytelonView::KeepCaretInData(int docLen)
{
    const int last = LastDataRow(docLen);
    // Near the largest offset the end of the last line lies past it: 64-bit sums.
    if (CaretPosition() > (long long)BottomOffset + 1) {
        CaretRow = last;
        CaretColumn = BytesPerLine;
    }
    if (CaretRow > last) {
        CaretRow = last;
        CaretColumn = BytesPerLine;
    }
    if (CaretPosition() > (long long)BottomOffset + 1)
        CaretColumn = LastByteColumn(docLen) + 1;
    if (docLen == 0)
        CaretColumn = 0;
}

void CBytelonView::SetCaretToOffset(int offset, CDC* pDC)
{
    SetCaretToOffset(offset, pDC, DocLength());
}

void CBytelonView::SetCaretToOffset(int offset, CDC* pDC, int docLen)
{
    if (offset < TopOffset)
        offset = TopOffset;
    if ((long long)offset > (long long)BottomOffset + 1)
        offset = BottomOffset + 1;
    CaretRow = (offset - TopOffset) / BytesPerLine;
    CaretColumn = (offset - TopOffset) % BytesPerLine;
    KeepCaretInData(docLen);
    PlaceCaret(pDC);
}

void CBytelonView::CaretHome(CDC* pDC)
{
    CaretRow = 0;
    CaretColumn = 0;
    PlaceCaret(pDC);
}

void CBytelonView::CaretToLastLineEnd(CDC* pDC)
{
    CaretRow = LastDataRow();
    CaretColumn = BytesPerLine;
    KeepCaretInData();
    PlaceCaret(pDC);
}

void CBytelonView::PlaceCaret(CDC* pDC)
{
    // A reader follows the caret of every window, focused or not.
    AccessibleStateChanged();
    // Only the focused view owns the caret.
    if (QApplication::focusWidget() != this)
        return;
    if (CaretRow == ShownCaretRow && CaretColumn == ShownCaretColumn && CaretInText == ShownCaretInText
        && HexAddress == ShownHexAddress)
        return;
    ShownCaretRow = CaretRow;
    ShownCaretColumn = CaretColumn;
    ShownCaretInText = CaretInText;
    ShownHexAddress = HexAddress;
    const int y = (CaretRow + 1) * LineHeight * YDirection + 5;
    int x = CaretInText ? int(float(TextColumnX()) + float(CaretColumn) * CharWidth)
                        : int(float(HexColumnX()) + (float(3 * CaretColumn) - 0.5F) * CharWidth);
    x -= SystemBorderWidth;
    QPoint position(x, y);
    pDC->LPtoDP(&position);
    SetCaretPos(position);
    ShowCaretAddress();
}

void CBytelonView::ShowCaretAddress()
{
    if (!AfxGetMainWnd() || !OwnsCaretAddress())
        return;
    SetMainStatusText(1, CaretAddressText());
}

QString CBytelonView::CaretAddressText() const
{
    const unsigned long offset = (unsigned long)CaretOffset();
    return HexAddress ? QString::asprintf("%08lX ", offset) : QString::asprintf("%010lu ", offset);
}

bool CBytelonView::OwnsCaretAddress() const
{
    // Another window on the same document paints too: the pane keeps the
    // caret of the view the user works in, which is the focused one, or the
    // current one while a dialog holds the focus.
    const QWidget* pFocus = QApplication::focusWidget();
    if (pFocus == this)
        return true;
    if (qobject_cast<const CBytelonView*>(pFocus))
        return false;
    const CBytelonApp* pApp = BytelonApp();
    return pApp && pApp->pCurrentView == this;
}

void CBytelonView::InvertRange(int from, int to, CDC* pDC)
{
    if (from == to || !SelActive)
        return;
    AccessibleStateChanged();
    const int lo = std::min(from, to);
    const int hi = std::max(from, to) - 1;
    const int last = LastDataRow();
    // A run of cells on one row is one rectangle: the cells' edges meet exactly.
    for (int r = 0; r <= last; ++r) {
        const long long rowStart = (long long)TopOffset + (long long)r * BytesPerLine;
        const long long first = std::max<long long>(lo, rowStart);
        const long long lastByte = std::min<long long>(hi, rowStart + BytesPerLine - 1);
        if (first > lastByte)
            continue;
        const int j0 = int(first - rowStart);
        const int j1 = int(lastByte - rowStart);
        const int y1 = LineHeight * YDirection * (r + 1) + 5;
        const int y2 = LineHeight * YDirection * (r + 2) + 5;
        const int hexX1 = int(float(HexColumnX()) + (float(3 * j0) - 0.5F) * CharWidth);
        const int hexX2 = int(float(HexColumnX()) + (float(3 * j1) + 2.5F) * CharWidth);
        const int textX1 = int(float(TextColumnX()) + float(j0) * CharWidth);
        const int textX2 = int(float(TextColumnX()) + float(j1 + 1) * CharWidth);
        pDC->InvertRect(QRect(QPoint(hexX1, y1), QSize(hexX2 - hexX1, y2 - y1)));
        pDC->InvertRect(QRect(QPoint(textX1, y1), QSize(textX2 - textX1, y2 - y1)));
    }
}
