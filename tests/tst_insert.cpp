// Typing into the view: which characters open the Insert dialog in each
// pane, the character arriving in the matching box, and what confirming or
// cancelling the dialog does to the document, caret and selection.

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "res/Resource.h"
#include "search/InsertDlg.h"
#include "view/BytelonView.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>

namespace {

const QString FormatError = QStringLiteral("Hex Edit box format error.\nCorrect format example:  32 34 68 67");

QLineEdit* Box(QWidget* pDialog, int id)
{
    return static_cast<CDialog*>(pDialog)->GetDlgItemAs<QLineEdit>(id);
}

QByteArray Bytes(CBytelonView* pView)
{
    return CProgram::WorkFileBytes(pView->GetDocument());
}

// What the dialog looked like when it came up.
struct CSeen {
    bool Shown = false;
    QString Ascii;
    QString Hex;
    bool HexFocused = false;
    char InitialChar = 0;
};

// Arms the next Insert dialog: records it, then lets act finish it.
void OnInsertDialog(CSeen& seen, const std::function<void(QWidget*)>& act)
{
    WhenModal([&seen, act](QWidget* pDialog) {
        ProcessEvents(1);
        seen.Shown = true;
        seen.Ascii = Box(pDialog, IDC_INSERT_ASCII)->text();
        seen.Hex = Box(pDialog, IDC_INSERT_HEX)->text();
        seen.HexFocused = pDialog->focusWidget() == Box(pDialog, IDC_INSERT_HEX);
        seen.InitialChar = BytelonApp()->InsertInitialChar;
        act(pDialog);
    });
}

void Cancel(QWidget* pDialog)
{
    QTest::keyClick(Box(pDialog, IDC_INSERT_ASCII), Qt::Key_Escape);
}

// Replaces the hex box's text and confirms with Enter.
std::function<void(QWidget*)> ConfirmHex(const QString& hex)
{
    return [hex](QWidget* pDialog) {
        QLineEdit* pHex = Box(pDialog, IDC_INSERT_HEX);
        pHex->setText(hex);
        QTest::keyClick(pHex, Qt::Key_Return);
    };
}

void PutInText(CBytelonView* pView, bool text)
{
    if ((pView->CaretInText == 1) != text)
        QTest::keyClick(pView, Qt::Key_Tab);
}

}  // namespace

class tst_insert : public QObject {
    Q_OBJECT
private slots:
    void hexDigitsTypedAndConfirmed();
    void textCharacterShownInHexAfterRelease();
    void charactersIgnored_data();
    void charactersIgnored();
    void selectionReplaced();
    void appendedAtEnd_data();
    void appendedAtEnd();
    void cancelAndEmptyChangeNothing();
    void zeroByteInserted();
    void malformedHexKeepsDialogOpen();
};

void tst_insert::hexDigitsTypedAndConfirmed()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(QByteArray("0123456789"));
    PutInText(pView, false);
    MoveCaretTo(pView, 3);
    CSeen seen;
    QString asciiAfterRelease;
    OnInsertDialog(seen, [&](QWidget* pDialog) {
        QLineEdit* pHex = Box(pDialog, IDC_INSERT_HEX);
        QTest::keyRelease(pHex, Qt::Key_4);
        QTest::keyClick(pHex, Qt::Key_1);
        asciiAfterRelease = Box(pDialog, IDC_INSERT_ASCII)->text();
        QTest::keyClick(pHex, Qt::Key_Return);
    });
    QTest::keyClick(pView, Qt::Key_4);
    QVERIFY(seen.Shown);
    QCOMPARE(seen.Hex, QStringLiteral("4"));
    QVERIFY(seen.HexFocused);
    QCOMPARE(seen.InitialChar, '4');
    QCOMPARE(asciiAfterRelease, QStringLiteral("A"));
    QCOMPARE(Bytes(pView), QByteArray("012A3456789"));
    QCOMPARE(pView->GetDocument()->DocLen, 11);
    QCOMPARE(pView->CaretOffset(), 4);
    QVERIFY(pView->GetDocument()->IsModified());
    // The dialog's end brings back the idle prompt.
    QCOMPARE(program.PaneText(0), QStringLiteral("For Help, press F1"));
}

