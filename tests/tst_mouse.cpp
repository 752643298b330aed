// Mouse selection, the drag beyond the window's edges, dragging the column
// rules, and the column box shown meanwhile.

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "view/BytelonView.h"
#include "view/ColumnBox.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <array>
#include <functional>
#include <random>

namespace {

// The middle of data row `row` (-1: the header) at `cells` character widths from the left.
QPoint At(CBytelonView* pView, int row, double cells)
{
    return QPoint(int(cells * pView->CharWidth), 5 + (row + 1) * pView->LineHeight + pView->LineHeight / 2);
}

// In the hex pane, `fraction` of the way across byte column j's two digits.
QPoint AtHex(CBytelonView* pView, int row, int j, double fraction)
{
    return At(pView, row, pView->AddressWidth() + 5 + 3 * j + 2 * fraction);
}

QPoint AtText(CBytelonView* pView, int row, int j, double fraction)
{
    return At(pView, row, pView->AddressWidth() + 3 * pView->BytesPerLine + 7 + j + fraction);
}

void Press(CBytelonView* pView, QPoint point, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::mousePress(pView->viewport(), Qt::LeftButton, modifiers, point);
}

void Drag(CBytelonView* pView, QPoint point)
{
    QTest::mouseMove(pView->viewport(), point);
}

void Release(CBytelonView* pView, QPoint point)
{
    QTest::mouseRelease(pView->viewport(), Qt::LeftButton, Qt::NoModifier, point);
}

// The pointer passing over the view with no button down.
void Hover(CBytelonView* pView, QPoint point)
{
    QWidget* pViewport = pView->viewport();
    QMouseEvent move(QEvent::MouseMove, point, pViewport->mapToGlobal(point), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(pViewport, &move);
}

// The bytes shown `lines` lines high (0: as opened), focused and painted, ready for the pointer.
CBytelonView* OpenForPointer(CProgram& program, const QByteArray& bytes, int lines = 0)
{
    CBytelonView* pView = program.OpenFocused(bytes, lines);
    Grab(pView);
    return pView;
}

QList<CColumnBox*> ColumnBoxes()
{
    QList<CColumnBox*> boxes;
    for (QWidget* pWidget : QApplication::topLevelWidgets()) {
        if (auto* pBox = qobject_cast<CColumnBox*>(pWidget); pBox && pBox->isVisible())
            boxes << pBox;
    }
    return boxes;
}

// The caret and selection as the design states them: the screen-relative
// caret pulled back into the data, moves wrapped by the Shift key, presses
// and drags that start or extend the selection.
struct CCaretModel {
    int Len;
    int Bpl;
    int Lps;
    int Top = 0;
    int Row = 0;
    int Col = 0;
    int InText = 0;
    int SelActive = 0;
    int Anchor = 0;
    int SelEnd = 0;

    // The view's own state, to compare with the model's.
    static CCaretModel Of(const CBytelonView* pView)
    {
        return {0, pView->BytesPerLine, pView->LinesPerScreen, pView->TopOffset, pView->CaretRow,
                pView->CaretColumn, pView->CaretInText, pView->SelActive, pView->SelAnchor,
                pView->SelActive ? pView->SelEnd : 0};
    }
    [[nodiscard]] std::array<int, 7> State() const { return {Top, Row, Col, InText, SelActive, Anchor, SelActive ? SelEnd : 0}; }
    [[nodiscard]] QString Text() const
    {
        return QString::asprintf("top %d caret %d,%d pane %d selection %d %d-%d", Top, Row, Col, InText, SelActive,
                                 Anchor, SelEnd);
    }
    [[nodiscard]] int Offset() const { return Top + Row * Bpl + Col; }
    [[nodiscard]] int LastOffset() const { return Len > 0 ? Len - 1 : 0; }
    [[nodiscard]] int Bottom() const { return std::min(Top + Lps * Bpl - 1, LastOffset()); }
    [[nodiscard]] int LastRow() const { return Len <= 0 ? 0 : std::min((Len - 1) / Bpl - Top / Bpl, Lps - 1); }
    void Keep()
    {
        if (Offset() > Bottom() + 1 || Row > LastRow()) {
            Row = LastRow();
            Col = Bpl;
        }
        if (Offset() > Bottom() + 1)
            Col = LastOffset() % Bpl + 1;
        if (Len == 0)
            Col = 0;
    }
    // mode < 0: the offset's line at the top; otherwise the offset on the last row.
    void ScrollTo(int offset, int mode)
    {
        if (mode < 0) {
            Top = offset > 0 ? Bpl * (offset / Bpl) : 0;
            if (Top + Lps * Bpl > Len)
                Top = Bpl * (LastOffset() / Bpl + 1) - Lps * Bpl;
        } else {
            Top = Bpl * (std::clamp(offset, 0, LastOffset()) / Bpl + 1) - Lps * Bpl;
        }
        Top = std::max(Top, 0);
        Keep();
    }
    void Sync(bool shift)
    {
        if (SelActive != int(shift)) {
            Anchor = Offset();
            SelActive = shift;
        }
    }
    void Left()
    {
        if (Offset() == 0)
            return;
        if (--Col < 0) {
            Col = Bpl - 1;
            if (--Row < 0) {
                Row = 0;
                ScrollTo(Top - Bpl, -1);
            }
        }
    }
    void Right()
    {
        const int n = Col + 1;
        if (Offset() + 1 <= Len) {
            if (n < Bpl || (Offset() + 1 == Len && n == Bpl)) {
                Col = n;
            } else {
                Col = 0;
                if (++Row > LastRow()) {
                    Row = LastRow();
                    ScrollTo(Top + Bpl, -1);
                }
            }
        }
        Keep();
    }
    void Up()
    {
        if (Row != 0)
            --Row;
        else if (Top != 0)
            ScrollTo(Top - Bpl, -1);
        Keep();
    }
    void Down()
    {
        if (Row != LastRow())
            ++Row;
        else if (Bottom() + 1 != Len)
            ScrollTo(Top + Bpl, -1);
        Keep();
    }
    // A press or drag at data row `row` (-1: the header) and caret column `col` of a pane.
    void Point(int row, int col, int inText)
    {
        InText = inText;
        Row = std::clamp(row, 0, LastRow());
        Col = Len > 0 ? col : 0;
        Row = Len > 0 ? Row : 0;
        Keep();
    }
};

// Where a press puts the caret at caret column col of a pane: a quarter cell
// before the column's place, clear of the rules and of the next column.
QPoint PointFor(CBytelonView* pView, int row, int col, int inText)
{
    const float w = pView->CharWidth;
    const float x = inText ? float(pView->TextColumnX()) + (float(col) - 0.25F) * w
                           : float(pView->HexColumnX()) + (float(3 * col) - 0.25F) * w;
    return QPoint(int(x), 5 + (row + 1) * pView->LineHeight + pView->LineHeight / 2);
}

}  // namespace

class tst_mouse : public QObject {
    Q_OBJECT
private slots:
    void pressPlacesCaret_data();
    void pressPlacesCaret();
    void dragFromHexIntoText();
    void shiftPressExtends();
    void shiftPressTakesUpEndedSelection();
    void autoScrollToTheStart();
    void autoScrollStops();
    void hoverChoosesPointer();
    void ruleDrags_data();
    void ruleDrags();
    void columnBox();
    void columnBoxLifetime();
    void columnBoxCreationFails();
    void emptyDocument();
    void randomKeysAndMouseMatchModel();
};

void tst_mouse::pressPlacesCaret_data()
{
    // 20 bytes at 8 per line: rows 0 and 1 full, row 2 holds 4 bytes.
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("inText");
    QTest::addRow("header-row-counts-as-row-0") << "header" << 0 << 3 << 0;
    QTest::addRow("address-column-gives-line-start") << "address" << 1 << 0 << 0;
    QTest::addRow("first-digit-before-byte") << "hex-0.2" << 1 << 3 << 0;
    QTest::addRow("second-digit-left-half-before-byte") << "hex-0.7" << 1 << 3 << 0;
    QTest::addRow("second-digit-right-half-after-byte") << "hex-0.9" << 1 << 4 << 0;
    QTest::addRow("text-left-half-before-byte") << "text-0.3" << 1 << 3 << 1;
    QTest::addRow("text-right-half-after-byte") << "text-0.7" << 1 << 4 << 1;
    QTest::addRow("right-of-text-column-end-of-line") << "right" << 1 << 8 << 1;
    QTest::addRow("right-of-text-column-short-last-row") << "right-last" << 2 << 4 << 1;
    QTest::addRow("below-last-row-short-row-end") << "below" << 2 << 4 << 0;
}

void tst_mouse::pressPlacesCaret()
{
    QFETCH(QString, where);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, inText);
    CProgram program;
    CBytelonView* pView = OpenForPointer(program, Counting(20), 6);
    QPoint point;
    if (where == QLatin1String("header"))
        point = AtHex(pView, -1, 3, 0.2);
    else if (where == QLatin1String("address"))
        point = At(pView, 1, 4);
    else if (where.startsWith(QLatin1String("hex-")))
        point = AtHex(pView, 1, 3, where.mid(4).toDouble());
    else if (where.startsWith(QLatin1String("text-")))
        point = AtText(pView, 1, 3, where.mid(5).toDouble());
    else if (where == QLatin1String("right"))
        point = AtText(pView, 1, 8, 4);
    else if (where == QLatin1String("right-last"))
        point = AtText(pView, 2, 8, 4);
    else
        point = AtHex(pView, 4, 6, 0.2);

