// The work-file document: its work file's life, loading and storing with
// progress, byte-exact round trips, Clear All, files it refuses, and saves
// that fail without touching the user's file.

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "framework/File.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

QByteArray RandomBytes(int count, quint32 seed)
{
    QByteArray bytes(count, '\0');
    QRandomGenerator generator(seed);
    for (char& byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

// The texts put into status pane 0 that start with prefix, in order.
QStringList ProgressTexts(const QSignalSpy& spy, const QString& prefix)
{
    QStringList texts;
    for (const QList<QVariant>& call : spy) {
        const QString text = call.at(1).toString();
        if (call.at(0).toInt() == 0 && text.startsWith(prefix))
            texts << text;
    }
    return texts;
}

// Files a failed save might have left beside the target.
QStringList LeftoversBeside(const QString& target)
{
    const QFileInfo info(target);
    return QDir(info.absolutePath())
        .entryList({QLatin1Char('.') + info.fileName() + QLatin1Char('*')}, QDir::Files | QDir::Hidden);
}

bool MentionsFile(const QStringList& texts, const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    return std::any_of(texts.begin(), texts.end(), [&](const QString& text) { return text.contains(name); });
}

// Holds a document's work file locked, as another program holding it open would.
class CWorkFileLock {
public:
    explicit CWorkFileLock(const QString& path) { Locked = File.Open(path, CFile::modeRead | CFile::shareExclusive); }
    CFile File;
    bool Locked = false;
};

// Locks the work file of each document whose window is being added, before
// the document loads anything.
class CLockOnNewWindow : public QObject {
public:
    explicit CLockOnNewWindow(CProgram& program) : Program(program)
    {
        program.Frame()->GetMdiArea()->viewport()->installEventFilter(this);
    }
    std::vector<std::unique_ptr<CWorkFileLock>> Locks;

protected:
    bool eventFilter(QObject*, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::ChildAdded) {
            for (CDocument* pDocument : Program.Documents()) {
                const QString name = static_cast<CBytelonDoc*>(pDocument)->WorkFileName;
                if (!Names.contains(name)) {
                    Names << name;
                    Locks.push_back(std::make_unique<CWorkFileLock>(name));
                }
            }
        }
        return false;
    }

private:
    CProgram& Program;
    QStringList Names;
};

}  // namespace

class TestDocument : public QObject {
    Q_OBJECT
private slots:
    void newDocumentHasItsOwnEmptyWorkFile();
    void closingDeletesWorkFileAndClearsCaretPane();
    void loadProgress_data();
    void loadProgress();
    void saveRoundTrip_data();
    void saveRoundTrip();
    void progressNeverAheadOfBytes_data();
    void progressNeverAheadOfBytes();
    void saveReplacesLongerFileAndKeepsPermissions();
    void saveAndLoadWhileWindowsWaitToBePainted();
    void saveFailureKeepsOriginal_data();
    void saveFailureKeepsOriginal();
    void openRefused_data();
    void openRefused();
    void loadWithLockedWorkFileCreatesNoDocument();
    void workFileCannotBeCreated();
    void namedPipeOpensWithoutHanging();
    void clearAll_data();
    void clearAll();
    void clearAllDisabledWhenEmpty();
};

void TestDocument::newDocumentHasItsOwnEmptyWorkFile()
{
    CPrivateTempDir temp;
    CProgram program;
    QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_NEW));
    QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_NEW));
    ProcessEvents();
    const auto documents = program.Documents();
    QCOMPARE(documents.size(), std::size_t(2));
    auto* pFirst = static_cast<CBytelonDoc*>(documents[0]);
    auto* pSecond = static_cast<CBytelonDoc*>(documents[1]);
    QCOMPARE(pFirst->GetTitle(), QStringLiteral("Bytelon1"));
    QCOMPARE(pSecond->GetTitle(), QStringLiteral("Bytelon2"));
    QVERIFY(pFirst->WorkFileName != pSecond->WorkFileName);
    for (CBytelonDoc* pDocument : {pFirst, pSecond}) {
        const QFileInfo work(pDocument->WorkFileName);
        QCOMPARE(work.absolutePath(), QFileInfo(temp.Path()).absoluteFilePath());
        QVERIFY(work.fileName().startsWith(QStringLiteral("BYT")));
        QVERIFY(work.exists());
        QCOMPARE(work.size(), qint64(0));
        QCOMPARE(pDocument->DocLen, 0);
        QVERIFY(!pDocument->IsModified());
    }
    // Each with its record.
    QCOMPARE(temp.Files().size(), 4);
}

