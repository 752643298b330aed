// Faults that must lose nothing: replacements and selection saves that fail
// part-way, file-size limits, files that are not regular files, the largest
// documents, work files as save targets, and running out of descriptors.

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "framework/Dialog.h"
#include "framework/WaitCursor.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

bool Insert(CBytelonView* pView, const QByteArray& bytes)
{
    return pView->ReplaceSelectionWithString(bytes.constData(), int(bytes.size()));
}

// The kind of file at path: S_IFIFO, S_IFSOCK, S_IFREG, ..., or 0 when there is none.
mode_t Kind(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

// A file of the kind named, made in dir where it has to be made.
QString MakeSpecialFile(const QString& kind, const QString& dir)
{
    if (kind == QLatin1String("device"))
        return QStringLiteral("/dev/null");
    const QString path = dir + QLatin1Char('/') + kind;
    const QByteArray native = QFile::encodeName(path);
    if (kind == QLatin1String("pipe")) {
        if (::mkfifo(native.constData(), 0600) != 0)
            return QString();
    } else {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, native.constData(), sizeof address.sun_path - 1);
        const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        if (fd >= 0)
            ::close(fd);
        if (!bound)
            return QString();
    }
    return path;
}

// How the program, started as a process of its own, ended.
struct CProcessRun {
    bool Exited = false;  // by itself and in time, not killed by a signal
    int ExitCode = -1;
    QString Errors;  // its error stream, where a box nobody can see is written
    QStringList TempFiles;  // work and tail files left in its temporary folder
};