    Press(pView, point);
    QCOMPARE(pView->MouseDown, 1);
    QCOMPARE(CaretCell(pView), std::pair(row, column));
    QCOMPARE(pView->CaretInText, inText);
    const int offset = row * 8 + column;
    QCOMPARE(program.PaneText(1), QString::asprintf("%08X ", offset));
    Release(pView, point);
    // A press and release on one place leaves no selection.
    QCOMPARE(pView->MouseDown, 0);
    QCOMPARE(pView->SelActive, 0);
    QCOMPARE(Selection(pView), std::pair(offset, offset));
    QCOMPARE(pView->CaretOffset(), offset);
}

void tst_mouse::dragFromHexIntoText()
{
    CProgram program;
    CBytelonView* pView = OpenForPointer(program, Counting(64), 8);
    Press(pView, AtHex(pView, 0, 2, 0.2));
    Drag(pView, AtHex(pView, 1, 6, 0.2));
    QCOMPARE(pView->CaretInText, 0);
    QCOMPARE(pView->SelEnd, 14);
    Drag(pView, AtText(pView, 3, 5, 0.2));
    Release(pView, AtText(pView, 3, 5, 0.2));
    QCOMPARE(pView->SelActive, 1);
    QCOMPARE(Selection(pView), std::pair(2, 29));
    QCOMPARE(pView->CaretOffset(), 29);
    QCOMPARE(pView->CaretInText, 1);
    QCOMPARE(SelectionMismatchesOnScreen(pView), 0);
}

