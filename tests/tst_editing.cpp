// The editing engine: the segment copy, deleting and inserting at the caret,
// a long random run against a plain model, and what a failure part-way
// leaves behind.

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "doc/Clipboard.h"
#include "doc/TailFile.h"
#include "framework/Dialog.h"
#include "framework/File.h"
#include "framework/WaitCursor.h"
#include "res/Resource.h"
#include "search/HexAsciiPair.h"
#include "view/BytelonView.h"
#include "view/PreparedDC.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>

#include <array>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include <sys/stat.h>

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

// Types bytes as a user would: the first character, typed into the view in
// the pane of its form, opens the Insert dialog; the rest goes into the
// dialog's box for that form; Enter confirms.
void TypeBytes(CBytelonView* pView, const QByteArray& bytes, bool asText)
{
    const QString typed = asText ? QString::fromLatin1(bytes)
                                 : CHexAsciiPair::HexTextOf(bytes.constData(), int(bytes.size())).trimmed();
    if ((pView->CaretInText == 1) != asText)
        QTest::keyClick(pView, Qt::Key_Tab);
    const char first = typed.at(0).toLatin1();
    WhenModal([typed, asText, first](QWidget* pDialog) {
        QLineEdit* pBox
            = static_cast<CDialog*>(pDialog)->GetDlgItemAs<QLineEdit>(asText ? IDC_INSERT_ASCII : IDC_INSERT_HEX);
        // The key pressed in the view comes up in the dialog.
        QTest::keyRelease(pBox, first);
        QTest::keyClicks(pBox, typed.mid(1));
        QTest::keyClick(pBox, Qt::Key_Return);
    });
    QTest::keyPress(pView, first);
}

// What goes wrong at one step of an operation.
enum class CHarm {
    LockedWorkFile,
    NoTailFile,
    PipeForWorkFile,
    ShortWorkFile,
    WorkFileGoneAtItsFirstWrite,
    ClipboardTakenOver,
    TooManyLines,
};

// Does the harm; the first message the program shows repairs it, as a user
// who read it would, so what is left can be checked.
class CHarmDone : public CMessageBoxService {
public:
    CHarmDone(CProgram& program, const QString& workFile, CHarm harm) : Program(program)
    {
        AfxSetMessageBoxService(this);
        const QString aside = workFile + QStringLiteral(".aside");
        auto putBack = [workFile, aside] {
            if (QFile::exists(aside)) {
                QFile::remove(workFile);
                QFile::rename(aside, workFile);
            }
        };
        switch (harm) {
        case CHarm::LockedWorkFile:
            QVERIFY(Holder.Open(workFile, CFile::modeRead | CFile::shareExclusive));
            Repair = [this] { Holder.Close(); };
            break;
        case CHarm::NoTailFile: {
            // A folder where the tail file goes, beside the work file.
            const QString tail = workFile + QStringLiteral(".tail");
            QVERIFY(QDir().mkdir(tail));
            Repair = [tail] { QDir().rmdir(tail); };
            break;
        }
        case CHarm::PipeForWorkFile:
        case CHarm::ShortWorkFile:
            QVERIFY(QFile::rename(workFile, aside));
            if (harm == CHarm::PipeForWorkFile)
                QCOMPARE(::mkfifo(QFile::encodeName(workFile).constData(), 0600), 0);
            else
                WriteFile(workFile, FileBytes(aside).left(10));
            Repair = putBack;
            break;
        case CHarm::WorkFileGoneAtItsFirstWrite:
            // The file goes while the program writes it; the open descriptor still reaches it.
            CFile::SetWriteFault([workFile, aside](const QString& path, std::int64_t, UINT) {
                if (path == workFile && !QFile::exists(aside))
                    QFile::rename(workFile, aside);
                return false;
            });
            Repair = [putBack] {
                CFile::SetWriteFault(nullptr);
                putBack();
            };
            break;
        case CHarm::ClipboardTakenOver: {
            // Another program replaces whatever is copied at once.
            QClipboard* pClipboard = QGuiApplication::clipboard();
            const auto taken = QObject::connect(pClipboard, &QClipboard::dataChanged, pClipboard, [pClipboard] {
                if (pClipboard->mimeData() && pClipboard->mimeData()->hasFormat(BytelonClipboardMimeType()))
                    pClipboard->setText(QStringLiteral("other"));
            });
            Repair = [taken] { QObject::disconnect(taken); };
            break;
        }
        case CHarm::TooManyLines: break;
        }
    }
    ~CHarmDone() override
    {
        RepairNow();
        AfxSetMessageBoxService(&Program.Messages);
    }
    CHarmDone(const CHarmDone&) = delete;
    CHarmDone& operator=(const CHarmDone&) = delete;

