// The mouse wheel: whole notches, high-resolution wheels and touchpads
// scroll the view by lines as the scroll bar's arrows do, with the caret and
// the selection shown exactly where they belong; Shift and sideways turns
// move nothing.

#include "support/TestSupport.h"

#include "view/BytelonView.h"

#include <QApplication>
#include <QScrollBar>
#include <QSpontaneKeyEvent>
#include <QTest>
#include <QWheelEvent>

namespace {

// One turn of the wheel or move on the touchpad: pixels in hundredths of a line.
struct CTurn {
    QPoint Angle;
    QPoint LinePercent;
};

void Turn(QWidget* pTarget, const CTurn& turn, Qt::KeyboardModifiers modifiers, int lineHeight)
{
    const QPoint pixels(turn.LinePercent.x() * lineHeight / 100, turn.LinePercent.y() * lineHeight / 100);
    const QPointF at(pTarget->width() / 2.0, pTarget->height() / 2.0);
    QWheelEvent event(at, pTarget->mapToGlobal(at), pixels, turn.Angle, Qt::NoButton, modifiers,
                      pixels.isNull() ? Qt::NoScrollPhase : Qt::ScrollUpdate, false);
    // As the window system delivers it: passed on to the parent when the target leaves it.
    QSpontaneKeyEvent::setSpontaneous(&event);
    qApp->notify(pTarget, &event);
}

}  // namespace

Q_DECLARE_METATYPE(QList<CTurn>)

class tst_wheel : public QObject {
    Q_OBJECT
private slots:
    void scrollsByLines_data();
    void scrollsByLines();
};

void tst_wheel::scrollsByLines_data()
{
    QTest::addColumn<QList<CTurn>>("turns");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("desktopLines");
    QTest::addColumn<bool>("overScrollBar");
    QTest::addColumn<int>("startLine");
    QTest::addColumn<int>("expectedLine");

    const QPoint none;
    const int plain = int(Qt::NoModifier);
    auto repeat = [](const CTurn& turn, int times) { return QList<CTurn>(times, turn); };
    // 100 lines of 8 bytes, 10 on screen: line 90 is the last top line.
    QTest::newRow("notch-down") << QList<CTurn>{{{0, -120}, none}} << plain << 3 << false << 10 << 13;
    QTest::newRow("notch-up") << QList<CTurn>{{{0, 120}, none}} << plain << 3 << false << 10 << 7;
    QTest::newRow("desktop-says-five-lines") << QList<CTurn>{{{0, -120}, none}} << plain << 5 << false << 10 << 15;
    QTest::newRow("two-notches-in-one-turn") << QList<CTurn>{{{0, -240}, none}} << plain << 3 << false << 10 << 16;
    QTest::newRow("eighth-notches-add-up") << repeat({{0, -15}, none}, 8) << plain << 3 << false << 10 << 13;
    QTest::newRow("third-notches-add-up-exactly") << repeat({{0, 40}, none}, 6) << plain << 3 << false << 10 << 4;
    QTest::newRow("half-notch-alone-moves-nothing") << QList<CTurn>{{{0, -60}, none}} << plain << 1 << false << 10
                                                    << 10;
    QTest::newRow("half-notches-make-one-line") << repeat({{0, -60}, none}, 3) << plain << 1 << false << 10 << 11;
    QTest::newRow("stops-at-the-end") << QList<CTurn>{{{0, -120}, none}} << plain << 3 << false << 89 << 90;
    QTest::newRow("nothing-past-the-end") << repeat({{0, -120}, none}, 2) << plain << 3 << false << 90 << 90;
    QTest::newRow("stops-at-the-start") << repeat({{0, 120}, none}, 2) << plain << 3 << false << 4 << 0;
    QTest::newRow("over-the-scroll-bar") << QList<CTurn>{{{0, -120}, none}} << plain << 3 << true << 10 << 13;
    QTest::newRow("touchpad-whole-lines") << repeat({none, {0, -100}}, 2) << plain << 3 << false << 10 << 12;
    QTest::newRow("touchpad-small-moves-add-up") << repeat({none, {0, 30}}, 5) << plain << 3 << false << 10 << 9;
    QTest::newRow("touchpad-small-move-alone") << QList<CTurn>{{none, {0, -40}}} << plain << 3 << false << 10 << 10;
    QTest::newRow("touchpad-distance-rules-over-notches")
        << QList<CTurn>{{{0, -120}, {0, -100}}} << plain << 3 << false << 10 << 11;
    QTest::newRow("shift-wheel-does-nothing") << repeat({{0, -120}, none}, 2) << int(Qt::ShiftModifier) << 3
                                              << false << 10 << 10;
    QTest::newRow("shift-wheel-over-the-scroll-bar") << QList<CTurn>{{{0, -120}, none}} << int(Qt::ShiftModifier)
                                                     << 3 << true << 10 << 10;
    QTest::newRow("sideways-wheel-does-nothing") << repeat({{-120, 0}, none}, 2) << plain << 3 << false << 10 << 10;
    QTest::newRow("sideways-touchpad-does-nothing") << QList<CTurn>{{none, {-300, 0}}} << plain << 3 << false << 10
                                                    << 10;
}

void tst_wheel::scrollsByLines()
{
    QFETCH(QList<CTurn>, turns);
    QFETCH(int, modifiers);
    QFETCH(int, desktopLines);
    QFETCH(bool, overScrollBar);
    QFETCH(int, startLine);
    QFETCH(int, expectedLine);

    const int savedLines = QApplication::wheelScrollLines();
    QApplication::setWheelScrollLines(desktopLines);
    CProgram program;
    CBytelonView* pView = program.OpenFocused(Pattern(800), 10);
    QVERIFY(pView);
    QCOMPARE(pView->BytesPerLine, 8);
    QCOMPARE(pView->LinesPerScreen, 10);
    // The selection runs up from line start + 5 to the caret, on row 0 at column 3.
    SelectBytes(pView, (startLine + 5) * 8 + 5, startLine * 8 + 3);
    QCOMPARE(pView->TopOffset, startLine * 8);
    QCOMPARE(SelectionMismatchesOnScreen(pView), 0);
    const std::pair<int, int> selection = Selection(pView);
    const QPoint caretAt = pView->GetCaretPos();

    QWidget* pTarget = overScrollBar ? static_cast<QWidget*>(pView->verticalScrollBar()) : pView->viewport();
    for (const CTurn& turn : turns)
        Turn(pTarget, turn, Qt::KeyboardModifiers(modifiers), pView->LineHeight);
    QApplication::setWheelScrollLines(savedLines);

    QCOMPARE(pView->TopOffset / 8, expectedLine);
    QCOMPARE(pView->TopOffset % 8, 0);
    QCOMPARE(pView->BottomOffset, pView->TopOffset + 79);
    // The caret keeps its place in the window; the selection keeps its bytes.
    QCOMPARE(CaretCell(pView), std::make_pair(0, 3));
    QCOMPARE(pView->GetCaretPos(), caretAt);
    QVERIFY(pView->IsCaretShown());
    QCOMPARE(Selection(pView), selection);
    QCOMPARE(SelectionMismatchesOnScreen(pView), 0);
    QCOMPARE(pView->GetScrollPos(), int(double(pView->TopOffset) / (800 - 80) * 10000.0));
}

QTEST_MAIN(tst_wheel)
#include "tst_wheel.moc"
