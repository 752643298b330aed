// The editing engine: the segment copy, deleting and inserting at the caret,
// a long random run against a plain model, and what a failure part-way
// leaves behind.

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "doc/TailFile.h"
#include "framework/File.h"
#include "framework/WaitCursor.h"
#include "res/Resource.h"
#include "view/BytelonView.h"
#include "view/PreparedDC.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace {

bool Delete(CBytelonView* pView)
{
    CPreparedDC dc(pView);
    return pView->DeleteTheSelection(dc);
}

bool Insert(CBytelonView* pView, const QByteArray& bytes)
{
    return pView->ReplaceSelectionWithString(bytes.constData(), int(bytes.size()));
}

// Puts the caret at anchor, or selects from anchor to end when they differ.
void CaretOrSelection(CBytelonView* pView, int anchor, int end)
{
    if (anchor == end)
        MoveCaretTo(pView, anchor);
    else
        SelectBytes(pView, anchor, end);
}

// bytes with the range between anchor and end replaced by with.
QByteArray Replaced(QByteArray bytes, int anchor, int end, const QByteArray& with = QByteArray())
{
    const int lo = std::min(anchor, end);
    bytes.remove(lo, std::max(anchor, end) - lo);
    return bytes.insert(lo, with);
}

class CWriteFaultGuard {
public:
    explicit CWriteFaultGuard(CFile::WriteFault fault) { CFile::SetWriteFault(std::move(fault)); }
    ~CWriteFaultGuard() { CFile::SetWriteFault(nullptr); }
    CWriteFaultGuard(const CWriteFaultGuard&) = delete;
    CWriteFaultGuard& operator=(const CWriteFaultGuard&) = delete;
};

}  // namespace

class tst_editing : public QObject {
    Q_OBJECT
private slots:
    void copyFileSegment_data();
    void copyFileSegment();
    void copyFileSegmentRefusals();
    void copyFileSegmentWriteFailure();
    void deleteSelection_data();
    void deleteSelection();
    void nothingToDelete();
    void deleteAboveTopLineMovesTop();
    void insert_data();
    void insert();
    void insertAtEndMakesNoTailFile();
    void backspaceAndDeleteKeys();
    void randomEditsMatchModel();
    void insertionFailingPartWayIsUndone_data();
    void insertionFailingPartWayIsUndone();
    void undoFailingDeclaresDamage();
    void deletionFailingPartWayIsUndone();
    void replacementReportsFailure();
    void growthBeyondLimitRefused();
    void insertFromFile_data();
    void insertFromFile();
    void insertFromFileFailures();
    void insertFromFileFailingPartWayIsUndone();
    void saveSelectionAs_data();
    void saveSelectionAs();
    void saveSelectionAsRefusals();
};

void tst_editing::copyFileSegment_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("oneFile");
    QTest::addColumn<int>("sourcePos");
    QTest::addColumn<int>("destPos");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("writes");  // chunks through the buffer, or runs of them in the kernel
    QTest::newRow("one-chunk-of-16384") << 20000 << false << 100 << 0 << 16384 << 1;
    QTest::newRow("two-chunks-for-16385") << 20000 << false << 100 << 7 << 16385 << 1;
    QTest::newRow("into-the-middle-of-a-longer-file") << 50000 << false << 0 << 30000 << 40000 << 1;
    QTest::newRow("more-chunks-than-one-run") << 1100000 << false << 5 << 3 << 1099990 << 2;
    QTest::newRow("move-down-by-one-one-chunk") << 16385 << true << 1 << 0 << 16384 << 1;
    QTest::newRow("move-down-by-one-two-chunks") << 16386 << true << 1 << 0 << 16385 << 2;
    QTest::newRow("move-down-by-one-overlapping") << 40000 << true << 1 << 0 << 39999 << 3;
    QTest::newRow("move-down-by-a-chunk-exactly") << 40000 << true << 16384 << 0 << 23616 << 2;
    QTest::newRow("move-down-by-less-than-a-chunk") << 70000 << true << 16000 << 3 << 54000 << 4;
    QTest::newRow("move-down-by-three-chunks") << 200000 << true << 3 * 16384 + 5 << 5 << 150000 << 4;
}

