// Searching a document for a byte string towards the end and towards the
// start: the messages and their order, the selection a hit leaves, letter
// case folding, and occurrences across the 16384-byte read blocks, checked
// against a plain scan of the whole document.

#include "support/TestSupport.h"

#include "doc/BytelonDoc.h"
#include "framework/File.h"
#include "search/ByteMatcher.h"
#include "view/BytelonView.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

namespace {

constexpr int Block = 16384;

bool Equal(unsigned char a, unsigned char b, bool ignoreCase)
{
    auto fold = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? (unsigned char)(c + 32) : c; };
    return ignoreCase ? fold(a) == fold(b) : a == b;
}

bool MatchesAt(const QByteArray& doc, int s, const QByteArray& what, bool ignoreCase)
{
    for (int k = 0; k < what.size(); ++k) {
        if (!Equal((unsigned char)doc[s + k], (unsigned char)what[k], ignoreCase))
            return false;
    }
    return true;
}

// The plain model: the first occurrence starting at or after from.
int PlainNext(const QByteArray& doc, int from, const QByteArray& what, bool ignoreCase)
{
    for (int s = from; s + int(what.size()) <= int(doc.size()); ++s) {
        if (MatchesAt(doc, s, what, ignoreCase))
            return s;
    }
    return -1;
}

// The plain model: the last occurrence ending at or before end.
int PlainPrevious(const QByteArray& doc, int end, const QByteArray& what, bool ignoreCase)
{
    for (int s = end - int(what.size()); s >= 0; --s) {
        if (MatchesAt(doc, s, what, ignoreCase))
            return s;
    }
    return -1;
}

int Next(CBytelonView* pView, const QByteArray& what, int ignoreCase = 0)
{
    return pView->FindNext(what.constData(), int(what.size()), ignoreCase);
}

int Previous(CBytelonView* pView, const QByteArray& what, int ignoreCase = 0)
{
    return pView->FindPrevious(what.constData(), int(what.size()), ignoreCase);
}

QByteArray RandomBytes(QRandomGenerator& random, int n, const QByteArray& alphabet)
{
    QByteArray bytes(n, '\0');
    for (int i = 0; i < n; ++i)
        bytes[i] = alphabet[int(random.bounded(int(alphabet.size())))];
    return bytes;
}

}  // namespace

class tst_search : public QObject {
    Q_OBJECT
private slots:
    void refusedBeforeReading_data();
    void refusedBeforeReading();
    void walksThroughOccurrences();
    void walksBackwards();
    void sameOccurrenceFoundBack();
    void caseFolding_data();
    void caseFolding();
    void lastBytesOfOneBlock();
    void acrossBlockBoundaries_data();
    void acrossBlockBoundaries();
    void randomAgainstPlainScan();
    void matcherAgainstPlainScan();
    void failuresLeaveViewAlone_data();
    void failuresLeaveViewAlone();
    void shiftExtendsFromOldAnchor();
};

void tst_search::refusedBeforeReading_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QByteArray>("what");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("message");
    const QByteArray four("abcd");
    QTest::newRow("nothing-to-find-down") << four << QByteArray() << true << 0 << "There is nothing to find";
    QTest::newRow("nothing-to-find-up") << four << QByteArray() << false << 2 << "There is nothing to find";
    QTest::newRow("longer-than-document-down")
        << four << QByteArray("abcde") << true << 0 << "Search string is longer than document";
    QTest::newRow("longer-than-document-up")
        << four << QByteArray("abcde") << false << 4 << "Search string is longer than document";
    QTest::newRow("top-at-offset-0") << four << QByteArray("a") << false << 0 << "Reached top of document";
    QTest::newRow("empty-before-long") << four << QByteArray() << true << 4 << "There is nothing to find";
}

void tst_search::refusedBeforeReading()
{
    QFETCH(QByteArray, document);
    QFETCH(QByteArray, what);
    QFETCH(bool, forward);
    QFETCH(int, caret);
    QFETCH(QString, message);
    CProgram program;
    CBytelonView* pView = program.OpenBytes(document);
    MoveCaretTo(pView, caret);
    CFile::ResetStatistics();
    const int result = forward ? Next(pView, what) : Previous(pView, what);
    QCOMPARE(result, 1);
    QCOMPARE(program.Messages.Texts, QStringList{message});
    QCOMPARE(CFile::GetStatistics().Opens, 0LL);
    QCOMPARE(pView->CaretOffset(), caret);
    QVERIFY(!pView->SelActive);
}

