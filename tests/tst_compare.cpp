// Compare files: the first difference between the documents of the two
// most recently focused views.

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "framework/File.h"
#include "framework/WaitCursor.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

#include <QFile>
#include <QTest>

namespace {

QByteArray ChangedAt(QByteArray bytes, int offset)
{
    bytes[offset] = char(bytes[offset] ^ 0x55);
    return bytes;
}

struct CViewState {
    explicit CViewState(const CBytelonView* pView)
        : Top(pView->TopOffset), Caret(pView->CaretOffset()), Anchor(pView->SelAnchor), End(pView->SelEnd),
          Active(pView->SelActive)
    {
    }
    bool operator==(const CViewState& other) const
    {
        return Top == other.Top && Caret == other.Caret && Anchor == other.Anchor && End == other.End
               && Active == other.Active;
    }
    int Top, Caret, Anchor, End, Active;
};

}  // namespace

class tst_compare : public QObject {
    Q_OBJECT
private slots:
    void enabling_data();
    void enabling();
    void identical();
    void difference_data();
    void difference();
    void readsStopAtTheDifference();
    void usesTheLastTwoFocused();
    void failures_data();
    void failures();
    void emptyDocumentRefused();
};

void tst_compare::enabling_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("no-document") << "none" << false;
    QTest::newRow("one-document") << "one" << false;
    QTest::newRow("two-views-of-one-document") << "duplicate" << false;
    QTest::newRow("second-document-empty") << "empty" << false;
    QTest::newRow("two-documents") << "two" << true;
    QTest::newRow("second-closed") << "closed" << false;
}

void tst_compare::enabling()
{
    QFETCH(QString, setup);
    QFETCH(bool, enabled);
    CProgram program;
    if (setup != QLatin1String("none")) {
        CBytelonView* pFirst = program.OpenBytes(Counting(100), QStringLiteral("a.bin"));
        Focus(pFirst);
        if (setup == QLatin1String("duplicate")) {
            QVERIFY(program.Frame()->ExecuteCommand(ID_WINDOW_NEW));
            ProcessEvents();
            CBytelonView* pSecond = CProgram::ViewOf(pFirst->GetDocument(), 1);
            Focus(pSecond);
            Focus(pFirst);
            QCOMPARE(program.App()->pPreviousView, pSecond);
        } else if (setup != QLatin1String("one")) {
            const QByteArray bytes = setup == QLatin1String("empty") ? QByteArray() : Counting(100);
            CBytelonView* pSecond = program.OpenBytes(bytes, QStringLiteral("b.bin"));
            Focus(pSecond);
            QCOMPARE(program.App()->pPreviousView, pFirst);
            if (setup == QLatin1String("closed")) {
                pSecond->GetDocument()->OnCloseDocument();
                ProcessEvents();
            }
        }
    }
    QCOMPARE(CommandEnabled(program, ID_SEARCH_COMPARE), enabled);
    program.Messages.Texts.clear();
    QCOMPARE(program.Frame()->ExecuteCommand(ID_SEARCH_COMPARE), enabled);
    if (!enabled)
        QVERIFY(program.Messages.Texts.isEmpty());
}

void tst_compare::identical()
{
    CProgram program;
    CBytelonView* pA = program.OpenBytes(Counting(5000), QStringLiteral("a.bin"));
    CBytelonView* pB = program.OpenBytes(Counting(5000), QStringLiteral("b.bin"));
    Focus(pA);
    Focus(pB);
    const CViewState a(pA), b(pB);
    QVERIFY(program.Frame()->ExecuteCommand(ID_SEARCH_COMPARE));
    QCOMPARE(program.Messages.Texts, QStringList{QStringLiteral("Files are identical")});
    QVERIFY(CViewState(pA) == a);
    QVERIFY(CViewState(pB) == b);
    QCOMPARE(CWaitCursor::Depth(), 0);
}