void tst_editing::copyFileSegment()
{
    QFETCH(int, size);
    QFETCH(bool, oneFile);
    QFETCH(int, sourcePos);
    QFETCH(int, destPos);
    QFETCH(int, count);
    QFETCH(int, writes);
    CProgram program;
    CBytelonView* pView = program.OpenBytes("x");
    const QByteArray source = Pattern(size);
    const QString sourceName = program.MakeFile("source.bin", source);
    const QByteArray destBefore = Pattern(size, 99);
    const QString destName = oneFile ? sourceName : program.MakeFile("dest.bin", destBefore);

    QByteArray expected = oneFile ? source : destBefore;
    if (expected.size() < destPos + count)
        expected.resize(destPos + count);
    // Each chunk is read before it is written, in ascending order.
    for (int done = 0; done < count; done += 16384) {
        const int n = std::min(16384, count - done);
        const QByteArray chunk = expected.mid(oneFile ? sourcePos + done : 0, n);
        if (oneFile)
            expected.replace(destPos + done, n, chunk);
        else
            expected.replace(destPos + done, n, source.mid(sourcePos + done, n));
    }

    CFile sourceFile;
    CFile destFile;
    CFile::ResetStatistics();
    const bool copied = pView->CopyFileSegment(sourceFile, sourceName, sourcePos, oneFile ? sourceFile : destFile,
                                               destName, destPos, count);
    QVERIFY(copied);
    QCOMPARE(CFile::GetStatistics().Writes, (long long)writes);
    QVERIFY(!sourceFile.IsOpen());
    QVERIFY(!destFile.IsOpen());
    QCOMPARE(FileBytes(destName), expected);
    QVERIFY(program.Messages.Texts.isEmpty());
    QCOMPARE(CWaitCursor::Depth(), 0);
}

void tst_editing::copyFileSegmentRefusals()
{
    CProgram program;
    CBytelonView* pView = program.OpenBytes("x");
    CFile a;
    CFile b;

    // Nothing to copy touches no file, even without names.
    CFile::ResetStatistics();
    QVERIFY(pView->CopyFileSegment(a, QString(), 0, b, QString(), 0, 0));
    QCOMPARE(CFile::GetStatistics().Opens, 0LL);
    QVERIFY(program.Messages.Texts.isEmpty());

    // The messages of a copy that must be refused.
    auto refusal = [&](const QString& source, int sourcePos, const QString& dest, int destPos, int count) {
        program.Messages.Texts.clear();
        if (pView->CopyFileSegment(a, source, sourcePos, b, dest, destPos, count))
            return QStringList{QStringLiteral("<copied>")};
        return program.Messages.Texts;
    };
    const QString sourceName = program.MakeFile("s.bin", Pattern(100));
    QCOMPARE(refusal(sourceName, 0, sourceName + "x", 0, -1), QStringList{"Error:  XferLen<0 in CopyFileSegment()"});
    QCOMPARE(CFile::GetStatistics().Opens, 0LL);

    // The destination is never created.
    const QString missing = program.Dir() + "/missing.bin";
    QCOMPARE(refusal(sourceName, 0, missing, 0, 10), QStringList{"Failed to open file"});
    QVERIFY(!QFile::exists(missing));
    QVERIFY(!a.IsOpen());
    QCOMPARE(refusal(missing, 0, sourceName, 0, 10), QStringList{"Failed to open file"});

    // A source locked by another open cannot be opened.
    CFile holder;
    QVERIFY(holder.Open(sourceName, CFile::modeRead | CFile::shareExclusive));
    const QString destName = program.MakeFile("d.bin", QByteArray());
    QCOMPARE(refusal(sourceName, 0, destName, 0, 10), QStringList{"Failed to open file"});
    holder.Close();

    // Reading past the source's end writes nothing of the short chunk.
    QCOMPARE(refusal(sourceName, 90, destName, 0, 20), QStringList{"Read error 1 in CopyFileSegment()"});
    QCOMPARE(FileBytes(destName), QByteArray());
    QVERIFY(!a.IsOpen());
    QVERIFY(!b.IsOpen());

    QCOMPARE(refusal(sourceName, -5, destName, 0, 20), QStringList{"Seek error 1 in CopyFileSegment()"});
    QCOMPARE(refusal(sourceName, 0, destName, -5, 20), QStringList{"Seek error 2 in CopyFileSegment()"});
    QCOMPARE(CWaitCursor::Depth(), 0);
}

void tst_editing::copyFileSegmentWriteFailure()
{
    CProgram program;
    CBytelonView* pView = program.OpenBytes("x");
    const QString sourceName = program.MakeFile("s.bin", Pattern(50000));
    const QString destName = program.MakeFile("d.bin", QByteArray());
    CWriteFaultGuard fault([&](const QString& path, std::int64_t, UINT) { return path == destName; });
    CFile a;
    CFile b;
    QVERIFY(!pView->CopyFileSegment(a, sourceName, 0, b, destName, 0, 50000));
    QCOMPARE(program.Messages.Texts.size(), 1);
    QVERIFY2(program.Messages.Texts[0].startsWith("Disk full while accessing"), qPrintable(program.Messages.Texts[0]));
    QVERIFY(!a.IsOpen());
    QVERIFY(!b.IsOpen());
    QCOMPARE(CWaitCursor::Depth(), 0);

    // Through the buffer, the chunk before the failing one stays written.
    program.Messages.Texts.clear();
    CWriteFaultGuard later([&](const QString& path, std::int64_t pos, UINT) {
        return path == sourceName && pos >= 16384;
    });
    QVERIFY(!pView->CopyFileSegment(a, sourceName, 1, a, sourceName, 0, 49999));
    QCOMPARE(program.Messages.Texts.size(), 1);
    QVERIFY(!a.IsOpen());
    QCOMPARE(FileBytes(sourceName), Pattern(50000).mid(1, 16384) + Pattern(50000).mid(16384));
}

