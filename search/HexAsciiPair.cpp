#include "search/HexAsciiPair.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "framework/StringTable.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

#include <algorithm>

namespace {

constexpr char HexDigitChars[] = "0123456789ABCDEF";

// The text box shows each byte as the view's text column does; a character
// without a byte of its own becomes "?", as the platform's conversion does.
char ByteOfCharacter(QChar c)
{
    const char16_t code = c.unicode();
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return char(code);
    for (int b = 0x80; b < 0xA0; ++b) {
        if (CBytelonView::ScreenCharacter((unsigned char)b) == c)
            return char(b);
    }
    return '?';
}

}  // namespace

CHexAsciiPair::CHexAsciiPair()
{
    AsciiBox.pOwner = this;
    HexBox.pOwner = this;
}

void CHexAsciiPair::AttachControls(int asciiId, int hexId, CDialog* pDialog)
{
    AsciiBox.SubclassDlgItem(asciiId, pDialog);
    HexBox.SubclassDlgItem(hexId, pDialog);
    AsciiBox.LimitText(MaxBytes);
    HexBox.LimitText(MaxHexChars);
}

QString CHexAsciiPair::HexTextOf(const char* pBytes, int count)
{
    QString text;
    text.reserve(3 * count);
    for (int i = 0; i < count; ++i) {
        const auto byte = (unsigned char)pBytes[i];
        text += QLatin1Char(HexDigitChars[byte >> 4]);
        text += QLatin1Char(HexDigitChars[byte & 0x0F]);
        text += QLatin1Char(' ');
    }
    return text;
}

void CHexAsciiPair::AsciiToHex()
{
    if (!SyncEnabled)
        return;
    AsciiBox.GetSel(AsciiBox.SelStart, AsciiBox.SelEnd);
    SyncEnabled = FALSE;
    const QString text = AsciiBox.GetWindowText();
    Count = std::min(int(text.size()), MaxBytes);
    for (int i = 0; i < Count; ++i)
        Bytes[i] = ByteOfCharacter(text.at(i));
    Bytes[Count] = 0;
    HexBox.SetWindowText(HexTextOf(Bytes, Count));
    SyncEnabled = TRUE;
    HexBox.SelStart = 3 * AsciiBox.SelStart;
    HexBox.SelEnd = 3 * AsciiBox.SelEnd;
}

BOOL CHexAsciiPair::HexToAscii()
{
    if (!SyncEnabled)
        return FALSE;
    HexBox.GetSel(HexBox.SelStart, HexBox.SelEnd);
    const QString text = HexBox.GetWindowText().left(MaxHexChars);
    const int length = int(text.size());
    SyncEnabled = FALSE;
    Count = 0;
    ZeroSeen = FALSE;
    BOOL error = FALSE;
    for (int p = 0; p < length; ++p) {
        const char16_t code = text.at(p).unicode();
        const char ch = code < 0x80 ? char(code) : '\x80';
        if (p % 3 == 2 && ch != ' ') {
            SetMainStatusText(0, AfxLoadString(IDS_HEX_SEPARATOR_ERROR));
            error = TRUE;
            break;
        }
        if (p % 3 != 2 && CBytelonApp::HexDigitValue(ch) == 0xFF) {
            SetMainStatusText(0, AfxLoadString(IDS_HEX_NON_HEX_ERROR));
            error = TRUE;
            break;
        }
        if (p % 3 == 1) {
            const char high = char(text.at(p - 1).unicode());
            const int byte = 16 * CBytelonApp::HexDigitValue(high) + CBytelonApp::HexDigitValue(ch);
            if (byte == 0) {
                ZeroSeen = TRUE;
                SetMainStatusText(0, QStringLiteral("Warning:  00 in Hex Edit Box truncates Ascii Edit Box"));
            }
            Bytes[p / 3] = char(byte);
            ++Count;
        }
    }
    if (!error && !ZeroSeen)
        SetMainStatusText(0, AfxLoadString(IDS_HEX_FORMAT_EXAMPLE));
    if (!error) {
        Bytes[Count] = 0;
        QString shown;
        for (int i = 0; i < Count && Bytes[i] != 0; ++i)
            shown += CBytelonView::ScreenCharacter((unsigned char)Bytes[i]);
        AsciiBox.SetWindowText(shown);
        AsciiBox.SelStart = (HexBox.SelStart + 1) / 3;
        AsciiBox.SelEnd = (HexBox.SelEnd + 1) / 3;
    }
    SyncEnabled = TRUE;
    return error;
}