    int Show(const QString& text, UINT type) override
    {
        RepairNow();
        return Program.Messages.Show(text, type);
    }

private:
    void RepairNow()
    {
        if (Repair)
            std::exchange(Repair, nullptr)();
    }

    CProgram& Program;
    CFile Holder;
    std::function<void()> Repair;
};

// The operations that meet the harm.
enum class CAct { InsertAtEnd, InsertInMiddle, InsertFileInMiddle, PasteAtEnd, PasteInMiddle, DeleteKey, Copy, Paint };

}  // namespace

Q_DECLARE_METATYPE(CAct)
Q_DECLARE_METATYPE(CHarm)

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
    void randomEntryPointEditsMatchModel();
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
    void harmReportedAndNoByteLost_data();
    void harmReportedAndNoByteLost();
};

void tst_editing::copyFileSegment_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("oneFile");
    QTest::addColumn<int>("sourcePos");
    QTest::addColumn<int>("destPos");
    QTest::addColumn<int>("count");
    QTest::newRow("one-chunk-of-16384") << 20000 << false << 100 << 0 << 16384;
    QTest::newRow("two-chunks-for-16385") << 20000 << false << 100 << 7 << 16385;
    QTest::newRow("into-the-middle-of-a-longer-file") << 50000 << false << 0 << 30000 << 40000;
    QTest::newRow("more-chunks-than-one-run") << 1100000 << false << 5 << 3 << 1099990;
    QTest::newRow("move-down-by-one-one-chunk") << 16385 << true << 1 << 0 << 16384;
    QTest::newRow("move-down-by-one-two-chunks") << 16386 << true << 1 << 0 << 16385;
    QTest::newRow("move-down-by-one-overlapping") << 40000 << true << 1 << 0 << 39999;
    QTest::newRow("move-down-by-a-chunk-exactly") << 40000 << true << 16384 << 0 << 23616;
    QTest::newRow("move-down-by-less-than-a-chunk") << 70000 << true << 16000 << 3 << 54000;
    QTest::newRow("move-down-by-three-chunks") << 200000 << true << 3 * 16384 + 5 << 5 << 150000;
    // Pieces of the megabyte buffer, each read whole before it is written.
    QTest::newRow("move-down-by-one-over-three-buffers") << 2600000 << true << 1 << 0 << 2599999;
    QTest::newRow("move-down-by-more-than-a-buffer") << 3200000 << true << 1048581 << 0 << 2000000;
}