void tst_mouse::shiftPressExtends()
{
    CProgram program;
    CBytelonView* pView = OpenForPointer(program, Counting(64), 8);
    Press(pView, AtHex(pView, 0, 3, 0.2));
    Release(pView, AtHex(pView, 0, 3, 0.2));
    QCOMPARE(pView->SelActive, 0);

    QTest::keyPress(pView, Qt::Key_Shift);
    QCOMPARE(pView->ShiftDown, 1);
    Press(pView, AtText(pView, 2, 5, 0.2), Qt::ShiftModifier);
    Release(pView, AtText(pView, 2, 5, 0.2));
    QTest::keyRelease(pView, Qt::Key_Shift);
    QCOMPARE(pView->SelActive, 1);
    QCOMPARE(Selection(pView), std::pair(3, 21));
    QCOMPARE(SelectionMismatchesOnScreen(pView), 0);

    // A plain press ends it and anchors anew.
    Press(pView, AtHex(pView, 1, 1, 0.2));
    QCOMPARE(Selection(pView), std::pair(9, 9));
    Release(pView, AtHex(pView, 1, 1, 0.2));
    QCOMPARE(pView->SelActive, 0);
    QCOMPARE(SelectionMismatchesOnScreen(pView), 0);
}

void tst_mouse::shiftPressTakesUpEndedSelection()
{
    // A resize ends a selection but keeps its anchor; Shift+press takes it up
    // again from there, and all of it must be shown.
    CProgram program;
    CBytelonView* pView = program.OpenFocused(Counting(64), 8);
    Press(pView, AtHex(pView, 0, 5, 0.2));
    Drag(pView, AtHex(pView, 1, 2, 0.2));
    Release(pView, AtHex(pView, 1, 2, 0.2));
    QCOMPARE(Selection(pView), std::pair(5, 10));
    ShowLines(pView, 7);
    QCOMPARE(pView->SelActive, 0);

    QTest::keyPress(pView, Qt::Key_Shift);
    Press(pView, AtHex(pView, 2, 4, 0.2), Qt::ShiftModifier);
    Release(pView, AtHex(pView, 2, 4, 0.2));
    QTest::keyRelease(pView, Qt::Key_Shift);
    QCOMPARE(Selection(pView), std::pair(5, 20));
    QCOMPARE(SelectionMismatchesOnScreen(pView), 0);
}