void tst_editing::deleteSelection_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("end");
    QTest::newRow("deleting-at-start") << 40000 << 0 << 3;
    QTest::newRow("deleting-one-in-middle") << 40000 << 20000 << 20001;
    QTest::newRow("deleting-across-chunks-backwards") << 70000 << 50000 << 100;
    QTest::newRow("deleting-at-end") << 40000 << 39990 << 40000;
    QTest::newRow("deleting-whole-document") << 40000 << 0 << 40000;
}

void tst_editing::deleteSelection()
{
    QFETCH(int, size);
    QFETCH(int, anchor);
    QFETCH(int, end);
    CProgram program;
    CBytelonView* pView = program.OpenFocused(Pattern(size));
    CBytelonDoc* pDocument = pView->GetDocument();
    SelectBytes(pView, anchor, end);
    QVERIFY(pView->SelActive);
    QVERIFY(Delete(pView));
    const QByteArray expected = Replaced(Pattern(size), anchor, end);
    QCOMPARE(program.WorkFileBytes(pDocument), expected);
    QCOMPARE(pDocument->DocLen, int(expected.size()));
    QCOMPARE(pView->CaretOffset(), std::min(anchor, end));
    QVERIFY(!pView->SelActive);
    QVERIFY(pDocument->IsModified());
    QVERIFY(program.Messages.Texts.isEmpty());
    QCOMPARE(CWaitCursor::Depth(), 0);
}

void tst_editing::nothingToDelete()
{
    CProgram program;
    CBytelonView* pView = program.OpenBytes(Pattern(100));
    CBytelonDoc* pDocument = pView->GetDocument();
    QVERIFY(!Delete(pView));
    SelectBytes(pView, 10, 10);  // active but empty
    QVERIFY(pView->SelActive);
    QVERIFY(!Delete(pView));
    QCOMPARE(program.Messages.Texts, QStringList({"There is nothing to delete", "There is nothing to delete"}));
    QCOMPARE(program.WorkFileBytes(pDocument), Pattern(100));
    QVERIFY(!pDocument->IsModified());
}

void tst_editing::deleteAboveTopLineMovesTop()
{
    CProgram program;
    program.App()->CharPerLine = 8;
    CBytelonView* pView = program.OpenBytes(Pattern(4000));
    ShowLines(pView, 10);
    SelectBytes(pView, 2000, 1003);  // ends on screen, begins above it
    QCOMPARE(pView->TopOffset, 1000);
    QVERIFY(Delete(pView));
    QCOMPARE(pView->TopOffset, 1000);
    QCOMPARE(pView->CaretOffset(), 1003);

    SelectBytes(pView, 200, 1010);
    QCOMPARE(pView->TopOffset, 1008);
    QVERIFY(Delete(pView));
    QCOMPARE(pView->TopOffset, 200);
    QCOMPARE(pView->CaretOffset(), 200);
}

void tst_editing::insert_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("end");  // equal to anchor: no selection, caret there
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray withZeros("\x00\x41\x00\x00\x42", 5);
    QTest::newRow("inserting-at-start") << 40000 << 0 << 0 << withZeros;
    QTest::newRow("inserting-one-in-middle") << 40000 << 20000 << 20000 << QByteArray("Z");
    QTest::newRow("inserting-at-end") << 40000 << 40000 << 40000 << Pattern(20000, 5);
    QTest::newRow("inserting-into-empty-document") << 0 << 0 << 0 << Pattern(33000, 3);
    QTest::newRow("replacing-at-start") << 40000 << 5 << 0 << QByteArray("abc");
    QTest::newRow("replacing-in-middle-longer") << 40000 << 16000 << 16500 << Pattern(17000, 9);
    QTest::newRow("replacing-at-end") << 40000 << 39000 << 40000 << QByteArray("tail");
    QTest::newRow("count-zero-with-selection-deletes") << 40000 << 100 << 300 << QByteArray();
    QTest::newRow("count-zero-without-selection") << 40000 << 7 << 7 << QByteArray();
}

