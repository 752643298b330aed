#include "view/BytelonView.h"

#include "app/BytelonApp.h"
#include "doc/BytelonDoc.h"
#include "framework/DC.h"
#include "framework/MessageBox.h"
#include "framework/StringTable.h"
#include "res/Resource.h"

#include <QTimer>

#include <algorithm>
#include <memory>
#include <new>

namespace {

constexpr int ScreenBufferSize = 16384;

int FloorDiv(int a, int b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The characters of the platform's ANSI code page for 80 to 9F; the rest of
// the upper half is Latin-1.
const char16_t AnsiUpper[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

QChar CBytelonView::ScreenCharacter(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return QChar(AnsiUpper[byte - 0x80]);
    return QChar(char16_t(byte));
}

QChar CBytelonView::PrintCharacter(unsigned char byte)
{
    return byte < 0x20 ? QLatin1Char('.') : ScreenCharacter(byte);
}

QChar CBytelonView::SpokenCharacter(unsigned char byte)
{
    // The symbols that stand for the control characters have names a
    // reader speaks, and keep one character to a byte.
    if (byte < 0x20)
        return QChar(char16_t(0x2400 + byte));
    if (byte == 0x7F)
        return QChar(char16_t(0x2421));
    const QChar c = ScreenCharacter(byte);
    if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
        return QChar(QChar::ReplacementCharacter);
    return c;
}

CBytelonView::CLineRead CBytelonView::ReadLineBytes(int pos, int count,
                                                     std::unique_ptr<unsigned char[]>& buffer) const
{
    const CBytelonDoc* pDocument = GetDocument();
    if (pDocument->WorkFile.IsOpen())
        return CLineRead::Busy;
    // A file object of its own: a reader must never close the document's.
    CFile file;
    CFileException cause;
    if (!file.Open(pDocument->WorkFileName, CFile::modeRead | CFile::shareExclusive, &cause))
        return CLineRead::OpenFailed;
    if (file.Seek(pos, CFile::begin) != pos) {
        file.Close();
        return CLineRead::SeekFailed;
    }
    buffer.reset(new (std::nothrow) unsigned char[ScreenBufferSize]);
    if (!buffer) {
        file.Close();
        return CLineRead::NoMemory;
    }
    // Bytes at or past DocLen are never taken from the buffer, so a short read is harmless.
    try {
        file.Read(buffer.get(), UINT(std::min(count, ScreenBufferSize)));
    } catch (const CFileException&) {
        file.Close();
        return CLineRead::OpenFailed;
    }
    file.Close();
    return CLineRead::Done;
}

void CBytelonView::FormatLine(long long address, const unsigned char* pBytes, int docLen, CCharacterForm form,
                              CLineTexts& texts) const
{
    const char* digits = BytelonApp()->HexDigits;
    texts.Address = HexAddress ? QString::asprintf("%08llX", address) : QString::asprintf("%010llu", address);
    texts.Address.truncate(AddressWidth());
    texts.Hex.fill(QLatin1Char(' '), 3 * BytesPerLine - 1);
    texts.Characters.fill(QLatin1Char(' '), BytesPerLine);
    for (int i = 0; i < BytesPerLine && address + i < docLen; ++i) {
        const unsigned char b = pBytes[i];
        texts.Hex[3 * i] = QLatin1Char(digits[b >> 4]);
        texts.Hex[3 * i + 1] = QLatin1Char(digits[b & 0xF]);
        texts.Characters[i] = form == CCharacterForm::Screen  ? ScreenCharacter(b)
                              : form == CCharacterForm::Paper ? PrintCharacter(b)
                                                              : SpokenCharacter(b);
    }
}

void CBytelonView::OnDraw(CDC* pDC)
{
    CFontSelection select(pDC, Font.get());
    Draw(pDC, TopOffset, LinesPerScreen, 5, 0);
}

void CBytelonView::Draw(CDC* pDC, int first, int lines, int yTop, int xLeft)
{
    const QRect clip = pDC->GetClipBox();
    CBytelonDoc* pDocument = GetDocument();
    const int docLen = pDocument->DocLen;
    const int addrX = xLeft + AddressX();
    const int hexX = xLeft + HexColumnX();
    const int textX = xLeft + TextColumnX();
    HexRuleX = hexX + int(-1.5F * CharWidth);
    TextRuleX = textX + int(-1.5F * CharWidth);
    const int rightX = int(float(BytesPerLine + 2) * CharWidth + float(textX));
    const int headerRuleY = YDirection * (yTop + LineHeight - 1);
    const int headerY = YDirection * yTop;

    QString addressHeader;
    QString hexHeader;
    QString textHeader;
    if (AfxLoadString(IDS_ADDRESS_HEADER, addressHeader)
        && AfxLoadString(HexAddress ? IDS_HEX_HEADER_16 : IDS_HEX_HEADER_10, hexHeader)
        && AfxLoadString(HexAddress ? IDS_TEXT_HEADER_16 : IDS_TEXT_HEADER_10, textHeader)) {
        pDC->TextOut(addrX + int((HexAddress ? 0.5F : 1.5F) * CharWidth), headerY, addressHeader.left(AddressWidth()));
        pDC->TextOut(hexX, headerY, hexHeader.left(3 * BytesPerLine - 1));
        pDC->TextOut(textX, headerY, textHeader.left(BytesPerLine));
    }

    int firstLine = 0;
    int lastLine = lines - 1;
    if (pDC->IsPrinting()) {
        DrawPageFrame(pDC, yTop, lines, xLeft, rightX);
    } else {
        const int clipTop = clip.top();
        const int clipBottom = clip.top() + clip.height();
        pDC->MoveTo(HexRuleX, clipTop);
        pDC->LineTo(HexRuleX, clipBottom);
        pDC->MoveTo(TextRuleX, clipTop);
        pDC->LineTo(TextRuleX, clipBottom);
        // Exactly the lines whose cells meet the clip box: line r covers
        // yTop + (r + 1) * LineHeight up to the next line, below the header.
        firstLine = std::max(0, FloorDiv(clipTop - yTop, LineHeight) - 1);
        if (firstLine > lines - 1)
            return;
        lastLine = std::max(0, FloorDiv(clipBottom - 1 - yTop, LineHeight) - 1);
        lastLine = std::min(lastLine, firstLine + lines - 1);
    }

    pDC->MoveTo(xLeft + int(2 * CharWidth), headerRuleY);
    pDC->LineTo(hexX + int(-3 * CharWidth), headerRuleY);
    pDC->MoveTo(hexX, headerRuleY);
    pDC->LineTo(textX + int(-3 * CharWidth), headerRuleY);
    pDC->MoveTo(textX, headerRuleY);
    pDC->LineTo(rightX + int(-2 * CharWidth), headerRuleY);

    const int documentLastLine = (docLen > 0 ? (docLen - 1) / BytesPerLine : 0) - first / BytesPerLine;
    lastLine = std::min({lastLine, documentLastLine, lines - 1});
    if (lastLine < firstLine)
        return;

    // A failure that lasts would otherwise be reported by every repaint,
    // including the one closing the message box causes.
    auto fail = [this](const QString& message) {
        if (DrawFailureReported)
            return;
        DrawFailureReported = true;
        // Qt cannot run a modal box inside painting: it follows the paint at
        // once. Once it is read the window is painted again: the lines come
        // back if the cause has gone, and a lasting one is not reported again.
        QTimer::singleShot(0, this, [this, message] {
            AfxMessageBox(message);
            Invalidate(true);
        });
    };

    const int count = (lastLine - firstLine + 1) * BytesPerLine;
    if (count > ScreenBufferSize) {
        fail(QStringLiteral("Error:  Screen buffer overflow in Draw()  "));
        return;
    }
    std::unique_ptr<unsigned char[]> buffer;
    const int pos = BytesPerLine * (firstLine + first / BytesPerLine);
    switch (ReadLineBytes(pos, count, buffer)) {
    case CLineRead::Done: break;
    case CLineRead::Busy: {
        // This paint comes through an operation that holds the work file (a
        // message box, a progress text) and is done again after it.
        QPoint corners[2] = {clip.topLeft(), QPoint(clip.left() + clip.width(), clip.top() + clip.height())};
        pDC->LPtoDP(corners, 2);
        const QRect region = QRect(corners[0], corners[1]).normalized();
        QTimer::singleShot(0, this, [this, region] { InvalidateRect(region); });
        return;
    }
    case CLineRead::OpenFailed: fail(QStringLiteral("Draw() could not open WorkFIle")); return;
    case CLineRead::SeekFailed: fail(QStringLiteral("Seek error in Draw()")); return;
    case CLineRead::NoMemory: fail(QStringLiteral("Draw() could not allocate Screen buffer")); return;
    }
    DrawFailureReported = false;

    const bool printing = pDC->IsPrinting();
    CLineTexts texts;
    for (int r = firstLine; r <= lastLine; ++r) {
        const int index = (r - firstLine) * BytesPerLine;
        FormatLine((long long)pos + index, buffer.get() + index, docLen,
                   printing ? CCharacterForm::Paper : CCharacterForm::Screen, texts);
        const int y = YDirection * (yTop + (r + 1) * LineHeight);
        pDC->TextOut(addrX, y, texts.Address);
        pDC->TextOut(hexX, y, texts.Hex);
        pDC->TextOutCells(textX, y, texts.Characters, CharWidth);
    }

    if (!printing) {
        int lo = std::min(SelAnchor, SelEnd);
        int hi = std::max(SelAnchor, SelEnd);
        lo = std::max(lo, TopOffset + firstLine * BytesPerLine);
        hi = int(std::min<long long>(hi, TopOffset + (long long)(lastLine + 1) * BytesPerLine));
        if (hi > lo)
            InvertRange(lo, hi, pDC);
        PlaceCaret(pDC);
        ShowCaretAddress();
    }
}