void tst_compare::difference_data()
{
    QTest::addColumn<int>("lengthA");
    QTest::addColumn<int>("lengthB");
    QTest::addColumn<int>("changedAt");
    QTest::addColumn<int>("expected");
    QTest::newRow("ten-and-fifteen-agreeing") << 10 << 15 << -1 << 10;
    QTest::newRow("fifteen-and-ten-agreeing") << 15 << 10 << -1 << 10;
    QTest::newRow("first-byte") << 100 << 100 << 0 << 0;
    QTest::newRow("last-byte-of-first-block") << 3000 << 3000 << 1023 << 1023;
    QTest::newRow("first-byte-of-second-block") << 3000 << 3000 << 1024 << 1024;
    QTest::newRow("offset-1500-second-block") << 3000 << 3000 << 1500 << 1500;
    QTest::newRow("last-byte") << 2049 << 2049 << 2048 << 2048;
    QTest::newRow("prefix-ending-inside-a-block") << 1500 << 4000 << -1 << 1500;
    QTest::newRow("before-the-shorter-ends") << 2000 << 4000 << 1999 << 1999;
}

void tst_compare::difference()
{
    QFETCH(int, lengthA);
    QFETCH(int, lengthB);
    QFETCH(int, changedAt);
    QFETCH(int, expected);
    CProgram program;
    QByteArray bytesB = Counting(lengthB);
    if (changedAt >= 0)
        bytesB = ChangedAt(bytesB, changedAt);
    CBytelonView* pB = program.OpenBytes(bytesB, QStringLiteral("b.bin"));
    CBytelonView* pA = program.OpenBytes(Counting(lengthA), QStringLiteral("a.bin"));
    ShowLines(pA, 20);
    ShowLines(pB, 14);
    Focus(pB);
    // A selection in the view that loses the focus: the comparison leaves it alone.
    pB->SelectAll();
    Focus(pA);
    const std::pair<int, int> selectionB = Selection(pB);
    QCOMPARE(pB->SelActive, 1);
    QVERIFY(program.Frame()->ExecuteCommand(ID_SEARCH_COMPARE));
    QVERIFY2(program.Messages.Texts.isEmpty(), qPrintable(program.Messages.Texts.join(QLatin1Char('|'))));
    QCOMPARE(pA->CaretOffset(), expected);
    QCOMPARE(pB->CaretOffset(), expected);
    QCOMPARE(Selection(pB), selectionB);
    QCOMPARE(pB->SelActive, 1);
    QCOMPARE(pA->SelActive, 0);
    for (CBytelonView* pView : {pA, pB}) {
        // The line of the difference is centred, unless the start or the end of the document is near.
        const int n = pView->BytesPerLine;
        const int length = pView->GetDocument()->DocLen;
        const int row = (expected - pView->TopOffset) / n;
        QVERIFY(row >= 0 && row < pView->LinesPerScreen);
        const bool nearStart = expected / n < pView->LinesPerScreen / 2;
        const bool nearEnd = (long long)(expected / n - pView->LinesPerScreen / 2) * n + pView->BytesPerScreen() > length;
        if (!nearStart && !nearEnd)
            QCOMPARE(row, pView->LinesPerScreen / 2);
        else if (nearStart)
            QCOMPARE(pView->TopOffset, 0);
    }
    // The focus stays where it was.
    QCOMPARE(program.App()->pCurrentView, pA);
    QCOMPARE(QApplication::focusWidget(), pA);
    QCOMPARE(CWaitCursor::Depth(), 0);
}

void tst_compare::readsStopAtTheDifference()
{
    CProgram program;
    const QByteArray bytes = Counting(1 << 20);
    CBytelonView* pA = program.OpenBytes(bytes, QStringLiteral("a.bin"));
    CBytelonView* pB = program.OpenBytes(ChangedAt(bytes, 1500), QStringLiteral("b.bin"));
    Focus(pA);
    Focus(pB);
    // Past the second 1024-byte block the work files end early: reading on would fail.
    QVERIFY(QFile::resize(pA->GetDocument()->WorkFileName, 2048));
    QVERIFY(QFile::resize(pB->GetDocument()->WorkFileName, 2048));
    QVERIFY(program.Frame()->ExecuteCommand(ID_SEARCH_COMPARE));
    QVERIFY2(program.Messages.Texts.isEmpty(), qPrintable(program.Messages.Texts.join(QLatin1Char('|'))));
    QCOMPARE(pA->CaretOffset(), 1500);
    QCOMPARE(pB->CaretOffset(), 1500);
    QCOMPARE((1500 - pA->TopOffset) / pA->BytesPerLine, pA->LinesPerScreen / 2);
    QCOMPARE((1500 - pB->TopOffset) / pB->BytesPerLine, pB->LinesPerScreen / 2);
}