CProcessRun RunProgram(const QStringList& arguments, long long fileSizeLimit = -1)
{
    QTemporaryDir folder;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("TMPDIR"), folder.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.path() + QStringLiteral("/config"));
    process.setProcessEnvironment(environment);
    process.setChildProcessModifier([fileSizeLimit] {
        // Whatever this test process does with the signal, the program starts with its default.
        std::signal(SIGXFSZ, SIG_DFL);
        if (fileSizeLimit >= 0) {
            const rlimit limit {rlim_t(fileSizeLimit), rlim_t(fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
    });
    process.start(QString::fromUtf8(BYTELON_EXECUTABLE), arguments);
    CProcessRun run;
    if (process.waitForFinished(30000)) {
        run.Exited = process.exitStatus() == QProcess::NormalExit;
        run.ExitCode = process.exitCode();
    } else {
        process.kill();
        process.waitForFinished();
    }
    run.Errors = QString::fromLocal8Bit(process.readAllStandardError());
    run.TempFiles = QDir(folder.path()).entryList({QStringLiteral("BYT*")}, QDir::Files);
    return run;
}

// A document of docLen bytes, perLine to a line, ten lines shown, whose work
// file is sparse: only its last two bytes, "YZ", are written.
CBytelonView* OpenLargest(CProgram& program, int docLen, int perLine)
{
    program.App()->CharPerLine = perLine;
    CBytelonView* pView = program.OpenFocused("YZ", 10);
    CBytelonDoc* pDocument = pView->GetDocument();
    QFile work(pDocument->WorkFileName);
    if (!work.open(QIODevice::ReadWrite) || !work.resize(docLen) || !work.seek(docLen - 2) || work.write("YZ") != 2)
        return nullptr;
    work.close();
    pDocument->DocLen = docLen;
    WithPreparedDC(pView, [pView](CDC* pDC) { pView->ScrollToTop(pDC); });
    return pView;
}

}  // namespace

class tst_faults : public QObject {
    Q_OBJECT
private slots:
    void replacementIsAllOrNothing_data();
    void replacementIsAllOrNothing();
    void saveSelectionAsLeavesTargetOnFailure_data();
    void saveSelectionAsLeavesTargetOnFailure();
    void fileSizeLimitIsReportedLikeAFullDisk_data();
    void fileSizeLimitIsReportedLikeAFullDisk();
    void programRunAsAProcess_data();
    void programRunAsAProcess();
    void specialFilesRefused_data();
    void specialFilesRefused();
    void zeroLengthFileIsReadToItsEnd();
    void largestDocument_data();
    void largestDocument();
    void saveAsOntoWorkFileRefused_data();
    void saveAsOntoWorkFileRefused();
    void outOfDescriptorsSaysSo_data();
    void outOfDescriptorsSaysSo();
};

void tst_faults::replacementIsAllOrNothing_data()
{
    QTest::addColumn<QString>("entry");  // replace, paste or insert-file
    QTest::addColumn<int>("replacement");  // bytes put in place of the 500 selected
    QTest::addColumn<QString>("failing");  // the one write that fails
    QTest::addColumn<QString>("message");  // the step's own message after the cause
    QTest::newRow("temporary-folder-nearly-full-longer") << "replace" << 700 << "temporary-file-beyond-600"
                                                         << "CopyFileSegment() 1 failed in ReplaceSelectionWithString()";
    QTest::newRow("temporary-folder-full-shorter") << "replace" << 3 << "temporary-file"
                                                   << "CopyFileSegment() 1 failed in ReplaceSelectionWithString()";
    QTest::newRow("new-bytes-not-written") << "replace" << 700 << "work-file-write-1" << QString();
    QTest::newRow("tail-not-put-back-part-way-shorter") << "replace" << 3 << "work-file-write-3"
                                                        << "CopyFileSegment() 2 failed in ReplaceSelectionWithString()";
    QTest::newRow("tail-not-put-back-longer") << "replace" << 700 << "work-file-write-2"
                                              << "CopyFileSegment() 2 failed in ReplaceSelectionWithString()";
    QTest::newRow("pasting-temporary-folder-nearly-full") << "paste" << 700 << "temporary-file-beyond-600"
                                                          << "CopyFileSegment() 1 failed in OnEditPaste()";
    QTest::newRow("inserting-a-file-tail-not-put-back") << "insert-file" << 700 << "work-file-write-3"
                                                        << "CopyFileSegment() 3 failed in On_File_Insert_From_File()";
}

void tst_faults::replacementIsAllOrNothing()
{
    QFETCH(QString, entry);
    QFETCH(int, replacement);
    QFETCH(QString, failing);
    QFETCH(QString, message);
    CPrivateTempDir temp;
    CProgram program;
    // A tail that goes back in more than one piece.
    const QByteArray original = Pattern(1 << 21);
    CBytelonView* pView = program.OpenFocused(original);
    CBytelonDoc* pDocument = pView->GetDocument();
    SelectBytes(pView, 1500, 1000);
    const int caret = pView->CaretOffset();
    const QByteArray bytes(replacement, 'r');
    if (entry == QLatin1String("paste")) {
        auto* pData = new QMimeData;
        pData->setData("text/plain", bytes);
        QGuiApplication::clipboard()->setMimeData(pData);
    } else if (entry == QLatin1String("insert-file")) {
        program.FileDialogs.Paths.push_back(program.MakeFile("inserted.bin", bytes));
    }
    int workWrites = 0;
    bool failed = false;
    {
        CWriteFaultGuard fault([&](const QString& path, std::int64_t pos, UINT count) {
            if (failed)
                return false;
            if (path != pDocument->WorkFileName)
                failed = failing == QLatin1String("temporary-file")
                         || (failing == QLatin1String("temporary-file-beyond-600") && pos + count > 600);
            else
                failed = failing == QStringLiteral("work-file-write-%1").arg(++workWrites);
            return failed;
        });
        if (entry == QLatin1String("replace"))
            QVERIFY(!Insert(pView, bytes));
        else
            QVERIFY(program.Frame()->ExecuteCommand(entry == QLatin1String("paste") ? UINT(ID_EDIT_PASTE)
                                                                                    : UINT(ID_FILE_INSERT_FROM_FILE)));
    }
    QVERIFY(failed);
    const QStringList& texts = program.Messages.Texts;
    QVERIFY2(texts.value(0).startsWith("Disk full while accessing"), qPrintable(texts.join('|')));
    QCOMPARE(texts.mid(1), message.isEmpty() ? QStringList() : QStringList{message});
    // Exactly as before the call.
    QVERIFY(program.WorkFileBytes(pDocument) == original);
    QCOMPARE(pDocument->DocLen, int(original.size()));
    QVERIFY(pView->SelActive);
    QCOMPARE(Selection(pView), std::pair(1500, 1000));
    QCOMPARE(pView->CaretOffset(), caret);
    QVERIFY(!pDocument->IsModified());
    QVERIFY(!pDocument->Damaged);
    QCOMPARE(temp.Files(), DocumentFiles(pDocument->WorkFileName));
    QCOMPARE(CWaitCursor::Depth(), 0);
}

void tst_faults::saveSelectionAsLeavesTargetOnFailure_data()
{
    QTest::addColumn<bool>("existing");
    QTest::newRow("disk-full-over-an-existing-file") << true;
    QTest::newRow("disk-full-under-a-new-name") << false;
}

void tst_faults::saveSelectionAsLeavesTargetOnFailure()
{
    QFETCH(bool, existing);
    CProgram program;
    const QByteArray original = Pattern(50000);
    CBytelonView* pView = program.OpenFocused(original);
    const QString work = pView->GetDocument()->WorkFileName;
    SelectBytes(pView, 3, 40000);
    const QString target = program.Dir() + "/part.bin";
    const QByteArray before = Pattern(60000, 77);
    if (existing)
        WriteFile(target, before);
    program.FileDialogs.Paths.push_back(target);
    {
        // The disk fills after the first 16384 bytes.
        CWriteFaultGuard fault([&](const QString& path, std::int64_t pos, UINT count) {
            return path != work && pos + count > 16384;
        });
        QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_SAVE_SELECTION_AS));
    }
    const QStringList& texts = program.Messages.Texts;
    QCOMPARE(texts.size(), 2);
    QCOMPARE(texts[0], QStringLiteral("Disk full while accessing %1.").arg(target));
    QCOMPARE(texts[1], QStringLiteral("CopyFileSegment() failed in On_File_Save_Selection_As()"));
    QCOMPARE(QFileInfo::exists(target), existing);
    if (existing)
        QVERIFY(FileBytes(target) == before);
    QVERIFY(QDir(program.Dir()).entryList({".part.bin*"}, QDir::Files | QDir::Hidden).isEmpty());

    // Once there is room, the same save works.
    program.FileDialogs.Paths.push_back(target);
    QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_SAVE_SELECTION_AS));
    QCOMPARE(texts.size(), 2);
    QVERIFY(FileBytes(target) == original.mid(3, 40000 - 3));
}