void tst_editing::copyFileSegment()
{
    QFETCH(int, size);
    QFETCH(bool, oneFile);
    QFETCH(int, sourcePos);
    QFETCH(int, destPos);
    QFETCH(int, count);
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
    // However the copy is batched, each byte is read once and written once.
    QCOMPARE(CFile::GetStatistics().BytesRead, (long long)count);
    QCOMPARE(CFile::GetStatistics().BytesWritten, (long long)count);
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

    // Through the buffer, the piece before the failing one stays written.
    program.Messages.Texts.clear();
    const QByteArray longer = Pattern(1100000);
    WriteFile(sourceName, longer);
    CWriteFaultGuard later([&](const QString& path, std::int64_t pos, UINT) {
        return path == sourceName && pos >= 1048576;
    });
    QVERIFY(!pView->CopyFileSegment(a, sourceName, 1, a, sourceName, 0, 1099999));
    QCOMPARE(program.Messages.Texts.size(), 1);
    QVERIFY(!a.IsOpen());
    QCOMPARE(FileBytes(sourceName), longer.mid(1, 1048576) + longer.mid(1048576));
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
    // Just after the new bytes, or as far as the screen reaches: where the screen shows it.
    const CShownOffsets shown = ShownOffsets(pView);
    QCOMPARE(shown.Caret, (long long)pView->CaretOffset());
    QCOMPARE(shown.Caret, std::min<long long>(lo + bytes.size(), shown.End));
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

    // The guard takes its file with it; it is named after the work file.
    const QString name = pView->GetDocument()->Record.TailFileName();
    QVERIFY(QFileInfo(name).fileName().startsWith("BYT"));
    QCOMPARE(name, pView->GetDocument()->WorkFileName + ".tail");
    {
        CTailFile tail;
        QVERIFY(tail.Create(name));
        QCOMPARE(tail.Name, name);
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
            const CShownOffsets shown = ShownOffsets(pView);
            const bool same
                = done && pDocument->DocLen == int(model.size()) && work.size() == int(model.size())
                  && std::equal(model.begin(), model.end(), reinterpret_cast<const std::uint8_t*>(work.data()))
                  && !pView->SelActive && shown.Caret == pView->CaretOffset()
                  && shown.Caret == std::min<long long>(lo + int(bytes.size()), shown.End);
            QVERIFY2(same, qPrintable(QStringLiteral("seed %1, step %2 (kind %3 at %4, len %5, %6 bytes) diverged")
                                          .arg(seed).arg(step).arg(kind).arg(lo).arg(len).arg(bytes.size())));
        }
        QVERIFY(program.Messages.Texts.isEmpty());
    }
}

