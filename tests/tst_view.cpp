// The hex view: geometry, drawing, scrolling, caret placement, selection display and focus.

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "framework/File.h"
#include "framework/AfxRes.h"
#include "framework/MDIChildWnd.h"
#include "res/Resource.h"
#include "view/BytelonView.h"
#include "view/PreparedDC.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QStyle>
#include <QTest>

class tst_view : public QObject {
    Q_OBJECT
private slots:
    void geometry_data();
    void geometry();
    void linesPerScreenBounds();
    void scrollToExamples();
    void scrollToInvariants();
    void caretClamping();
    void headers_data();
    void headers();
    void lastLineBlanks();
    void emptyDocument();
    void selectionPixels();
    void paintReadsOnlyItsLines();
    void paintFailureReportedOnce();
    void paintDuringAnOperationWaits();
    void focusFollowsViews();
    void thumbPositions();
    void otherWindowRedrawsAndKeepsItsOwnCaret_data();
    void otherWindowRedrawsAndKeepsItsOwnCaret();
};

void tst_view::geometry_data()
{
    QTest::addColumn<int>("bytesPerLine");
    QTest::addColumn<int>("hex");
    for (int n : {1, 8, 16, 64}) {
        QTest::addRow("%d-per-line-hex", n) << n << 1;
        QTest::addRow("%d-per-line-decimal", n) << n << 0;
    }
}

void tst_view::geometry()
{
    QFETCH(int, bytesPerLine);
    QFETCH(int, hex);
    CProgram program;
    program.App()->CharPerLine = bytesPerLine;
    program.App()->HexAddressBase = hex;
    CBytelonView* pView = program.OpenBytes(Counting(100));
    QVERIFY(pView);
    QCOMPARE(pView->BytesPerLine, bytesPerLine);
    // The cell width as the font measures it, not as the view remembers it.
    const float w = MeasuredCharWidth(pView);
    QVERIFY(w > 3.0F && w < 40.0F);
    QCOMPARE(pView->CharWidth, w);
    const int addressWidth = hex ? 8 : 10;
    QCOMPARE(pView->AddressWidth(), addressWidth);
    QCOMPARE(pView->AddressX(), int(2 * w));
    QCOMPARE(pView->HexColumnX(), int(float(addressWidth + 5) * w));
    QCOMPARE(pView->TextPaneX(), int(float(addressWidth + 3 * bytesPerLine + 5) * w));
    QCOMPARE(pView->TextColumnX(), int(float(addressWidth + 3 * bytesPerLine + 7) * w));
    // The frame fits exactly one line: content, two borders and a scroll bar.
    const int scrollBar = pView->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                       pView->verticalScrollBar());
    QCOMPARE(pView->width(), int(float(addressWidth + 4 * bytesPerLine + 9) * w) + 2 + scrollBar);
}

void tst_view::linesPerScreenBounds()
{
    CProgram program;
    program.App()->CharPerLine = 64;
    CBytelonView* pView = program.OpenBytes(Counting(100000));
    CMDIChildWnd* pFrame = pView->GetParentFrame();
    program.Frame()->resize(1600, 8000);
    pFrame->resize(pFrame->width(), 7000);
    ProcessEvents();
    QCOMPARE(pView->LinesPerScreen, 16384 / 64);
    pFrame->resize(pFrame->width(), 10);
    ProcessEvents();
    QCOMPARE(pView->LinesPerScreen, 1);
}

void tst_view::scrollToExamples()
{
    CProgram program;
    program.App()->CharPerLine = 16;
    CBytelonView* pView = program.OpenBytes(Counting(1000));
    pView->LinesPerScreen = 20;
    CPreparedDC dc(pView);
    pView->ScrollTo(999, -1, dc);
    QCOMPARE(pView->TopOffset, 688);  // the last line 992..999 on the last row
    QCOMPARE(pView->BottomOffset, 999);
    pView->ScrollTo(40, 0, dc);
    QCOMPARE(pView->TopOffset, 0);  // centre near the start
    pView->ScrollTo(990, 0, dc);
    QCOMPARE(pView->TopOffset, 688);  // centre near the end is the end clamp
    pView->ScrollTo(500, 0, dc);
    QCOMPARE(pView->TopOffset, 16 * (500 / 16 - 10));
    pView->ScrollTo(999, 1, dc);
    QCOMPARE(pView->TopOffset, 688);
    pView->ScrollTo(688, -1, dc);
    pView->LineDown(dc);
    QCOMPARE(pView->TopOffset, 688);  // the end clamp holds
}

