// The Goto Address and Number of Data Columns dialogs: what the entries
// accept, what they refuse, and where the view goes.

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "framework/Dialog.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

// What one run of a dialog showed and how it ended.
struct CDialogRun {
    bool Ran = false;  // the command was carried out
    QString InitialText;
    QString EntryText;  // after typing
    bool EditHadFocus = false;
    bool StayedOpen = false;
};

// Types into the dialog's entry and presses OK; a dialog that stays open is cancelled.
void AnswerNextDialog(int entryId, const QString& typed, CDialogRun& run, bool cancel = false)
{
    WhenModal([entryId, typed, &run, cancel](QWidget* pModal) {
        auto* pDialog = qobject_cast<CDialog*>(pModal);
        if (!pDialog) {
            pModal->close();
            return;
        }
        auto* pEntry = pDialog->GetDlgItemAs<QLineEdit>(entryId);
        run.InitialText = pEntry->text();
        run.EditHadFocus = QApplication::focusWidget() == pEntry || pDialog->focusWidget() == pEntry;
        pEntry->selectAll();
        QTest::keyClick(pEntry, Qt::Key_Backspace);
        QTest::keyClicks(pEntry, typed);
        run.EntryText = pEntry->text();
        if (!cancel) {
            pDialog->GetDlgItemAs<QPushButton>(IDOK)->click();
            run.StayedOpen = pDialog->isVisible();
        }
        if (cancel || run.StayedOpen)
            pDialog->GetDlgItemAs<QPushButton>(IDCANCEL)->click();
    });
}

// Runs the command from the menu, answering its dialog as AnswerNextDialog does.
CDialogRun RunDialog(CProgram& program, UINT command, int entryId, const QString& typed, bool cancel = false)
{
    CDialogRun run;
    AnswerNextDialog(entryId, typed, run, cancel);
    run.Ran = program.Frame()->ExecuteCommand(command);
    ProcessEvents();
    return run;
}

}  // namespace

class tst_goto : public QObject {
    Q_OBJECT
private slots:
    void gotoAddress_data();
    void gotoAddress();
    void gotoCentresAndKeyboard();
    void gotoWithShiftExtends();
    void dataColumns();
    void dataColumnsRefused_data();
    void dataColumnsRefused();
    void entryTakesOnlyWhatTypingCould_data();
    void entryTakesOnlyWhatTypingCould();
};

void tst_goto::gotoAddress_data()
{
    QTest::addColumn<int>("hex");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("offset");  // -1: refused
    QTest::addRow("empty-entry-goes-to-0") << 1 << 1000 << "" << "" << 0;
    QTest::addRow("hex-1a-goes-to-26") << 1 << 1000 << "1a" << "1A" << 26;
    QTest::addRow("decimal-letter-dropped") << 0 << 1000 << "1a" << "1" << 1;
    QTest::addRow("decimal-26") << 0 << 1000 << "26" << "26" << 26;
    QTest::addRow("hex-other-characters-dropped") << 1 << 1000 << "-2 x+g3" << "23" << 0x23;
    QTest::addRow("eight-f-refused") << 1 << 1000 << "FFFFFFFF" << "FFFFFFFF" << -1;
    QTest::addRow("decimal-above-limit-refused") << 0 << 1000 << "2147483648" << "2147483648" << -1;
    QTest::addRow("at-most-ten-characters") << 1 << 1000 << "00000000301" << "0000000030" << 0x30;
    QTest::addRow("limit-in-small-document-goes-after-last-byte") << 1 << 100 << "7FFFFFFF" << "7FFFFFFF" << 100;
    QTest::addRow("decimal-limit-goes-after-last-byte") << 0 << 100 << "2147483647" << "2147483647" << 100;
    QTest::addRow("exact-end-of-full-lines") << 1 << 96 << "60" << "60" << 96;
    QTest::addRow("empty-document") << 1 << 0 << "10" << "10" << 0;
}

