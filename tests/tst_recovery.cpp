// Documents that outlive their program: the work folder, the record each
// document keeps, the ends that are not Exit (signals, a lost display, a
// kill at any instant), the question at the next start, the clean-up of
// what is left behind, and two programs on one file. The program runs as a
// process of its own (the scripted executable, built from the same code as
// bytelon, or bytelon itself) where it is to be killed or signalled; the
// start after that runs here, answered by keys on the real dialog.

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "app/RecoveryDlg.h"
#include "doc/BytelonDoc.h"
#include "doc/RecordState.h"
#include "framework/RecordFile.h"
#include "res/Resource.h"
#include "search/ReplaceDlg.h"
#include "view/BytelonView.h"

#include <QAbstractButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <array>
#include <csignal>
#include <random>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace {

constexpr long TmpfsMagic = 0x01021994;
const QString DataName = QStringLiteral("data.bin");

QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

QStringList Records(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.record")}, QDir::Files, QDir::Name);
}

// Polls until done() holds; false when it still does not after timeoutMs.
bool Until(const std::function<bool()>& done, int timeoutMs = 60000)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > timeoutMs)
            return false;
        QThread::usleep(200);
    }
    return true;
}

// The program as a process of its own, on a work folder shared with the
// start that follows it here: the scripted executable playing steps, or
// bytelon itself with arguments when there are none.
class CProcessRun {
public:
    CProcessRun(const QString& workFolder, const QStringList& steps, const QStringList& arguments = {},
                const QMap<QString, QString>& environment = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const QString script = Folder.path() + QStringLiteral("/script");
        WriteFile(script, steps.join(QLatin1Char('\n')).toUtf8());
        QMap<QString, QString> all = {{"QT_QPA_PLATFORM", "offscreen"}, {"TMPDIR", workFolder},
                                      {"XDG_CONFIG_HOME", Folder.path() + "/config"},
                                      {"BYTELON_PROGRESS", ProgressPath}, {"BYTELON_SCRIPT", script}};
        all.insert(environment);
        for (auto it = all.begin(); it != all.end(); ++it)
            it.value().isEmpty() ? env.remove(it.key()) : env.insert(it.key(), it.value());
        Process.setProcessEnvironment(env);
        Process.setChildProcessModifier([] {
            for (int signalNumber : {SIGTERM, SIGHUP, SIGINT})
                std::signal(signalNumber, SIG_DFL);
        });
        Clock.start();
        Process.start(QString::fromUtf8(steps.isEmpty() ? BYTELON_EXECUTABLE : BYTELON_SCRIPTED), arguments);
    }
    ~CProcessRun()
    {
        Process.kill();
        Process.waitForFinished();
    }

    [[nodiscard]] QList<QByteArray> Progress() const
    {
        QFile file(ProgressPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray>();
    }
    [[nodiscard]] bool Running() const { return Process.state() != QProcess::NotRunning; }
    // Until the progress file holds line; false when the process ended first.
    bool WaitFor(const QByteArray& line)
    {
        return Until([&] { return !Running() || Progress().contains(line); }) && Progress().contains(line);
    }
    // Until count records are in folder, and a moment more for the document to load.
    bool WaitForRecords(const QString& folder, int count)
    {
        const bool made = Until([&] { return !Running() || Records(folder).size() >= count; }) && Running();
        QThread::msleep(200);
        return made;
    }
    // Until the process has stopped itself.
    bool WaitStopped()
    {
        return Until([&] {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(Process.processId()));
            const QByteArray text = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray(")  ");
            // The state follows the command's name in parentheses.
            return text.mid(text.lastIndexOf(')') + 2, 1) == "T";
        });
    }
    void Signal(int signalNumber) { ::kill(pid_t(Process.processId()), signalNumber); }
    // The signal that ended the process; -1 when it ended by itself or did not end.
    int EndingSignal()
    {
        if (!Process.waitForFinished(60000))
            return -1;
        return Process.exitStatus() == QProcess::CrashExit ? Process.exitCode() : -1;
    }

    QTemporaryDir Folder;
    QString ProgressPath = Folder.path() + QStringLiteral("/progress");
    QProcess Process;
    QElapsedTimer Clock;
};