void tst_editing::insert()
{
    QFETCH(int, size);
    QFETCH(int, anchor);
    QFETCH(int, end);
    QFETCH(QByteArray, bytes);
    CProgram program;
    const QByteArray original = Pattern(size);
    CBytelonView* pView = program.OpenFocused(original);
    CBytelonDoc* pDocument = pView->GetDocument();
    CaretOrSelection(pView, anchor, end);
    const int lo = std::min(anchor, end);
    QVERIFY(Insert(pView, bytes));
    const QByteArray expected = Replaced(original, anchor, end, bytes);
    QCOMPARE(program.WorkFileBytes(pDocument), expected);
    QCOMPARE(pDocument->DocLen, int(expected.size()));
    QVERIFY(!pView->SelActive);
    // Just after the new bytes, or as far as the screen reaches.
    QCOMPARE(pView->CaretOffset(), std::min(lo + int(bytes.size()), pView->BottomOffset + 1));
    QVERIFY(pDocument->IsModified());
    QVERIFY(program.Messages.Texts.isEmpty());
    QCOMPARE(CWaitCursor::Depth(), 0);
}

void tst_editing::insertAtEndMakesNoTailFile()
{
    CProgram program;
    CBytelonView* pView = program.OpenBytes(Pattern(30000));
    MoveCaretTo(pView, 30000);
    const long before = CTailFile::CreatedCount();
    QVERIFY(Insert(pView, "end"));
    QCOMPARE(CTailFile::CreatedCount(), before);
    MoveCaretTo(pView, 29999);
    QVERIFY(Insert(pView, "x"));
    QCOMPARE(CTailFile::CreatedCount(), before + 1);
    QCOMPARE(program.WorkFileBytes(pView->GetDocument()),
             Pattern(30000).left(29999) + "x" + Pattern(30000).right(1) + "end");

    // The guard takes its file with it.
    QString name;
    {
        CTailFile tail;
        QVERIFY(tail.Create());
        name = tail.Name;
        QVERIFY(QFileInfo(name).fileName().startsWith("BYT"));
        QVERIFY(QFile::exists(name));
    }
    QVERIFY(!QFile::exists(name));
}

void tst_editing::backspaceAndDeleteKeys()
{
    CProgram program;
    program.App()->CharPerLine = 8;
    CBytelonView* pView = program.OpenFocused("ABCDEFGHIJ");
    CBytelonDoc* pDocument = pView->GetDocument();
    MoveCaretTo(pView, 4);
    QTest::keyClick(pView, Qt::Key_Backspace);
    QCOMPARE(program.WorkFileBytes(pDocument), QByteArray("ABCEFGHIJ"));
    QCOMPARE(pView->CaretOffset(), 3);
    QTest::keyClick(pView, Qt::Key_Delete);
    QCOMPARE(program.WorkFileBytes(pDocument), QByteArray("ABCFGHIJ"));
    QCOMPARE(pView->CaretOffset(), 3);

    // With a selection both keys delete all of it.
    SelectBytes(pView, 1, 3);
    QTest::keyClick(pView, Qt::Key_Delete);
    QCOMPARE(program.WorkFileBytes(pDocument), QByteArray("AFGHIJ"));
    QCOMPARE(pView->CaretOffset(), 1);

    // Delete on the last byte leaves the caret after the new last byte.
    MoveCaretTo(pView, 5);
    QTest::keyClick(pView, Qt::Key_Delete);
    QCOMPARE(program.WorkFileBytes(pDocument), QByteArray("AFGHI"));
    QCOMPARE(pView->CaretOffset(), 5);
    QVERIFY(program.Messages.Texts.isEmpty());

    QTest::keyClick(pView, Qt::Key_Delete);  // after the last byte
    MoveCaretTo(pView, 0);
    QTest::keyClick(pView, Qt::Key_Backspace);  // before the first
    QCOMPARE(program.Messages.Texts, QStringList({"There is nothing to delete", "There is nothing to delete"}));
    QCOMPARE(program.WorkFileBytes(pDocument), QByteArray("AFGHI"));
}