void TestDocument::closingDeletesWorkFileAndClearsCaretPane()
{
    CPrivateTempDir temp;
    CProgram program;
    CBytelonView* pFirst = program.OpenBytes(QByteArray(300, 'a'), QStringLiteral("a.bin"));
    CBytelonView* pSecond = program.OpenBytes(QByteArray(300, 'b'), QStringLiteral("b.bin"));
    QVERIFY(pFirst && pSecond);
    const QString firstWork = pFirst->GetDocument()->WorkFileName;
    const QString secondWork = pSecond->GetDocument()->WorkFileName;
    QStringList expected = DocumentFiles(firstWork) + DocumentFiles(secondWork);
    expected.sort();
    QCOMPARE(temp.Files(), expected);

    QCOMPARE(program.ActiveDocument(), pSecond->GetDocument());
    QSignalSpy spy(&program.Frame()->StatusBar, &CStatusBar::paneTextChanged);
    QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_CLOSE));
    ProcessEvents();
    QVERIFY(!QFile::exists(secondWork));
    QVERIFY(QFile::exists(firstWork));
    // The closing document cleared the pane; the window left shows its own caret again.
    QVERIFY(spy.contains(QList<QVariant>{1, QString()}));

    program.Frame()->StatusBar.SetPaneText(1, QStringLiteral("00000034"));
    QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_CLOSE));
    ProcessEvents();
    QVERIFY(!QFile::exists(firstWork));
    QCOMPARE(program.PaneText(1), QString());
    QVERIFY(temp.Files().isEmpty());
    QCOMPARE(program.Frame()->GetShownMenu(), UINT(IDR_MAINFRAME));
    QVERIFY(program.Messages.Texts.isEmpty());
}

void TestDocument::loadProgress_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("empty-file") << 0 << QStringList();
    QTest::newRow("one-byte") << 1 << QStringList{"Loading..."};
    QTest::newRow("one-chunk-65536") << 65536 << QStringList{"Loading..."};
    QTest::newRow("two-chunks-65537") << 65537 << QStringList{"Loading...", "Loading, 64K"};
    QTest::newRow("two-chunks-131072") << 131072 << QStringList{"Loading...", "Loading, 64K"};
    QTest::newRow("three-chunks-131073") << 131073 << QStringList{"Loading...", "Loading, 64K", "Loading, 128K"};
}

void TestDocument::loadProgress()
{
    QFETCH(int, size);
    QFETCH(QStringList, expected);

    CProgram program;
    const QByteArray bytes = RandomBytes(size, quint32(size) + 1);
    const QString path = program.MakeFile(QStringLiteral("load.bin"), bytes);
    QSignalSpy spy(&program.Frame()->StatusBar, &CStatusBar::paneTextChanged);
    CBytelonDoc* pDocument = program.Open(path);
    QVERIFY(pDocument);
    QCOMPARE(ProgressTexts(spy, QStringLiteral("Loading")), expected);
    QCOMPARE(pDocument->DocLen, size);
    QVERIFY(CProgram::WorkFileBytes(pDocument) == bytes);
    QVERIFY(!pDocument->IsModified());
    QCOMPARE(pDocument->GetTitle(), QStringLiteral("load.bin"));
    // Progress gives way to the idle prompt once the file is in.
    QCOMPARE(program.PaneText(0), QStringLiteral("For Help, press F1"));
    QVERIFY(program.Messages.Texts.isEmpty());
}

void TestDocument::saveRoundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("progress");

    QTest::newRow("empty") << QByteArray() << QStringList();
    QTest::newRow("zero-bytes") << QByteArray(5000, '\0') << QStringList{"Storing..."};
    QTest::newRow("one-byte") << QByteArray(1, '\xff') << QStringList{"Storing..."};
    QTest::newRow("every-byte-value") << Counting(256 * 3) << QStringList{"Storing..."};
    QTest::newRow("one-chunk-65536") << RandomBytes(65536, 7) << QStringList{"Storing..."};
    QTest::newRow("three-chunks-131073") << RandomBytes(131073, 11)
                                         << QStringList{"Storing...", "Storing, 64K", "Storing, 128K"};
    QTest::newRow("seventeen-chunks") << RandomBytes(16 * 65536 + 5, 13)
                                      << QStringList{"Storing..."} + [] {
                                             QStringList texts;
                                             for (int k = 64; k <= 16 * 64; k += 64)
                                                 texts << QStringLiteral("Storing, %1K").arg(k);
                                             return texts;
                                         }();
}