void tst_insert::textCharacterShownInHexAfterRelease()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(QByteArray("ab"));
    PutInText(pView, true);
    CSeen seen;
    QString hexAfterRelease;
    OnInsertDialog(seen, [&](QWidget* pDialog) {
        QLineEdit* pAscii = Box(pDialog, IDC_INSERT_ASCII);
        QTest::keyRelease(pAscii, Qt::Key_X);
        hexAfterRelease = Box(pDialog, IDC_INSERT_HEX)->text();
        QTest::keyClick(pAscii, Qt::Key_Y);
        QTest::keyClick(pAscii, Qt::Key_Return);
    });
    QTest::keyClick(pView, Qt::Key_X);
    QVERIFY(seen.Shown);
    QCOMPARE(seen.Ascii, QStringLiteral("x"));
    QCOMPARE(seen.Hex, QString());
    QCOMPARE(hexAfterRelease, QStringLiteral("78 "));
    QCOMPARE(Bytes(pView), QByteArray("xyab"));
    QCOMPARE(pView->CaretOffset(), 2);
}

void tst_insert::charactersIgnored_data()
{
    QTest::addColumn<bool>("textPane");
    QTest::addColumn<QString>("typed");
    QTest::newRow("hex-pane-letter-g") << false << "g";
    QTest::newRow("hex-pane-blank") << false << " ";
    QTest::newRow("hex-pane-plus") << false << "+";
    QTest::newRow("hex-pane-letter-x") << false << "x";
    QTest::newRow("text-pane-accented-letter") << true << QStringLiteral("\u00E9");
    QTest::newRow("text-pane-euro-sign") << true << QStringLiteral("\u20AC");
}

// Nothing opens for an ignored character: the next dialog to come up is
// the one the menu command opens, with no character.
void tst_insert::charactersIgnored()
{
    QFETCH(bool, textPane);
    QFETCH(QString, typed);
    CProgram program;
    CBytelonView* pView = program.OpenFocused(QByteArray("ab"));
    PutInText(pView, textPane);
    CSeen seen;
    OnInsertDialog(seen, Cancel);
    QTest::sendKeyEvent(QTest::Click, pView, Qt::Key_unknown, typed, Qt::NoModifier);
    QVERIFY(!seen.Shown);
    program.Frame()->ExecuteCommand(ID_EDIT_INSERT);
    QVERIFY(seen.Shown);
    QCOMPARE(seen.InitialChar, '\0');
    QCOMPARE(Bytes(pView), QByteArray("ab"));
}

void tst_insert::selectionReplaced()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(QByteArray("0123456789"));
    PutInText(pView, false);
    SelectBytes(pView, 2, 5);
    CSeen seen;
    OnInsertDialog(seen, ConfirmHex(QStringLiteral("41 42")));
    QTest::keyClick(pView, Qt::Key_C);
    QVERIFY(seen.Shown);
    QCOMPARE(seen.Hex, QStringLiteral("C"));
    QCOMPARE(Bytes(pView), QByteArray("01AB56789"));
    QCOMPARE(pView->GetDocument()->DocLen, 9);
    QVERIFY(!pView->SelActive);
    QCOMPARE(pView->CaretOffset(), 4);
}

void tst_insert::appendedAtEnd_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("lines");  // shown in the window; 0 leaves it as it opens
    QTest::newRow("after-a-short-document") << 2 << 0;
    // Each typed byte starts or fills a line below the window's last row.
    QTest::newRow("last-line-on-the-bottom-row") << 24 << 3;
}