// A start of the program here on the work folder. The recovery question, if
// asked, is answered with key on the real dialog; answers are those of the
// message boxes shown.
struct CRestart : QObject {
    explicit CRestart(const QString& workFolder, int key = Qt::Key_Return, std::deque<int> answers = {})
        : WorkFolder("TMPDIR", workFolder), Program(10, false)
    {
        Program.Messages.Answers = std::move(answers);
        AfxShowBoxesWithoutScreen(true);
        QTimer timer;
        connect(&timer, &QTimer::timeout, this, [this, &timer, key] {
            auto* pDialog = qobject_cast<CRecoveryDlg*>(QApplication::activeModalWidget());
            // Keys reach the active window, as a keyboard's do.
            if (!pDialog || (QApplication::activeWindow() != pDialog && ++Activations < 50)) {
                if (pDialog)
                    pDialog->activateWindow();
                return;
            }
            timer.stop();
            auto* pList = pDialog->GetDlgItemAs<QTreeWidget>(IDC_RECOVERY_LIST);
            for (int i = 0; i < pList->topLevelItemCount(); ++i)
                Listed << pList->topLevelItem(i)->text(0);
            ++Asked;
            const QKeyCombination combination = QKeyCombination::fromCombined(key);
            QTest::keyClick(pDialog, combination.key(), combination.keyboardModifiers());
            // A key that does not answer fails the test rather than hang it.
            QTimer::singleShot(3000, pDialog, [this, pDialog] {
                if (pDialog->isVisible()) {
                    Asked = -1;
                    pDialog->EndDialog(IDCANCEL);
                }
            });
        });
        timer.start(5);
        Program.Start();
        AfxShowBoxesWithoutScreen(false);
    }
    // Closes every document without saving.
    void CloseAll()
    {
        for (std::size_t i = 0; i < Program.Documents().size(); ++i)
            Program.Messages.Answers.push_back(IDNO);
        Program.Exit();
    }
    [[nodiscard]] CBytelonDoc* Document(std::size_t i) const
    {
        return i < Program.Documents().size() ? static_cast<CBytelonDoc*>(Program.Documents()[i]) : nullptr;
    }
    // The bytes of the only recovered document, or "<none>".
    [[nodiscard]] QByteArray Only() const
    {
        return Program.Documents().size() == 1 ? CProgram::WorkFileBytes(Document(0)) : QByteArray("<none>");
    }

    CEnvironmentGuard WorkFolder;
    CProgram Program;
    int Asked = 0;
    QStringList Listed;
    int Activations = 0;
};

// The kill sweep's model: the script and, after each step, the document and
// the file on disk.
struct CSweepScript {
    QStringList Steps;
    QStringList Kinds;
    std::vector<QByteArray> Documents;
    std::vector<QByteArray> Files;
};

CSweepScript MakeSweepScript(std::mt19937& random, int size, int steps, const QString& path)
{
    CSweepScript script;
    QByteArray document = Pattern(size, int(random() % 251));
    script.Steps << QStringLiteral("open ") + path;
    script.Documents.push_back(document);
    script.Files.push_back(document);
    QStringList kinds = {"insert", "delete", "paste", "replaceall", "save"};
    std::shuffle(kinds.begin(), kinds.end(), random);
    auto pick = [&random](int below) { return below <= 0 ? 0 : int(random() % unsigned(below)); };
    // The player turns dots into the blanks between hex cells.
    auto hex = [](const QByteArray& bytes) { return QString::fromLatin1(bytes.toHex('.')).toUpper(); };
    for (int i = 0; i < steps; ++i) {
        const QString kind = i < kinds.size() ? kinds[i] : kinds[pick(int(kinds.size()))];
        const int length = int(document.size());
        QString step = kind;
        if (kind == QLatin1String("insert")) {
            const int count = 1 + pick(4096), seed = pick(1000);
            document.insert(0, Pattern(count, seed));
            step = QStringLiteral("insert 0 %1 %2").arg(count).arg(seed);
        } else if (kind == QLatin1String("delete")) {
            // Either a short run with the long rest of the document after it,
            // or one at least as long as what follows it.
            const bool nearEnd = pick(2) == 0;
            const int removed = nearEnd ? 1 + pick(length / 3) : 1 + pick(2000);
            const int at = nearEnd ? length - removed - pick(removed) : pick(length / 2);
            document.remove(at, removed);
            step = QStringLiteral("delete %1 %2").arg(at).arg(removed);
        } else if (kind == QLatin1String("paste")) {
            const int at = pick(length / 2), replaced = 1 + pick(5000), count = 1 + pick(70000), seed = pick(1000);
            document.replace(at, replaced, Pattern(count, seed));
            step = QStringLiteral("paste %1 %2 %3 %4").arg(at).arg(replaced).arg(count).arg(seed);
        } else if (kind == QLatin1String("replaceall")) {
            // Two bytes of the document, found all through it in either case,
            // as the dialog ignores case at first.
            const QByteArray find = document.mid(pick(length - 2), 2);
            const QByteArray with = Pattern(1 + pick(3), pick(1000));
            const QByteArray folded = find.toLower(), foldedDocument = document.toLower();
            QByteArray result;
            int from = 0;
            for (int k; (k = int(foldedDocument.indexOf(folded, from))) >= 0; from = k + 2)
                result += document.mid(from, k - from) + with;
            document = result + document.mid(from);
            step = QStringLiteral("replaceall %1 %2").arg(hex(find), hex(with));
        }
        script.Steps << step;
        script.Kinds << kind;
        script.Documents.push_back(document);
        script.Files.push_back(kind == QLatin1String("save") ? document : script.Files.back());
    }
    return script;
}

}  // namespace

