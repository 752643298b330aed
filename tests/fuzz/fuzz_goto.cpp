// The Goto Address entry: whatever is typed (through the entry's filter) or
// put into it, OK takes the offset a plain reading of the padded entry gives,
// or refuses a value above 7FFFFFFF with its message.
// Input: one byte choosing the radix and how the text arrives, then the text.

#include "FuzzProgram.h"

#include "app/BytelonApp.h"
#include "res/Resource.h"
#include "view/GotoDlg.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// What the entry means: zeros in front up to ten characters, then the digits
// of the radix up to the first other character.
unsigned long long ReferenceValue(const QString& entry, bool hex)
{
    std::string padded = std::string(std::size_t(std::max<qsizetype>(0, 10 - entry.size())), '0');
    padded += entry.toStdString();
    std::size_t digits = 0;
    while (digits < padded.size() && (hex ? std::isxdigit((unsigned char)padded[digits])
                                          : std::isdigit((unsigned char)padded[digits])))
        ++digits;
    return std::strtoull(padded.substr(0, digits).c_str(), nullptr, hex ? 16 : 10);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CProgram& program = FuzzProgram();
    if (size == 0)
        return 0;
    const bool hex = (data[0] & 1) != 0;
    const bool typed = (data[0] & 2) != 0;
    QString text = QString::fromLatin1(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    program.App()->HexAddressBase = hex ? 1 : 0;
    program.Messages.Texts.clear();

    CGotoDlg dialog;
    Require(dialog.Create(), "the dialog opens");
    auto* pEntry = dialog.GetDlgItemAs<QLineEdit>(IDC_ADDRESS);
    if (typed) {
        // Keys that would end the dialog are not what this is about.
        text.remove(QRegularExpression(QStringLiteral("[\\x00-\\x1F\\x7F]")));
        for (QChar c : text.left(40)) {
            const QChar upper = c.toUpper();
            const bool named = upper.isDigit() || (upper >= QLatin1Char('A') && upper <= QLatin1Char('Z'));
            QTest::sendKeyEvent(QTest::Click, pEntry, named ? Qt::Key(upper.unicode()) : Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        }
    } else {
        pEntry->setText(text);
    }
    const QString entry = pEntry->text();
    Require(entry.size() <= 10, "the entry holds at most ten characters");
    if (typed) {
        for (QChar c : entry) {
            const bool digit = (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                               || (hex && c >= QLatin1Char('A') && c <= QLatin1Char('F'));
            Require(digit, "only digits of the radix can be typed, letters shown in upper case");
        }
    }

    const bool accepted = dialog.UpdateData(true);
    const unsigned long long expected = ReferenceValue(entry, hex);
    if (expected > 0x7FFFFFFF) {
        Require(!accepted, "a value above 7FFFFFFF is refused");
        Require(program.Messages.Texts == QStringList{QStringLiteral("Please enter a Hex number between 0 and 7FFFFFFF")},
                "the refusal says why");
    } else {
        Require(accepted && program.Messages.Texts.isEmpty(), "a value up to 7FFFFFFF is taken");
        Require((unsigned long long)dialog.Address == expected, "the offset a plain reading gives");
    }
    dialog.DestroyWindow();
    return 0;
}
