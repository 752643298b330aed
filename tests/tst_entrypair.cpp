// The text box and hex box of a dialog kept in step: hex text parsing and
// its status messages, the text box regenerated from it and back, the hex
// box's character filter and the selections carried between the boxes.

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "search/InsertDlg.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>

namespace {

const QString Example = QStringLiteral("Hex Edit Box format example:  32 34 68 67");
const QString SeparatorError = QStringLiteral("Format error:  Hex codes must separated by a space character");
const QString NonHexError = QStringLiteral("Format error:  Non-Hex character detected in Hex Edit Box");
const QString ZeroWarning = QStringLiteral("Warning:  00 in Hex Edit Box truncates Ascii Edit Box");

// An Insert dialog run modeless, so its pair can be driven directly.
struct CPairDialog {
    CPairDialog()
    {
        BytelonApp()->InsertInitialChar = 0;
        Dialog.Create();
        ProcessEvents();
    }
    ~CPairDialog() { Dialog.DestroyWindow(); }
    QLineEdit* Ascii() const { return Dialog.Pair.AsciiBox.GetControl(); }
    QLineEdit* Hex() const { return Dialog.Pair.HexBox.GetControl(); }
    QByteArray Bytes() const { return QByteArray(Dialog.Pair.Bytes, Dialog.Pair.Count); }

    CInsertDlg Dialog;
};

}  // namespace

class tst_entrypair : public QObject {
    Q_OBJECT
private slots:
    void hexToAscii_data();
    void hexToAscii();
    void hexTextOfBytes();
    void zeroTruncatesAndTextRegenerates();
    void asciiToHexLeavesStatus();
    void hexBoxFilter();
    void selectionsCarriedAcross();
    void limits();
    void destroyingClearsStatus();
    void textArrivingUntyped_data();
    void textArrivingUntyped();
};

void tst_entrypair::hexToAscii_data()
{
    QTest::addColumn<QString>("hex");
    QTest::addColumn<bool>("error");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("status");
    const QString unchanged = QStringLiteral("unchanged");
    QTest::newRow("four-bytes") << "32 34 68 67" << false << QByteArray("24hg") << "24hg" << Example;
    QTest::newRow("trailing-space") << "32 34 68 67 " << false << QByteArray("24hg") << "24hg" << Example;
    QTest::newRow("both-cases") << "ff 0A" << false << QByteArray("\xFF\x0A") << QStringLiteral("\u00FF\n")
                                << Example;
    QTest::newRow("missing-separator") << "3234" << true << QByteArray("2") << unchanged << SeparatorError;
    QTest::newRow("leading-space") << " 32" << true << QByteArray() << unchanged << NonHexError;
    QTest::newRow("double-space") << "32  34" << true << QByteArray("2") << unchanged << NonHexError;
    QTest::newRow("non-hex-letter") << "4G" << true << QByteArray() << unchanged << NonHexError;
    QTest::newRow("lone-last-digit") << "32 3" << false << QByteArray("2") << "2" << Example;
    QTest::newRow("empty") << "" << false << QByteArray() << "" << Example;
    QTest::newRow("zero-inside") << "41 00 42" << false << QByteArray("A\0B", 3) << "A" << ZeroWarning;
    QTest::newRow("high-bytes-as-the-view-shows-them")
        << "80 E9" << false << QByteArray("\x80\xE9") << QStringLiteral("\u20AC\u00E9") << Example;
}

void tst_entrypair::hexToAscii()
{
    QFETCH(QString, hex);
    QFETCH(bool, error);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QString, status);
    CProgram program;
    CPairDialog pair;
    pair.Ascii()->setText(QStringLiteral("unchanged"));
    pair.Hex()->setText(hex);
    QCOMPARE(bool(pair.Dialog.Pair.HexToAscii()), error);
    QCOMPARE(pair.Bytes(), bytes);
    QCOMPARE(pair.Ascii()->text(), text);
    QCOMPARE(program.PaneText(0), status);
    if (!error)
        QCOMPARE(pair.Dialog.Pair.Bytes[pair.Dialog.Pair.Count], '\0');
}