class tst_recovery : public QObject {
    Q_OBJECT
private slots:
    void workFolder_data();
    void workFolder();
    void recordFollowsTheDocument();
    void nextStart_data();
    void nextStart();
    void leftBehind_data();
    void leftBehind();
    void secondProgram_data();
    void secondProgram();
    void randomKillSweep();
};

void tst_recovery::workFolder_data()
{
    QTest::addColumn<bool>("tmpDirSet");
    QTest::addColumn<QString>("stateHome");  // "absolute", "relative" or none
    QTest::addColumn<int>("existingMode");  // of a folder made before, 0 for none
    QTest::newRow("tmpdir-set-is-kept") << true << "absolute" << 0;
    QTest::newRow("tmpdir-unset-state-home") << false << "absolute" << 0;
    QTest::newRow("tmpdir-unset-default-under-home") << false << "" << 0;
    QTest::newRow("relative-state-home-ignored") << false << "relative" << 0;
    QTest::newRow("open-folder-made-private") << false << "absolute" << 0755;
}

void tst_recovery::workFolder()
{
    QFETCH(bool, tmpDirSet);
    QFETCH(QString, stateHome);
    QFETCH(int, existingMode);
    // On disk, as a home folder is: beside the tests, not in /tmp.
    QTemporaryDir home(QDir::currentPath() + QStringLiteral("/home-XXXXXX"));
    QTemporaryDir chosen;
    CProgram program(10, false);
    CEnvironmentGuard homeGuard("HOME", home.path());
    CEnvironmentGuard tmpGuard("TMPDIR", tmpDirSet ? chosen.path() : QString());
    const QString state = home.path() + QStringLiteral("/state");
    CEnvironmentGuard stateGuard("XDG_STATE_HOME", stateHome == QLatin1String("absolute")   ? state
                                                   : stateHome == QLatin1String("relative") ? QStringLiteral("state")
                                                                                            : QString());
    const QString expected = tmpDirSet ? chosen.path()
                                       : (stateHome == QLatin1String("absolute") ? state : QString(home.path() + "/.local/state"))
                                             + QStringLiteral("/Corvane Systems/BYTELON");
    if (existingMode != 0)
        QVERIFY(QDir().mkpath(expected) && ::chmod(QFile::encodeName(expected).constData(), mode_t(existingMode)) == 0);
    QVERIFY(program.Start());
    CBytelonView* pView = program.OpenBytes("abc");
    QVERIFY(pView);
    const QFileInfo work(pView->GetDocument()->WorkFileName);
    QCOMPARE(work.absolutePath(), expected);
    QVERIFY(work.fileName().startsWith(QLatin1String("BYT")));
    QCOMPARE(Records(expected), QStringList{work.fileName() + QStringLiteral(".record")});
    if (!tmpDirSet) {
        struct stat st {};
        struct statfs fs {};
        QVERIFY(::stat(QFile::encodeName(expected).constData(), &st) == 0);
        QCOMPARE(int(st.st_mode & 0777), 0700);
        // Not the system's temporary folder, which is often memory.
        QVERIFY(!expected.startsWith(QDir::tempPath() + QLatin1Char('/')));
        QVERIFY(::statfs(QFile::encodeName(expected).constData(), &fs) == 0 && long(fs.f_type) != TmpfsMagic);
    }
    program.Exit();
    QVERIFY(FilesIn(expected).isEmpty());
}