void tst_editing::randomEditsMatchModel()
{
    const CRandomRuns runs = RandomRuns(20240611, 1, 2000);
    for (int run = 0; run < runs.Seeds; ++run) {
        const unsigned seed = runs.FirstSeed + unsigned(run);
        CProgram program;
        program.App()->CharPerLine = 16;
        std::mt19937 random(seed);
        auto below = [&](int n) { return n <= 0 ? 0 : int(random() % unsigned(n)); };
        std::vector<std::uint8_t> model(60000);
        for (auto& byte : model)
            byte = std::uint8_t(random());
        CBytelonView* pView
            = program.OpenBytes(QByteArray(reinterpret_cast<const char*>(model.data()), int(model.size())));
        CBytelonDoc* pDocument = pView->GetDocument();
        Focus(pView);
        int applied = 0;
        for (int step = 0; applied < runs.Steps; ++step) {
            const int size = int(model.size());
            const int kind = size > 150000 ? 0 : below(3);  // 0 delete, 1 insert, 2 replace
            const int lo = below(size + 1);
            const int len = std::min(size - lo, below(40001));
            std::vector<std::uint8_t> bytes(std::size_t(kind == 0 ? 0 : below(40001)));
            for (auto& byte : bytes)
                byte = std::uint8_t(random());
            if (kind == 0 && len == 0)
                continue;
            ++applied;
            if (kind == 1) {
                MoveCaretTo(pView, lo);
            } else if (random() % 2) {
                SelectBytes(pView, lo, lo + len);
            } else {
                SelectBytes(pView, lo + len, lo);
            }
            bool done;
            if (kind == 0) {
                done = Delete(pView);
            } else {
                done = pView->ReplaceSelectionWithString(reinterpret_cast<const char*>(bytes.data()),
                                                         int(bytes.size()));
            }
            if (kind != 1)
                model.erase(model.begin() + lo, model.begin() + lo + len);
            model.insert(model.begin() + lo, bytes.begin(), bytes.end());
            const QByteArray work = program.WorkFileBytes(pDocument);
            const bool same
                = done && pDocument->DocLen == int(model.size()) && work.size() == int(model.size())
                  && std::equal(model.begin(), model.end(), reinterpret_cast<const std::uint8_t*>(work.data()))
                  && !pView->SelActive
                  && pView->CaretOffset() == std::min(lo + int(bytes.size()), pView->BottomOffset + 1);
            QVERIFY2(same, qPrintable(QStringLiteral("seed %1, step %2 (kind %3 at %4, len %5, %6 bytes) diverged")
                                          .arg(seed).arg(step).arg(kind).arg(lo).arg(len).arg(bytes.size())));
        }
        QVERIFY(program.Messages.Texts.isEmpty());
    }
}

void tst_editing::insertionFailingPartWayIsUndone_data()
{
    QTest::addColumn<int>("failingWrite");  // which write to the work file fails
    QTest::addColumn<QString>("message");
    // Write 0 puts the new bytes down; writes 1 on copy the tail back.
    QTest::newRow("new-bytes-fail") << 0 << QString();
    QTest::newRow("tail-fails-at-once") << 1 << "CopyFileSegment() 2 failed in ReplaceSelectionWithString()";
    QTest::newRow("tail-fails-part-way") << 3 << "CopyFileSegment() 2 failed in ReplaceSelectionWithString()";
}

void tst_editing::insertionFailingPartWayIsUndone()
{
    QFETCH(int, failingWrite);
    QFETCH(QString, message);
    CProgram program;
    // A tail long enough to go back in several pieces.
    const QByteArray original = Pattern(3 << 20);
    CBytelonView* pView = program.OpenBytes(original);
    CBytelonDoc* pDocument = pView->GetDocument();
    MoveCaretTo(pView, 1000);
    const long tailFilesBefore = CTailFile::CreatedCount();
    int writes = 0;
    bool failed = false;
    {
        // Only one write fails, as a disk that is full for a moment would.
        CWriteFaultGuard fault([&](const QString& path, std::int64_t, UINT) {
            if (path != pDocument->WorkFileName || failed)
                return false;
            if (writes++ == failingWrite) {
                failed = true;
                return true;
            }
            return false;
        });
        QVERIFY(!Insert(pView, Pattern(20000, 1)));
    }
    QVERIFY(failed);
    QVERIFY(program.Messages.Texts.size() >= 1);
    QVERIFY2(program.Messages.Texts[0].startsWith("Disk full while accessing"), qPrintable(program.Messages.Texts.join("|")));
    if (!message.isEmpty())
        QCOMPARE(program.Messages.Texts.value(1), message);
    QVERIFY(!pDocument->Damaged);
    QVERIFY(program.WorkFileBytes(pDocument) == original);
    QCOMPARE(pDocument->DocLen, int(original.size()));
    QVERIFY(!pDocument->IsModified());
    QCOMPARE(CTailFile::CreatedCount(), tailFilesBefore + 1);
    QCOMPARE(CWaitCursor::Depth(), 0);
    QVERIFY(!pDocument->WorkFile.IsOpen());
}