// Characters typed one after another at the end, the caret taken there by
// Ctrl+End, follow each other in the order typed.
void tst_insert::appendedAtEnd()
{
    QFETCH(int, size);
    QFETCH(int, lines);
    CProgram program;
    const QByteArray document = QByteArray("0123456789abcdefghijklmn").left(size);
    CBytelonView* pView = program.OpenFocused(document, lines);
    PutInText(pView, true);
    QTest::keyClick(pView, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(pView->CaretOffset(), size);
    for (const QString typed : {QStringLiteral("Z"), QStringLiteral("Y")}) {
        CSeen seen;
        OnInsertDialog(seen, [&](QWidget* pDialog) {
            // Only the key's release brings the hex box in step.
            QTest::keyRelease(Box(pDialog, IDC_INSERT_ASCII), Qt::Key(typed[0].unicode()), Qt::ShiftModifier);
            QTest::keyClick(Box(pDialog, IDC_INSERT_ASCII), Qt::Key_Return);
        });
        QTest::sendKeyEvent(QTest::Click, pView, Qt::Key(typed[0].unicode()), typed, Qt::ShiftModifier);
        QVERIFY(seen.Shown);
    }
    QCOMPARE(Bytes(pView), document + "ZY");
    QCOMPARE(pView->CaretOffset(), size + 2);
}

void tst_insert::cancelAndEmptyChangeNothing()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(QByteArray("0123456789"));
    PutInText(pView, true);
    SelectBytes(pView, 2, 5);
    CSeen seen;
    OnInsertDialog(seen, [](QWidget* pDialog) {
        QTest::keyClicks(Box(pDialog, IDC_INSERT_ASCII), QStringLiteral("bcd"));
        Cancel(pDialog);
    });
    QTest::keyClick(pView, Qt::Key_A);
    QVERIFY(seen.Shown);
    QCOMPARE(Bytes(pView), QByteArray("0123456789"));
    QVERIFY(pView->SelActive);
    QCOMPARE(Selection(pView), std::pair(2, 5));
    QCOMPARE(pView->CaretOffset(), 5);
    QVERIFY(!pView->GetDocument()->IsModified());

    // OK with both boxes empty.
    CSeen empty;
    OnInsertDialog(empty, ConfirmHex(QString()));
    program.Frame()->ExecuteCommand(ID_EDIT_INSERT);
    QVERIFY(empty.Shown);
    // The character typed before does not come back with the menu command.
    QCOMPARE(empty.InitialChar, '\0');
    QCOMPARE(empty.Ascii, QString());
    QCOMPARE(Bytes(pView), QByteArray("0123456789"));
    QVERIFY(pView->SelActive);
    QVERIFY(!pView->GetDocument()->IsModified());
}

void tst_insert::zeroByteInserted()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(QByteArray("ab"));
    MoveCaretTo(pView, 1);
    CSeen seen;
    QString ascii;
    OnInsertDialog(seen, [&](QWidget* pDialog) {
        QLineEdit* pHex = Box(pDialog, IDC_INSERT_HEX);
        pHex->setFocus();
        QTest::keyClicks(pHex, QStringLiteral("00"));
        ascii = Box(pDialog, IDC_INSERT_ASCII)->text();
        QTest::keyClick(pHex, Qt::Key_Return);
    });
    program.Frame()->ExecuteCommand(ID_EDIT_INSERT);
    QCOMPARE(ascii, QString());
    QCOMPARE(Bytes(pView), QByteArray("a\0b", 3));
}

void tst_insert::malformedHexKeepsDialogOpen()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(QByteArray("ab"));
    PutInText(pView, false);
    CSeen seen;
    bool openAfterOk = false;
    bool hexFocusedAfterOk = false;
    OnInsertDialog(seen, [&](QWidget* pDialog) {
        QLineEdit* pHex = Box(pDialog, IDC_INSERT_HEX);
        QTest::keyRelease(pHex, Qt::Key_4);
        QTest::keyClicks(pHex, QStringLiteral("12"));
        Box(pDialog, IDC_INSERT_ASCII)->setFocus();
        static_cast<CDialog*>(pDialog)->GetDlgItemAs<QAbstractButton>(IDOK)->click();
        openAfterOk = pDialog->isVisible();
        hexFocusedAfterOk = pDialog->focusWidget() == Box(pDialog, IDC_INSERT_HEX);
        Cancel(pDialog);
    });
    QTest::keyClick(pView, Qt::Key_4);
    QVERIFY(seen.Shown);
    QCOMPARE(program.Messages.Texts, QStringList{FormatError});
    QVERIFY(openAfterOk);
    QVERIFY(hexFocusedAfterOk);
    QCOMPARE(Bytes(pView), QByteArray("ab"));
}

QTEST_MAIN(tst_insert)
#include "tst_insert.moc"