void tst_faults::fileSizeLimitIsReportedLikeAFullDisk_data()
{
    QTest::addColumn<bool>("opening");
    QTest::newRow("inserting-past-the-limit") << false;
    QTest::newRow("opening-a-file-longer-than-the-limit") << true;
}

void tst_faults::fileSizeLimitIsReportedLikeAFullDisk()
{
    QFETCH(bool, opening);
    // Under test is what the program itself does with the signal at start-up.
    std::signal(SIGXFSZ, SIG_DFL);
    CPrivateTempDir temp;
    CProgram program;
    const QByteArray original = Pattern(opening ? 200000 : 50000);
    const QStringList& texts = program.Messages.Texts;
    if (opening) {
        const QString path = program.MakeFile("long.bin", original);
        {
            // Room for a document's record, not for its bytes.
            CResourceLimit limit(RLIMIT_FSIZE, 100000);
            QVERIFY(limit.Set);
            QVERIFY(!program.Open(path));
        }
        QCOMPARE(texts.size(), 1);
        QVERIFY2(texts[0].startsWith("Disk full while accessing"), qPrintable(texts[0]));
        QVERIFY(program.Documents().empty());
        QVERIFY(temp.Files().isEmpty());
        // The work goes on.
        CBytelonDoc* pDocument = program.Open(path);
        QVERIFY(pDocument && program.WorkFileBytes(pDocument) == original);
        return;
    }
    CBytelonView* pView = program.OpenFocused(original);
    CBytelonDoc* pDocument = pView->GetDocument();
    MoveCaretTo(pView, 25000);
    {
        // The new bytes fit below the limit; the tail behind them does not.
        CResourceLimit limit(RLIMIT_FSIZE, 60000);
        QVERIFY(limit.Set);
        QVERIFY(!Insert(pView, Pattern(20000, 1)));
    }
    QCOMPARE(texts.size(), 2);
    QVERIFY2(texts[0].startsWith("Disk full while accessing"), qPrintable(texts[0]));
    QCOMPARE(texts[1], QStringLiteral("CopyFileSegment() 2 failed in ReplaceSelectionWithString()"));
    QVERIFY(program.WorkFileBytes(pDocument) == original);
    QCOMPARE(pDocument->DocLen, int(original.size()));
    QVERIFY(!pDocument->IsModified());
    QVERIFY(Insert(pView, "abc"));
    QVERIFY(program.WorkFileBytes(pDocument) == original.left(25000) + "abc" + original.mid(25000));
}