void tst_goto::gotoAddress()
{
    QFETCH(int, hex);
    QFETCH(int, length);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, offset);
    CProgram program;
    program.App()->HexAddressBase = hex;
    CBytelonView* pView = program.OpenFocused(Counting(length), 10);
    if (length > 0)
        PlaceCaret(pView, 5);
    const int before = pView->CaretOffset();

    const CDialogRun run = RunDialog(program, ID_SEARCH_GOTO, IDC_ADDRESS, typed);
    QVERIFY(run.Ran);
    QVERIFY(run.InitialText.isEmpty());
    QVERIFY(run.EditHadFocus);
    QCOMPARE(run.EntryText, shown);
    if (offset < 0) {
        QVERIFY(run.StayedOpen);
        QCOMPARE(program.Messages.Texts,
                 QStringList{QStringLiteral("Please enter a Hex number between 0 and 7FFFFFFF")});
        QCOMPARE(pView->CaretOffset(), before);
        return;
    }
    QVERIFY(!run.StayedOpen);
    QVERIFY(program.Messages.Texts.isEmpty());
    QCOMPARE(pView->CaretOffset(), offset);
    QVERIFY(pView->CaretRow <= pView->LastDataRow());
    QVERIFY(pView->CaretColumn <= pView->BytesPerLine);
    QCOMPARE(pView->SelActive, 0);
}

void tst_goto::gotoCentresAndKeyboard()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(Counting(10000), 10);
    CDialogRun run;
    AnswerNextDialog(IDC_ADDRESS, QStringLiteral("1003"), run);
    QTest::keyClick(pView, Qt::Key_G, Qt::ControlModifier);
    ProcessEvents();
    QCOMPARE(pView->CaretOffset(), 0x1003);
    QCOMPARE(pView->TopOffset, 8 * (0x1003 / 8 - pView->LinesPerScreen / 2));
    QCOMPARE(program.PaneText(1), QStringLiteral("00001003 "));

    // Cancel leaves everything as it was; the entry starts empty every time.
    const CDialogRun cancelled = RunDialog(program, ID_SEARCH_GOTO, IDC_ADDRESS, QStringLiteral("20"), true);
    QVERIFY(cancelled.Ran);
    QVERIFY(cancelled.InitialText.isEmpty());
    QCOMPARE(pView->CaretOffset(), 0x1003);
}

void tst_goto::gotoWithShiftExtends()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(Counting(1000), 10);
    PlaceCaret(pView, 5);
    QTest::keyPress(pView, Qt::Key_Shift);
    SetShiftHeld(true);
    QVERIFY(RunDialog(program, ID_SEARCH_GOTO, IDC_ADDRESS, QStringLiteral("200")).Ran);
    QCOMPARE(pView->SelActive, 1);
    QCOMPARE(Selection(pView), std::pair(5, 0x200));
    QCOMPARE(pView->CaretOffset(), 0x200);
    QCOMPARE(SelectionMismatchesOnScreen(pView), 0);

    // Without Shift the next Goto ends the selection.
    QTest::keyRelease(pView, Qt::Key_Shift);
    SetShiftHeld(false);
    QVERIFY(RunDialog(program, ID_SEARCH_GOTO, IDC_ADDRESS, QStringLiteral("201")).Ran);
    QCOMPARE(pView->SelActive, 0);
    QCOMPARE(pView->CaretOffset(), 0x201);
    QCOMPARE(SelectionMismatchesOnScreen(pView), 0);
}