void tst_recovery::recordFollowsTheDocument()
{
    CPrivateTempDir temp;
    CProgram program;
    CBytelonView* pView = program.OpenFocused(Pattern(5000));
    CBytelonDoc* pDocument = pView->GetDocument();
    auto state = [&] {
        const std::optional<QByteArray> text = CRecordFile::Peek(pDocument->WorkFileName + ".record");
        return text ? CRecordState::FromText(*text).value_or(CRecordState()) : CRecordState();
    };
    auto expect = [&](const QString& path, bool modified, std::int64_t length) {
        const CRecordState now = state();
        QCOMPARE(now.Path, path.isEmpty() ? path : QFileInfo(path).canonicalFilePath());
        QCOMPARE(now.Modified, modified);
        QCOMPARE(now.Length, length);
        // Between edits it names no edit and no tail file.
        QCOMPARE(now.Edit, CRecordState::EEdit::None);
        QVERIFY(now.TailName.isEmpty() && now.PassName.isEmpty());
        QCOMPARE(now.ProcessId, long(::getpid()));
        QVERIFY(!now.BootId.isEmpty());
        if (!modified)
            QVERIFY(now.Identity == CFileIdentity::Of(path));
    };
    expect(program.Dir() + "/" + DataName, false, 5000);
    QVERIFY(pView->ReplaceSelectionWithString("xyz", 3));
    expect(program.Dir() + "/" + DataName, true, 5003);
    SelectBytes(pView, 10, 4000);
    bool deleted = false;
    WithPreparedDC(pView, [&](CDC* pDC) { deleted = pView->DeleteTheSelection(pDC); });
    QVERIFY(deleted);
    expect(program.Dir() + "/" + DataName, true, 1013);
    QCOMPARE(temp.Files(), DocumentFiles(pDocument->WorkFileName));
    // Saved under another name: the new path, its identity, no changes.
    const QString other = program.Dir() + QStringLiteral("/other.bin");
    program.FileDialogs.Paths.push_back(other);
    pDocument->OnFileSaveAs();
    expect(other, false, 1013);
    // A record that cannot be written keeps an edit from starting.
    CRecordFile::SetWriteFault([](const QString&) { return true; });
    const bool inserted = pView->ReplaceSelectionWithString("q", 1);
    CRecordFile::SetWriteFault(nullptr);
    QVERIFY(!inserted);
    QVERIFY(program.Messages.Texts.last().startsWith(QLatin1String("Disk full")));
    QCOMPARE(CProgram::WorkFileBytes(pDocument), FileBytes(other));
    QVERIFY(!pDocument->IsModified());
    // A Replace All pass under way: its result file, beside the work file, is
    // named; once swapped in, no longer.
    ReplaceAllInSmallBlocks(program, 256, 1);
    MoveCaretTo(pView, 0);
    program.Frame()->ExecuteCommand(ID_SEARCH_REPLACE);
    for (const auto& [id, text] : {std::pair(int(IDC_REPLACE_FIND_HEX), "78 "), std::pair(int(IDC_REPLACE_WITH_HEX), "79 ")})
        QTest::keyClicks(program.App()->pReplaceDlg->GetDlgItemAs<QLineEdit>(id), QString::fromLatin1(text));
    program.App()->pReplaceDlg->GetDlgItemAs<QAbstractButton>(IDC_REPLACE_ALL)->click();
    program.App()->OnIdle(0);
    QVERIFY(program.App()->ReplaceAllActive);
    QCOMPARE(state().PassName, QFileInfo(pDocument->WorkFileName).fileName() + ".pass");
    QVERIFY(QFileInfo::exists(pDocument->WorkFileName + ".pass"));
    for (int i = 0; i < 2000 && program.App()->ReplaceAllActive; ++i)
        ProcessEvents(1);
    QVERIFY(!program.App()->ReplaceAllActive && !QFileInfo::exists(pDocument->WorkFileName + ".pass"));
    expect(other, true, 1013);
    program.Messages.Answers = {IDNO};
    program.Exit();
    QVERIFY(temp.Files().isEmpty());
}

void tst_recovery::nextStart_data()
{
    // How the program that had the documents open ended (by a signal, or 0:
    // its display went), whether a question was waiting for an answer then,
    // the key that answers the question at the next start, and what becomes
    // of the documents.
    QTest::addColumn<int>("end");
    QTest::addColumn<bool>("boxUp");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("outcome");  // recovered, changed-outside, kept or discarded
    const int recover = Qt::Key_Return;
    QTest::newRow("return-recovers-every-document") << int(SIGKILL) << false << recover << "recovered";
    QTest::newRow("recovered-file-changed-outside-save-asks") << int(SIGKILL) << false << recover << "changed-outside";
    QTest::newRow("escape-decides-later") << int(SIGKILL) << false << int(Qt::Key_Escape) << "kept";
    QTest::newRow("discard-deletes-everything") << int(SIGKILL) << false << (Qt::ALT | Qt::Key_D).toCombined()
                                                << "discarded";
    QTest::newRow("sigterm-logout") << int(SIGTERM) << false << recover << "recovered";
    QTest::newRow("sighup-terminal-closed") << int(SIGHUP) << false << recover << "recovered";
    QTest::newRow("sigint-ctrl-c") << int(SIGINT) << false << recover << "recovered";
    QTest::newRow("sigterm-with-a-question-up") << int(SIGTERM) << true << recover << "recovered";
    QTest::newRow("display-lost") << 0 << false << recover << "recovered";
}

