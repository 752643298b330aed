// Keyboard navigation: caret moves, the end-of-line place, scrolling at the
// window's edges, and the selection extended with Shift.

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "view/BytelonView.h"

#include <QApplication>
#include <QImage>
#include <QRegion>
#include <QTest>

namespace {

void Key(CBytelonView* pView, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(pView, key, modifiers);
}

// n counting bytes, perLine to a line, `lines` of them shown (0: as opened), with the focus.
CBytelonView* OpenCounting(CProgram& program, int perLine, int n, int lines = 0)
{
    program.App()->CharPerLine = perLine;
    return program.OpenFocused(Counting(n), lines);
}

}  // namespace

class tst_keyboard : public QObject {
    Q_OBJECT
private slots:
    void endOfLinePlace();
    void shiftExtendsAndPlainMoveEnds();
    void shiftDownAtBottomScrollsWithContinuousBand_data();
    void shiftDownAtBottomScrollsWithContinuousBand();
    void ctrlUpDownScrollKeepingTheByte();
    void upDownAtTheEdges();
    void pageKeys();
    void homeEndAndDocumentEnds();
    void tabAndEscape();
    void emptyDocument();
    void ctrlReleasedInsideADialog_data();
    void ctrlReleasedInsideADialog();
};

void tst_keyboard::endOfLinePlace()
{
    CProgram program;
    CBytelonView* pView = OpenCounting(program, 8, 20);
    PlaceCaret(pView, 17);
    Key(pView, Qt::Key_End);
    QCOMPARE(CaretCell(pView), std::pair(2, 4));
    QCOMPARE(pView->CaretOffset(), 20);

    PlaceCaret(pView, 3);
    Key(pView, Qt::Key_End);
    QCOMPARE(CaretCell(pView), std::pair(0, 8));
    QCOMPARE(pView->CaretOffset(), 8);
    // Drawn after byte 7, in the blank before where a ninth byte would be.
    const int x = int(float(pView->HexColumnX()) + (24 - 0.5F) * pView->CharWidth) - 1;
    QCOMPARE(pView->GetCaretPos(), QPoint(x, pView->LineHeight + 5));
    QCOMPARE(program.PaneText(1), QStringLiteral("00000008 "));

    Key(pView, Qt::Key_Right);  // same offset, drawn at the next row's start
    QCOMPARE(CaretCell(pView), std::pair(1, 0));
    QCOMPARE(pView->CaretOffset(), 8);

    Key(pView, Qt::Key_End);
    Key(pView, Qt::Key_Left);  // from the end-of-line place to the row's last byte
    QCOMPARE(pView->CaretOffset(), 15);
    QCOMPARE(pView->CaretRow, 1);

    PlaceCaret(pView, 20);
    Key(pView, Qt::Key_Right);  // after the last byte nothing moves
    QCOMPARE(pView->CaretOffset(), 20);
    Key(pView, Qt::Key_Left);
    QCOMPARE(pView->CaretOffset(), 19);
}