void tst_editing::undoFailingDeclaresDamage()
{
    CProgram program;
    const QByteArray original = Pattern(60000);
    const QString userFile = program.MakeFile("user.bin", original);
    CBytelonDoc* pDocument = program.Open(userFile);
    CBytelonView* pView = CProgram::ViewOf(pDocument);
    MoveCaretTo(pView, 1000);
    {
        // From the tail's second chunk on, nothing reaches the work file any more.
        CWriteFaultGuard fault([&](const QString& path, std::int64_t pos, UINT count) {
            return path == pDocument->WorkFileName && pos + count > 1000 + 5 + 16384;
        });
        QVERIFY(!Insert(pView, "12345"));
    }
    QVERIFY(pDocument->Damaged);
    QVERIFY(program.Messages.Texts.last().contains("damaged"));
    QCOMPARE(qint64(pDocument->DocLen), QFileInfo(pDocument->WorkFileName).size());
    QVERIFY(!pView->SelActive);

    // The user's file is never overwritten with what is left.
    ProcessEvents();
    program.Messages.Texts.clear();
    program.Frame()->ExecuteCommand(ID_FILE_SAVE);
    QVERIFY(program.Messages.Texts.value(0).contains("will not be saved over"));
    QCOMPARE(FileBytes(userFile), original);
    const QString elsewhere = program.Dir() + "/salvage.bin";
    program.FileDialogs.Paths.push_back(elsewhere);
    program.Frame()->ExecuteCommand(ID_FILE_SAVE_AS);
    QVERIFY2(program.Messages.Texts.size() == 1, qPrintable(program.Messages.Texts.join("|")));
    QCOMPARE(FileBytes(elsewhere), program.WorkFileBytes(pDocument));
}

void tst_editing::deletionFailingPartWayIsUndone()
{
    CProgram program;
    CBytelonView* pView = program.OpenBytes(Pattern(60000));
    CBytelonDoc* pDocument = pView->GetDocument();
    SelectBytes(pView, 10, 11);

    // A failure before anything is written leaves the document as it was.
    CFile holder;
    QVERIFY(holder.Open(pDocument->WorkFileName, CFile::modeRead | CFile::shareExclusive));
    QVERIFY(!Delete(pView));
    holder.Close();
    QCOMPARE(program.Messages.Texts,
             QStringList({"Failed to open file", "CopyFileSegment() failed in DeleteTheSelection()"}));
    QVERIFY(!pDocument->Damaged);
    QCOMPARE(program.WorkFileBytes(pDocument), Pattern(60000));

    // Bytes moved over the deleted ones before a failure are put back.
    program.Messages.Texts.clear();
    bool failed = false;
    {
        CWriteFaultGuard fault([&](const QString& path, std::int64_t pos, UINT) {
            return path == pDocument->WorkFileName && pos > 16384 && !std::exchange(failed, true);
        });
        QVERIFY(!Delete(pView));
    }
    QVERIFY(failed);
    QCOMPARE(program.Messages.Texts.value(1), QStringLiteral("CopyFileSegment() failed in DeleteTheSelection()"));
    QCOMPARE(program.Messages.Texts.size(), 2);
    QVERIFY(!pDocument->Damaged);
    QCOMPARE(program.WorkFileBytes(pDocument), Pattern(60000));
    QCOMPARE(pDocument->DocLen, 60000);
    QVERIFY(pView->SelActive);

    // Only when putting them back fails too is the document declared damaged.
    program.Messages.Texts.clear();
    failed = false;
    {
        // From the first failure on, nothing reaches the work file.
        CWriteFaultGuard fault([&](const QString& path, std::int64_t pos, UINT) {
            failed = failed || (path == pDocument->WorkFileName && pos > 16384);
            return failed && path == pDocument->WorkFileName;
        });
        QVERIFY(!Delete(pView));
    }
    QVERIFY(program.Messages.Texts.last().contains("damaged"));
    QVERIFY(pDocument->Damaged);
    QCOMPARE(qint64(pDocument->DocLen), QFileInfo(pDocument->WorkFileName).size());
    QCOMPARE(CWaitCursor::Depth(), 0);
}

void tst_editing::replacementReportsFailure()
{
    CProgram program;
    CBytelonView* pView = program.OpenBytes(Pattern(100));
    CBytelonDoc* pDocument = pView->GetDocument();
    SelectBytes(pView, 10, 20);
    CFile holder;
    QVERIFY(holder.Open(pDocument->WorkFileName, CFile::modeRead | CFile::shareExclusive));
    QVERIFY(!Insert(pView, "new"));
    holder.Close();
    // The deletion failed, so nothing was inserted either.
    QCOMPARE(program.Messages.Texts,
             QStringList({"Failed to open file", "CopyFileSegment() failed in DeleteTheSelection()"}));
    QCOMPARE(program.WorkFileBytes(pDocument), Pattern(100));
    QVERIFY(pView->SelActive);

    // No temporary file can be written: the deletion keeps nothing it cannot undo.
    program.Messages.Texts.clear();
    {
        CWriteFaultGuard fault([&](const QString& path, std::int64_t, UINT) {
            return path != pDocument->WorkFileName;
        });
        QVERIFY(!Insert(pView, "new"));
    }
    QCOMPARE(program.Messages.Texts.value(1), QStringLiteral("CopyFileSegment() failed in DeleteTheSelection()"));
    QCOMPARE(program.WorkFileBytes(pDocument), Pattern(100));
    QCOMPARE(pDocument->DocLen, 100);
    QVERIFY(pView->SelActive);
}