void tst_mouse::autoScrollToTheStart()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(Counting(1000), 10);
    WithPreparedDC(pView, [pView](CDC* pDC) { pView->ScrollTo(400, -1, pDC); });
    Grab(pView);
    SetLeftButtonHeld(true);
    SetCursorScreenPos(QPoint(300, 20));
    Press(pView, AtHex(pView, 3, 2, 0.2));
    QCOMPARE(pView->SelAnchor, 426);

    // Held still above the window: up one row a step, then one line a step.
    Drag(pView, QPoint(AtHex(pView, 0, 6, 0.2).x(), -12));
    QVERIFY(pView->IsAutoScrolling());
    QTRY_COMPARE_WITH_TIMEOUT(pView->TopOffset, 0, 20000);
    QTRY_COMPARE(pView->CaretRow, 0);
    QCOMPARE(pView->CaretOffset(), 2);
    QCOMPARE(Selection(pView), std::pair(426, 2));
    // At the start it keeps running without effect until the pointer moves.
    QVERIFY(pView->IsAutoScrolling());
    QCOMPARE(SelectionMismatchesOnScreen(pView), 0);

    // Back in the window: the scroll stops and the selection follows the pointer.
    SetCursorScreenPos(QPoint(300, 200));
    Drag(pView, AtHex(pView, 5, 1, 0.2));
    QVERIFY(!pView->IsAutoScrolling());
    QCOMPARE(pView->ShiftDown, 0);
    QCOMPARE(pView->SelEnd, 41);
    QTest::qWait(100);
    QCOMPARE(pView->TopOffset, 0);
    QCOMPARE(pView->SelEnd, 41);
    Release(pView, AtHex(pView, 5, 1, 0.2));
    SetLeftButtonHeld(false);
    QCOMPARE(pView->SelAnchor, 426);
    QCOMPARE(pView->SelActive, 1);
    QCOMPARE(SelectionMismatchesOnScreen(pView), 0);
}