void tst_search::walksThroughOccurrences()
{
    CProgram program;
    CBytelonView* pView = program.OpenBytes(QByteArray(4, 'a'));
    const QByteArray what("aa");
    QCOMPARE(Next(pView, what), 0);
    QVERIFY(pView->SelActive);
    QCOMPARE(Selection(pView), std::pair(0, 2));
    QCOMPARE(pView->CaretOffset(), 2);
    QCOMPARE(Next(pView, what), 0);
    QCOMPARE(Selection(pView), std::pair(2, 4));
    QCOMPARE(pView->CaretOffset(), 4);
    QVERIFY(program.Messages.Texts.isEmpty());
    QCOMPARE(Next(pView, what), 1);
    QCOMPARE(program.Messages.Texts, QStringList{QStringLiteral("Reached end of document")});
    // A miss leaves the selection alone.
    QCOMPARE(Selection(pView), std::pair(2, 4));

    // Fewer than count bytes after the caret: the end at once.
    MoveCaretTo(pView, 3);
    program.Messages.Texts.clear();
    QCOMPARE(Next(pView, what), 1);
    QCOMPARE(program.Messages.Texts, QStringList{QStringLiteral("Reached end of document")});
}

void tst_search::walksBackwards()
{
    CProgram program;
    CBytelonView* pView = program.OpenBytes(QByteArray("xaaaax"));
    MoveCaretTo(pView, 6);
    const QByteArray what("aa");
    QCOMPARE(Previous(pView, what), 0);
    QCOMPARE(Selection(pView), std::pair(5, 3));
    QCOMPARE(pView->CaretOffset(), 3);
    QCOMPARE(Previous(pView, what), 0);
    QCOMPARE(Selection(pView), std::pair(3, 1));
    QCOMPARE(pView->CaretOffset(), 1);
    QCOMPARE(Previous(pView, what), 1);
    QCOMPARE(program.Messages.Texts, QStringList{QStringLiteral("Reached top of document")});
}

void tst_search::sameOccurrenceFoundBack()
{
    CProgram program;
    CBytelonView* pView = program.OpenBytes(QByteArray("..ab..ab.."));
    QCOMPARE(Next(pView, "ab"), 0);
    QCOMPARE(pView->CaretOffset(), 4);
    QCOMPARE(Previous(pView, "ab"), 0);
    QCOMPARE(Selection(pView), std::pair(4, 2));
    QCOMPARE(pView->CaretOffset(), 2);
}

void tst_search::caseFolding_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QByteArray>("what");
    QTest::addColumn<int>("ignoreCase");
    QTest::addColumn<bool>("found");
    QTest::newRow("letters-folded") << QByteArray("\x01HEX") << QByteArray("hex") << 1 << true;
    QTest::newRow("letters-folded-both-ways") << QByteArray("\x01hex") << QByteArray("HeX") << 1 << true;
    QTest::newRow("letters-exact-without-folding") << QByteArray("\x01HEX") << QByteArray("hex") << 0 << false;
    QTest::newRow("other-values-exact-too") << QByteArray("\x01HEX") << QByteArray("hex") << 2 << false;
    QTest::newRow("accented-not-folded") << QByteArray("\x01\xC9") << QByteArray("\xE9") << 1 << false;
    QTest::newRow("bracket-not-brace") << QByteArray("\x01[") << QByteArray("{") << 1 << false;
    QTest::newRow("at-sign-not-backquote") << QByteArray("\x01@") << QByteArray("`") << 1 << false;
    QTest::newRow("zero-exact") << QByteArray("\x01\x00 ", 3) << QByteArray(" ") << 1 << true;
}