void tst_view::scrollToInvariants()
{
    CProgram program;
    CBytelonView* pView = program.OpenBytes(QByteArray());
    CBytelonDoc* pDocument = pView->GetDocument();
    QRandomGenerator random(20261207);
    CPreparedDC dc(pView);
    for (int round = 0; round < 20000; ++round) {
        const int length = random.bounded(4) == 0 ? random.bounded(100) : random.bounded(0x7FFFFFFF);
        pDocument->DocLen = length;
        pView->BytesPerLine = 1 + random.bounded(64);
        pView->HexAddress = random.bounded(2);
        pView->LinesPerScreen = 1 + random.bounded(16384 / pView->BytesPerLine);
        const int offset = length > 0 ? random.bounded(length) : 0;
        const int mode = random.bounded(3) - 1;
        pView->ScrollTo(offset, mode, dc);
        const int n = pView->BytesPerLine;
        const long long screen = pView->BytesPerScreen();
        const long long linesInDocument = length > 0 ? (length - 1) / n + 1 : 1;
        QVERIFY2(pView->TopOffset >= 0 && pView->TopOffset % n == 0, qPrintable(QString::number(round)));
        // No further than needed to show the last line on the last row.
        QVERIFY(pView->TopOffset <= std::max<long long>(0, linesInDocument * n - screen));
        QVERIFY(pView->BottomOffset <= std::max(0, length - 1));
        if (length > 0 && mode <= 0) {
            QVERIFY(pView->TopOffset <= offset);
            QVERIFY(offset <= pView->BottomOffset);
        }
        if (length > screen && mode <= 0)
            QCOMPARE((long long)pView->BottomOffset, std::min<long long>(pView->TopOffset + screen - 1, length - 1));
    }
    pDocument->DocLen = 0;
}

void tst_view::caretClamping()
{
    CProgram program;
    program.App()->CharPerLine = 8;
    CBytelonView* pView = program.OpenBytes(Counting(200));
    ShowLines(pView, 5);
    QCOMPARE(pView->LinesPerScreen, 5);
    CPreparedDC dc(pView);
    pView->ScrollTo(80, -1, dc);  // lines 80..119 shown
    pView->SetCaretToOffset(3, dc);
    QCOMPARE(pView->CaretOffset(), 80);  // above the screen: the first byte shown
    pView->SetCaretToOffset(150, dc);
    QCOMPARE(pView->CaretOffset(), 120);  // below: just after the last byte shown
    QCOMPARE(CaretCell(pView), std::pair(4, 8));
    QCOMPARE(pView->TopOffset, 80);  // the view did not scroll

    // A full last line: the caret at the end stands at the end-of-line place.
    pView->ScrollToBottom(dc);
    QCOMPARE(pView->CaretOffset(), 200);
    QCOMPARE(pView->CaretColumn, 8);
    QCOMPARE(pView->CaretRow, pView->LastDataRow());

    // A short last line of 3 bytes: past the end lands at column 3.
    CBytelonView* pShort = program.OpenBytes(Counting(19), QStringLiteral("short.bin"));
    CPreparedDC shortDc(pShort);
    pShort->CaretRow = 2;
    pShort->CaretColumn = 7;
    pShort->KeepCaretInData();
    QCOMPARE(pShort->CaretColumn, 3);
    QCOMPARE(pShort->CaretOffset(), 19);
    pShort->SetCaretToOffset(1000, shortDc);
    QCOMPARE(pShort->CaretOffset(), 19);
}

void tst_view::headers_data()
{
    QTest::addColumn<int>("hex");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("hexHeader");
    QTest::addColumn<QString>("textHeader");
    QTest::addColumn<QString>("firstAddress");
    QTest::newRow("hex-addresses") << 1 << "Address " << " 0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F"
                                   << "0123456789ABCDEF"
                                   << "00000000";
    QTest::newRow("decimal-addresses") << 0 << "Address   " << " 0  1  2  3  4  5  6  7  8  9 10 11 12 13 14 15"
                                       << "0123456789012345"
                                       << "0000000000";
}

void tst_view::headers()
{
    QFETCH(int, hex);
    QFETCH(QString, address);
    QFETCH(QString, hexHeader);
    QFETCH(QString, textHeader);
    QFETCH(QString, firstAddress);
    CProgram program;
    program.App()->CharPerLine = 16;
    program.App()->HexAddressBase = hex;
    CBytelonView* pView = program.OpenBytes(QByteArray("0123456789abcdefXY"));
    const auto pDC = CRecordingDC::OfView(pView);
    QCOMPARE(pDC->TextsAt(5), (QStringList{address, hexHeader, textHeader}));
    const QStringList line0 = pDC->TextsAt(5 + pView->LineHeight);
    QCOMPARE(line0.value(0), firstAddress);
    QCOMPARE(line0.value(1), QStringLiteral("30 31 32 33 34 35 36 37 38 39 61 62 63 64 65 66"));
    QCOMPARE(line0.value(2), QStringLiteral("0123456789abcdef"));
}

