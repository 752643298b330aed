// The entry pair's conversions: any hex text parses as a small reference
// parser of the notation says, and text -> hex -> text and hex -> text -> hex
// come back as they went.
// Input: one byte choosing the case, then its data.

#include "FuzzProgram.h"

#include "app/BytelonApp.h"
#include "search/InsertDlg.h"
#include "view/BytelonView.h"

#include <QLineEdit>
#include <QRegularExpression>

#include <cstdint>

namespace {

const QString Example = QStringLiteral("Hex Edit Box format example:  32 34 68 67");
const QString SeparatorError = QStringLiteral("Format error:  Hex codes must separated by a space character");
const QString NonHexError = QStringLiteral("Format error:  Non-Hex character detected in Hex Edit Box");
const QString ZeroWarning = QStringLiteral("Warning:  00 in Hex Edit Box truncates Ascii Edit Box");

// The notation: cells of two digits of either case and a blank, the last
// blank optional, and a lone digit at the very end adding nothing.
const QRegularExpression Whole(QStringLiteral("\\A(?:[0-9A-Fa-f]{2} )*[0-9A-Fa-f]{0,2}\\z"));

struct CParse {
    bool Error = false;
    QByteArray Bytes;  // on an error, the bytes before the faulty position
    QString Status;
};

CParse ReferenceParse(const QString& text)
{
    CParse parse;
    qsizetype valid = text.size();
    if (!Whole.match(text).hasMatch()) {
        // The first position whose prefix leaves the notation.
        valid = 0;
        while (Whole.match(text.left(valid + 1)).hasMatch())
            ++valid;
        parse.Error = true;
        parse.Status = valid % 3 == 2 ? SeparatorError : NonHexError;
    }
    for (qsizetype cell = 0; 3 * cell + 1 < valid; ++cell)
        parse.Bytes += QByteArray::fromHex(text.mid(3 * cell, 2).toLatin1());
    if (!parse.Error)
        parse.Status = parse.Bytes.contains('\0') ? ZeroWarning : Example;
    return parse;
}

// What the text box shows for bytes: up to the first zero, as the view shows them.
QString Shown(const QByteArray& bytes)
{
    QString text;
    for (char byte : bytes) {
        if (byte == 0)
            break;
        text += CBytelonView::ScreenCharacter((unsigned char)byte);
    }
    return text;
}

struct CPairDialog {
    CPairDialog()
    {
        BytelonApp()->InsertInitialChar = 0;
        Dialog.Create();
    }
    CInsertDlg Dialog;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CProgram& program = FuzzProgram();
    // Kept for the whole run, as the program is.
    static CPairDialog* pPairDialog = new CPairDialog;
    CHexAsciiPair& pair = pPairDialog->Dialog.Pair;
    if (size == 0)
        return 0;
    const QByteArray rest(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    auto bytes = [&pair] { return QByteArray(pair.Bytes, pair.Count); };

    switch (data[0] % 3) {
    case 0: {
        // Any hex text at all, as pasted into the box.
        pair.AsciiBox.SetWindowText(QStringLiteral("kept"));
        pair.HexBox.SetWindowText(QString::fromLatin1(rest));
        const QString hex = pair.HexBox.GetWindowText();
        Require(hex.size() <= CHexAsciiPair::MaxHexChars, "the hex box holds at most 750 characters");
        const CParse expected = ReferenceParse(hex);
        const bool error = pair.HexToAscii();
        Require(bool(error) == expected.Error, "a format error exactly when the notation is broken");
        Require(bytes() == expected.Bytes, "the bytes the reference parser reads");
        Require(program.PaneText(0) == expected.Status, "the status the reference parser expects");
        Require(pair.AsciiBox.GetWindowText() == (error ? QStringLiteral("kept") : Shown(expected.Bytes)),
                "the text box shows the bytes, or is kept on an error");
        break;
    }
    case 1: {
        // Bytes as hex text, to text and back to hex.
        const QByteArray original = rest.left(CHexAsciiPair::MaxBytes);
        pair.HexBox.SetWindowText(CHexAsciiPair::HexTextOf(original.constData(), int(original.size())));
        Require(!pair.HexToAscii() && bytes() == original, "the hex text of bytes parses back to them");
        pair.AsciiToHex();
        const QByteArray kept = original.left(original.indexOf('\0') < 0 ? original.size() : original.indexOf('\0'));
        Require(bytes() == kept, "hex -> text -> hex keeps the bytes up to the first zero");
        Require(pair.HexBox.GetWindowText() == CHexAsciiPair::HexTextOf(kept.constData(), int(kept.size())),
                "hex -> text -> hex gives the same hex text");
        break;
    }
    default: {
        // Any text, to hex and back to text.
        const QString text = QString::fromUtf8(rest);
        pair.AsciiBox.SetWindowText(text);
        const QString typed = pair.AsciiBox.GetWindowText();
        pair.AsciiToHex();
        const QByteArray converted = bytes();
        Require(converted.size() == std::min<qsizetype>(typed.size(), CHexAsciiPair::MaxBytes),
                "one byte per character");
        Require(pair.HexBox.GetWindowText() == CHexAsciiPair::HexTextOf(converted.constData(), int(converted.size())),
                "the hex box holds the hex text of the bytes");
        Require(!pair.HexToAscii() && bytes() == converted, "the generated hex text parses back");
        // Characters that stand for a byte other than zero survive the trip.
        bool representable = typed.size() <= CHexAsciiPair::MaxBytes;
        for (int i = 0; representable && i < typed.size(); ++i)
            representable = converted[i] != 0 && CBytelonView::ScreenCharacter((unsigned char)converted[i]) == typed[i];
        if (representable)
            Require(pair.AsciiBox.GetWindowText() == typed, "text -> hex -> text gives the text back");
        break;
    }
    }
    return 0;
}