void TestDocument::saveRoundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, progress);

    CProgram program;
    CBytelonView* pView = program.OpenBytes(bytes, QStringLiteral("source.bin"));
    QVERIFY(pView);
    CBytelonDoc* pDocument = pView->GetDocument();
    const QString target = program.Dir() + QStringLiteral("/copy.bin");

    QSignalSpy spy(&program.Frame()->StatusBar, &CStatusBar::paneTextChanged);
    program.FileDialogs.Paths.push_back(target);
    QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_SAVE_AS));
    ProcessEvents();

    QVERIFY(program.Messages.Texts.isEmpty());
    QVERIFY(FileBytes(target) == bytes);
    QCOMPARE(ProgressTexts(spy, QStringLiteral("Storing")), progress);
    QCOMPARE(pDocument->GetPathName(), QFileInfo(target).canonicalFilePath());
    QCOMPARE(pDocument->GetTitle(), QStringLiteral("copy.bin"));
    QVERIFY(!pDocument->IsModified());
    QVERIFY(CProgram::WorkFileBytes(pDocument) == bytes);
    QVERIFY(LeftoversBeside(target).isEmpty());
    QCOMPARE(program.PaneText(0), QStringLiteral("For Help, press F1"));

    // The saved copy opens to the same bytes.
    CBytelonDoc* pReopened = program.Open(program.MakeFile(QStringLiteral("again.bin"), FileBytes(target)));
    QVERIFY(CProgram::WorkFileBytes(pReopened) == bytes);
    QCOMPARE(pReopened->DocLen, bytes.size());
}

void TestDocument::progressNeverAheadOfBytes_data()
{
    QTest::addColumn<bool>("saving");
    QTest::addColumn<bool>("reading");
    QTest::addColumn<int>("failAt");

    // Files longer than the runs the bytes move in, stopped in the first run and in a later one.
    const int later = 16 * 1024 * 1024 + 5 * 65536;
    QTest::newRow("load-source-unreadable-early") << false << true << 3 * 65536;
    QTest::newRow("load-work-file-full-later") << false << false << later;
    QTest::newRow("save-work-file-unreadable-later") << true << true << later;
    QTest::newRow("save-target-full-early") << true << false << 3 * 65536;
}

void TestDocument::progressNeverAheadOfBytes()
{
    QFETCH(bool, saving);
    QFETCH(bool, reading);
    QFETCH(int, failAt);

    CProgram program;
    const QByteArray bytes = Pattern(18 * 1024 * 1024, 5);
    const QString source = program.MakeFile(QStringLiteral("long.bin"), bytes);
    QString workFile;
    if (saving) {
        CBytelonDoc* pDocument = program.Open(source);
        QVERIFY(pDocument);
        workFile = pDocument->WorkFileName;
    }
    // The file the fault stops: read from, or written to, by the transfer.
    auto watched = [&](const QString& path) {
        if (saving)
            return reading == (path == workFile);
        return reading == (path == source);
    };
    std::int64_t moved = 0;
    auto fault = [&](const QString& path, std::int64_t pos, UINT count) {
        if (!watched(path))
            return false;
        if (pos + std::int64_t(count) > failAt)
            return true;
        moved = std::max(moved, pos + std::int64_t(count));
        return false;
    };
    QSignalSpy spy(&program.Frame()->StatusBar, &CStatusBar::paneTextChanged);
    if (reading)
        CFile::SetReadFault(fault);
    else
        CFile::SetWriteFault(fault);
    if (saving) {
        program.FileDialogs.Paths.push_back(program.Dir() + QStringLiteral("/saved.bin"));
        QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_SAVE_AS));
    } else {
        program.Open(source);
    }
    CFile::SetReadFault(nullptr);
    CFile::SetWriteFault(nullptr);
    QVERIFY(!program.Messages.Texts.isEmpty());

    // Each text names the kilobytes before its unit: those must have moved.
    const QString prefix = saving ? QStringLiteral("Storing") : QStringLiteral("Loading");
    const QStringList texts = ProgressTexts(spy, prefix);
    QVERIFY(!texts.isEmpty());
    const QString last = texts.back();
    const std::int64_t claimed = last.endsWith(QLatin1String("..."))
                                     ? 0
                                     : std::int64_t(last.mid(prefix.size() + 2).chopped(1).toLongLong()) * 1024;
    QVERIFY2(claimed <= moved, qPrintable(QStringLiteral("%1 with %2 bytes moved").arg(last).arg(moved)));
}