void tst_entrypair::hexTextOfBytes()
{
    QCOMPARE(CHexAsciiPair::HexTextOf("24hg", 4), QStringLiteral("32 34 68 67 "));
    QCOMPARE(CHexAsciiPair::HexTextOf("\x00\xFF\x0a", 3), QStringLiteral("00 FF 0A "));
    QCOMPARE(CHexAsciiPair::HexTextOf("", 0), QString());
}

void tst_entrypair::zeroTruncatesAndTextRegenerates()
{
    CProgram program;
    CPairDialog pair;
    pair.Hex()->setFocus();
    pair.Hex()->setText(QStringLiteral("41 00 42"));
    QTest::keyClick(pair.Hex(), Qt::Key_End);
    QCOMPARE(pair.Dialog.Pair.Count, 3);
    QCOMPARE(pair.Ascii()->text(), QStringLiteral("A"));
    QTest::keyClick(pair.Ascii(), Qt::Key_End);
    QCOMPARE(pair.Hex()->text(), QStringLiteral("41 "));
    QCOMPARE(pair.Bytes(), QByteArray("A"));
}

void tst_entrypair::asciiToHexLeavesStatus()
{
    CProgram program;
    CPairDialog pair;
    SetMainStatusText(0, QStringLiteral("before"));
    QTest::keyClicks(pair.Ascii(), QStringLiteral("AB"));
    QCOMPARE(pair.Hex()->text(), QStringLiteral("41 42 "));
    QCOMPARE(pair.Dialog.Pair.Count, 2);
    QCOMPARE(program.PaneText(0), QStringLiteral("before"));
}

void tst_entrypair::hexBoxFilter()
{
    CProgram program;
    CPairDialog pair;
    QTest::keyClicks(pair.Hex(), QStringLiteral("#%.G+z"));
    QCOMPARE(pair.Hex()->text(), QString());
    QTest::keyClicks(pair.Hex(), QStringLiteral("4a 0"));
    QCOMPARE(pair.Hex()->text(), QStringLiteral("4A 0"));
    QCOMPARE(pair.Ascii()->text(), QStringLiteral("J"));
    QTest::keyClick(pair.Hex(), Qt::Key_Backspace);
    QTest::keyClick(pair.Hex(), Qt::Key_Left);
    // Cursor and deletion keys are not characters, even where Delete brings the text DEL.
    QTest::sendKeyEvent(QTest::Click, pair.Hex(), Qt::Key_Delete, QStringLiteral("\x7F"), Qt::NoModifier);
    QCOMPARE(pair.Hex()->text(), QStringLiteral("4A"));
    // The text box, clicked after its text, takes every character.
    QTest::mouseClick(pair.Ascii(), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), pair.Ascii());
    QTest::keyClicks(pair.Ascii(), QStringLiteral("#G"));
    QCOMPARE(pair.Ascii()->text(), QStringLiteral("J#G"));
    QCOMPARE(pair.Hex()->text(), QStringLiteral("4A 23 47 "));
}

void tst_entrypair::selectionsCarriedAcross()
{
    CProgram program;
    CPairDialog pair;
    pair.Ascii()->setFocus();
    QTest::keyClicks(pair.Ascii(), QStringLiteral("abcd"));
    pair.Ascii()->setSelection(2, 1);
    QTest::keyClick(pair.Ascii(), Qt::Key_Shift);
    QCOMPARE(pair.Dialog.Pair.HexBox.SelStart, 6);
    QCOMPARE(pair.Dialog.Pair.HexBox.SelEnd, 9);
    pair.Hex()->setFocus();
    ProcessEvents();
    QCOMPARE(pair.Hex()->selectionStart(), 6);
    QCOMPARE(pair.Hex()->selectedText().size(), 3);

    pair.Hex()->setCursorPosition(7);
    QTest::keyClick(pair.Hex(), Qt::Key_Shift);
    QCOMPARE(pair.Dialog.Pair.AsciiBox.SelStart, 2);
    QCOMPARE(pair.Dialog.Pair.AsciiBox.SelEnd, 2);
    pair.Ascii()->setFocus();
    ProcessEvents();
    QCOMPARE(pair.Ascii()->cursorPosition(), 2);
    QVERIFY(!pair.Ascii()->hasSelectedText());
}