// The edits through the commands a user gives, in either of two windows on
// the document, against a plain array: typed bytes, pastes of the private
// block and of text, Insert From File and Cut.
void tst_editing::randomEntryPointEditsMatchModel()
{
    const CRandomRuns runs = RandomRuns(20250302, 3, 30);
    for (int run = 0; run < runs.Seeds; ++run) {
        const unsigned seed = runs.FirstSeed + unsigned(run);
        std::mt19937 random(seed);
        auto below = [&](int n) { return n <= 0 ? 0 : int(random() % unsigned(n)); };
        auto randomBytes = [&](int n, int least) {
            QByteArray bytes(n, '\0');
            for (char& byte : bytes)
                byte = char(least + below(256 - least));
            return bytes;
        };
        CProgram program;
        program.App()->CharPerLine = 16;
        // Empty, one byte, and several chunks long.
        QByteArray model = randomBytes(std::array{0, 1, 70000}[seed % 3], 0);
        CBytelonView* pFirst = program.OpenFocused(model, 8);
        CBytelonView* pSecond = OpenSecondWindow(program, pFirst);
        QVERIFY(pSecond);
        CBytelonDoc* pDocument = pFirst->GetDocument();
        for (int step = 0; step < runs.Steps; ++step) {
            CBytelonView* pView = below(2) ? pFirst : pSecond;
            CBytelonView* pOther = pView == pFirst ? pSecond : pFirst;
            Focus(pView);
            const int size = int(model.size());
            int kind = below(5);  // 0 typed, 1 private paste, 2 text paste, 3 file, 4 cut
            if (kind == 4 && size == 0)
                kind = 1;
            const int lo = below(size + (kind == 4 ? 0 : 1));
            const int len = kind == 4 ? 1 + below(std::min(size - lo, 40000)) : std::min(size - lo, below(3) ? 0 : below(40001));
            if (len == 0)
                MoveCaretTo(pView, lo);
            else if (below(2))
                SelectBytes(pView, lo, lo + len);
            else
                SelectBytes(pView, lo + len, lo);
            // Mostly a few bytes, that land on the screen; now and then several chunks.
            const int largest = size > 150000 || below(2) ? 100 : below(4) ? 3000 : 40000;
            QByteArray bytes;
            int caret = lo;
            bool ran = true;  // the command was there to give
            switch (kind) {
            case 0: {
                // Printable characters that no accelerator takes, or any byte as hex.
                const bool asText = below(2);
                bytes = randomBytes(1 + below(6), asText ? 0x20 : 0);
                if (asText) {
                    for (char& byte : bytes)
                        byte = char(0x20 + static_cast<unsigned char>(byte) % 0x5F);
                    bytes.replace('=', 'q').replace('+', 'p');
                }
                TypeBytes(pView, bytes, asText);
                caret = lo + int(bytes.size());
                break;
            }
            case 1:
            case 2: {
                bytes = randomBytes(below(largest), 0);
                auto* pData = new QMimeData;
                if (kind == 1) {
                    const quint32 n = quint32(bytes.size());
                    pData->setData(BytelonClipboardMimeType(),
                                   QByteArray(1, char(n >> 24)) + char(n >> 16) + char(n >> 8) + char(n) + bytes);
                } else {
                    pData->setData(QStringLiteral("text/plain"), bytes);
                    if (const qsizetype zero = bytes.indexOf('\0'); zero >= 0)
                        bytes.truncate(zero);  // text ends at its first zero
                }
                QGuiApplication::clipboard()->setMimeData(pData);
                ran = program.Frame()->ExecuteCommand(ID_EDIT_PASTE);
                caret = lo + int(bytes.size());
                break;
            }
            case 3:
                bytes = randomBytes(below(largest), 0);
                program.FileDialogs.Paths.push_back(program.MakeFile("insert.bin", bytes));
                ran = program.Frame()->ExecuteCommand(ID_FILE_INSERT_FROM_FILE);
                break;
            case 4:
                // What was cut is on the clipboard.
                ran = program.Frame()->ExecuteCommand(ID_EDIT_CUT)
                      && QGuiApplication::clipboard()->mimeData()->data(BytelonClipboardMimeType()).mid(4)
                             == model.mid(lo, len);
                break;
            }
            ProcessEvents();
            model.replace(lo, len, bytes);
            // The caret just after what went in, as far as the screen reaches; on the
            // first inserted byte after Insert From File; where the cut bytes were.
            const CShownOffsets shown = ShownOffsets(pView);
            const QImage otherShown = ScreenPixels(pOther);
            pOther->Invalidate();
            const bool same
                = ran && program.WorkFileBytes(pDocument) == model && pDocument->DocLen == int(model.size())
                  && !pView->SelActive && shown.Caret == pView->CaretOffset()
                  && pView->CaretOffset() == std::min<long long>(caret, shown.End)
                  && pOther->CaretOffset() <= pDocument->DocLen && otherShown == ScreenPixels(pOther)
                  && program.Messages.Texts.isEmpty();
            QVERIFY2(same, qPrintable(QStringLiteral("seed %1, step %2 (kind %3 at %4, len %5, %6 bytes, window %7): "
                                                      "caret %8, shown %9 of %10, expected %11, %12 messages")
                                          .arg(seed).arg(step).arg(kind).arg(lo).arg(len).arg(bytes.size())
                                          .arg(pView == pFirst ? 1 : 2).arg(pView->CaretOffset()).arg(shown.Caret)
                                          .arg(shown.End).arg(caret).arg(program.Messages.Texts.size())));
        }
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
    CBytelonView* pView = program.OpenBytes(Pattern(1100000));
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
    QCOMPARE(program.WorkFileBytes(pDocument), Pattern(1100000));

    // Bytes moved over the deleted ones before a failure are put back.
    program.Messages.Texts.clear();
    bool failed = false;
    {
        CWriteFaultGuard fault([&](const QString& path, std::int64_t pos, UINT) {
            return path == pDocument->WorkFileName && pos > 1048576 && !std::exchange(failed, true);
        });
        QVERIFY(!Delete(pView));
    }
    QVERIFY(failed);
    QCOMPARE(program.Messages.Texts.value(1), QStringLiteral("CopyFileSegment() failed in DeleteTheSelection()"));
    QCOMPARE(program.Messages.Texts.size(), 2);
    QVERIFY(!pDocument->Damaged);
    QCOMPARE(program.WorkFileBytes(pDocument), Pattern(1100000));
    QCOMPARE(pDocument->DocLen, 1100000);
    QVERIFY(pView->SelActive);

    // Only when putting them back fails too is the document declared damaged.
    program.Messages.Texts.clear();
    failed = false;
    {
        // From the first failure on, nothing reaches the work file.
        CWriteFaultGuard fault([&](const QString& path, std::int64_t pos, UINT) {
            failed = failed || (path == pDocument->WorkFileName && pos > 1048576);
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

    // Saving the tail fails: the selection and the document stay as they were.
    program.Messages.Texts.clear();
    {
        CWriteFaultGuard fault([&](const QString& path, std::int64_t, UINT) {
            return path != pDocument->WorkFileName;
        });
        QVERIFY(!Insert(pView, "new"));
    }
    QCOMPARE(program.Messages.Texts.value(1),
             QStringLiteral("CopyFileSegment() 1 failed in ReplaceSelectionWithString()"));
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
    // One temporary file, only when bytes follow the insertion or the
    // deleted selection (they are what it keeps).
    const bool tailMade = file.isEmpty() ? anchor != end && std::max(anchor, end) < original.size()
                                         : lo < original.size();
    QCOMPARE(CTailFile::CreatedCount(), tailFiles + (tailMade ? 1 : 0));
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

void tst_editing::harmReportedAndNoByteLost_data()
{
    QTest::addColumn<CAct>("act");
    QTest::addColumn<CHarm>("harm");
    QTest::addColumn<QStringList>("messages");
    const QString failedOpen = QStringLiteral("Failed to open file");
    QTest::newRow("delete-work-file-gone-before-shortening")
        << CAct::DeleteKey << CHarm::WorkFileGoneAtItsFirstWrite
        << QStringList{"DeleteTheSelection() could not open WorkFile"};
    QTest::newRow("insert-at-end-work-file-locked")
        << CAct::InsertAtEnd << CHarm::LockedWorkFile << QStringList{"ReplaceSelectionWithString() could not open WorkFile"};
    QTest::newRow("insert-at-end-pipe-for-work-file")
        << CAct::InsertAtEnd << CHarm::PipeForWorkFile << QStringList{"Seek failed in ReplaceSelectionWithString()"};
    QTest::newRow("insert-no-tail-file") << CAct::InsertInMiddle << CHarm::NoTailFile
                                           << QStringList{"ReplaceSelectionWithString() could not create temp file"};
    QTest::newRow("insert-file-no-tail-file") << CAct::InsertFileInMiddle << CHarm::NoTailFile
                                                << QStringList{"On_File_Insert_From_File() could not create temp file"};
    QTest::newRow("insert-file-work-file-locked")
        << CAct::InsertFileInMiddle << CHarm::LockedWorkFile
        << QStringList{failedOpen, "CopyFileSegment() failed, called from On_File_Insert_From_File()"};
    QTest::newRow("insert-file-work-file-gone-before-tail-returns")
        << CAct::InsertFileInMiddle << CHarm::WorkFileGoneAtItsFirstWrite
        << QStringList{failedOpen, "CopyFileSegment() 3 failed in On_File_Insert_From_File()"};
    QTest::newRow("paste-no-tail-file") << CAct::PasteInMiddle << CHarm::NoTailFile
                                          << QStringList{"On_Edit_Paste() could not create temp file"};
    QTest::newRow("paste-work-file-locked") << CAct::PasteInMiddle << CHarm::LockedWorkFile
                                            << QStringList{failedOpen, "CopyFileSegment() 1 failed in OnEditPaste()"};
    QTest::newRow("paste-at-end-work-file-locked")
        << CAct::PasteAtEnd << CHarm::LockedWorkFile << QStringList{"On_Edit_Paste() could not open WorkFile"};
    QTest::newRow("paste-at-end-pipe-for-work-file")
        << CAct::PasteAtEnd << CHarm::PipeForWorkFile << QStringList{"Seek error 2 in OnEditPaste()"};
    QTest::newRow("paste-work-file-gone-before-tail-returns")
        << CAct::PasteInMiddle << CHarm::WorkFileGoneAtItsFirstWrite
        << QStringList{failedOpen, "CopyFileSegment() 2 failed in OnEditPaste()"};
    QTest::newRow("copy-work-file-locked") << CAct::Copy << CHarm::LockedWorkFile
                                           << QStringList{"CopySelectionToClipboard() could not open WorkFile"};
    QTest::newRow("copy-pipe-for-work-file") << CAct::Copy << CHarm::PipeForWorkFile << QStringList{"Seek() failed"};
    QTest::newRow("copy-work-file-cut-short") << CAct::Copy << CHarm::ShortWorkFile << QStringList{"Read() failed"};
    QTest::newRow("copy-clipboard-taken-over")
        << CAct::Copy << CHarm::ClipboardTakenOver << QStringList{"SetClipboardData() failed"};
    QTest::newRow("paint-pipe-for-work-file") << CAct::Paint << CHarm::PipeForWorkFile
                                              << QStringList{"Seek error in Draw()"};
    QTest::newRow("paint-more-lines-than-the-buffer")
        << CAct::Paint << CHarm::TooManyLines << QStringList{"Error:  Screen buffer overflow in Draw()  "};
}

void tst_editing::harmReportedAndNoByteLost()
{
    QFETCH(CAct, act);
    QFETCH(CHarm, harm);
    QFETCH(QStringList, messages);
    CPrivateTempDir temp;
    CProgram program;
    const QByteArray original = Pattern(20000);
    CBytelonView* pView = program.OpenFocused(original, 10);
    CBytelonDoc* pDocument = pView->GetDocument();
    const QString workFile = pDocument->WorkFileName;
    const QByteArray& expected = original;

    // The caret or selection and the data the operation needs, before the harm.
    const bool atEnd = act == CAct::InsertAtEnd || act == CAct::PasteAtEnd;
    MoveCaretTo(pView, atEnd ? int(original.size()) : 100);
    // A deletion that fails is taken back, so every act leaves the bytes alone.
    if (act == CAct::DeleteKey || act == CAct::Copy)
        SelectBytes(pView, 100, 200);
    QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
    program.FileDialogs.Paths.push_back(program.MakeFile("insert.bin", "from a file"));
    {
        CHarmDone harmDone(program, workFile, harm);
        switch (act) {
        case CAct::InsertAtEnd:
        case CAct::InsertInMiddle: QVERIFY(!Insert(pView, "new")); break;
        case CAct::InsertFileInMiddle: QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_INSERT_FROM_FILE)); break;
        case CAct::PasteAtEnd:
        case CAct::PasteInMiddle: QVERIFY(program.Frame()->ExecuteCommand(ID_EDIT_PASTE)); break;
        case CAct::DeleteKey: QTest::keyClick(pView, Qt::Key_Delete); break;
        case CAct::Copy: QVERIFY(program.Frame()->ExecuteCommand(ID_EDIT_COPY)); break;
        case CAct::Paint:
            if (harm == CHarm::TooManyLines) {
                const int lines = 16384 / pView->BytesPerLine + 1;
                CRecordingDC dc(pView->viewport(), QRect(0, 0, 2000, (lines + 2) * pView->LineHeight));
                pView->OnPrepareDC(&dc);
                pView->Draw(&dc, 0, lines, 5, 0);
                QVERIFY(dc.TextsAt(5 + pView->LineHeight).isEmpty());  // no line drawn
            }
            pView->Invalidate();
            break;
        }
        ProcessEvents();
    }
    QCOMPARE(program.Messages.Texts, messages);
    // Nothing lost: the document is the bytes it should be, nothing left behind.
    QVERIFY(program.WorkFileBytes(pDocument).left(pDocument->DocLen) == expected);
    QCOMPARE(pDocument->DocLen, int(expected.size()));
    QVERIFY(!pDocument->Damaged);
    QVERIFY(!pDocument->WorkFile.IsOpen());
    QCOMPARE(temp.Files(), DocumentFiles(workFile));
    QCOMPARE(CWaitCursor::Depth(), 0);
    // The screen shows the document again, without another message.
    QCOMPARE(SelectionMismatchesOnScreen(pView), 0);
    QCOMPARE(ShownOffsets(pView).Caret, (long long)pView->CaretOffset());
    QCOMPARE(program.Messages.Texts, messages);
}

QTEST_MAIN(tst_editing)
#include "tst_editing.moc"