void tst_recovery::nextStart()
{
    QFETCH(int, end);
    QFETCH(bool, boxUp);
    QFETCH(int, key);
    QFETCH(QString, outcome);
    QTemporaryDir work;
    QTemporaryDir data;
    const QString path = data.path() + "/" + DataName;
    const QString unchanged = data.path() + QStringLiteral("/unchanged.bin");
    WriteFile(unchanged, Pattern(3000, 9));
    const QByteArray original = Pattern(200000, 3);
    WriteFile(path, original);
    QMap<QString, QString> environment;
    QProcess display;
    if (end == 0) {
        const QString server = QStringLiteral("/usr/bin/Xvfb");
        if (!QFileInfo::exists(server))
            QSKIP("no Xvfb to lose");
        // The server picks a free display and names it on its output.
        display.start(server, {"-displayfd", "1", "-nolisten", "tcp"});
        QString number;
        QVERIFY(Until([&] {
            display.waitForReadyRead(100);
            number += QString::fromLatin1(display.readAllStandardOutput());
            return number.endsWith(QLatin1Char('\n'));
        }));
        environment = {{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":" + number.trimmed()}, {"WAYLAND_DISPLAY", ""}};
    }
    {
        // One document with changes, one without, and a new one never saved.
        QStringList steps = {"open " + path, "insert 10 100 5", "open " + unchanged, "new", "insert 0 77 8"};
        if (boxUp)
            steps << QStringLiteral("box");
        CProcessRun run(work.path(), steps, {}, environment);
        QVERIFY2(run.WaitFor(boxUp ? "begin 5" : "idle"), run.Process.readAllStandardError().constData());
        QCOMPARE(Records(work.path()).size(), 3);
        if (boxUp)
            QThread::msleep(300);
        if (end == 0) {
            display.kill();
            display.waitForFinished();
            QVERIFY(run.Process.waitForFinished(60000));
            QCOMPARE(run.Process.exitStatus(), QProcess::NormalExit);
            QCOMPARE(run.Process.exitCode(), 1);
        } else {
            run.Signal(end);
            // Ended by the signal itself, as its own action would end it.
            QCOMPARE(run.EndingSignal(), end);
        }
        // An end the program sees keeps only the documents with changes.
        QCOMPARE(Records(work.path()).size(), end == SIGKILL ? 3 : 2);
        QCOMPARE(FilesIn(work.path()).size(), 2 * Records(work.path()).size());
    }
    const QByteArray edited = original.left(10) + Pattern(100, 5) + original.mid(10);
    const QByteArray outside = Pattern(10, 11);
    if (outcome == QLatin1String("changed-outside"))
        WriteFile(path, outside);
    const QString canonical = QFileInfo(path).canonicalFilePath();
    {
        // Discarding asks once more.
        CRestart restart(work.path(), key, {IDYES});
        QCOMPARE(restart.Asked, 1);
        QCOMPARE(restart.Listed, (QStringList{canonical, "Bytelon1 (never saved)"}));
        CBytelonDoc* pFirst = restart.Document(0);
        CBytelonDoc* pNew = restart.Document(1);
        if (outcome == QLatin1String("recovered") || outcome == QLatin1String("changed-outside")) {
            QVERIFY(pFirst && pNew && !restart.Document(2));
            QCOMPARE(CProgram::WorkFileBytes(pFirst), edited);
            QCOMPARE(pFirst->DocLen, int(edited.size()));
            QCOMPARE(pFirst->GetTitle(), canonical);
            QCOMPARE(pFirst->GetPathName(), canonical);
            QCOMPARE(CProgram::WorkFileBytes(pNew), Pattern(77, 8));
            QVERIFY(pNew->GetPathName().isEmpty());
            QVERIFY(pFirst->IsModified() && pNew->IsModified());
            if (outcome == QLatin1String("changed-outside")) {
                // Save asks before writing over the other program's bytes; No keeps them.
                restart.Program.Messages.Answers = {IDNO};
                QVERIFY(!pFirst->DoFileSave());
                QVERIFY(restart.Program.Messages.Texts.last().startsWith(canonical + " has been changed"));
                QCOMPARE(FileBytes(path), outside);
                restart.Program.Messages.Answers = {IDYES};
            }
            // Saved, the document is the user's file again.
            QVERIFY(pFirst->DoFileSave());
            QCOMPARE(FileBytes(path), edited);
            QCOMPARE(pFirst->GetTitle(), DataName);
        } else {
            QVERIFY(!pFirst);
        }
        // The document without changes went without a question.
        QCOMPARE(Records(work.path()).size(), outcome == QLatin1String("discarded") ? 0 : 2);
        restart.CloseAll();
    }
    QCOMPARE(FilesIn(data.path()), (QStringList{DataName, QStringLiteral("unchanged.bin")}));
    QCOMPARE(FileBytes(unchanged), Pattern(3000, 9));
    if (outcome == QLatin1String("kept")) {
        // The next start asks again, and offers the same.
        QCOMPARE(FileBytes(path), original);
        CRestart again(work.path());
        QCOMPARE(again.Asked, 1);
        QVERIFY(again.Document(1) && !again.Document(2));
        QCOMPARE(CProgram::WorkFileBytes(again.Document(0)), edited);
        again.CloseAll();
    }
    QVERIFY(FilesIn(work.path()).isEmpty());
}