void tst_mouse::autoScrollStops()
{
    CProgram program;
    CBytelonView* pView = OpenForPointer(program, Counting(100000), 10);
    SetLeftButtonHeld(true);
    SetCursorScreenPos(QPoint(300, 900));
    const QPoint start = AtHex(pView, 2, 2, 0.2);
    Press(pView, start);
    const QPoint below(start.x(), pView->viewport()->height() + 20);
    Drag(pView, below);
    QTRY_VERIFY(pView->TopOffset >= 40);

    // The pointer moves without a message reaching the view: the next step stops.
    SetCursorScreenPos(QPoint(310, 900));
    QTRY_VERIFY(!pView->IsAutoScrolling());
    const int top = pView->TopOffset;
    QTest::qWait(100);
    QCOMPARE(pView->TopOffset, top);
    QCOMPARE(pView->SelEnd, pView->CaretOffset());
    QVERIFY(pView->SelEnd > pView->SelAnchor);
    QCOMPARE(pView->MouseDown, 1);

    // The next move outside starts it again; the button let go stops it for good.
    Drag(pView, below + QPoint(0, 5));
    QVERIFY(pView->IsAutoScrolling());
    QTRY_VERIFY(pView->TopOffset > top);
    SetLeftButtonHeld(false);
    QTRY_VERIFY(!pView->IsAutoScrolling());
    QCOMPARE(pView->MouseDown, 0);
    Release(pView, below);
    QCOMPARE(pView->SelEnd, pView->CaretOffset());
    QCOMPARE(pView->SelActive, 1);
    QCOMPARE(SelectionMismatchesOnScreen(pView), 0);
}

void tst_mouse::hoverChoosesPointer()
{
    CProgram program;
    CBytelonView* pView = OpenForPointer(program, Counting(64));
    CBytelonApp* pApp = program.App();
    const int y = At(pView, 1, 0).y();
    struct Case {
        int x;
        int rule;
    };
    const Case cases[] = {
        {pView->HexRuleX - 4, 1}, {pView->HexRuleX + 4, 1}, {pView->HexRuleX + 5, 0},
        {pView->TextRuleX - 4, 2}, {pView->TextRuleX + 3, 2}, {pView->TextRuleX - 5, 0},
    };
    for (const Case& c : cases) {
        Hover(pView, QPoint(c.x, y));
        QCOMPARE(pView->RuleDrag, c.rule);
        const Qt::CursorShape expected = c.rule ? Qt::BitmapCursor : Qt::IBeamCursor;
        QCOMPARE(pApp->hCurrentCursor.shape(), expected);
        QCOMPARE(pView->viewport()->cursor().shape(), expected);
    }
    // Over the whole height of the window, the header included.
    Hover(pView, QPoint(pView->TextRuleX, 1));
    QCOMPARE(pView->RuleDrag, 2);
}

void tst_mouse::ruleDrags_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<int>("hex");
    QTest::addColumn<double>("cells");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("bytesPerLine");
    QTest::addColumn<int>("hexAfter");
    QTest::addRow("text-rule-right-4-widths-adds-one") << 2 << 1 << 4.0 << "9" << 9 << 1;
    QTest::addRow("text-rule-right-3-widths-dead-zone") << 2 << 1 << 3.0 << "8" << 8 << 1;
    QTest::addRow("text-rule-right-7-widths-adds-two") << 2 << 1 << 7.0 << "10" << 10 << 1;
    QTest::addRow("text-rule-left-2-widths-dead-zone") << 2 << 1 << -2.0 << "8" << 8 << 1;
    QTest::addRow("text-rule-left-3-widths-removes-one") << 2 << 1 << -3.0 << "7" << 7 << 1;
    QTest::addRow("text-rule-far-left-gives-1") << 2 << 1 << -300.0 << "1" << 1 << 1;
    QTest::addRow("text-rule-far-right-gives-64") << 2 << 1 << 600.0 << "64" << 64 << 1;
    QTest::addRow("address-rule-right-of-12.5-widths-decimal") << 1 << 1 << 1.3 << "A10" << 8 << 0;
    QTest::addRow("address-rule-left-of-12.5-widths-hex") << 1 << 0 << -1.3 << "A16" << 8 << 1;
    QTest::addRow("address-rule-kept-decimal") << 1 << 0 << 0.0 << "A10" << 8 << 0;
}