void tst_faults::programRunAsAProcess_data()
{
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("expected");  // in what it reports
    QTest::newRow("loading-past-the-file-size-limit") << "limit" << "Disk full while accessing";
    QTest::newRow("named-pipe-on-the-command-line") << "pipe" << "not a regular file";
    QTest::newRow("device-on-the-command-line") << "device" << "not a regular file";
}

void tst_faults::programRunAsAProcess()
{
    QFETCH(QString, subject);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QString path;
    long long limit = -1;
    if (subject == QLatin1String("limit")) {
        path = dir.path() + "/long.bin";
        WriteFile(path, Pattern(300000));
        limit = 100000;
    } else {
        path = MakeSpecialFile(subject, dir.path());
    }
    QVERIFY(!path.isEmpty());
    const mode_t kind = Kind(path);
    const CProcessRun run = RunProgram({path}, limit);
    // Start-up ends, as for any file named on the command line that cannot be opened.
    QVERIFY2(run.Exited, qPrintable(run.Errors));
    QCOMPARE(run.ExitCode, 1);
    QVERIFY2(run.Errors.contains(expected), qPrintable(run.Errors));
    if (limit < 0)
        QVERIFY2(run.Errors.contains(path), qPrintable(run.Errors));
    QVERIFY2(run.TempFiles.isEmpty(), qPrintable(run.TempFiles.join(' ')));
    QCOMPARE(Kind(path), kind);
}

void tst_faults::specialFilesRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("command");  // 0: open the file itself
    QTest::newRow("opening-a-named-pipe") << "pipe" << 0;
    QTest::newRow("opening-a-device") << "device" << 0;
    QTest::newRow("opening-a-socket") << "socket" << 0;
    QTest::newRow("inserting-a-named-pipe") << "pipe" << int(ID_FILE_INSERT_FROM_FILE);
    QTest::newRow("inserting-a-device") << "device" << int(ID_FILE_INSERT_FROM_FILE);
    QTest::newRow("saving-over-a-named-pipe") << "pipe" << int(ID_FILE_SAVE_AS);
    QTest::newRow("saving-over-a-socket") << "socket" << int(ID_FILE_SAVE_AS);
    QTest::newRow("saving-selection-over-a-named-pipe") << "pipe" << int(ID_FILE_SAVE_SELECTION_AS);
}

void tst_faults::specialFilesRefused()
{
    QFETCH(QString, kind);
    QFETCH(int, command);
    CPrivateTempDir temp;
    CProgram program;
    const QString subject = MakeSpecialFile(kind, program.Dir());
    QVERIFY(!subject.isEmpty());
    const mode_t before = Kind(subject);
    const QStringList& texts = program.Messages.Texts;
    if (command == 0) {
        QVERIFY(!program.Open(subject));
        QVERIFY(program.Documents().empty());
        QVERIFY(temp.Files().isEmpty());
    } else {
        const QByteArray original = Pattern(3000);
        CBytelonView* pView = program.OpenFocused(original);
        CBytelonDoc* pDocument = pView->GetDocument();
        const QString pathName = pDocument->GetPathName();
        SelectBytes(pView, 10, 20);
        pDocument->SetModifiedFlag(true);
        program.FileDialogs.Paths.push_back(subject);
        QVERIFY(program.Frame()->ExecuteCommand(UINT(command)));
        QVERIFY(program.WorkFileBytes(pDocument) == original);
        QCOMPARE(Selection(pView), std::pair(10, 20));
        QVERIFY(pView->SelActive);
        QVERIFY(pDocument->IsModified());
        QCOMPARE(pDocument->GetPathName(), pathName);
    }
    QVERIFY2(!texts.isEmpty() && texts[0].contains(subject) && texts[0].contains("not a regular file"),
             qPrintable(texts.join('|')));
    QCOMPARE(Kind(subject), before);
}