void tst_editing::growthBeyondLimitRefused()
{
    CProgram program;
    CBytelonView* pView = program.OpenBytes(Pattern(100));
    CBytelonDoc* pDocument = pView->GetDocument();
    MoveCaretTo(pView, 50);
    // Pretend the document is almost as long as an offset allows.
    pDocument->DocLen = int(CDocument::MaxLength) - 2;
    QVERIFY(!Insert(pView, "abc"));
    pDocument->DocLen = 100;
    QVERIFY(program.Messages.Texts.value(0).contains("7FFFFFFF"));
    QCOMPARE(program.WorkFileBytes(pDocument), Pattern(100));
}

void tst_editing::insertFromFile_data()
{
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("end");  // equal to anchor: no selection, caret there
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("inserting-file-at-start") << 0 << 0 << Pattern(20000, 4);
    QTest::newRow("inserting-file-in-middle") << 17000 << 17000 << Pattern(40000, 8);
    QTest::newRow("inserting-file-at-end") << 30000 << 30000 << QByteArray("\x00\x01", 2);
    QTest::newRow("replacing-selection-with-file") << 500 << 100 << Pattern(3000, 2);
    QTest::newRow("empty-file-only-deletes-selection") << 100 << 200 << QByteArray();
    QTest::newRow("empty-file-without-selection") << 100 << 100 << QByteArray();
}

void tst_editing::insertFromFile()
{
    QFETCH(int, anchor);
    QFETCH(int, end);
    QFETCH(QByteArray, file);
    CProgram program;
    const QByteArray original = Pattern(30000);
    CBytelonView* pView = program.OpenFocused(original);
    CBytelonDoc* pDocument = pView->GetDocument();
    CaretOrSelection(pView, anchor, end);
    const long tailFiles = CTailFile::CreatedCount();
    program.FileDialogs.Paths.push_back(program.MakeFile("insert.bin", file));
    QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_INSERT_FROM_FILE));

    const int lo = std::min(anchor, end);
    const QByteArray expected = Replaced(original, anchor, end, file);
    QCOMPARE(program.WorkFileBytes(pDocument), expected);
    QCOMPARE(pDocument->DocLen, int(expected.size()));
    QCOMPARE(pView->CaretOffset(), lo);  // on the first inserted byte
    QVERIFY(!pView->SelActive);
    QCOMPARE(pDocument->IsModified(), expected != original);
    // A tail file only when bytes follow the insertion, and one for the
    // deleted bytes when bytes follow the selection.
    const bool tailMade = !file.isEmpty() && lo + file.size() < expected.size();
    const bool deletedKept = anchor != end && std::max(anchor, end) < original.size();
    QCOMPARE(CTailFile::CreatedCount(), tailFiles + (tailMade ? 1 : 0) + (deletedKept ? 1 : 0));
    QVERIFY(program.Messages.Texts.isEmpty());
    QCOMPARE(CWaitCursor::Depth(), 0);

    const CFileDialogRequest& request = program.FileDialogs.Requests.at(0);
    QVERIFY(request.OpenFileDialog);
    QCOMPARE(request.Filter, QStringLiteral("All Files (*.*)|*.*||"));
    QCOMPARE(request.FileName, QStringLiteral("*."));
    QCOMPARE(request.Flags & (OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT), DWORD(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));
}

void tst_editing::insertFromFileFailures()
{
    CProgram program;
    const QByteArray original = Pattern(30000);
    CBytelonView* pView = program.OpenFocused(original);
    CBytelonDoc* pDocument = pView->GetDocument();
    SelectBytes(pView, 100, 200);

    // Cancelling the file dialog leaves the selection and the document alone.
    QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_INSERT_FROM_FILE));
    QVERIFY(pView->SelActive);
    QCOMPARE(program.WorkFileBytes(pDocument), original);
    QVERIFY(!pDocument->IsModified());

    program.FileDialogs.Paths.push_back(program.Dir() + "/no-such-file");
    QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_INSERT_FROM_FILE));
    QCOMPARE(program.Messages.Texts, QStringList{"GetStatus returned FALSE in On_File_Insert_From_File()"});
    QVERIFY(pView->SelActive);
    QCOMPARE(program.WorkFileBytes(pDocument), original);

    // A file another program holds cannot be opened for reading and writing.
    program.Messages.Texts.clear();
    MoveCaretTo(pView, 50);
    const QString held = program.MakeFile("held.bin", "abc");
    CFile holder;
    QVERIFY(holder.Open(held, CFile::modeRead | CFile::shareExclusive));
    program.FileDialogs.Paths.push_back(held);
    QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_INSERT_FROM_FILE));
    holder.Close();
    QCOMPARE(program.Messages.Texts,
             QStringList({"Failed to open file", "CopyFileSegment() 2 failed in On_File_Insert_From_File()"}));
    QCOMPARE(program.WorkFileBytes(pDocument), original);
    QCOMPARE(pDocument->DocLen, 30000);
    QCOMPARE(CWaitCursor::Depth(), 0);
}