void tst_keyboard::shiftExtendsAndPlainMoveEnds()
{
    CProgram program;
    CBytelonView* pView = OpenCounting(program, 8, 64);
    PlaceCaret(pView, 5);
    for (int i = 0; i < 3; ++i)
        Key(pView, Qt::Key_Right, Qt::ShiftModifier);
    QVERIFY(pView->SelActive);
    QCOMPARE(std::min(pView->SelAnchor, pView->SelEnd), 5);
    QCOMPARE(std::max(pView->SelAnchor, pView->SelEnd), 8);
    QCOMPARE(pView->ShiftDown, 0);  // released with the key
    Key(pView, Qt::Key_Left);
    QVERIFY(!pView->SelActive);
    QCOMPARE(pView->CaretOffset(), 7);

    // A selection still active is extended from its old anchor.
    Key(pView, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyPress(pView, Qt::Key_Shift);
    QTest::keyClick(pView, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyRelease(pView, Qt::Key_Shift);
    QCOMPARE(Selection(pView), std::pair(7, 9));
}

void tst_keyboard::shiftDownAtBottomScrollsWithContinuousBand_data()
{
    QTest::addColumn<int>("endedAnchor");  // a selection made and ended before; -1 for none
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("shownTop");
    QTest::addColumn<int>("shownCaret");
    QTest::newRow("down-from-the-last-row") << -1 << 0 << 9 * 8 + 3 << int(Qt::Key_Down) << 16 << 91;
    QTest::newRow("down-after-an-ended-selection") << 100 << 0 << 9 * 8 + 3 << int(Qt::Key_Down) << 16 << 91;
    QTest::newRow("up-after-an-ended-selection") << 2 << 24 << 27 << int(Qt::Key_Up) << 8 << 11;
    QTest::newRow("left-after-an-ended-selection") << 0 << 24 << 24 << int(Qt::Key_Left) << 16 << 22;
}

void tst_keyboard::shiftDownAtBottomScrollsWithContinuousBand()
{
    QFETCH(int, endedAnchor);
    QFETCH(int, top);
    QFETCH(int, caret);
    QFETCH(int, key);
    QFETCH(int, shownTop);
    QFETCH(int, shownCaret);
    CProgram program;
    CBytelonView* pView = OpenCounting(program, 8, 2000, 10);
    if (endedAnchor >= 0) {
        SelectBytes(pView, endedAnchor, endedAnchor + 1);
        MoveCaretTo(pView, endedAnchor);  // ends it, its end left behind
    }
    WithPreparedDC(pView, [&](CDC* pDC) { pView->ScrollTo(top, -1, pDC); });
    PlaceCaret(pView, caret);
    QCOMPARE(pView->TopOffset, top);
    pView->clearFocus();
    ProcessEvents();
    QTest::keyPress(pView, Qt::Key_Shift);
    QTest::keyClick(pView, Qt::Key(key), Qt::ShiftModifier);
    QTest::keyClick(pView, Qt::Key(key), Qt::ShiftModifier);
    QTest::keyRelease(pView, Qt::Key_Shift);
    QCOMPARE(pView->TopOffset, shownTop);
    QCOMPARE(Selection(pView), std::pair(caret, shownCaret));
    QCOMPARE(pView->CaretOffset(), shownCaret);
    // What the scrolls left on the screen shows the selection exactly.
    QCOMPARE(SelectionMismatchesOnScreen(pView), 0);
}

void tst_keyboard::ctrlUpDownScrollKeepingTheByte()
{
    CProgram program;
    CBytelonView* pView = OpenCounting(program, 8, 2000, 10);
    WithPreparedDC(pView, [pView](CDC* pDC) { pView->ScrollTo(80, -1, pDC); });
    PlaceCaret(pView, 80 + 3 * 8 + 2);
    Key(pView, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(pView->TopOffset, 88);
    QCOMPARE(pView->CaretRow, 2);
    QCOMPARE(pView->CaretOffset(), 106);
    Key(pView, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(pView->TopOffset, 80);
    QCOMPARE(pView->CaretOffset(), 106);
    // On the row that would leave the screen the caret keeps its row instead.
    PlaceCaret(pView, 80 + 2);
    Key(pView, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(pView->TopOffset, 88);
    QCOMPARE(pView->CaretRow, 0);
    QCOMPARE(pView->CtrlDown, 0);
}

void tst_keyboard::upDownAtTheEdges()
{
    CProgram program;
    CBytelonView* pView = OpenCounting(program, 8, 200, 10);
    PlaceCaret(pView, 3);
    Key(pView, Qt::Key_Up);  // the document's first line is the top row
    QCOMPARE(pView->CaretOffset(), 3);
    Key(pView, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(pView->TopOffset, 0);
    PlaceCaret(pView, 9 * 8 + 1);
    Key(pView, Qt::Key_Down);  // scrolls one line, caret stays on the bottom row
    QCOMPARE(pView->TopOffset, 8);
    QCOMPARE(pView->CaretRow, 9);
    QCOMPARE(pView->CaretOffset(), 81);
    Key(pView, Qt::Key_Up);
    QCOMPARE(pView->CaretRow, 8);
    // At the end of the document Down stops.
    WithPreparedDC(pView, [pView](CDC* pDC) { pView->ScrollToBottom(pDC); });
    const int top = pView->TopOffset;
    Key(pView, Qt::Key_Down);
    Key(pView, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(pView->TopOffset, top);
    QCOMPARE(pView->CaretOffset(), 200);
}

void tst_keyboard::pageKeys()
{
    CProgram program;
    CBytelonView* pView = OpenCounting(program, 16, 5000, 10);
    PlaceCaret(pView, 2 * 16 + 5);
    Key(pView, Qt::Key_PageDown);
    QCOMPARE(pView->TopOffset, 160);
    QCOMPARE(pView->CaretOffset(), 160 + 37);
    Key(pView, Qt::Key_PageUp);
    Key(pView, Qt::Key_PageUp);
    QCOMPARE(pView->TopOffset, 0);
    QCOMPARE(pView->CaretOffset(), 37);
}

void tst_keyboard::homeEndAndDocumentEnds()
{
    CProgram program;
    CBytelonView* pView = OpenCounting(program, 16, 5003, 10);
    PlaceCaret(pView, 40);
    Key(pView, Qt::Key_Home);
    QCOMPARE(pView->CaretOffset(), 32);
    Key(pView, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(pView->CaretOffset(), 5003);
    QCOMPARE(pView->BottomOffset, 5002);
    Key(pView, Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(pView->CaretOffset(), 0);
    QVERIFY(pView->SelActive);
    QCOMPARE(Selection(pView), std::pair(5003, 0));
}

void tst_keyboard::tabAndEscape()
{
    CProgram program;
    CBytelonView* pView = OpenCounting(program, 8, 64);
    PlaceCaret(pView, 10);
    Key(pView, Qt::Key_Right, Qt::ShiftModifier);
    Key(pView, Qt::Key_Right, Qt::ShiftModifier);
    const QString pane = program.PaneText(1);
    Key(pView, Qt::Key_Tab);
    QCOMPARE(pView->CaretInText, 1);
    QVERIFY(pView->SelActive);
    QCOMPARE(pView->SelEnd, 12);
    QCOMPARE(program.PaneText(1), pane);
    QCOMPARE(pView->GetCaretPos().x(), int(float(pView->TextColumnX()) + 4 * pView->CharWidth) - 1);
    Key(pView, Qt::Key_Escape);
    QVERIFY(!pView->SelActive);
    QCOMPARE(pView->CaretOffset(), 12);
}

void tst_keyboard::emptyDocument()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(QByteArray());
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Left, Qt::Key_Down, Qt::Key_Up, Qt::Key_End, Qt::Key_Home,
                        Qt::Key_PageDown, Qt::Key_PageUp}) {
        Key(pView, key);
        Key(pView, key, Qt::ControlModifier);
        QCOMPARE(CaretCell(pView), std::pair(0, 0));
        QCOMPARE(pView->TopOffset, 0);
    }
}

void tst_keyboard::ctrlReleasedInsideADialog_data()
{
    QTest::addColumn<int>("key");  // with Ctrl, opens the dialog
    QTest::addColumn<bool>("modal");
    QTest::newRow("goto-address") << int(Qt::Key_G) << true;
    QTest::newRow("insert") << int(Qt::Key_I) << true;
    QTest::newRow("find") << int(Qt::Key_F) << false;
    QTest::newRow("replace") << int(Qt::Key_R) << false;
}

void tst_keyboard::ctrlReleasedInsideADialog()
{
    QFETCH(int, key);
    QFETCH(bool, modal);
    CProgram program;
    CBytelonView* pView = OpenCounting(program, 8, 2000, 10);
    PlaceCaret(pView, 3 * 8 + 5);
    // Ctrl is let go of where the person is typing: in the dialog.
    auto releaseCtrlAndClose = [](QWidget* pDialog) {
        QWidget* pFocus = QApplication::focusWidget();
        QTest::keyRelease(pFocus && pFocus->window() == pDialog ? pFocus : pDialog, Qt::Key_Control);
        pDialog->close();
    };
    if (modal)
        WhenModal(releaseCtrlAndClose);
    QTest::keyPress(pView, Qt::Key(key), Qt::ControlModifier);
    ProcessEvents();
    if (!modal) {
        QWidget* pDialog = QApplication::activeWindow();
        QVERIFY(pDialog && pDialog != static_cast<QWidget*>(program.Frame()));
        releaseCtrlAndClose(pDialog);
    }
    // The window manager gives the main window the focus back.
    program.Frame()->activateWindow();
    ProcessEvents();
    QCOMPARE(QApplication::focusWidget(), pView);
    // Plain Home and Down, not their Ctrl meanings.
    QTest::keyClick(pView, Qt::Key_Home);
    QCOMPARE(pView->CaretOffset(), 3 * 8);
    QTest::keyClick(pView, Qt::Key_Down);
    QCOMPARE(pView->CaretOffset(), 4 * 8);
    QCOMPARE(pView->TopOffset, 0);
}

QTEST_MAIN(tst_keyboard)
#include "tst_keyboard.moc"