void tst_recovery::leftBehind_data()
{
    // What a program that ended without closing a document of 1000 bytes
    // left in the work folder: the work file, its tail file and Replace All's
    // result file ("-" for none), the record's edit line, something else
    // about the record, and what the next start must give back ("-": nothing,
    // and nothing asked).
    QTest::addColumn<QByteArray>("work");
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<QByteArray>("pass");
    QTest::addColumn<QByteArray>("edit");
    QTest::addColumn<QString>("record");  // "unmodified", "save-temporary", "garbage", "other-user" or ""
    QTest::addColumn<QByteArray>("recovered");
    const QByteArray d = Pattern(1000, 1);
    const QByteArray fresh = Pattern(300, 2);
    const QByteArray none = "-";
    // Inserting 300 bytes at 100, in place of 50.
    const QByteArray inserted = d.left(100) + fresh + d.mid(150);
    const QByteArray restore = "restore 100 1000";
    QTest::newRow("insertion-killed-writing-the-new-bytes")
        << d.left(100) + fresh.left(120) + d.mid(220) << d.mid(100) << none << restore << "" << d;
    QTest::newRow("insertion-killed-putting-the-tail-back")
        << inserted.left(700) + d.mid(700) << d.mid(100) << none << restore << "" << d;
    QTest::newRow("insertion-killed-after-the-tail-went-back") << inserted << d.mid(100) << none << restore << "" << d;
    QTest::newRow("appending-killed-part-way")
        << d + fresh.left(9) << none << none << QByteArray("restore 1000 1000") << "" << d;
    QTest::newRow("edit-ended-tail-already-gone") << inserted << none << none << restore << "" << inserted;
    QTest::newRow("tail-saved-part-way-before-the-edit-was-named")
        << d << d.mid(100, 77) << none << QByteArray() << "" << d;
    // Deleting 600 bytes at 300: the 100 after them move down in place.
    const QByteArray deleted = d.left(300) + d.mid(900);
    const QByteArray move = "move 300 600 100";
    QTest::newRow("deletion-in-place-killed-mid-move")
        << d.left(300) + d.mid(900, 40) + d.mid(340) << d.mid(300, 100) << none << move << "" << deleted;
    QTest::newRow("deletion-in-place-killed-before-shortening")
        << deleted + d.mid(400) << d.mid(300, 100) << none << move << "" << deleted;
    QTest::newRow("deletion-in-place-killed-after-shortening")
        << deleted << d.mid(300, 100) << none << move << "" << deleted;
    QTest::newRow("replace-all-killed-before-its-rename") << d << none << fresh << QByteArray() << "" << d;
    QTest::newRow("replace-all-killed-after-its-rename") << fresh << none << d << QByteArray() << "" << fresh;
    QTest::newRow("tail-and-replace-all-files-between-edits") << d << Pattern(10) << Pattern(20) << QByteArray() << ""
                                                              << d;
    QTest::newRow("save-temporary-beside-the-file-removed") << d << none << none << QByteArray() << "save-temporary"
                                                            << d;
    QTest::newRow("unmodified-document-removed-silently") << d << d << fresh << restore << "unmodified" << none;
    QTest::newRow("record-without-its-work-file") << none << none << none << QByteArray() << "" << none;
    QTest::newRow("record-never-finished") << d << none << none << QByteArray() << "garbage" << none;
    QTest::newRow("another-user's-record-untouched") << d << none << none << QByteArray() << "other-user" << none;
}

void tst_recovery::leftBehind()
{
    QFETCH(QByteArray, work);
    QFETCH(QByteArray, tail);
    QFETCH(QByteArray, pass);
    QFETCH(QByteArray, edit);
    QFETCH(QString, record);
    QFETCH(QByteArray, recovered);
    if (record == QLatin1String("other-user") && ::geteuid() != 0)
        QSKIP("giving a file to another user takes root");
    QTemporaryDir folder;
    const QString data = folder.path() + "/" + DataName;
    const QString temporary = folder.path() + QStringLiteral("/.data.bin.Ab12Cd");
    WriteFile(data, Pattern(1000, 1));
    {
        // The record as the ended program left it, its lock free.
        CRecordFile file;
        CRecordState state;
        state.Path = data;
        state.Title = DataName;
        state.Modified = record != QLatin1String("unmodified");
        state.ProcessId = 1;
        QVERIFY(file.Create(folder.path(), QStringLiteral("BYT"), QStringLiteral(".record"), state.ToText()));
        const QString base = file.Path().chopped(7);
        state.WorkName = QFileInfo(base).fileName();
        state.PassName = pass != "-" ? state.WorkName + ".pass" : QString();
        if (record == QLatin1String("save-temporary")) {
            WriteFile(temporary, Pattern(7000));
            state.Save.Target = data;
            state.Save.Temp = temporary;
        }
        QVERIFY(file.Write(state.ToText() + (edit.isEmpty() ? QByteArray() : "edit " + edit + "\n")));
        for (const auto& [suffix, bytes] : {std::pair("", work), std::pair(".tail", tail), std::pair(".pass", pass)}) {
            if (bytes != "-")
                WriteFile(base + suffix, bytes);
        }
        if (record == QLatin1String("garbage"))
            WriteFile(file.Path(), QByteArray(65536, '\0'));
        if (record == QLatin1String("other-user"))
            QVERIFY(::chown(QFile::encodeName(file.Path()).constData(), 65534, 65534) == 0);
    }
    CRestart restart(folder.path());
    QCOMPARE(restart.Asked, recovered == "-" ? 0 : 1);
    QCOMPARE(restart.Only(), recovered == "-" ? QByteArray("<none>") : recovered);
    if (recovered != "-") {
        QCOMPARE(restart.Document(0)->DocLen, int(recovered.size()));
        // Only the work file and its record are left.
        QCOMPARE(FilesIn(folder.path()).size(), 3);
    }
    restart.CloseAll();
    QCOMPARE(FilesIn(folder.path()).size(), record == QLatin1String("other-user") ? 3 : 1);
    QCOMPARE(FileBytes(data), Pattern(1000, 1));
}