void tst_mouse::ruleDrags()
{
    QFETCH(int, rule);
    QFETCH(int, hex);
    QFETCH(double, cells);
    QFETCH(QString, label);
    QFETCH(int, bytesPerLine);
    QFETCH(int, hexAfter);
    CProgram program;
    program.App()->HexAddressBase = hex;
    CBytelonView* pView = OpenForPointer(program, Counting(3000), 10);
    MoveCaretTo(pView, 1003);
    const int y = At(pView, 2, 0).y();
    const int ruleX = rule == 1 ? pView->HexRuleX : pView->TextRuleX;
    const QPoint start(ruleX, y);
    const QPoint end(ruleX + int(cells * pView->CharWidth), y);
    Hover(pView, start);
    QCOMPARE(pView->RuleDrag, rule);
    Press(pView, start);
    // A rule press leaves the caret and selection alone.
    QCOMPARE(pView->CaretOffset(), 1003);
    QCOMPARE(pView->SelActive, 0);
    QVERIFY(program.App()->pColumnBox);
    Drag(pView, start + QPoint(0, 30));
    Drag(pView, end);
    QCOMPARE(program.App()->pColumnBox->Label->text(), label);
    Release(pView, end);
    QVERIFY(!program.App()->pColumnBox);
    QCOMPARE(pView->RuleDrag, 0);
    QCOMPARE(pView->MouseDown, 0);
    QCOMPARE(pView->BytesPerLine, bytesPerLine);
    QCOMPARE(pView->HexAddress, hexAfter);
    QCOMPARE(program.App()->CharPerLine, bytesPerLine);
    QCOMPARE(program.App()->HexAddressBase, hexAfter);
    // The byte under the caret stays, its line in the middle.
    QCOMPARE(pView->CaretOffset(), 1003);
    QCOMPARE((1003 - pView->TopOffset) / bytesPerLine, pView->LinesPerScreen / 2);
    QCOMPARE(pView->SelActive, 0);
    QCOMPARE(program.App()->hCurrentCursor.shape(), Qt::IBeamCursor);
    QVERIFY(program.Messages.Texts.isEmpty());
}

void tst_mouse::columnBox()
{
    // The box takes no focus, so it never asks to be activated (which the platform refuses aloud).
    QTest::failOnWarning(QRegularExpression(QStringLiteral("requestActivate")));
    CProgram program;
    CBytelonView* pView = OpenForPointer(program, Counting(100), 6);
    const QPoint press(pView->TextRuleX + 2, At(pView, 1, 0).y());
    Hover(pView, press);
    Press(pView, press);
    CBytelonApp* pApp = program.App();
    CColumnBox* pBox = pApp->pColumnBox;
    QVERIFY(pBox);
    QCOMPARE(ColumnBoxes(), QList<CColumnBox*>{pBox});
    // Just below the press point, roughly centred, 30 by 15 pixels.
    const QPoint screen = pView->viewport()->mapToGlobal(press);
    QCOMPARE(QPoint(pApp->ColumnBoxX, pApp->ColumnBoxY), screen);
    QCOMPARE(pBox->geometry(), QRect(screen.x() - 13, screen.y() + 10, 30, 15));
    QCOMPARE(pBox->Label->text(), QStringLiteral("Static"));
    // The view keeps the keyboard.
    QCOMPARE(QApplication::focusWidget(), pView);

    // Pale yellow inside its thin border.
    const QImage image = pBox->grab().toImage();
    QCOMPARE(image.size(), QSize(30, 15));
    QCOMPARE(QColor(image.pixel(2, 2)), QColor(255, 255, 224));
    QCOMPARE(QColor(image.pixel(27, 12)), QColor(255, 255, 224));
    QVERIFY(QColor(image.pixel(0, 7)) != QColor(255, 255, 224));

    // The count follows the pointer; the box stays where it was put.
    const QRect placed = pBox->geometry();
    Drag(pView, press + QPoint(int(4 * pView->CharWidth), 40));
    QCOMPARE(pBox->Label->text(), QStringLiteral("9"));
    Drag(pView, press + QPoint(int(10 * pView->CharWidth), 0));
    QCOMPARE(pBox->Label->text(), QStringLiteral("11"));
    QCOMPARE(pBox->geometry(), placed);

    QPointer<CColumnBox> watch(pBox);
    Release(pView, press + QPoint(int(10 * pView->CharWidth), 0));
    QVERIFY(!watch);
    QVERIFY(!pApp->pColumnBox);
    QVERIFY(ColumnBoxes().isEmpty());
    QCOMPARE(pView->BytesPerLine, 11);
}