void tst_view::lastLineBlanks()
{
    CProgram program;
    program.App()->CharPerLine = 8;
    CBytelonView* pView = program.OpenBytes(QByteArray("ABCDEFGHIJ"));
    const auto pDC = CRecordingDC::OfView(pView);
    const QStringList line1 = pDC->TextsAt(5 + 2 * pView->LineHeight);
    QCOMPARE(line1.value(0), QStringLiteral("00000008"));
    QCOMPARE(line1.value(1), QStringLiteral("49 4A                  "));
    QCOMPARE(line1.value(2), QStringLiteral("IJ      "));
    QVERIFY(pDC->TextsAt(5 + 3 * pView->LineHeight).isEmpty());  // nothing after the end
}

void tst_view::emptyDocument()
{
    CProgram program;
    CBytelonView* pView = program.OpenBytes(QByteArray());
    Focus(pView);
    const auto pDC = CRecordingDC::OfView(pView);
    const QStringList line0 = pDC->TextsAt(5 + pView->LineHeight);
    QCOMPARE(line0.value(0), QStringLiteral("00000000"));
    QCOMPARE(line0.value(1).trimmed(), QString());
    QVERIFY(pDC->TextsAt(5 + 2 * pView->LineHeight).isEmpty());
    QCOMPARE(CaretCell(pView), std::pair(0, 0));
    QCOMPARE(program.PaneText(1), QStringLiteral("00000000 "));
    QVERIFY(!pView->verticalScrollBar()->isVisible());
}

void tst_view::selectionPixels()
{
    CProgram program;
    program.App()->CharPerLine = 8;
    CBytelonView* pView = program.OpenBytes(Counting(600));
    ShowLines(pView, 20);
    // Without the focus no caret is drawn, so only the selection differs.
    pView->clearFocus();
    WithPreparedDC(pView, [pView](CDC* pDC) { pView->ScrollToBottom(pDC); });
    const QImage plain = Grab(pView);

    pView->SelectAll();
    QCOMPARE(Selection(pView), std::pair(0, 600));
    const QImage selected = Grab(pView);
    QCOMPARE(InversionMismatches(plain, selected, SelectedCells(pView)), 0);

    // Repainting the lower half brings the inversion back exactly once.
    const QRect lower(0, pView->viewport()->height() / 2, pView->viewport()->width(), pView->viewport()->height() / 2);
    pView->viewport()->repaint(lower);
    QCOMPARE(InversionMismatches(plain, Grab(pView), SelectedCells(pView)), 0);

    // A one-line scroll moves the pixels and draws only the uncovered line.
    pView->SelActive = 0;
    WithPreparedDC(pView, [pView](CDC* pDC) { pView->ScrollTo(160, -1, pDC); });
    Grab(pView);
    WithPreparedDC(pView, [pView](CDC* pDC) { pView->LineUp(pDC); });
    const QImage plainScrolled = Grab(pView);
    WithPreparedDC(pView, [pView](CDC* pDC) { pView->LineDown(pDC); });
    pView->SelAnchor = 100;
    pView->SelEnd = pView->SelShownEnd = 333;
    pView->SelActive = 1;
    pView->Invalidate();
    Grab(pView);
    WithPreparedDC(pView, [pView](CDC* pDC) { pView->LineUp(pDC); });
    const QImage partScrolled = Grab(pView);
    QCOMPARE(InversionMismatches(plainScrolled, partScrolled, SelectedCells(pView)), 0);
}

void tst_view::paintReadsOnlyItsLines()
{
    CProgram program;
    program.App()->CharPerLine = 16;
    CBytelonView* pView = program.OpenBytes(Counting(4096));
    ShowLines(pView, 10);
    ProcessEvents();
    const int y = 5 + 3 * pView->LineHeight;  // data row 2
    CFile::ResetStatistics();
    pView->viewport()->repaint(QRect(0, y + 1, pView->viewport()->width(), pView->LineHeight - 2));
    const CFile::Statistics stats = CFile::GetStatistics();
    QCOMPARE(stats.Opens, 1LL);
    QCOMPARE(stats.Reads, 1LL);
    QCOMPARE(stats.BytesRead, 16LL);

    // A one-line scroll draws the uncovered line and the caret's two places,
    // not the lines between them.
    Focus(pView);
    WithPreparedDC(pView, [pView](CDC* pDC) {
        pView->ScrollTo(2048, 0, pDC);
        pView->SetCaretToOffset(pView->TopOffset + 16, pDC);
    });
    ProcessEvents();
    CFile::ResetStatistics();
    WithPreparedDC(pView, [pView](CDC* pDC) { pView->LineDown(pDC); });
    QVERIFY(CFile::GetStatistics().BytesRead <= 3 * 16);
}