void tst_editing::insertFromFileFailingPartWayIsUndone()
{
    CProgram program;
    const QByteArray original = Pattern(30000);
    CBytelonView* pView = program.OpenBytes(original);
    CBytelonDoc* pDocument = pView->GetDocument();
    MoveCaretTo(pView, 10);
    program.FileDialogs.Paths.push_back(program.MakeFile("insert.bin", Pattern(50000, 1)));
    {
        // The file's second chunk does not reach the work file; later writes do.
        bool failed = false;
        CWriteFaultGuard fault([&](const QString& path, std::int64_t pos, UINT count) {
            if (failed || path != pDocument->WorkFileName || pos + count <= 10 + 16384)
                return false;
            failed = true;
            return true;
        });
        QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_INSERT_FROM_FILE));
    }
    QCOMPARE(program.Messages.Texts.value(1), QStringLiteral("CopyFileSegment() 2 failed in On_File_Insert_From_File()"));
    QCOMPARE(program.WorkFileBytes(pDocument), original);
    QCOMPARE(pDocument->DocLen, 30000);
    QVERIFY(!pDocument->Damaged);
}

void tst_editing::saveSelectionAs_data()
{
    QTest::addColumn<bool>("existing");
    QTest::newRow("saving-to-a-new-file") << false;
    QTest::newRow("saving-over-a-longer-file") << true;
}

void tst_editing::saveSelectionAs()
{
    QFETCH(bool, existing);
    CProgram program;
    const QByteArray original = Pattern(50000);
    CBytelonView* pView = program.OpenFocused(original);
    CBytelonDoc* pDocument = pView->GetDocument();
    SelectBytes(pView, 40000, 3);
    const QString target = program.Dir() + "/part.bin";
    if (existing)
        program.MakeFile("part.bin", Pattern(60000, 77));
    program.FileDialogs.Paths.push_back(target);
    QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_SAVE_SELECTION_AS));
    QCOMPARE(FileBytes(target), original.mid(3, 40000 - 3));
    QVERIFY(program.Messages.Texts.isEmpty());
    QVERIFY(!program.FileDialogs.Requests.at(0).OpenFileDialog);
    QVERIFY(program.FileDialogs.Requests.at(0).Flags & OFN_OVERWRITEPROMPT);
    // The document and the view are left as they were.
    QCOMPARE(program.WorkFileBytes(pDocument), original);
    QVERIFY(!pDocument->IsModified());
    QVERIFY(pView->SelActive);
    QCOMPARE(CWaitCursor::Depth(), 0);
}

void tst_editing::saveSelectionAsRefusals()
{
    CProgram program;
    const QByteArray original = Pattern(500);
    CBytelonView* pView = program.OpenFocused(original);
    CBytelonDoc* pDocument = pView->GetDocument();

    CCmdUI state(ID_FILE_SAVE_SELECTION_AS);
    QVERIFY(program.Frame()->RouteCommand(ID_FILE_SAVE_SELECTION_AS, &state));
    QVERIFY(!state.Enabled);
    pView->On_File_Save_Selection_As();
    SelectBytes(pView, 10, 10);
    QVERIFY(CommandEnabled(program, ID_FILE_SAVE_SELECTION_AS));
    QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_SAVE_SELECTION_AS));
    QCOMPARE(program.Messages.Texts, QStringList({"There is nothing to save", "There is nothing to save"}));
    QVERIFY(program.FileDialogs.Requests.empty());

    // Cancelling writes nothing.
    program.Messages.Texts.clear();
    SelectBytes(pView, 10, 20);
    QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_SAVE_SELECTION_AS));
    QVERIFY(program.Messages.Texts.isEmpty());

    const QString unreachable = program.Dir() + "/missing-folder/part.bin";
    program.FileDialogs.Paths.push_back(unreachable);
    QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_SAVE_SELECTION_AS));
    QCOMPARE(program.Messages.Texts.size(), 2);
    QCOMPARE(program.Messages.Texts[1], QStringLiteral("CopyFileSegment() failed in On_File_Save_Selection_As()"));
    QVERIFY(!QFile::exists(unreachable));

    // Its own work file is never a target.
    program.Messages.Texts.clear();
    program.FileDialogs.Paths.push_back(pDocument->WorkFileName);
    QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_SAVE_SELECTION_AS));
    QCOMPARE(program.Messages.Texts,
             QStringList({"Failed to open file", "CopyFileSegment() failed in On_File_Save_Selection_As()"}));
    QCOMPARE(program.WorkFileBytes(pDocument), original);
}

QTEST_MAIN(tst_editing)
#include "tst_editing.moc"