void tst_mouse::columnBoxLifetime()
{
    CProgram program;
    CBytelonView* pView = OpenForPointer(program, Counting(100));
    const QPoint press(pView->HexRuleX, At(pView, 0, 0).y());
    Hover(pView, press);
    Press(pView, press);
    QPointer<CColumnBox> first(program.App()->pColumnBox);
    QVERIFY(first);

    // A new press on a rule replaces the box: there is never more than one.
    Press(pView, press + QPoint(1, 0));
    QPointer<CColumnBox> second(program.App()->pColumnBox);
    QVERIFY(!first);
    QVERIFY(second);
    QCOMPARE(ColumnBoxes().size(), 1);

    // Closing the main window takes the box with it.
    program.Exit();
    QVERIFY(!second);
    QVERIFY(ColumnBoxes().isEmpty());
    QWidget elsewhere;
    QTest::mouseRelease(&elsewhere, Qt::LeftButton);
}

void tst_mouse::columnBoxCreationFails()
{
    CProgram program;
    CBytelonView* pView = OpenForPointer(program, Counting(100));
    CColumnBox::SetCreationFailsForTesting(true);
    const QPoint press(pView->TextRuleX, At(pView, 0, 0).y());
    Hover(pView, press);
    Press(pView, press);
    CColumnBox::SetCreationFailsForTesting(false);
    QCOMPARE(program.Messages.Texts, QStringList{QStringLiteral("Couldn't create CColumnBox")});
    QVERIFY(!program.App()->pColumnBox);
    QVERIFY(ColumnBoxes().isEmpty());
    // The drag goes on without a box and the release applies its value.
    const QPoint end = press + QPoint(int(4 * pView->CharWidth), 0);
    Drag(pView, end);
    Release(pView, end);
    QCOMPARE(pView->BytesPerLine, 9);
    QCOMPARE(program.Messages.Texts.size(), 1);
}

void tst_mouse::emptyDocument()
{
    CProgram program;
    CBytelonView* pView = OpenForPointer(program, QByteArray(), 6);
    SetLeftButtonHeld(true);
    for (const QPoint& point : {AtHex(pView, 3, 5, 0.9), AtText(pView, 0, 7, 0.9), At(pView, -1, 1)}) {
        Press(pView, point);
        QCOMPARE(CaretCell(pView), std::pair(0, 0));
        Drag(pView, QPoint(point.x(), pView->viewport()->height() + 30));
        Drag(pView, QPoint(point.x(), -30));
        QVERIFY(!pView->IsAutoScrolling());
        Release(pView, point);
        QCOMPARE(CaretCell(pView), std::pair(0, 0));
        QCOMPARE(pView->TopOffset, 0);
        QCOMPARE(pView->SelActive, 0);
    }
    SetLeftButtonHeld(false);
    QCOMPARE(program.PaneText(1), QStringLiteral("00000000 "));
}