void tst_view::paintFailureReportedOnce()
{
    CProgram program;
    CBytelonView* pView = program.OpenBytes(Counting(64));
    ProcessEvents();
    CFile holder;  // the work file's exclusive lock keeps the paint from opening it
    QVERIFY(holder.Open(pView->GetDocument()->WorkFileName, CFile::modeRead | CFile::shareExclusive));
    const auto pDC = CRecordingDC::OfView(pView);
    pView->viewport()->repaint();
    pView->viewport()->repaint();
    ProcessEvents();
    QCOMPARE(program.Messages.Texts, QStringList{QStringLiteral("Draw() could not open WorkFIle")});
    QCOMPARE(pDC->TextsAt(5).size(), 3);  // the headers were drawn
    QVERIFY(pDC->TextsAt(5 + pView->LineHeight).isEmpty());
    holder.Close();
    pView->viewport()->repaint();
    ProcessEvents();
    QCOMPARE(program.Messages.Texts.size(), 1);
}

void tst_view::paintDuringAnOperationWaits()
{
    CProgram program;
    CBytelonView* pView = program.OpenBytes(Counting(64));
    ProcessEvents();
    CBytelonDoc* pDocument = pView->GetDocument();
    // An operation has the document's work file open when a paint comes through it.
    QVERIFY(pDocument->WorkFile.Open(pDocument->WorkFileName, CFile::modeReadWrite | CFile::shareExclusive));
    CFile::ResetStatistics();
    pView->viewport()->repaint();
    QVERIFY(pDocument->WorkFile.IsOpen());  // the paint left the operation's file alone
    QCOMPARE(CFile::GetStatistics().Reads, 0LL);
    pDocument->WorkFile.Close();
    ProcessEvents();
    QVERIFY(CFile::GetStatistics().Reads >= 1);  // painted once the file was free
    QVERIFY(program.Messages.Texts.isEmpty());
}

void tst_view::focusFollowsViews()
{
    CProgram program;
    program.App()->HexAddressBase = 1;
    CBytelonView* pA = program.OpenBytes(Counting(10), QStringLiteral("a.bin"));
    program.App()->HexAddressBase = 0;
    CBytelonView* pB = program.OpenBytes(Counting(20), QStringLiteral("b.bin"));
    program.App()->HexAddressBase = 1;
    CBytelonView* pC = program.OpenBytes(Counting(30), QStringLiteral("c.bin"));
    PlaceCaret(pB, 17);
    Focus(pA);
    Focus(pB);
    QCOMPARE(program.App()->pCurrentView, pB);
    QCOMPARE(program.App()->pPreviousView, pA);
    QCOMPARE(program.PaneText(1), QStringLiteral("0000000017 "));  // B's caret in B's radix
    Focus(pC);
    QCOMPARE(program.App()->pCurrentView, pC);
    QCOMPARE(program.App()->pPreviousView, pB);
    QVERIFY(pC->IsCaretShown());
    QVERIFY(!pB->IsCaretShown());
    // Closing the current view promotes the previous one.
    pC->GetParentFrame()->close();
    ProcessEvents();
    QCOMPARE(program.App()->pCurrentView, pB);
}

void tst_view::thumbPositions()
{
    CProgram program;
    program.App()->CharPerLine = 16;
    CBytelonView* pView = program.OpenBytes(Counting(100000));
    QVERIFY(pView->ScrollBarOn);
    QVERIFY(pView->verticalScrollBar()->isVisible());
    pView->OnVScroll(SB_THUMBTRACK, 5000);
    QCOMPARE(pView->TopOffset, 0);  // dragging moves nothing
    pView->OnVScroll(SB_THUMBPOSITION, 10000);
    QCOMPARE(pView->BottomOffset, 99999);
    pView->OnVScroll(SB_THUMBPOSITION, 5000);
    const int expected = int(5000.0F * 0.0001F * float(100000 - pView->BytesPerScreen()));
    QCOMPARE(pView->TopOffset, 16 * (expected / 16));
    QCOMPARE(pView->verticalScrollBar()->value(),
             int(double(pView->TopOffset) / (100000.0 - pView->BytesPerScreen()) * 10000.0));
}