void TestDocument::saveReplacesLongerFileAndKeepsPermissions()
{
    CProgram program;
    const QByteArray bytes = RandomBytes(70000, 3);
    const QString path = program.MakeFile(QStringLiteral("kept.bin"), bytes);
    const QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                 | QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(path, permissions));
    CBytelonDoc* pDocument = program.Open(path);
    QVERIFY(pDocument);
    // Someone makes the file longer meanwhile; saving, once the user agrees,
    // puts back exactly the document.
    program.MakeFile(QStringLiteral("kept.bin"), RandomBytes(200000, 4));
    pDocument->SetModifiedFlag(true);
    program.Messages.Answers.push_back(IDYES);
    QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_SAVE));
    QCOMPARE(program.Messages.Texts.size(), 1);
    QVERIFY(program.Messages.Texts[0].contains(QStringLiteral("has been changed by another program")));
    QVERIFY(FileBytes(path) == bytes);
    const QFileDevice::Permissions modeBits(0x7777 & ~0x0700);
    QCOMPARE(QFile::permissions(path) & modeBits, permissions);
    QVERIFY(!pDocument->IsModified());
    QVERIFY(LeftoversBeside(path).isEmpty());
}

void TestDocument::saveAndLoadWhileWindowsWaitToBePainted()
{
    // A window uncovered just before a save (the file dialog closing) waits
    // to be painted while the progress texts are shown.
    CProgram program;
    const QByteArray bytes = RandomBytes(3 * 65536 + 10, 29);
    CBytelonView* pView = program.OpenBytes(bytes, QStringLiteral("shown.bin"));
    QVERIFY(pView);
    CBytelonDoc* pDocument = pView->GetDocument();
    const QString target = program.Dir() + QStringLiteral("/saved.bin");
    pView->Invalidate();
    QVERIFY(pDocument->OnSaveDocument(target));
    QVERIFY(program.Messages.Texts.isEmpty());
    QVERIFY(FileBytes(target) == bytes);

    // Loading another file while this window waits.
    pView->Invalidate();
    CBytelonDoc* pSecond = program.Open(program.MakeFile(QStringLiteral("second.bin"), bytes));
    QVERIFY(pSecond);
    QVERIFY(program.Messages.Texts.isEmpty());

    // Clear All redraws while the same document's window waits.
    Focus(pView);
    pView->Invalidate();
    program.Messages.Answers.push_back(IDYES);
    QVERIFY(program.Frame()->ExecuteCommand(ID_EDIT_CLEAR_ALL));
    QCOMPARE(program.Messages.Texts.size(), 1);
    QCOMPARE(pDocument->DocLen, 0);

    // The window is painted once the event loop runs again.
    ProcessEvents();
    QVERIFY(!pView->viewport()->grab().isNull());
    QVERIFY(program.Messages.Texts.size() == 1);
}

void TestDocument::saveFailureKeepsOriginal_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("missing-folder") << "missing-folder";
    QTest::newRow("target-is-a-folder") << "target-is-a-folder";
    QTest::newRow("disk-full-at-first-chunk") << "disk-full-at-first-chunk";
    QTest::newRow("disk-full-at-third-chunk") << "disk-full-at-third-chunk";
    QTest::newRow("file-size-limit") << "file-size-limit";
    QTest::newRow("work-file-locked") << "work-file-locked";
}