void tst_recovery::secondProgram_data()
{
    QTest::addColumn<QString>("answer");  // how the question is answered
    QTest::addColumn<bool>("opened");
    QTest::newRow("no-leaves-it-to-the-other") << "no" << false;
    QTest::newRow("escape-on-the-real-box-is-no") << "escape" << false;
    QTest::newRow("yes-opens-it-again") << "yes" << true;
    QTest::newRow("killed-program-asks-nothing-and-its-files-go") << "killed" << true;
}

void tst_recovery::secondProgram()
{
    QFETCH(QString, answer);
    QFETCH(bool, opened);
    QTemporaryDir work;
    QTemporaryDir data;
    const QString path = data.path() + "/" + DataName;
    WriteFile(path, Pattern(4000));
    CProcessRun other(work.path(), QStringList(), QStringList{path});
    QVERIFY(other.WaitForRecords(work.path(), 1));
    const qint64 otherProcess = other.Process.processId();
    if (answer == QLatin1String("killed")) {
        other.Process.kill();
        QVERIFY(other.Process.waitForFinished());
    }
    const QStringList othersFiles = FilesIn(work.path());
    CEnvironmentGuard folder("TMPDIR", work.path());
    CProgram program;
    // A running program's files stay; a killed one's unmodified document goes
    // without a question.
    QCOMPARE(FilesIn(work.path()), answer == QLatin1String("killed") ? QStringList() : othersFiles);
    program.Messages.Answers = {answer == QLatin1String("yes") ? IDYES : IDNO};
    if (answer == QLatin1String("escape")) {
        AfxSetMessageBoxService(nullptr);
        AfxShowBoxesWithoutScreen(true);
        WhenModal([&](QWidget* pBox) {
            program.Messages.Texts << pBox->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text();
            QTest::keyClick(pBox, Qt::Key_Escape);
        });
    }
    // Through another name of it: the same file.
    const QString link = data.path() + QStringLiteral("/link.bin");
    QVERIFY(::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()) == 0);
    CBytelonDoc* pDocument = program.Open(link);
    AfxShowBoxesWithoutScreen(false);
    AfxSetMessageBoxService(&program.Messages);
    QCOMPARE(pDocument != nullptr, opened);
    QCOMPARE(int(program.Documents().size()), opened ? 1 : 0);
    const QString question = QStringLiteral("%1 is open in another BYTELON (process %2).\nOpen it here as well? "
                                            "Whichever saves it last replaces the other's changes.");
    QCOMPARE(program.Messages.Texts,
             answer == QLatin1String("killed") ? QStringList() : QStringList{question.arg(link).arg(otherProcess)});
}