void tst_view::otherWindowRedrawsAndKeepsItsOwnCaret_data()
{
    QTest::addColumn<UINT>("command");
    QTest::addColumn<int>("selected");  // from offset 16, in the editing window; 0: the caret there
    QTest::addColumn<QByteArray>("inserted");
    QTest::newRow("clear-all") << UINT(ID_EDIT_CLEAR_ALL) << 0 << QByteArray();
    QTest::newRow("delete") << UINT(0) << 2000 << QByteArray();
    QTest::newRow("cut") << UINT(ID_EDIT_CUT) << 2000 << QByteArray();
    QTest::newRow("paste") << UINT(ID_EDIT_PASTE) << 0 << QByteArray("pasted");
    QTest::newRow("paste-over-selection") << UINT(ID_EDIT_PASTE) << 2000 << QByteArray("pasted");
    QTest::newRow("insert-from-file") << UINT(ID_FILE_INSERT_FROM_FILE) << 0 << QByteArray("from a file");
}

// One window edits; the other, showing the bytes that change, must show
// them changed, keep its own caret and selection inside the document, and
// leave the caret-address pane to the window with the focus.
void tst_view::otherWindowRedrawsAndKeepsItsOwnCaret()
{
    QFETCH(UINT, command);
    QFETCH(int, selected);
    QFETCH(QByteArray, inserted);
    CProgram program;
    program.App()->CharPerLine = 8;
    const QByteArray original = Pattern(3000);
    CBytelonView* pEditing = program.OpenFocused(original, 12);
    CBytelonView* pOther = OpenSecondWindow(program, pEditing);
    QVERIFY(pOther);
    CBytelonDoc* pDocument = pEditing->GetDocument();
    Focus(pOther);
    SelectBytes(pOther, 2990, 2950);  // near the end, beyond what a deletion leaves
    Focus(pEditing);
    if (selected > 0)
        SelectBytes(pEditing, 16, 16 + selected);
    else
        MoveCaretTo(pEditing, 16);
    ProcessEvents();
    QCOMPARE(program.PaneText(1), QString::asprintf("%08X ", pEditing->CaretOffset()));

    QByteArray expected = original;
    expected.replace(16, selected, inserted);
    QGuiApplication::clipboard()->setText(QString::fromLatin1(inserted));
    program.FileDialogs.Paths.push_back(program.MakeFile("insert.bin", inserted));
    if (command == ID_EDIT_CLEAR_ALL) {
        program.Messages.Answers.push_back(IDYES);
        expected.clear();
    }
    if (command != 0)
        QVERIFY(program.Frame()->ExecuteCommand(command));
    else
        QTest::keyClick(pEditing, Qt::Key_Delete);
    ProcessEvents();
    QVERIFY(program.WorkFileBytes(pDocument) == expected);

    // What the other window shows is what a full repaint of it draws.
    const QImage shown = ScreenPixels(pOther);
    pOther->Invalidate();
    QVERIFY(shown == ScreenPixels(pOther));
    QCOMPARE(program.PaneText(1), QString::asprintf("%08X ", pEditing->CaretOffset()));
    QVERIFY(pOther->CaretOffset() <= pDocument->DocLen);
    QVERIFY(!pOther->SelActive || std::max(pOther->SelAnchor, pOther->SelEnd) <= pDocument->DocLen);
    if (expected.size() > 2990)
        QCOMPARE(Selection(pOther), std::pair(2990, 2950));

    // Typing in the other window puts the byte at its own caret.
    Focus(pOther);
    const bool otherSelected = pOther->SelActive && pOther->SelAnchor != pOther->SelEnd;
    const int at = otherSelected ? std::min(pOther->SelAnchor, pOther->SelEnd) : pOther->CaretOffset();
    QCOMPARE(program.PaneText(1), QString::asprintf("%08X ", pOther->CaretOffset()));
    if (otherSelected)
        expected.remove(at, std::abs(pOther->SelEnd - pOther->SelAnchor));
    QGuiApplication::clipboard()->setText(QStringLiteral("Z"));
    QVERIFY(program.Frame()->ExecuteCommand(ID_EDIT_PASTE));
    expected.insert(at, 'Z');
    QVERIFY(program.WorkFileBytes(pDocument) == expected);
    QCOMPARE(pDocument->DocLen, int(expected.size()));
    QVERIFY(!pDocument->Damaged);
}

QTEST_MAIN(tst_view)
#include "tst_view.moc"