void TestDocument::saveFailureKeepsOriginal()
{
    QFETCH(QString, failure);

    CProgram program;
    const QByteArray bytes = RandomBytes(3 * 65536 + 100, 17);
    CBytelonView* pView = program.OpenBytes(bytes, QStringLiteral("edited.bin"));
    QVERIFY(pView);
    CBytelonDoc* pDocument = pView->GetDocument();
    const QString documentPath = pDocument->GetPathName();
    pDocument->SetModifiedFlag(true);

    const QByteArray original = RandomBytes(1000, 99);
    QString target = program.MakeFile(QStringLiteral("original.bin"), original);
    std::unique_ptr<CWorkFileLock> pLock;
    rlimit savedLimit {};
    void (*savedHandler)(int) = SIG_DFL;
    if (failure == QLatin1String("missing-folder")) {
        target = program.Dir() + QStringLiteral("/missing/original.bin");
    } else if (failure == QLatin1String("target-is-a-folder")) {
        target = program.Dir() + QStringLiteral("/folder.bin");
        QVERIFY(QDir().mkdir(target));
    } else if (failure.startsWith(QLatin1String("disk-full"))) {
        const std::int64_t failAt = failure.endsWith(QLatin1String("third-chunk")) ? 2 * 65536 : 0;
        const QString workFile = pDocument->WorkFileName;
        // The disk is full from that byte on: a write reaching it fails.
        CFile::SetWriteFault([workFile, failAt](const QString& path, std::int64_t pos, UINT count) {
            return path != workFile && pos + std::int64_t(count) > failAt;
        });
    } else if (failure == QLatin1String("file-size-limit")) {
        savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &savedLimit), 0);
        rlimit limit = savedLimit;
        limit.rlim_cur = 100000;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
    } else if (failure == QLatin1String("work-file-locked")) {
        pLock = std::make_unique<CWorkFileLock>(pDocument->WorkFileName);
        QVERIFY(pLock->Locked);
    }

    program.FileDialogs.Paths.push_back(target);
    const bool ran = program.Frame()->ExecuteCommand(ID_FILE_SAVE_AS);

    CFile::SetWriteFault(nullptr);
    if (failure == QLatin1String("file-size-limit")) {
        setrlimit(RLIMIT_FSIZE, &savedLimit);
        std::signal(SIGXFSZ, savedHandler);
    }
    pLock.reset();
    QVERIFY(ran);

    // Told once, in words that name what failed.
    QCOMPARE(program.Messages.Texts.size(), 1);
    if (failure == QLatin1String("work-file-locked"))
        QCOMPARE(program.Messages.Texts.front(), QStringLiteral("Serialize().storing could not open WorkFile"));
    else
        QVERIFY2(MentionsFile(program.Messages.Texts, target), qPrintable(program.Messages.Texts.front()));
    QVERIFY2(!program.Messages.Texts.front().contains(QStringLiteral("/.original")),
             qPrintable(program.Messages.Texts.front()));

    // The user's file is exactly as it was, nothing is left beside it, and
    // the document still needs saving under its old name.
    if (failure == QLatin1String("missing-folder"))
        QVERIFY(!QFileInfo::exists(target));
    else if (failure == QLatin1String("target-is-a-folder"))
        QVERIFY(QFileInfo(target).isDir() && QDir(target).isEmpty());
    else
        QVERIFY(FileBytes(target) == original);
    QVERIFY2(LeftoversBeside(target).isEmpty(), qPrintable(LeftoversBeside(target).join(QLatin1Char(' '))));
    QVERIFY(pDocument->IsModified());
    QCOMPARE(pDocument->GetPathName(), documentPath);
    QVERIFY(CProgram::WorkFileBytes(pDocument) == bytes);

    // Once the cause is gone the same save works.
    if (failure != QLatin1String("missing-folder") && failure != QLatin1String("target-is-a-folder")) {
        program.FileDialogs.Paths.push_back(target);
        QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_SAVE_AS));
        QVERIFY(FileBytes(target) == bytes);
        QVERIFY(!pDocument->IsModified());
    }
}

void TestDocument::openRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expectedText");

    QTest::newRow("longer-than-7FFFFFFF") << "huge" << "7FFFFFFF";
    QTest::newRow("missing-file") << "missing" << "was not found";
    QTest::newRow("folder") << "folder" << "is a folder";
    QTest::newRow("missing-file-from-open-dialog") << "missing-dialog" << "was not found";
}