void tst_faults::zeroLengthFileIsReadToItsEnd()
{
    // Files under /proc report a length of 0 whatever they hold.
    const QString path = QStringLiteral("/proc/version");
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.size(), qint64(0));
    QByteArray content;
    for (QByteArray piece; !(piece = file.read(4096)).isEmpty();)
        content += piece;
    QVERIFY(!content.isEmpty());
    CProgram program;
    CBytelonDoc* pDocument = program.Open(path);
    QVERIFY(pDocument);
    QCOMPARE(program.WorkFileBytes(pDocument), content);
    QCOMPARE(pDocument->DocLen, int(content.size()));
    QVERIFY(program.Messages.Texts.isEmpty());
}

void tst_faults::largestDocument_data()
{
    QTest::addColumn<int>("docLen");
    QTest::addColumn<int>("perLine");
    QTest::addColumn<QString>("action");
    QTest::newRow("ctrl-end-7FFFFFFF-8-per-line") << 0x7FFFFFFF << 8 << "ctrl-end";
    QTest::newRow("ctrl-end-7FFFFFF9-8-per-line") << 0x7FFFFFF9 << 8 << "ctrl-end";
    QTest::newRow("ctrl-end-7FFFFFF1-16-per-line") << 0x7FFFFFF1 << 16 << "ctrl-end";
    QTest::newRow("end-on-the-last-line") << 0x7FFFFFFF << 8 << "end";
    QTest::newRow("backspace-at-the-end") << 0x7FFFFFFF << 8 << "backspace";
    QTest::newRow("shift-left-then-delete") << 0x7FFFFFFF << 8 << "delete";
    QTest::newRow("copy-the-last-byte") << 0x7FFFFFFF << 8 << "copy";
    QTest::newRow("save-the-last-byte-over-a-file") << 0x7FFFFFFF << 8 << "save-selection";
    QTest::newRow("goto-7FFFFFFF") << 0x7FFFFFFF << 8 << "goto";
    QTest::newRow("scroll-bar-to-its-maximum") << 0x7FFFFFFF << 16 << "scroll-bar";
}

void tst_faults::largestDocument()
{
    QFETCH(int, docLen);
    QFETCH(int, perLine);
    QFETCH(QString, action);
    CProgram program;
    CBytelonView* pView = OpenLargest(program, docLen, perLine);
    QVERIFY(pView);
    CBytelonDoc* pDocument = pView->GetDocument();
    auto key = [pView](Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(pView, k, modifiers);
    };
    const bool toTheEnd = action != QLatin1String("goto") && action != QLatin1String("scroll-bar");
    if (toTheEnd)
        key(Qt::Key_End, Qt::ControlModifier);
    const QString target = program.Dir() + "/last.bin";
    if (action == QLatin1String("end")) {
        key(Qt::Key_Home);
        key(Qt::Key_End);
    } else if (action == QLatin1String("backspace")) {
        key(Qt::Key_Backspace);
    } else if (action == QLatin1String("delete")) {
        key(Qt::Key_Left, Qt::ShiftModifier);
        key(Qt::Key_Delete);
    } else if (action == QLatin1String("copy")) {
        key(Qt::Key_Left, Qt::ShiftModifier);
        QVERIFY(program.Frame()->ExecuteCommand(ID_EDIT_COPY));
    } else if (action == QLatin1String("save-selection")) {
        key(Qt::Key_Left, Qt::ShiftModifier);
        WriteFile(target, Pattern(100));
        program.FileDialogs.Paths.push_back(target);
        QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_SAVE_SELECTION_AS));
    } else if (action == QLatin1String("goto")) {
        WhenModal([](QWidget* pModal) {
            auto* pDialog = qobject_cast<CDialog*>(pModal);
            pDialog->GetDlgItemAs<QLineEdit>(IDC_ADDRESS)->setText(QStringLiteral("7FFFFFFF"));
            pDialog->GetDlgItemAs<QPushButton>(IDOK)->click();
        });
        QVERIFY(program.Frame()->ExecuteCommand(ID_SEARCH_GOTO));
    } else if (action == QLatin1String("scroll-bar")) {
        pView->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(pView->BottomOffset, docLen - 1);
        pView->OnVScroll(SB_THUMBPOSITION, 10000);
    }
    ProcessEvents();
    QVERIFY2(program.Messages.Texts.isEmpty(), qPrintable(program.Messages.Texts.join('|')));

    const bool deleted = action == QLatin1String("backspace") || action == QLatin1String("delete");
    const int end = deleted ? docLen - 1 : docLen;
    QCOMPARE(pDocument->DocLen, end);
    QCOMPARE(QFileInfo(pDocument->WorkFileName).size(), qint64(end));
    QCOMPARE(pView->BottomOffset, end - 1);
    // After the last byte, or on it with that byte selected.
    const bool selected = action == QLatin1String("copy") || action == QLatin1String("save-selection");
    const int caret = selected ? end - 1 : end;
    QCOMPARE(pView->CaretOffset(), caret);
    QCOMPARE(program.PaneText(1), QString::asprintf("%08X ", unsigned(caret)));
    if (action == QLatin1String("copy"))
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->data("application/x-cf-bytelon"), QByteArray("\0\0\0\1Z", 5));
    if (action == QLatin1String("save-selection"))
        QCOMPARE(FileBytes(target), QByteArray("Z"));
    // The last line on the screen is the document's last.
    const int lastLine = (end - 1) / perLine * perLine;
    QCOMPARE(pView->TopOffset + (pView->LinesPerScreen - 1) * perLine, lastLine);
}