void tst_recovery::randomKillSweep()
{
    // The program ended at a random instant of a run of edits of each kind,
    // mostly by SIGKILL, sometimes by SIGTERM or SIGHUP; the next start must
    // give back the document as it was before or after the edit under way,
    // the file on disk as it was saved, and leave nothing behind.
    const CRandomRuns runs = RandomRuns(20270301, 24, 6);
    QTemporaryDir data;
    const QString path = data.path() + "/" + DataName;
    // Ends and outcomes by signal, and the failures met.
    QMap<QString, int> ends, outcomes;
    QStringList failures;
    // How long a step of each kind took when it ran to its end, in microseconds.
    QMap<QString, std::vector<qint64>> durations;
    qint64 readyMs = 1000;
    for (int run = 0; run < runs.Seeds; ++run) {
        const unsigned seed = runs.FirstSeed + unsigned(run);
        std::mt19937 random(seed);
        const CSweepScript script = MakeSweepScript(random, 3 << 20, runs.Steps, path);
        WriteFile(path, script.Documents.front());
        QTemporaryDir work;
        // Mostly while one step runs, picked at random, some while the
        // program starts and loads the file.
        const bool duringStart = random() % 8 == 0;
        const int target = 1 + int(random() % unsigned(runs.Steps));
        const int signalNumber = std::array{SIGKILL, SIGKILL, SIGKILL, SIGKILL, SIGKILL, SIGKILL, SIGTERM,
                                            SIGHUP}[random() % 8];
        QMap<QString, QString> environment;
        if (!duringStart)
            environment[QStringLiteral("BYTELON_PAUSE_AT")] = QString::number(target);
        CProcessRun program(work.path(), script.Steps, {}, environment);
        auto where = [&](const QString& what) {
            return QStringLiteral("seed %1, signal %2: %3").arg(seed).arg(signalNumber).arg(what);
        };
        qint64 killAt = 0;
        if (duringStart) {
            killAt = qint64(random() % qint64(readyMs));
            (void)Until([&] { return program.Clock.elapsed() >= killAt || !program.Running(); });
        } else {
            QVERIFY2(program.WaitFor("ready") && program.WaitFor("begin " + QByteArray::number(target))
                         && program.WaitStopped(),
                     qPrintable(where("the script did not run: " + program.Process.readAllStandardError())));
            readyMs = std::max<qint64>(program.Clock.elapsed(), 50);
            // Stopped as the step begins: the kill comes at a random instant
            // of as long as a step of its kind takes.
            std::vector<qint64> taken = durations[script.Kinds[target - 1]];
            std::sort(taken.begin(), taken.end());
            killAt = qint64(random() % qint64((taken.empty() ? 20000 : taken[taken.size() / 2]) * 3 / 2 + 1));
            QElapsedTimer running;
            program.Signal(SIGCONT);
            running.start();
            while (running.nsecsElapsed() / 1000 < killAt)
                ;
        }
        program.Signal(signalNumber);
        const int endedBy = program.EndingSignal();
        // The last step begun, and whether it ended.
        int begun = -1;
        bool ended = false;
        for (const QByteArray& line : program.Progress()) {
            const QList<QByteArray> words = line.split(' ');
            if (words[0] == "begin") {
                begun = words.value(1).toInt();
                ended = false;
            } else if (words[0] == "end") {
                ended = true;
                durations[script.Kinds.value(begun - 1)].push_back(words.value(2).toLongLong());
            }
        }
        const QString kind = begun < 0 ? QStringLiteral("start") : ended ? QStringLiteral("between steps")
                                                                          : script.Kinds[begun - 1];
        const QString signalName = QString::fromLatin1(signalNumber == SIGKILL   ? "SIGKILL"
                                                       : signalNumber == SIGTERM ? "SIGTERM"
                                                                                 : "SIGHUP");
        ++ends[signalName + ' ' + kind];
        // Step k (1-based) leaves state k; the state before step 1 is 0.
        const int last = std::max(begun, 0);
        const int earliest = begun < 0 || ended ? last : last - 1;
        const QString at = where(QStringLiteral("ended %1 us into step %2 (%3)").arg(killAt).arg(begun).arg(kind));

        CRestart restart(work.path());
        CBytelonDoc* pDocument = restart.Document(0);
        const QByteArray file = FileBytes(path);
        const QByteArray given = pDocument ? CProgram::WorkFileBytes(pDocument) : file;
        QString outcome = QStringLiteral("mismatch");
        for (int state = earliest; state <= last; ++state) {
            if (given == script.Documents[std::size_t(state)])
                outcome = QString::fromLatin1(earliest == last ? "between steps" : state == last ? "after" : "before");
        }
        ++outcomes[signalName + ' ' + outcome];
        if (outcome == QLatin1String("mismatch"))
            failures << at + QStringLiteral(": the document given back is neither before nor after (%1 bytes)")
                                 .arg(given.size());
        if (std::none_of(script.Files.begin() + earliest, script.Files.begin() + last + 1,
                         [&](const QByteArray& saved) { return saved == file; }))
            failures << at + QStringLiteral(": the file is no saved version");
        if (endedBy != signalNumber)
            failures << at + QStringLiteral(": not ended by the signal (%1)").arg(endedBy);
        if (pDocument && (!pDocument->IsModified() || pDocument->GetTitle() != QFileInfo(path).canonicalFilePath()
                          || restart.Document(1)))
            failures << at + QStringLiteral(": not offered as one modified document titled with its path");
        restart.CloseAll();
        if (!FilesIn(work.path()).isEmpty() || FilesIn(data.path()) != QStringList{DataName})
            failures << at + QStringLiteral(": left behind: ") + (FilesIn(work.path()) + FilesIn(data.path())).join(' ');
    }
    auto list = [](const QMap<QString, int>& counts) {
        QStringList items;
        for (auto it = counts.begin(); it != counts.end(); ++it)
            items << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
        return items.join(QStringLiteral(", "));
    };
    qInfo("kill sweep: %d ends of %d-step runs; by signal and what was under way: %s; given back: %s", runs.Seeds,
          runs.Steps, qPrintable(list(ends)), qPrintable(list(outcomes)));
    QVERIFY2(failures.isEmpty(), qPrintable(failures.mid(0, 5).join(QLatin1Char('\n'))));
}

QTEST_MAIN(tst_recovery)
#include "tst_recovery.moc"