void tst_search::caseFolding()
{
    QFETCH(QByteArray, document);
    QFETCH(QByteArray, what);
    QFETCH(int, ignoreCase);
    QFETCH(bool, found);
    CProgram program;
    CBytelonView* pView = program.OpenBytes(document);
    QCOMPARE(Next(pView, what, ignoreCase), found ? 0 : 1);
    MoveCaretTo(pView, int(document.size()));
    QCOMPARE(Previous(pView, what, ignoreCase), found ? 0 : 1);
}

void tst_search::lastBytesOfOneBlock()
{
    CProgram program;
    QByteArray document(Block, '.');
    document.replace(Block - 3, 3, "end");
    CBytelonView* pView = program.OpenBytes(document);
    QCOMPARE(Next(pView, "END", 1), 0);
    QCOMPARE(Selection(pView), std::pair(Block - 3, Block));
    QCOMPARE(pView->CaretOffset(), Block);
}

void tst_search::acrossBlockBoundaries_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("caret");
    for (int count : {2, 5, 16}) {
        for (int caret : {0, 1, 777}) {
            QTest::addRow("count-%d-caret-%d", count, caret) << count << caret;
        }
    }
}

// Occurrences that begin 1 to count - 1 bytes before the end of a block read
// from the caret (down) or from the end (up) lie across two blocks.
void tst_search::acrossBlockBoundaries()
{
    QFETCH(int, count);
    QFETCH(int, caret);
    CProgram program;
    QByteArray what(count, 'q');
    what[0] = 'Q';
    const int length = caret + 4 * Block;
    for (int cut = 1; cut < count; ++cut) {
        // Down: the first block ends at caret + Block.
        QByteArray document(length, '.');
        const int down = caret + Block - cut;
        document.replace(down, count, what);
        // Up from the end: the first block starts at length - Block.
        const int up = length - Block - count + cut;
        document.replace(up, count, what);
        program.Messages.Texts.clear();
        CBytelonView* pView = program.OpenBytes(document, QStringLiteral("cut%1.bin").arg(cut));
        MoveCaretTo(pView, caret);
        QCOMPARE(Next(pView, what), 0);
        QCOMPARE(pView->SelAnchor, down);
        MoveCaretTo(pView, length);
        QCOMPARE(Previous(pView, what), 0);
        QCOMPARE(pView->SelEnd, up);
        QVERIFY(program.Messages.Texts.isEmpty());
        pView->GetDocument()->OnCloseDocument();
    }
}

void tst_search::randomAgainstPlainScan()
{
    // A step is one search each way from a random caret; a document serves twelve.
    const CRandomRuns runs = RandomRuns(20240611, 1, 72);
    CProgram program;
    const QByteArray alphabet("aAbB\x00\xC9", 6);
    for (int run = 0; run < runs.Seeds; ++run) {
        const unsigned seed = runs.FirstSeed + unsigned(run);
        QRandomGenerator random(seed);
        for (int step = 0; step < runs.Steps;) {
            const int length = 20000 + int(random.bounded(3 * Block));
            QByteArray document = RandomBytes(random, length, alphabet);
            CBytelonView* pView = program.OpenBytes(document, QStringLiteral("random%1.bin").arg(step));
            for (int trial = 0; trial < 12 && step < runs.Steps; ++trial, ++step) {
                // Long strings are rare by chance: plant one across a block boundary.
                const int count = 1 + int(random.bounded(12));
                const int caret = int(random.bounded(length));
                const int ignoreCase = int(random.bounded(2));
                QByteArray what = RandomBytes(random, count, alphabet);
                const int planted = caret + Block - 1 - int(random.bounded(count));
                if (planted + count <= length)
                    document.replace(planted, count, what);
                WriteFile(pView->GetDocument()->WorkFileName, document);
                const QByteArray where = QStringLiteral("seed %1, step %2").arg(seed).arg(step).toLatin1();

                MoveCaretTo(pView, caret);
                const int next = PlainNext(document, caret, what, ignoreCase);
                program.Messages.Texts.clear();
                const bool nextSound = Next(pView, what, ignoreCase) == (next < 0 ? 1 : 0)
                                       && (next >= 0 ? Selection(pView) == std::pair(next, next + count)
                                                     : program.Messages.Texts
                                                           == QStringList{QStringLiteral("Reached end of document")});
                QVERIFY2(nextSound, where.constData());

                MoveCaretTo(pView, caret);
                const int previous = PlainPrevious(document, caret, what, ignoreCase);
                program.Messages.Texts.clear();
                bool previousSound = Previous(pView, what, ignoreCase) == (previous < 0 ? 1 : 0);
                if (previous >= 0)
                    previousSound = previousSound && Selection(pView) == std::pair(previous + count, previous);
                else if (caret > 0)
                    previousSound = previousSound
                                    && program.Messages.Texts == QStringList{QStringLiteral("Reached top of document")};
                QVERIFY2(previousSound, where.constData());
            }
            pView->GetDocument()->OnCloseDocument();
        }
    }
}