void TestDocument::openRefused()
{
    QFETCH(QString, kind);
    QFETCH(QString, expectedText);

    CPrivateTempDir temp;
    CProgram program;
    QString path = program.Dir() + QStringLiteral("/subject");
    if (kind == QLatin1String("huge")) {
        // Sparse: it takes no room on the disk.
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(qint64(0x80000000)));
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(path));
    }

    if (kind == QLatin1String("missing-dialog")) {
        program.FileDialogs.Paths.push_back(path);
        QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_OPEN));
    } else {
        QVERIFY(!program.Open(path));
    }
    ProcessEvents();

    QCOMPARE(program.Messages.Texts.size(), 1);
    QVERIFY2(program.Messages.Texts.front().contains(expectedText), qPrintable(program.Messages.Texts.front()));
    QVERIFY2(program.Messages.Texts.front().contains(QStringLiteral("subject")), qPrintable(program.Messages.Texts.front()));
    QVERIFY(program.Documents().empty());
    QVERIFY(program.Frame()->GetMdiArea()->subWindowList().isEmpty());
    QVERIFY(temp.Files().isEmpty());
    QCOMPARE(program.Frame()->GetShownMenu(), UINT(IDR_MAINFRAME));
    QVERIFY(!program.App()->GetRecentFiles().contains(path));
}

void TestDocument::loadWithLockedWorkFileCreatesNoDocument()
{
    CPrivateTempDir temp;
    CProgram program;
    const QString path = program.MakeFile(QStringLiteral("locked.bin"), RandomBytes(1000, 5));
    {
        CLockOnNewWindow locker(program);
        QVERIFY(!program.Open(path));
        QCOMPARE(locker.Locks.size(), std::size_t(1));
        QVERIFY(locker.Locks.front()->Locked);
    }
    QVERIFY(program.Messages.Texts.contains(QStringLiteral("Serialize().loading could not open WorkFile")));
    QVERIFY(program.Documents().empty());
    QVERIFY(program.Frame()->GetMdiArea()->subWindowList().isEmpty());
    QVERIFY(temp.Files().isEmpty());

    // Loading into an existing document whose work file cannot be opened
    // leaves it claiming no bytes.
    program.Messages.Texts.clear();
    QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_NEW));
    auto* pDocument = static_cast<CBytelonDoc*>(program.Documents().front());
    CWorkFileLock lock(pDocument->WorkFileName);
    QVERIFY(lock.Locked);
    QVERIFY(!pDocument->OnOpenDocument(path));
    QCOMPARE(pDocument->DocLen, 0);
    QVERIFY(program.Messages.Texts.contains(QStringLiteral("Serialize().loading could not open WorkFile")));
}

void TestDocument::workFileCannotBeCreated()
{
    CProgram program;
    const QString path = program.MakeFile(QStringLiteral("kept.bin"), RandomBytes(100, 8));
    const QStringList rootBefore = QDir(QStringLiteral("/")).entryList({QStringLiteral("BYT*")}, QDir::Files);
    const QByteArray savedTmpDir = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(program.Dir() + QStringLiteral("/no such folder")));

    // A new document is still made, without a work file; its operations fail at their own opens.
    QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_NEW));
    QVERIFY(program.Messages.Texts.contains(QStringLiteral("CBytelonDoc constructor could not create temp file")));
    QCOMPARE(program.Documents().size(), std::size_t(1));
    auto* pDocument = static_cast<CBytelonDoc*>(program.Documents().front());
    QVERIFY(pDocument->WorkFileName.isEmpty());
    program.Messages.Texts.clear();
    const QString target = program.Dir() + QStringLiteral("/out.bin");
    QVERIFY(!pDocument->OnSaveDocument(target));
    QCOMPARE(program.Messages.Texts, QStringList{"Serialize().storing could not open WorkFile"});
    QVERIFY(!QFileInfo::exists(target));

    // Opening a file makes no document that would claim its bytes.
    program.Messages.Texts.clear();
    QVERIFY(!program.Open(path));
    QVERIFY(program.Messages.Texts.contains(QStringLiteral("Serialize().loading could not open WorkFile")));
    QCOMPARE(program.Documents().size(), std::size_t(1));

    qputenv("TMPDIR", savedTmpDir);
    if (savedTmpDir.isEmpty())
        qunsetenv("TMPDIR");
    // Nothing was made anywhere else instead.
    QCOMPARE(QDir(QStringLiteral("/")).entryList({QStringLiteral("BYT*")}, QDir::Files), rootBefore);
}

void TestDocument::namedPipeOpensWithoutHanging()
{
    CProgram program;
    const QString path = program.Dir() + QStringLiteral("/pipe");
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    // Nobody writes to the pipe: opening it must come back at once.
    CBytelonDoc* pDocument = program.Open(path);
    if (pDocument)
        QCOMPARE(pDocument->DocLen, 0);
    else
        QCOMPARE(program.Messages.Texts.size(), 1);
}