void tst_compare::usesTheLastTwoFocused()
{
    CProgram program;
    const QByteArray bytes = Counting(200);
    CBytelonView* pFirst = program.OpenBytes(bytes, QStringLiteral("first.bin"));
    CBytelonView* pSecond = program.OpenBytes(ChangedAt(bytes, 2), QStringLiteral("second.bin"));
    CBytelonView* pThird = program.OpenBytes(ChangedAt(bytes, 150), QStringLiteral("third.bin"));
    Focus(pSecond);
    Focus(pFirst);
    Focus(pThird);
    QCOMPARE(program.App()->pCurrentView, pThird);
    QCOMPARE(program.App()->pPreviousView, pFirst);
    const CViewState second(pSecond);
    QVERIFY(program.Frame()->ExecuteCommand(ID_SEARCH_COMPARE));
    QVERIFY(program.Messages.Texts.isEmpty());
    QCOMPARE(pThird->CaretOffset(), 150);
    QCOMPARE(pFirst->CaretOffset(), 150);
    QVERIFY(CViewState(pSecond) == second);
}

void tst_compare::failures_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("work-file-A-locked") << "lock-A" << "OnSearchDiff() could not open temp file A";
    QTest::newRow("work-file-B-locked") << "lock-B" << "OnSearchDiff() could not open temp file B";
    QTest::newRow("work-file-A-short") << "short-A" << "Read error 1 in OnSearchDiff()";
    QTest::newRow("work-file-B-short") << "short-B" << "Read error 2 in OnSearchDiff()";
}

void tst_compare::failures()
{
    QFETCH(QString, fault);
    QFETCH(QString, message);
    CProgram program;
    const QByteArray bytes = Counting(3000);
    CBytelonView* pB = program.OpenBytes(bytes, QStringLiteral("b.bin"));
    CBytelonView* pA = program.OpenBytes(ChangedAt(bytes, 2500), QStringLiteral("a.bin"));
    Focus(pB);
    Focus(pA);
    const CViewState a(pA), b(pB);
    CBytelonDoc* pVictim = (fault.endsWith(QLatin1Char('A')) ? pA : pB)->GetDocument();
    CFile lock;
    if (fault.startsWith(QLatin1String("lock")))
        QVERIFY(lock.Open(pVictim->WorkFileName, CFile::modeRead | CFile::shareExclusive));
    else
        QVERIFY(QFile::resize(pVictim->WorkFileName, 2000));
    QVERIFY(program.Frame()->ExecuteCommand(ID_SEARCH_COMPARE));
    QCOMPARE(program.Messages.Texts, QStringList{message});
    QVERIFY(CViewState(pA) == a);
    QVERIFY(CViewState(pB) == b);
    QCOMPARE(CWaitCursor::Depth(), 0);
    lock.Close();
    // Both work files were closed again.
    for (CBytelonView* pView : {pA, pB}) {
        QVERIFY(!pView->GetDocument()->WorkFile.IsOpen());
        CFile probe;
        QVERIFY(probe.Open(pView->GetDocument()->WorkFileName, CFile::modeRead | CFile::shareExclusive));
    }
}

void tst_compare::emptyDocumentRefused()
{
    // The command is disabled then; called all the same it says why it cannot compare.
    CProgram program;
    CBytelonView* pA = program.OpenBytes(Counting(10), QStringLiteral("a.bin"));
    CBytelonView* pB = program.OpenBytes(QByteArray(), QStringLiteral("b.bin"));
    Focus(pA);
    Focus(pB);
    program.App()->OnSearchDiff();
    QCOMPARE(program.Messages.Texts, QStringList{QStringLiteral("One or both files are empty")});
    QVERIFY(!pA->GetDocument()->WorkFile.IsOpen());
    QVERIFY(!pB->GetDocument()->WorkFile.IsOpen());
    QCOMPARE(pA->CaretOffset(), 0);
}

QTEST_MAIN(tst_compare)
#include "tst_compare.moc"