void tst_entrypair::limits()
{
    CProgram program;
    CPairDialog pair;
    QCOMPARE(pair.Ascii()->maxLength(), 250);
    QCOMPARE(pair.Hex()->maxLength(), 750);
    pair.Ascii()->setText(QString(300, QLatin1Char('x')));
    QTest::keyClick(pair.Ascii(), Qt::Key_End);
    QCOMPARE(pair.Dialog.Pair.Count, 250);
    QCOMPARE(pair.Hex()->text().size(), 750);
    QVERIFY(!pair.Dialog.Pair.HexToAscii());
    QCOMPARE(pair.Bytes(), QByteArray(250, 'x'));
}

void tst_entrypair::destroyingClearsStatus()
{
    CProgram program;
    {
        CPairDialog pair;
        pair.Hex()->setText(QStringLiteral("41"));
        pair.Dialog.Pair.HexToAscii();
        QCOMPARE(program.PaneText(0), Example);
    }
    QCOMPARE(program.PaneText(0), QString());
}

void tst_entrypair::textArrivingUntyped_data()
{
    QTest::addColumn<bool>("hexBox");
    QTest::addColumn<int>("route");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");  // after "4" was typed first
    const int ctrlV = int(CTextRoute::CtrlV);
    const int shiftInsert = int(CTextRoute::ShiftInsert);
    const int menuPaste = int(CTextRoute::MenuPaste);
    const int drop = int(CTextRoute::Drop);
    // Ctrl+V is a control character, which the hex box drops.
    QTest::newRow("hex-ctrl-v-dropped") << true << ctrlV << "1 42" << "4";
    QTest::newRow("hex-shift-insert-digits") << true << shiftInsert << "1 42" << "41 42";
    QTest::newRow("hex-shift-insert-other-refused") << true << shiftInsert << "1 4G" << "4";
    QTest::newRow("hex-menu-paste-digits") << true << menuPaste << "1 4a" << "41 4A";
    QTest::newRow("hex-menu-paste-other-refused") << true << menuPaste << "1,42" << "4";
    QTest::newRow("hex-drop-digits") << true << drop << "1" << "41";
    QTest::newRow("hex-drop-other-refused") << true << drop << "1G" << "4";
    QTest::newRow("ascii-ctrl-v-takes-every-character") << false << ctrlV << "1G" << "41G";
    QTest::newRow("ascii-menu-paste") << false << menuPaste << " #" << "4 #";
    QTest::newRow("ascii-drop") << false << drop << "#z" << "4#z";
}

void tst_entrypair::textArrivingUntyped()
{
    QFETCH(bool, hexBox);
    QFETCH(int, route);
    QFETCH(QString, text);
    QFETCH(QString, shown);
    CProgram program;
    CPairDialog pair;
    QLineEdit* pBox = hexBox ? pair.Hex() : pair.Ascii();
    pBox->setFocus();
    QTest::keyClicks(pBox, QStringLiteral("4"));
    PutTextThrough(pBox, CTextRoute(route), text);
    QCOMPARE(pBox->text(), shown);
    if (!hexBox)
        return;
    // Cut and undo are control characters too: they do nothing.
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    pBox->selectAll();
    QTest::keyClick(pBox, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(pBox, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(pBox->text(), shown);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
}

QTEST_MAIN(tst_entrypair)
#include "tst_entrypair.moc"