void tst_search::matcherAgainstPlainScan()
{
    QRandomGenerator random(77);
    // Letters next to the folded range, and long runs of one value.
    const QByteArray alphabets[] = {QByteArray("xXyY[{@`"), QByteArray("\0\0\0\0\0\0\x01Z", 8)};
    for (const QByteArray& alphabet : alphabets) {
        for (int trial = 0; trial < 3000; ++trial) {
            const int n = int(random.bounded(600));
            const QByteArray block = RandomBytes(random, n, alphabet);
            const QByteArray what = RandomBytes(random, 1 + int(random.bounded(trial % 3 == 0 ? 40 : 6)), alphabet);
            const bool ignoreCase = random.bounded(2) == 1;
            const CByteMatcher matcher(what.constData(), int(what.size()), ignoreCase);
            const auto* pBlock = reinterpret_cast<const unsigned char*>(block.constData());
            QCOMPARE(matcher.FindFirst(pBlock, n), PlainNext(block, 0, what, ignoreCase));
            QCOMPARE(matcher.FindLast(pBlock, n), PlainPrevious(block, n, what, ignoreCase));
        }
    }
}

void tst_search::failuresLeaveViewAlone_data()
{
    QTest::addColumn<bool>("forward");
    QTest::addColumn<bool>("lock");
    QTest::addColumn<QString>("message");
    QTest::newRow("down-cannot-open") << true << true << "FindNext() could not open WorkFile";
    QTest::newRow("up-cannot-open") << false << true << "FindPrevious() could not open WorkFile";
    QTest::newRow("down-short-read") << true << false << "Read failed in FindNext()";
    QTest::newRow("up-short-read") << false << false << "Read error in FindPrevious()";
}

void tst_search::failuresLeaveViewAlone()
{
    QFETCH(bool, forward);
    QFETCH(bool, lock);
    QFETCH(QString, message);
    CProgram program;
    CBytelonView* pView = program.OpenBytes(QByteArray(3 * Block, 'z'));
    MoveCaretTo(pView, Block + 5);
    const QString workFile = pView->GetDocument()->WorkFileName;
    CFile holder;
    if (lock) {
        QVERIFY(holder.Open(workFile, CFile::modeRead | CFile::shareExclusive));
    } else {
        // The work file lost its end behind the document's back.
        QVERIFY(QFile::resize(workFile, Block));
        MoveCaretTo(pView, forward ? Block + 5 : 3 * Block);
    }
    const int caret = pView->CaretOffset();
    const int result = forward ? Next(pView, "yy") : Previous(pView, "yy");
    QCOMPARE(result, 1);
    QCOMPARE(program.Messages.Texts, QStringList{message});
    QCOMPARE(pView->CaretOffset(), caret);
    QVERIFY(!pView->SelActive);
    holder.Close();
    QVERIFY(CFile().Open(workFile, CFile::modeRead | CFile::shareExclusive));  // nothing left open
}

void tst_search::shiftExtendsFromOldAnchor()
{
    CProgram program;
    CBytelonView* pView = program.OpenBytes(QByteArray("0123456789abcdef0123"));
    QCOMPARE(Next(pView, "34"), 0);
    SetShiftHeld(true);
    QCOMPARE(Next(pView, "ab"), 0);
    SetShiftHeld(false);
    QCOMPARE(Selection(pView), std::pair(3, 12));
    QCOMPARE(pView->CaretOffset(), 12);
}

QTEST_MAIN(tst_search)
#include "tst_search.moc"
