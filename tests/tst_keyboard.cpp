// Keyboard navigation: caret moves, the end-of-line place, scrolling at the
// window's edges, and the selection extended with Shift.

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "doc/BytelonDoc.h"
#include "view/BytelonView.h"
#include "view/PreparedDC.h"

#include <QImage>
#include <QRegion>
#include <QTest>

namespace {

void Key(CBytelonView* pView, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(pView, key, modifiers);
}

void PutCaret(CBytelonView* pView, int offset)
{
    CPreparedDC dc(pView);
    pView->SetCaretToOffset(offset, dc);
}

}  // namespace

class tst_keyboard : public QObject {
    Q_OBJECT
private slots:
    void endOfLinePlace();
    void shiftExtendsAndPlainMoveEnds();
    void shiftDownAtBottomScrollsWithContinuousBand();
    void ctrlUpDownScrollKeepingTheByte();
    void upDownAtTheEdges();
    void pageKeys();
    void homeEndAndDocumentEnds();
    void tabAndEscape();
    void emptyDocument();
};

void tst_keyboard::endOfLinePlace()
{
    CProgram program;
    program.App()->CharPerLine = 8;
    CBytelonView* pView = program.OpenBytes(Counting(20));
    Focus(pView);
    PutCaret(pView, 17);
    Key(pView, Qt::Key_End);
    QCOMPARE(pView->CaretRow, 2);
    QCOMPARE(pView->CaretColumn, 4);
    QCOMPARE(pView->CaretOffset(), 20);

    PutCaret(pView, 3);
    Key(pView, Qt::Key_End);
    QCOMPARE(pView->CaretRow, 0);
    QCOMPARE(pView->CaretColumn, 8);
    QCOMPARE(pView->CaretOffset(), 8);
    // Drawn after byte 7, in the blank before where a ninth byte would be.
    const int x = int(float(pView->HexColumnX()) + (24 - 0.5F) * pView->CharWidth) - 1;
    QCOMPARE(pView->GetCaretPos(), QPoint(x, pView->LineHeight + 5));
    QCOMPARE(program.PaneText(1), QStringLiteral("00000008 "));

    Key(pView, Qt::Key_Right);  // same offset, drawn at the next row's start
    QCOMPARE(pView->CaretRow, 1);
    QCOMPARE(pView->CaretColumn, 0);
    QCOMPARE(pView->CaretOffset(), 8);

    Key(pView, Qt::Key_End);
    Key(pView, Qt::Key_Left);  // from the end-of-line place to the row's last byte
    QCOMPARE(pView->CaretOffset(), 15);
    QCOMPARE(pView->CaretRow, 1);

    PutCaret(pView, 20);
    Key(pView, Qt::Key_Right);  // after the last byte nothing moves
    QCOMPARE(pView->CaretOffset(), 20);
    Key(pView, Qt::Key_Left);
    QCOMPARE(pView->CaretOffset(), 19);
}

void tst_keyboard::shiftExtendsAndPlainMoveEnds()
{
    CProgram program;
    program.App()->CharPerLine = 8;
    CBytelonView* pView = program.OpenBytes(Counting(64));
    Focus(pView);
    PutCaret(pView, 5);
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
    QCOMPARE(pView->SelAnchor, 7);
    QCOMPARE(pView->SelEnd, 9);
}