void tst_goto::dataColumns()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(Counting(100), 4);
    PlaceCaret(pView, 29);
    const int width = pView->width();
    const CDialogRun run = RunDialog(program, ID_VIEW_DATA_COLUMNS, IDC_COLUMNS, QStringLiteral("16"));
    QVERIFY(run.Ran);
    QCOMPARE(run.InitialText, QStringLiteral("8"));
    QVERIFY(run.EditHadFocus);
    QCOMPARE(pView->BytesPerLine, 16);
    QCOMPARE(pView->CaretOffset(), 29);
    QCOMPARE(pView->TopOffset, 16 * (29 / 16 - pView->LinesPerScreen / 2 > 0 ? 29 / 16 - pView->LinesPerScreen / 2 : 0));
    QVERIFY(pView->width() > width);
    QCOMPARE(program.App()->CharPerLine, 16);
    // Lines of 16 bytes: the second line starts at 10.
    QCOMPARE(CRecordingDC::OfView(pView)->TextsAt(5 + 2 * pView->LineHeight).value(0), QStringLiteral("00000010"));

    CBytelonView* pLater = program.OpenBytes(Counting(100), QStringLiteral("later.bin"));
    QCOMPARE(pLater->BytesPerLine, 16);

    // Cancel changes nothing; the entry shows the present count.
    Focus(pView);
    const CDialogRun cancelled = RunDialog(program, ID_VIEW_DATA_COLUMNS, IDC_COLUMNS, QStringLiteral("4"), true);
    QVERIFY(cancelled.Ran);
    QCOMPARE(cancelled.InitialText, QStringLiteral("16"));
    QCOMPARE(pView->BytesPerLine, 16);
    QVERIFY(program.Messages.Texts.isEmpty());
}

void tst_goto::dataColumnsRefused_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addRow("zero") << "0" << "Please enter an integer between 1 and 64.";
    QTest::addRow("sixty-five") << "65" << "Please enter an integer between 1 and 64.";
    QTest::addRow("negative") << "-3" << "Please enter an integer between 1 and 64.";
    QTest::addRow("letters") << "ab" << "Please enter an integer.";
    QTest::addRow("digits-then-letters") << "12x" << "Please enter an integer.";
    QTest::addRow("empty") << "" << "Please enter an integer.";
}

void tst_goto::dataColumnsRefused()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    CProgram program;
    CBytelonView* pView = program.OpenFocused(Counting(100));
    const CDialogRun run = RunDialog(program, ID_VIEW_DATA_COLUMNS, IDC_COLUMNS, typed);
    QVERIFY(run.Ran);
    QVERIFY(run.StayedOpen);
    QCOMPARE(program.Messages.Texts, QStringList{message});
    QCOMPARE(pView->BytesPerLine, 8);
    QCOMPARE(program.App()->CharPerLine, 8);
}

void tst_goto::entryTakesOnlyWhatTypingCould_data()
{
    QTest::addColumn<int>("hex");
    QTest::addColumn<int>("route");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("offset");
    // Ctrl+V is a control character: dropped, so "1G" cannot slip in as 1.
    QTest::addRow("ctrl-v-dropped") << 1 << int(CTextRoute::CtrlV) << "1G" << 0;
    QTest::addRow("menu-paste-of-a-non-digit-refused") << 1 << int(CTextRoute::MenuPaste) << "1G" << 0;
    QTest::addRow("menu-paste-of-hex-digits") << 1 << int(CTextRoute::MenuPaste) << "1a" << 0x1A;
    QTest::addRow("shift-insert-with-a-blank-refused") << 1 << int(CTextRoute::ShiftInsert) << "12 " << 0;
    QTest::addRow("decimal-drop-of-a-letter-refused") << 0 << int(CTextRoute::Drop) << "1a" << 0;
    QTest::addRow("decimal-drop-of-digits") << 0 << int(CTextRoute::Drop) << "26" << 26;
}

void tst_goto::entryTakesOnlyWhatTypingCould()
{
    QFETCH(int, hex);
    QFETCH(int, route);
    QFETCH(QString, text);
    QFETCH(int, offset);
    CProgram program;
    program.App()->HexAddressBase = hex;
    CBytelonView* pView = program.OpenFocused(Counting(1000), 10);
    PlaceCaret(pView, 5);
    WhenModal([&](QWidget* pModal) {
        auto* pDialog = qobject_cast<CDialog*>(pModal);
        PutTextThrough(pDialog->GetDlgItemAs<QLineEdit>(IDC_ADDRESS), CTextRoute(route), text);
        pDialog->GetDlgItemAs<QPushButton>(IDOK)->click();
    });
    QVERIFY(program.Frame()->ExecuteCommand(ID_SEARCH_GOTO));
    ProcessEvents();
    QCOMPARE(pView->CaretOffset(), offset);
    QVERIFY(program.Messages.Texts.isEmpty());
}

QTEST_MAIN(tst_goto)
#include "tst_goto.moc"