void TestDocument::clearAll_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("lockWorkFile");

    QTest::newRow("answered-no") << int(IDNO) << false;
    QTest::newRow("answered-yes") << int(IDYES) << false;
    QTest::newRow("answered-yes-work-file-locked") << int(IDYES) << true;
}

void TestDocument::clearAll()
{
    QFETCH(int, answer);
    QFETCH(bool, lockWorkFile);

    CProgram program;
    const QByteArray bytes = RandomBytes(5000, 23);
    CBytelonView* pView = program.OpenBytes(bytes);
    QVERIFY(pView);
    Focus(pView);
    QCOMPARE(program.App()->pCurrentView, pView);
    CBytelonDoc* pDocument = pView->GetDocument();
    QVERIFY(program.Frame()->ExecuteCommand(ID_WINDOW_NEW));
    ProcessEvents();
    QCOMPARE(pDocument->GetViews().size(), std::size_t(2));
    Focus(pView);
    WithPreparedDC(pView, [pView](CDC* pDC) { pView->ScrollTo(4000, -1, pDC); });
    pView->SelActive = 1;
    pView->SelAnchor = 10;
    pView->SelEnd = 20;
    QVERIFY(pView->TopOffset > 0);

    std::unique_ptr<CWorkFileLock> pLock;
    if (lockWorkFile)
        pLock = std::make_unique<CWorkFileLock>(pDocument->WorkFileName);
    program.Messages.Answers.push_back(answer);
    QVERIFY(program.Frame()->ExecuteCommand(ID_EDIT_CLEAR_ALL));
    pLock.reset();
    ProcessEvents();

    QCOMPARE(program.Messages.Texts.front(), QStringLiteral("Are you sure you want to Clear All?"));
    if (answer == IDNO) {
        QCOMPARE(program.Messages.Texts.size(), 1);
        QCOMPARE(pDocument->DocLen, bytes.size());
        QVERIFY(CProgram::WorkFileBytes(pDocument) == bytes);
        QVERIFY(!pDocument->IsModified());
        QCOMPARE(pView->SelActive, 1);
        QVERIFY(pView->TopOffset > 0);
        return;
    }
    if (lockWorkFile) {
        // The work file and DocLen stay as they were.
        QCOMPARE(program.Messages.Texts.size(), 2);
        QCOMPARE(program.Messages.Texts[1], QStringLiteral("DeleteContents() could not open WorkFile"));
        QCOMPARE(pDocument->DocLen, bytes.size());
        QVERIFY(CProgram::WorkFileBytes(pDocument) == bytes);
        return;
    }
    QCOMPARE(program.Messages.Texts.size(), 1);
    QCOMPARE(pDocument->DocLen, 0);
    QVERIFY(CProgram::WorkFileBytes(pDocument).isEmpty());
    QVERIFY(pDocument->IsModified());
    for (CView* pEach : pDocument->GetViews())
        QCOMPARE(static_cast<CBytelonView*>(pEach)->SelActive, 0);
    QCOMPARE(pView->TopOffset, 0);
    QCOMPARE(pView->CaretOffset(), 0);
    // An empty document has nothing left to clear.
    QVERIFY(!program.Frame()->ExecuteCommand(ID_EDIT_CLEAR_ALL));
    QCOMPARE(program.Messages.Texts.size(), 1);
}

void TestDocument::clearAllDisabledWhenEmpty()
{
    CProgram program;
    CBytelonView* pView = program.OpenBytes(QByteArray());
    QVERIFY(pView);
    QVERIFY(!MenuItemEnabled(program, ID_EDIT_CLEAR_ALL));
    QVERIFY(!program.Frame()->ExecuteCommand(ID_EDIT_CLEAR_ALL));
    QVERIFY(program.Messages.Texts.isEmpty());
    QVERIFY(!pView->GetDocument()->IsModified());

    CBytelonView* pFull = program.OpenBytes(QByteArray(1, 'x'), QStringLiteral("one.bin"));
    QVERIFY(pFull);
    QVERIFY(MenuItemEnabled(program, ID_EDIT_CLEAR_ALL));
}

QTEST_MAIN(TestDocument)
#include "tst_document.moc"