void tst_keyboard::shiftDownAtBottomScrollsWithContinuousBand()
{
    CProgram program;
    program.App()->CharPerLine = 8;
    CBytelonView* pView = program.OpenBytes(Counting(2000));
    ShowLines(pView, 10);
    Focus(pView);
    PutCaret(pView, 9 * 8 + 3);  // last window row
    QCOMPARE(pView->CaretRow, 9);
    pView->clearFocus();
    ProcessEvents();
    QTest::keyPress(pView, Qt::Key_Shift);
    QTest::keyClick(pView, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(pView, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyRelease(pView, Qt::Key_Shift);
    QCOMPARE(pView->TopOffset, 16);
    QCOMPARE(pView->CaretRow, 9);
    QCOMPARE(pView->SelAnchor, 75);
    QCOMPARE(pView->SelEnd, 91);
    QCOMPARE(pView->CaretOffset(), 91);
    // The inverted band matches the selection exactly after the scrolls.
    const QImage shown = Grab(pView);
    const QRegion cells = SelectedCells(pView);
    pView->SelActive = 0;
    pView->Invalidate();
    const QImage plain = Grab(pView);
    QCOMPARE(InversionMismatches(plain, shown, cells), 0);
}

void tst_keyboard::ctrlUpDownScrollKeepingTheByte()
{
    CProgram program;
    program.App()->CharPerLine = 8;
    CBytelonView* pView = program.OpenBytes(Counting(2000));
    ShowLines(pView, 10);
    Focus(pView);
    {
        CPreparedDC dc(pView);
        pView->ScrollTo(80, -1, dc);
    }
    PutCaret(pView, 80 + 3 * 8 + 2);
    Key(pView, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(pView->TopOffset, 88);
    QCOMPARE(pView->CaretRow, 2);
    QCOMPARE(pView->CaretOffset(), 106);
    Key(pView, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(pView->TopOffset, 80);
    QCOMPARE(pView->CaretOffset(), 106);
    // On the row that would leave the screen the caret keeps its row instead.
    PutCaret(pView, 80 + 2);
    Key(pView, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(pView->TopOffset, 88);
    QCOMPARE(pView->CaretRow, 0);
    QCOMPARE(pView->CtrlDown, 0);
}

void tst_keyboard::upDownAtTheEdges()
{
    CProgram program;
    program.App()->CharPerLine = 8;
    CBytelonView* pView = program.OpenBytes(Counting(200));
    ShowLines(pView, 10);
    Focus(pView);
    PutCaret(pView, 3);
    Key(pView, Qt::Key_Up);  // the document's first line is the top row
    QCOMPARE(pView->CaretOffset(), 3);
    Key(pView, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(pView->TopOffset, 0);
    PutCaret(pView, 9 * 8 + 1);
    Key(pView, Qt::Key_Down);  // scrolls one line, caret stays on the bottom row
    QCOMPARE(pView->TopOffset, 8);
    QCOMPARE(pView->CaretRow, 9);
    QCOMPARE(pView->CaretOffset(), 81);
    Key(pView, Qt::Key_Up);
    QCOMPARE(pView->CaretRow, 8);
    // At the end of the document Down stops.
    {
        CPreparedDC dc(pView);
        pView->ScrollToBottom(dc);
    }
    const int top = pView->TopOffset;
    Key(pView, Qt::Key_Down);
    Key(pView, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(pView->TopOffset, top);
    QCOMPARE(pView->CaretOffset(), 200);
}

void tst_keyboard::pageKeys()
{
    CProgram program;
    program.App()->CharPerLine = 16;
    CBytelonView* pView = program.OpenBytes(Counting(5000));
    ShowLines(pView, 10);
    Focus(pView);
    PutCaret(pView, 2 * 16 + 5);
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
    program.App()->CharPerLine = 16;
    CBytelonView* pView = program.OpenBytes(Counting(5003));
    ShowLines(pView, 10);
    Focus(pView);
    PutCaret(pView, 40);
    Key(pView, Qt::Key_Home);
    QCOMPARE(pView->CaretOffset(), 32);
    Key(pView, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(pView->CaretOffset(), 5003);
    QCOMPARE(pView->BottomOffset, 5002);
    Key(pView, Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(pView->CaretOffset(), 0);
    QVERIFY(pView->SelActive);
    QCOMPARE(pView->SelAnchor, 5003);
    QCOMPARE(pView->SelEnd, 0);
}

void tst_keyboard::tabAndEscape()
{
    CProgram program;
    program.App()->CharPerLine = 8;
    CBytelonView* pView = program.OpenBytes(Counting(64));
    Focus(pView);
    PutCaret(pView, 10);
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
    CBytelonView* pView = program.OpenBytes(QByteArray());
    Focus(pView);
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Left, Qt::Key_Down, Qt::Key_Up, Qt::Key_End, Qt::Key_Home,
                        Qt::Key_PageDown, Qt::Key_PageUp}) {
        Key(pView, key);
        Key(pView, key, Qt::ControlModifier);
        QCOMPARE(pView->CaretRow, 0);
        QCOMPARE(pView->CaretColumn, 0);
        QCOMPARE(pView->TopOffset, 0);
    }
}

QTEST_MAIN(tst_keyboard)
#include "tst_keyboard.moc"