void tst_mouse::randomKeysAndMouseMatchModel()
{
    const CRandomRuns runs = RandomRuns(20250301, 6, 60);
    for (int run = 0; run < runs.Seeds; ++run) {
        const unsigned seed = runs.FirstSeed + unsigned(run);
        std::mt19937 random(seed);
        auto below = [&](int n) { return int(random() % unsigned(n)); };
        CProgram program;
        const int bpl = std::array{1, 3, 8, 16}[std::size_t(below(4))];
        const int lps = 1 + below(6);
        // Empty, one byte, one short line, exactly a screen, and several screens.
        const std::array<int, 6> lengths{0, 1, std::max(1, bpl - 1), lps * bpl, 3 * lps * bpl,
                                         5 * lps * bpl + 1 + below(3 * bpl)};
        const int len = lengths[seed % lengths.size()];
        program.App()->CharPerLine = bpl;
        CBytelonView* pView = OpenForPointer(program, Pattern(len), lps);
        CCaretModel model{len, bpl, pView->LinesPerScreen};
        QString last;
        for (int step = 0; step < runs.Steps; ++step) {
            const bool shift = below(5) < 2;
            const Qt::KeyboardModifiers withShift = shift ? Qt::ShiftModifier : Qt::NoModifier;
            // A key move: wrapped by the selection's start or end and extension.
            auto key = [&](Qt::Key k, Qt::KeyboardModifiers extra, const std::function<void()>& move) {
                model.Sync(shift);
                move();
                if (shift)
                    model.SelEnd = model.Offset();
                QTest::keyClick(pView, k, withShift | extra);
                last = QString::asprintf("key %x shift %d ctrl %d", int(k), int(shift), int(extra != Qt::NoModifier));
            };
            const int row = below(model.Lps + 1) - 1;
            const int col = below(bpl + 1);
            const int inText = below(2);
            const int bps = model.Lps * bpl;
            switch (below(16)) {
            case 0: key(Qt::Key_Left, {}, [&] { model.Left(); }); break;
            case 1: key(Qt::Key_Right, {}, [&] { model.Right(); }); break;
            case 2: key(Qt::Key_Up, {}, [&] { model.Up(); }); break;
            case 3: key(Qt::Key_Down, {}, [&] { model.Down(); }); break;
            case 4: key(Qt::Key_Home, {}, [&] { model.Col = 0; }); break;
            case 5: key(Qt::Key_End, {}, [&] { model.Col = bpl; model.Keep(); }); break;
            case 6: key(Qt::Key_Home, Qt::ControlModifier, [&] { model.ScrollTo(0, -1); model.Row = model.Col = 0; }); break;
            case 7:
                key(Qt::Key_End, Qt::ControlModifier, [&] {
                    model.ScrollTo(model.LastOffset(), 1);
                    model.Row = model.LastRow();
                    model.Col = bpl;
                    model.Keep();
                });
                break;
            case 8: key(Qt::Key_PageUp, {}, [&] { model.ScrollTo(model.Top - bps, -1); }); break;
            case 9: key(Qt::Key_PageDown, {}, [&] { model.ScrollTo(model.Top + bps, -1); }); break;
            case 10: key(Qt::Key_Escape, {}, [] {}); break;
            case 11:
                model.InText ^= 1;
                QTest::keyClick(pView, Qt::Key_Tab);
                last = QStringLiteral("tab");
                break;
            default: {
                // A press, with Shift or not, then perhaps a drag, then the release.
                const bool drag = below(2);
                const QPoint from = PointFor(pView, row, col, inText);
                if (shift)
                    QTest::keyPress(pView, Qt::Key_Shift);
                model.SelActive = 1;
                model.Point(row, col, inText);
                model.SelEnd = model.Offset();
                if (!shift)
                    model.Anchor = model.SelEnd;
                Press(pView, from);
                QPoint to = from;
                if (drag) {
                    const int row2 = below(model.Lps + 1) - 1;
                    const int col2 = below(bpl + 1);
                    const int inText2 = below(2);
                    to = PointFor(pView, row2, col2, inText2);
                    model.Point(row2, col2, inText2);
                    model.SelEnd = model.Offset();
                    Drag(pView, to);
                }
                Release(pView, to);
                if (shift)
                    QTest::keyRelease(pView, Qt::Key_Shift);
                if (model.Anchor == model.SelEnd)
                    model.SelActive = 0;
                last = QString::asprintf("press row %d col %d pane %d shift %d drag %d", row, col, inText, int(shift),
                                         int(drag));
                break;
            }
            }
            const CCaretModel seen = CCaretModel::Of(pView);
            const bool same = seen.State() == model.State();
            const bool shown = same && SelectionMismatchesOnScreen(pView) == 0;
            QVERIFY2(shown, qPrintable(QStringLiteral("seed %1, step %2 (%3; %4 bytes, %5 per line, %6 lines): view %7, "
                                                      "model %8%9")
                                           .arg(seed).arg(step).arg(last).arg(len).arg(bpl).arg(model.Lps)
                                           .arg(seen.Text(), model.Text(),
                                                same ? QStringLiteral(", the screen differs") : QString())));
        }
    }
}

QTEST_MAIN(tst_mouse)
#include "tst_mouse.moc"