void tst_faults::saveAsOntoWorkFileRefused_data()
{
    QTest::addColumn<bool>("own");
    QTest::newRow("onto-another-documents-work-file") << false;
    QTest::newRow("onto-its-own-work-file") << true;
}

void tst_faults::saveAsOntoWorkFileRefused()
{
    QFETCH(bool, own);
    CProgram program;
    CBytelonView* pView = program.OpenBytes(Pattern(5000), "mine.bin");
    CBytelonDoc* pDocument = pView->GetDocument();
    CBytelonDoc* pOther = program.Open(program.MakeFile("other.bin", Pattern(7000, 1)));
    pDocument->SetModifiedFlag(true);
    const QString pathName = pDocument->GetPathName();
    const QString target = own ? pDocument->WorkFileName : pOther->WorkFileName;
    program.FileDialogs.Paths.push_back(target);
    pDocument->OnFileSaveAs();
    QCOMPARE(program.Messages.Texts.size(), 1);
    QVERIFY2(program.Messages.Texts[0].contains(target), qPrintable(program.Messages.Texts[0]));
    QVERIFY(program.WorkFileBytes(pOther) == Pattern(7000, 1));
    QCOMPARE(pOther->DocLen, 7000);
    QVERIFY(program.WorkFileBytes(pDocument) == Pattern(5000));
    QVERIFY(pDocument->IsModified());
    QCOMPARE(pDocument->GetPathName(), pathName);
}

void tst_faults::outOfDescriptorsSaysSo_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("message");  // the operation's own message, after the cause
    QTest::newRow("inserting-makes-a-tail-file") << "insert"
                                                 << "ReplaceSelectionWithString() could not create temp file";
    QTest::newRow("deleting-keeps-the-deleted-bytes-first") << "delete"
                                                           << "DeleteTheSelection() could not create temp file";
    QTest::newRow("copying-opens-the-work-file") << "copy" << "CopySelectionToClipboard() could not open WorkFile";
}

void tst_faults::outOfDescriptorsSaysSo()
{
    QFETCH(QString, operation);
    QFETCH(QString, message);
    CProgram program;
    const QByteArray original = Pattern(3000);
    CBytelonView* pView = program.OpenFocused(original);
    if (operation == QLatin1String("insert"))
        MoveCaretTo(pView, 100);
    else
        SelectBytes(pView, 100, 200);
    bool done = true;
    {
        CDescriptorsTaken taken;
        if (operation == QLatin1String("insert"))
            done = Insert(pView, "abc");
        else if (operation == QLatin1String("delete"))
            WithPreparedDC(pView, [&](CDC* pDC) { done = pView->DeleteTheSelection(pDC); });
        else
            done = pView->CopySelectionToClipboard();
    }
    QVERIFY(!done);
    const QStringList& texts = program.Messages.Texts;
    QVERIFY2(texts.value(0).contains("too many open files"), qPrintable(texts.join('|')));
    QCOMPARE(texts.last(), message);
    QVERIFY(program.WorkFileBytes(pView->GetDocument()) == original);
}

QTEST_MAIN(tst_faults)
#include "tst_faults.moc"
