// Documents that outlive their program: the work folder, the record each
// document keeps, the ends that are not Exit (signals, a lost display, a
// kill at any instant), the question at the next start, the clean-up of
// what is left behind, and two programs on one file. The program runs as a
// process of its own (the scripted executable, built from the same code as
// bytelon, or bytelon itself) where it is to be killed or signalled; the
// start after that runs here, answered by keys on the real dialog.

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/RecoveryDlg.h"
#include "doc/BytelonDoc.h"
#include "doc/Orphans.h"
#include "doc/RecordState.h"
#include "framework/RecordFile.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>

#include <csignal>
#include <random>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace {

constexpr long TmpfsMagic = 0x01021994;
const QString DataName = QStringLiteral("data.bin");

// Every file in folder, hidden ones too.
QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

QStringList Records(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.record")}, QDir::Files, QDir::Name);
}

// The program as a process of its own, on a work folder shared with the
// start that follows it here.
class CProcessRun {
public:
    // steps: the script of the scripted executable; empty runs bytelon
    // itself with arguments.
    CProcessRun(const QString& workFolder, const QStringList& steps, const QStringList& arguments = {},
                const QMap<QString, QString>& environment = {})
        : ProgressPath(Folder.path() + QStringLiteral("/progress"))
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TMPDIR"), workFolder);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), Folder.path() + QStringLiteral("/config"));
        env.insert(QStringLiteral("BYTELON_PROGRESS"), ProgressPath);
        const QString script = Folder.path() + QStringLiteral("/script");
        WriteFile(script, steps.join(QLatin1Char('\n')).toUtf8());
        env.insert(QStringLiteral("BYTELON_SCRIPT"), script);
        for (auto it = environment.begin(); it != environment.end(); ++it) {
            if (it.value().isEmpty())
                env.remove(it.key());
            else
                env.insert(it.key(), it.value());
        }
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
        if (Process.state() != QProcess::NotRunning) {
            Process.kill();
            Process.waitForFinished();
        }
    }

    [[nodiscard]] QList<QByteArray> Progress() const
    {
        QFile file(ProgressPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray>();
    }
    // Waits until the progress file holds line, or the process has ended.
    bool WaitFor(const QByteArray& line, int timeoutMs = 60000)
    {
        QElapsedTimer waited;
        waited.start();
        while (!Progress().contains(line)) {
            if (Process.state() == QProcess::NotRunning || waited.elapsed() > timeoutMs)
                return false;
            QThread::msleep(2);
        }
        return true;
    }
    // Waits until the record of a document exists in folder.
    bool WaitForRecords(const QString& folder, int count, int timeoutMs = 60000)
    {
        QElapsedTimer waited;
        waited.start();
        while (Records(folder).size() < count) {
            if (Process.state() == QProcess::NotRunning || waited.elapsed() > timeoutMs)
                return false;
            QThread::msleep(2);
        }
        // The record exists before the document is loaded into its work file.
        QThread::msleep(200);
        return true;
    }
    void Signal(int signalNumber) { ::kill(pid_t(Process.processId()), signalNumber); }
    // Waits until the process has stopped itself.
    bool WaitStopped(int timeoutMs = 60000)
    {
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(Process.processId()));
            if (!stat.open(QIODevice::ReadOnly))
                return false;
            const QByteArray text = stat.readAll();
            // The state follows the command's name in parentheses.
            if (text.mid(text.lastIndexOf(')') + 2, 1) == "T")
                return true;
            if (waited.elapsed() > timeoutMs)
                return false;
            QThread::usleep(100);
        }
    }
    // The signal that ended the process, or -1 when it ended by itself or did not end.
    int EndingSignal(int timeoutMs = 60000)
    {
        if (!Process.waitForFinished(timeoutMs))
            return -1;
        return Process.exitStatus() == QProcess::CrashExit ? Process.exitCode() : -1;
    }

    QTemporaryDir Folder;
    QString ProgressPath;
    QProcess Process;
    QElapsedTimer Clock;
};

// Answers the recovery question with a key on the real dialog, if it is
// asked while this lives.
class CRecoveryAnswer : public QObject {
public:
    explicit CRecoveryAnswer(int key) : Key(QKeyCombination::fromCombined(key))
    {
        AfxShowBoxesWithoutScreen(true);
        connect(&Timer, &QTimer::timeout, this, [this] {
            auto* pDialog = qobject_cast<CRecoveryDlg*>(QApplication::activeModalWidget());
            if (!pDialog)
                return;
            // Keys reach the active window, as a keyboard's do.
            if (QApplication::activeWindow() != pDialog && ++Waited < 50) {
                pDialog->activateWindow();
                return;
            }
            Timer.stop();
            auto* pList = pDialog->GetDlgItemAs<QTreeWidget>(IDC_RECOVERY_LIST);
            for (int i = 0; pList && i < pList->topLevelItemCount(); ++i)
                Listed << pList->topLevelItem(i)->text(0);
            ++Asked;
            QTest::keyClick(pDialog, Key.key(), Key.keyboardModifiers());
            // A key that does not answer fails the test rather than hang it.
            QTimer::singleShot(3000, this, [this, pDialog = QPointer<CRecoveryDlg>(pDialog)] {
                if (pDialog && pDialog->isVisible()) {
                    Unanswered = true;
                    pDialog->EndDialog(IDCANCEL);
                }
            });
        });
        Timer.start(5);
    }
    ~CRecoveryAnswer() override { AfxShowBoxesWithoutScreen(false); }

    int Asked = 0;
    bool Unanswered = false;
    QStringList Listed;

private:
    QKeyCombination Key;
    QTimer Timer;
    int Waited = 0;
};

// A start of the program here on the work folder, answering the recovery
// question with key if it is asked.
struct CRestart {
    // answers: those of the message boxes the start shows.
    explicit CRestart(const QString& workFolder, int key = Qt::Key_Return, std::deque<int> answers = {})
        : WorkFolder("TMPDIR", workFolder), Program(10, false)
    {
        Program.Messages.Answers = std::move(answers);
        CRecoveryAnswer answer(key);
        Program.Start();
        Asked = answer.Unanswered ? -1 : answer.Asked;
        Listed = answer.Listed;
    }
    // Closes every document without saving.
    void CloseAll()
    {
        for (std::size_t i = 0; i < Program.Documents().size(); ++i)
            Program.Messages.Answers.push_back(IDNO);
        Program.Exit();
    }
    [[nodiscard]] std::vector<CBytelonDoc*> Documents() const
    {
        std::vector<CBytelonDoc*> documents;
        for (CDocument* pDocument : Program.Documents())
            documents.push_back(static_cast<CBytelonDoc*>(pDocument));
        return documents;
    }

    CEnvironmentGuard WorkFolder;
    CProgram Program;
    int Asked = 0;
    QStringList Listed;
};

// The bytes of the only recovered document, or "<none>".
QByteArray OnlyDocument(const CRestart& restart)
{
    const auto documents = restart.Documents();
    return documents.size() == 1 ? CProgram::WorkFileBytes(documents.front()) : QByteArray("<none>");
}

// A modified document whose record stays for recovery: the scripted program
// makes one from original (an insertion of 100 bytes at 10) and is killed.
QByteArray LeaveModifiedDocument(const QString& workFolder, const QString& path, const QByteArray& original)
{
    WriteFile(path, original);
    CProcessRun run(workFolder, {QStringLiteral("open ") + path, QStringLiteral("insert 10 100 5")});
    if (!run.WaitFor("idle"))
        return QByteArray();
    run.Process.kill();
    run.Process.waitForFinished();
    return original.left(10) + Pattern(100, 5) + original.mid(10);
}

// The kill sweep's model: the script and, after each step, the document, the
// file on disk and whether there are unsaved changes.
struct CSweepScript {
    QStringList Steps;
    QStringList Kinds;
    std::vector<QByteArray> Documents;
    std::vector<QByteArray> Files;
};

QByteArray Fold(QByteArray bytes)
{
    for (char& c : bytes) {
        if (c >= 'A' && c <= 'Z')
            c = char(c + ('a' - 'A'));
    }
    return bytes;
}

QString HexText(const QByteArray& bytes)
{
    // The player turns dots into the blanks between hex cells.
    return QString::fromLatin1(bytes.toHex('.')).toUpper();
}

CSweepScript MakeSweepScript(std::mt19937& random, int size, int steps, const QString& path)
{
    CSweepScript script;
    QByteArray document = Pattern(size, int(random() % 251));
    script.Steps << QStringLiteral("open ") + path;
    script.Documents.push_back(document);
    script.Files.push_back(document);
    QStringList kinds = {QStringLiteral("insert"), QStringLiteral("delete"), QStringLiteral("paste"),
                         QStringLiteral("replaceall"), QStringLiteral("save")};
    std::shuffle(kinds.begin(), kinds.end(), random);
    auto pick = [&random](int below) { return below <= 0 ? 0 : int(random() % unsigned(below)); };
    for (int i = 0; i < steps; ++i) {
        const QString kind = i < kinds.size() ? kinds[i] : kinds[pick(int(kinds.size()))];
        const int length = int(document.size());
        QString step;
        if (kind == QLatin1String("insert")) {
            const int count = 1 + pick(4096);
            const int seed = pick(1000);
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
            const int at = pick(length / 2);
            const int replaced = 1 + pick(5000);
            const int count = 1 + pick(70000);
            const int seed = pick(1000);
            document.replace(at, replaced, Pattern(count, seed));
            step = QStringLiteral("paste %1 %2 %3 %4").arg(at).arg(replaced).arg(count).arg(seed);
        } else if (kind == QLatin1String("replaceall")) {
            // Two bytes of the document, found all through it (letters in
            // either case, as the dialog ignores case at first).
            const QByteArray find = document.mid(pick(length - 2), 2);
            const QByteArray with = Pattern(1 + pick(3), pick(1000));
            const QByteArray folded = Fold(find);
            const QByteArray foldedDocument = Fold(document);
            QByteArray result;
            int from = 0;
            for (int k; (k = int(foldedDocument.indexOf(folded, from))) >= 0; from = k + 2)
                result += document.mid(from, k - from) + with;
            document = result + document.mid(from);
            step = QStringLiteral("replaceall %1 %2").arg(HexText(find), HexText(with));
        } else {
            step = QStringLiteral("save");
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
    void recoveryQuestion_data();
    void recoveryQuestion();
    void interruptedEditsRepaired_data();
    void interruptedEditsRepaired();
    void endSignals_data();
    void endSignals();
    void lostDisplay();
    void leftoversCleaned_data();
    void leftoversCleaned();
    void secondProgram_data();
    void secondProgram();
    void randomKillSweep();
};

void tst_recovery::workFolder_data()
{
    QTest::addColumn<QString>("tmpDir");  // "set", or unset
    QTest::addColumn<QString>("stateHome");  // "absolute", "relative" or none
    QTest::addColumn<int>("existingMode");  // of a folder made before, 0 for none
    QTest::newRow("tmpdir-set-is-kept") << "set" << "absolute" << 0;
    QTest::newRow("tmpdir-unset-state-home") << "" << "absolute" << 0;
    QTest::newRow("tmpdir-unset-default-under-home") << "" << "" << 0;
    QTest::newRow("relative-state-home-ignored") << "" << "relative" << 0;
    QTest::newRow("open-folder-made-private") << "" << "absolute" << 0755;
}

void tst_recovery::workFolder()
{
    QFETCH(QString, tmpDir);
    QFETCH(QString, stateHome);
    QFETCH(int, existingMode);
    // On disk, as a home folder is: beside the tests, not in /tmp.
    QTemporaryDir home(QDir::currentPath() + QStringLiteral("/home-XXXXXX"));
    QTemporaryDir chosen;
    CProgram program(10, false);
    CEnvironmentGuard homeGuard("HOME", home.path());
    CEnvironmentGuard tmpGuard("TMPDIR", tmpDir.isEmpty() ? QString() : chosen.path());
    const QString state = home.path() + QStringLiteral("/state");
    CEnvironmentGuard stateGuard("XDG_STATE_HOME", stateHome == QLatin1String("absolute")   ? state
                                                   : stateHome == QLatin1String("relative") ? QStringLiteral("state")
                                                                                            : QString());
    const QString expected = !tmpDir.isEmpty()                          ? chosen.path()
                             : stateHome == QLatin1String("absolute") ? state + QStringLiteral("/Corvane Systems/BYTELON")
                                                                      : home.path() + QStringLiteral("/.local/state/Corvane Systems/BYTELON");
    if (existingMode != 0)
        QVERIFY(QDir().mkpath(expected) && ::chmod(QFile::encodeName(expected).constData(), mode_t(existingMode)) == 0);
    QVERIFY(program.Start());
    CBytelonView* pView = program.OpenBytes("abc");
    QVERIFY(pView);
    const QFileInfo work(pView->GetDocument()->WorkFileName);
    QCOMPARE(work.absolutePath(), expected);
    QVERIFY(work.fileName().startsWith(QLatin1String("BYT")));
    QCOMPARE(Records(expected), QStringList{work.fileName() + QStringLiteral(".record")});
    if (tmpDir.isEmpty()) {
        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(expected).constData(), &st) == 0);
        QCOMPARE(int(st.st_mode & 0777), 0700);
        // Not the system's temporary folder, which is often memory.
        QVERIFY(!expected.startsWith(QDir::tempPath() + QLatin1Char('/')));
        struct statfs fs {};
        QVERIFY(::statfs(QFile::encodeName(expected).constData(), &fs) == 0);
        QVERIFY(long(fs.f_type) != TmpfsMagic);
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
        return text ? CRecordState::FromText(*text) : std::nullopt;
    };
    QVERIFY(state());
    QCOMPARE(state()->Path, QFileInfo(program.Dir() + "/" + DataName).canonicalFilePath());
    QCOMPARE(state()->ProcessId, long(::getpid()));
    QVERIFY(!state()->BootId.isEmpty());
    QVERIFY(!state()->Modified);
    QVERIFY(state()->Identity == CFileIdentity::Of(program.Dir() + "/" + DataName));
    // Every edit leaves it naming no edit and no tail file, and modified.
    QVERIFY(pView->ReplaceSelectionWithString("xyz", 3));
    QVERIFY(state()->Modified);
    QCOMPARE(state()->Edit, CRecordState::EEdit::None);
    QVERIFY(state()->TailName.isEmpty());
    QCOMPARE(state()->Length, 5003);
    SelectBytes(pView, 10, 4000);
    bool deleted = false;
    WithPreparedDC(pView, [&](CDC* pDC) { deleted = pView->DeleteTheSelection(pDC); });
    QVERIFY(deleted);
    QCOMPARE(state()->Edit, CRecordState::EEdit::None);
    QCOMPARE(temp.Files(), (QStringList{QFileInfo(pDocument->WorkFileName).fileName(),
                                        QFileInfo(pDocument->WorkFileName).fileName() + ".record"}));
    // Saved under another name: the new path, its identity, no changes.
    const QString other = program.Dir() + QStringLiteral("/other.bin");
    program.FileDialogs.Paths.push_back(other);
    pDocument->OnFileSaveAs();
    QCOMPARE(state()->Path, QFileInfo(other).canonicalFilePath());
    QVERIFY(!state()->Modified);
    QVERIFY(state()->Identity == CFileIdentity::Of(other));
    // A record that cannot be written keeps an edit from starting.
    CRecordFile::SetWriteFault([](const QString&) { return true; });
    const bool inserted = pView->ReplaceSelectionWithString("q", 1);
    CRecordFile::SetWriteFault(nullptr);
    QVERIFY(!inserted);
    QVERIFY(program.Messages.Texts.last().startsWith(QLatin1String("Disk full")));
    QCOMPARE(CProgram::WorkFileBytes(pDocument), FileBytes(other));
    QVERIFY(!pDocument->IsModified());
    program.Exit();
    QVERIFY(temp.Files().isEmpty());
}

void tst_recovery::recoveryQuestion_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("outcome");  // recovered, kept or discarded
    QTest::newRow("return-recovers-every-document") << int(Qt::Key_Return) << "recovered";
    QTest::newRow("escape-decides-later") << int(Qt::Key_Escape) << "kept";
    QTest::newRow("discard-deletes-everything") << (Qt::ALT | Qt::Key_D).toCombined() << "discarded";
}

void tst_recovery::recoveryQuestion()
{
    QFETCH(int, key);
    QFETCH(QString, outcome);
    QTemporaryDir work;
    QTemporaryDir data;
    const QString path = data.path() + "/" + DataName;
    const QString unchanged = data.path() + QStringLiteral("/unchanged.bin");
    WriteFile(unchanged, Pattern(3000, 9));
    // One document with changes, one without, and a new one never saved.
    const QByteArray original = Pattern(200000, 3);
    WriteFile(path, original);
    CProcessRun run(work.path(), {QStringLiteral("open ") + path, QStringLiteral("insert 10 100 5"),
                                  QStringLiteral("open ") + unchanged, QStringLiteral("new"),
                                  QStringLiteral("insert 0 77 8")});
    QVERIFY(run.WaitFor("idle"));
    QCOMPARE(Records(work.path()).size(), 3);
    run.Process.kill();
    QVERIFY(run.Process.waitForFinished());
    const QByteArray edited = original.left(10) + Pattern(100, 5) + original.mid(10);
    {
        // Discarding asks once more.
        CRestart restart(work.path(), key, {IDYES});
        QCOMPARE(restart.Asked, 1);
        QCOMPARE(restart.Listed, (QStringList{QFileInfo(path).canonicalFilePath(), "Bytelon1 (never saved)"}));
        const auto documents = restart.Documents();
        if (outcome == QLatin1String("recovered")) {
            QCOMPARE(int(documents.size()), 2);
            QCOMPARE(CProgram::WorkFileBytes(documents[0]), edited);
            QCOMPARE(documents[0]->DocLen, int(edited.size()));
            QCOMPARE(documents[0]->GetTitle(), QFileInfo(path).canonicalFilePath());
            QCOMPARE(documents[0]->GetPathName(), QFileInfo(path).canonicalFilePath());
            QVERIFY(documents[0]->IsModified());
            QCOMPARE(CProgram::WorkFileBytes(documents[1]), Pattern(77, 8));
            QVERIFY(documents[1]->GetPathName().isEmpty());
            QVERIFY(documents[1]->IsModified());
            // Saved, the document is the user's file again.
            QVERIFY(documents[0]->DoFileSave());
            QCOMPARE(FileBytes(path), edited);
            QCOMPARE(documents[0]->GetTitle(), DataName);
        } else {
            QVERIFY(documents.empty());
        }
        // The document without changes went without a question.
        QCOMPARE(Records(work.path()).size(), outcome == QLatin1String("discarded") ? 0 : 2);
        restart.CloseAll();
    }
    QCOMPARE(FilesIn(data.path()), (QStringList{DataName, QStringLiteral("unchanged.bin")}));
    QCOMPARE(FileBytes(unchanged), Pattern(3000, 9));
    if (outcome != QLatin1String("kept")) {
        QVERIFY(FilesIn(work.path()).isEmpty());
        return;
    }
    // Kept: the next start asks again, and offers the same.
    QCOMPARE(FileBytes(path), original);
    CRestart again(work.path());
    QCOMPARE(again.Asked, 1);
    QCOMPARE(int(again.Documents().size()), 2);
    QCOMPARE(CProgram::WorkFileBytes(again.Documents()[0]), edited);
    again.CloseAll();
    QVERIFY(FilesIn(work.path()).isEmpty());
}

void tst_recovery::interruptedEditsRepaired_data()
{
    // A document of 1000 bytes, killed part-way through one edit: the work
    // file as the kill left it, the tail file, what the record says, and
    // what the next start must make of it.
    QTest::addColumn<QByteArray>("work");
    QTest::addColumn<QByteArray>("tail");  // "-" for none
    QTest::addColumn<QByteArray>("pass");  // "-" for none
    QTest::addColumn<QByteArray>("edit");  // the record's edit line, empty for none
    QTest::addColumn<QByteArray>("recovered");
    const QByteArray d = Pattern(1000, 1);
    const QByteArray fresh = Pattern(300, 2);
    // Inserting 300 bytes at 100, in place of 50.
    const QByteArray inserted = d.left(100) + fresh + d.mid(150);
    QTest::newRow("insertion-killed-writing-the-new-bytes")
        << d.left(100) + fresh.left(120) + d.mid(220) << d.mid(100) << QByteArray("-") << QByteArray("restore 100 1000") << d;
    QTest::newRow("insertion-killed-putting-the-tail-back")
        << inserted.left(700) + d.mid(700) << d.mid(100) << QByteArray("-") << QByteArray("restore 100 1000") << d;
    QTest::newRow("insertion-killed-after-the-tail-went-back")
        << inserted << d.mid(100) << QByteArray("-") << QByteArray("restore 100 1000") << d;
    QTest::newRow("appending-killed-part-way") << d + fresh.left(9) << QByteArray("-") << QByteArray("-")
                                               << QByteArray("restore 1000 1000") << d;
    QTest::newRow("edit-ended-tail-already-gone") << inserted << QByteArray("-") << QByteArray("-")
                                                  << QByteArray("restore 100 1000") << inserted;
    QTest::newRow("tail-saved-part-way-before-the-edit-was-named")
        << d << d.mid(100, 77) << QByteArray("-") << QByteArray() << d;
    // Deleting 600 bytes at 300: the 100 after them move down in place.
    const QByteArray deleted = d.left(300) + d.mid(900);
    QTest::newRow("deletion-in-place-killed-mid-move")
        << d.left(300) + d.mid(900, 40) + d.mid(340) << d.mid(300, 100) << QByteArray("-") << QByteArray("move 300 600 100") << deleted;
    QTest::newRow("deletion-in-place-killed-before-shortening")
        << deleted + d.mid(400) << d.mid(300, 100) << QByteArray("-") << QByteArray("move 300 600 100") << deleted;
    QTest::newRow("deletion-in-place-killed-after-shortening")
        << deleted << d.mid(300, 100) << QByteArray("-") << QByteArray("move 300 600 100") << deleted;
    QTest::newRow("replace-all-killed-before-its-rename")
        << d << QByteArray("-") << fresh << QByteArray() << d;
    QTest::newRow("replace-all-killed-after-its-rename")
        << fresh << QByteArray("-") << d << QByteArray() << fresh;
}

void tst_recovery::interruptedEditsRepaired()
{
    QFETCH(QByteArray, work);
    QFETCH(QByteArray, tail);
    QFETCH(QByteArray, pass);
    QFETCH(QByteArray, edit);
    QFETCH(QByteArray, recovered);
    QTemporaryDir folder;
    const QString data = folder.path() + "/" + DataName;
    WriteFile(data, Pattern(1000, 1));
    {
        // The record as the killed program left it, its lock free.
        CRecordFile record;
        CRecordState state;
        state.Path = data;
        state.Title = DataName;
        state.Modified = true;
        state.ProcessId = 1;
        QVERIFY(record.Create(folder.path(), QStringLiteral("BYT"), QStringLiteral(".record"), state.ToText()));
        const QString base = record.Path().chopped(7);
        state.WorkName = QFileInfo(base).fileName();
        QByteArray text = state.ToText();
        if (!edit.isEmpty())
            text += "edit " + edit + "\n";
        QVERIFY(record.Write(text));
        WriteFile(base, work);
        if (tail != "-")
            WriteFile(base + ".tail", tail);
        if (pass != "-")
            WriteFile(base + ".pass", pass);
    }
    CRestart restart(folder.path());
    QCOMPARE(restart.Asked, 1);
    QCOMPARE(OnlyDocument(restart), recovered);
    QCOMPARE(restart.Documents().front()->DocLen, int(recovered.size()));
    // Only the work file and its record are left.
    QCOMPARE(FilesIn(folder.path()).size(), 3);
    restart.CloseAll();
    QCOMPARE(FilesIn(folder.path()), QStringList{DataName});
}

void tst_recovery::endSignals_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<bool>("boxUp");  // a question waits for an answer when the signal comes
    QTest::newRow("sigterm-logout") << int(SIGTERM) << false;
    QTest::newRow("sighup-terminal-closed") << int(SIGHUP) << false;
    QTest::newRow("sigint-ctrl-c") << int(SIGINT) << false;
    QTest::newRow("sigterm-with-a-question-up") << int(SIGTERM) << true;
}

void tst_recovery::endSignals()
{
    QFETCH(int, signalNumber);
    QFETCH(bool, boxUp);
    QTemporaryDir work;
    QTemporaryDir data;
    const QString changed = data.path() + "/" + DataName;
    const QString unchanged = data.path() + QStringLiteral("/unchanged.bin");
    const QByteArray original = Pattern(100000, 4);
    WriteFile(changed, original);
    WriteFile(unchanged, Pattern(500, 6));
    QStringList steps = {QStringLiteral("open ") + unchanged, QStringLiteral("open ") + changed,
                         QStringLiteral("delete 5 20")};
    if (boxUp)
        steps << QStringLiteral("box");
    CProcessRun run(work.path(), steps);
    QVERIFY2(run.WaitFor(boxUp ? "begin 3" : "idle"), run.Progress().join(' ').constData());
    QCOMPARE(Records(work.path()).size(), 2);
    if (boxUp)
        QThread::msleep(300);
    run.Signal(signalNumber);
    // Ended by the signal itself, as its own action would end it.
    QCOMPARE(run.EndingSignal(), signalNumber);
    // The changed document stays, the other is gone.
    QCOMPARE(Records(work.path()).size(), 1);
    QCOMPARE(FilesIn(work.path()).size(), 2);
    CRestart restart(work.path());
    QCOMPARE(restart.Asked, 1);
    QCOMPARE(OnlyDocument(restart), original.left(5) + original.mid(25));
    restart.CloseAll();
    QVERIFY(FilesIn(work.path()).isEmpty());
    QCOMPARE(FileBytes(changed), original);
}

void tst_recovery::lostDisplay()
{
    const QString server = QStringLiteral("/usr/bin/Xvfb");
    if (!QFileInfo::exists(server))
        QSKIP("no Xvfb to lose");
    QTemporaryDir work;
    QTemporaryDir data;
    const QString changed = data.path() + "/" + DataName;
    const QString unchanged = data.path() + QStringLiteral("/unchanged.bin");
    const QByteArray original = Pattern(50000, 7);
    WriteFile(unchanged, Pattern(500, 6));
    // The server picks a free display and names it on its output.
    QProcess display;
    display.start(server, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                           QStringLiteral("tcp")});
    QVERIFY(display.waitForStarted());
    QString number;
    for (int i = 0; i < 200 && !number.endsWith(QLatin1Char('\n')); ++i) {
        display.waitForReadyRead(100);
        number += QString::fromLatin1(display.readAllStandardOutput());
    }
    number = number.trimmed();
    QVERIFY(!number.isEmpty());
    WriteFile(changed, original);
    CProcessRun run(work.path(), {QStringLiteral("open ") + unchanged, QStringLiteral("open ") + changed,
                                  QStringLiteral("insert 0 10 3")},
                    {}, {{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb")},
                         {QStringLiteral("DISPLAY"), QStringLiteral(":") + number},
                         {QStringLiteral("WAYLAND_DISPLAY"), QString()}});
    QVERIFY2(run.WaitFor("idle"), run.Process.readAllStandardError().constData());
    display.kill();
    display.waitForFinished();
    QVERIFY(run.Process.waitForFinished(60000));
    QCOMPARE(run.Process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.Process.exitCode(), 1);
    QCOMPARE(Records(work.path()).size(), 1);
    CRestart restart(work.path());
    QCOMPARE(OnlyDocument(restart), Pattern(10, 3) + original);
    restart.CloseAll();
    QVERIFY(FilesIn(work.path()).isEmpty());
}

void tst_recovery::leftoversCleaned_data()
{
    QTest::addColumn<QString>("leftover");
    QTest::newRow("unchanged-document-of-a-killed-program") << "unchanged";
    QTest::newRow("save-temporary-beside-the-file") << "save-temporary";
    QTest::newRow("record-without-its-work-file") << "no-work-file";
    QTest::newRow("record-never-finished") << "unfinished-record";
    QTest::newRow("tail-and-replace-all-files") << "tail-and-pass";
    QTest::newRow("another-user's-record-untouched") << "other-user";
    QTest::newRow("running-program's-files-untouched") << "running";
}

void tst_recovery::leftoversCleaned()
{
    QFETCH(QString, leftover);
    QTemporaryDir work;
    QTemporaryDir data;
    const QString path = data.path() + "/" + DataName;
    const QByteArray original = Pattern(20000, 2);
    WriteFile(path, original);
    std::unique_ptr<CProcessRun> pRunning;
    QByteArray edited;
    QStringList expectedLeft;  // in the work folder after the next start, decided later
    if (leftover == QLatin1String("unchanged") || leftover == QLatin1String("running")) {
        // bytelon itself, with the file on its command line.
        pRunning = std::make_unique<CProcessRun>(work.path(), QStringList(), QStringList{path});
        QVERIFY(pRunning->WaitForRecords(work.path(), 1));
        if (leftover == QLatin1String("unchanged")) {
            pRunning->Process.kill();
            QVERIFY(pRunning->Process.waitForFinished());
        } else {
            expectedLeft = FilesIn(work.path());
        }
    } else if (leftover == QLatin1String("unfinished-record")) {
        QFile record(work.path() + QStringLiteral("/BYTabc123.record"));
        QVERIFY(record.open(QIODevice::WriteOnly) && record.write(QByteArray(65536, '\0')) == 65536);
        record.close();
        WriteFile(work.path() + QStringLiteral("/BYTabc123"), QByteArray());
    } else {
        edited = LeaveModifiedDocument(work.path(), path, original);
        QVERIFY(!edited.isEmpty());
        const QString record = work.path() + "/" + Records(work.path()).value(0);
        const QString base = record.chopped(7);
        CRecordFile file;
        QCOMPARE(file.Take(record), CRecordFile::ETake::Taken);
        std::optional<CRecordState> state = CRecordState::FromText(file.Read().value_or(QByteArray()));
        QVERIFY(state);
        if (leftover == QLatin1String("save-temporary")) {
            const QString temporary = data.path() + QStringLiteral("/.data.bin.Ab12Cd");
            WriteFile(temporary, Pattern(7000));
            state->Save.Target = path;
            state->Save.Temp = temporary;
            QVERIFY(file.Write(state->ToText()));
            expectedLeft = FilesIn(work.path());
        } else if (leftover == QLatin1String("no-work-file")) {
            QVERIFY(QFile::remove(base));
        } else if (leftover == QLatin1String("tail-and-pass")) {
            expectedLeft = FilesIn(work.path());
            WriteFile(base + ".tail", Pattern(10));
            WriteFile(base + ".pass", Pattern(20));
        } else if (leftover == QLatin1String("other-user")) {
            if (::geteuid() != 0)
                QSKIP("giving a file to another user takes root");
            file.Release();
            QVERIFY(::chown(QFile::encodeName(record).constData(), 65534, 65534) == 0);
            expectedLeft = FilesIn(work.path());
        }
    }
    {
        CRestart restart(work.path(), Qt::Key_Escape);
        const bool offered = leftover == QLatin1String("save-temporary") || leftover == QLatin1String("tail-and-pass");
        QCOMPARE(restart.Asked, offered ? 1 : 0);
        QVERIFY(restart.Documents().empty());
        restart.CloseAll();
    }
    QCOMPARE(FilesIn(work.path()), expectedLeft);
    QCOMPARE(FilesIn(data.path()), QStringList{DataName});
    QCOMPARE(FileBytes(path), original);
}

void tst_recovery::secondProgram_data()
{
    QTest::addColumn<QString>("answer");  // how the question is answered
    QTest::addColumn<bool>("opened");
    QTest::newRow("no-leaves-it-to-the-other") << "no" << false;
    QTest::newRow("escape-on-the-real-box-is-no") << "escape" << false;
    QTest::newRow("yes-opens-it-again") << "yes" << true;
    QTest::newRow("killed-program-asks-nothing") << "killed" << true;
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
    if (answer == QLatin1String("killed")) {
        other.Process.kill();
        QVERIFY(other.Process.waitForFinished());
    }
    CEnvironmentGuard folder("TMPDIR", work.path());
    CProgram program;
    if (answer == QLatin1String("yes"))
        program.Messages.Answers.push_back(IDYES);
    QString shown;
    if (answer == QLatin1String("escape")) {
        AfxSetMessageBoxService(nullptr);
        AfxShowBoxesWithoutScreen(true);
        WhenModal([&](QWidget* pBox) {
            shown = pBox->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text();
            QTest::keyClick(pBox, Qt::Key_Escape);
        });
    }
    // Through another name of it: the same file.
    const QString link = data.path() + QStringLiteral("/link.bin");
    QVERIFY(::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()) == 0);
    CBytelonDoc* pDocument = program.Open(link);
    AfxShowBoxesWithoutScreen(false);
    AfxSetMessageBoxService(&program.Messages);
    if (answer == QLatin1String("escape"))
        program.Messages.Texts << shown;
    QCOMPARE(pDocument != nullptr, opened);
    QCOMPARE(int(program.Documents().size()), opened ? 1 : 0);
    if (answer == QLatin1String("killed")) {
        QVERIFY(program.Messages.Texts.isEmpty());
    } else {
        QCOMPARE(program.Messages.Texts.size(), 1);
        QCOMPARE(program.Messages.Texts[0],
                 QStringLiteral("%1 is open in another BYTELON (process %2).\nOpen it here as well? Whichever saves "
                                "it last replaces the other's changes.")
                     .arg(link)
                     .arg(other.Process.processId()));
    }
}

void tst_recovery::randomKillSweep()
{
    // A kill at a random instant of a run of edits of each kind; the next
    // start must give back the document as it was before or after the edit
    // under way, the file on disk as it was saved, and leave nothing behind.
    const CRandomRuns runs = RandomRuns(20270301, 24, 6);
    const int size = 3 << 20;
    QTemporaryDir data;
    const QString path = data.path() + "/" + DataName;
    struct CTally {
        int Kills = 0;
        int Before = 0;  // a step under way: the document as before it
        int After = 0;  // a step under way: as after it
        int Between = 0;  // no step under way
        int Offered = 0;
        int Completed = 0;
        QMap<QString, int> InFlight;
    } tally;
    // How long a step of each kind took when it ran to its end, in microseconds.
    QMap<QString, std::vector<qint64>> durations;
    qint64 readyMs = 1000;
    for (int run = 0; run < runs.Seeds; ++run) {
        const unsigned seed = runs.FirstSeed + unsigned(run);
        std::mt19937 random(seed);
        const CSweepScript script = MakeSweepScript(random, size, runs.Steps, path);
        WriteFile(path, script.Documents.front());
        QTemporaryDir work;
        // Mostly while one step runs, picked at random, some while the
        // program starts and loads the file.
        const bool duringStart = random() % 8 == 0;
        const int target = 1 + int(random() % unsigned(runs.Steps));
        QMap<QString, QString> environment;
        if (!duringStart)
            environment[QStringLiteral("BYTELON_PAUSE_AT")] = QString::number(target);
        qint64 killAt = -1;
        {
            CProcessRun program(work.path(), script.Steps, {}, environment);
            auto started = [&program, seed] {
                return QStringLiteral("seed %1: the program did not run its script (after %2 ms, %3, exit %4): %5")
                    .arg(seed)
                    .arg(program.Clock.elapsed())
                    .arg(program.Process.errorString())
                    .arg(program.Process.exitCode())
                    .arg(QString::fromLocal8Bit(program.Process.readAllStandardError()));
            };
            if (duringStart) {
                killAt = qint64(random() % qint64(readyMs));
                while (program.Clock.elapsed() < killAt && program.Process.state() != QProcess::NotRunning)
                    QThread::usleep(100);
            } else {
                // Stopped as the step begins: the kill comes at a random
                // instant of as long as a step of its kind takes.
                QVERIFY2(program.WaitFor("ready"), qPrintable(started()));
                readyMs = std::max<qint64>(program.Clock.elapsed(), 50);
                QVERIFY2(program.WaitFor("begin " + QByteArray::number(target)) && program.WaitStopped(),
                         qPrintable(started()));
                std::vector<qint64> taken = durations[script.Kinds[target - 1]];
                std::sort(taken.begin(), taken.end());
                const qint64 typical = taken.empty() ? 20000 : taken[taken.size() / 2];
                killAt = qint64(random() % qint64(typical * 3 / 2 + 1));
                QElapsedTimer running;
                program.Signal(SIGCONT);
                running.start();
                while (running.nsecsElapsed() / 1000 < killAt)
                    ;
            }
            program.Process.kill();
            QVERIFY(program.Process.waitForFinished());
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
            const QString where = QStringLiteral("seed %1, killed at %2 (us into the step, ms into the start), step %3%4 (%5)")
                                      .arg(seed)
                                      .arg(killAt)
                                      .arg(begun)
                                      .arg(ended ? " ended" : " under way")
                                      .arg(begun > 0 ? script.Kinds.value(begun - 1) : QStringLiteral("start"));
            // Step k (1-based) leaves state k; the state before step 1 is 0.
            const int last = begun < 0 ? 0 : begun;
            const int earliest = begun < 0 || ended ? last : last - 1;
            ++tally.Kills;
            if (begun > 0 && !ended)
                ++tally.InFlight[script.Kinds[begun - 1]];
            tally.Completed += std::max(ended ? begun : begun - 1, 0);

            CRestart restart(work.path());
            const auto documents = restart.Documents();
            QVERIFY2(documents.size() <= 1, qPrintable(where));
            const QByteArray file = FileBytes(path);
            const QByteArray given = documents.empty() ? file : CProgram::WorkFileBytes(documents.front());
            if (!documents.empty()) {
                ++tally.Offered;
                QVERIFY2(documents.front()->IsModified(), qPrintable(where));
                QCOMPARE(documents.front()->GetTitle(), QFileInfo(path).canonicalFilePath());
            }
            bool matched = false;
            bool fileMatched = false;
            for (int state = last; state >= earliest && !matched; --state) {
                matched = given == script.Documents[std::size_t(state)];
                if (matched)
                    ++(earliest == last ? tally.Between : state == last ? tally.After : tally.Before);
            }
            for (int state = earliest; state <= last; ++state)
                fileMatched = fileMatched || file == script.Files[std::size_t(state)];
            QVERIFY2(matched, qPrintable(where + QStringLiteral(": the document given back is neither before "
                                                                "nor after the step (%1 bytes)")
                                                     .arg(given.size())));
            QVERIFY2(fileMatched, qPrintable(where + QStringLiteral(": the file is no saved version")));
            restart.CloseAll();
            QVERIFY2(FilesIn(work.path()).isEmpty(),
                     qPrintable(where + QStringLiteral(": left behind: ") + FilesIn(work.path()).join(' ')));
            QVERIFY2(FilesIn(data.path()) == QStringList{DataName},
                     qPrintable(where + QStringLiteral(": beside the file: ") + FilesIn(data.path()).join(' ')));
        }
    }
    QStringList inFlight;
    for (auto it = tally.InFlight.begin(); it != tally.InFlight.end(); ++it)
        inFlight << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
    qInfo("kill sweep: %d kills of %d-step runs of edits (%d steps completed before them); killed during: %s; "
          "given back: %d as before the step under way, %d as after it, %d between steps; %d offered as unsaved "
          "documents, the rest found saved",
          tally.Kills, runs.Steps, tally.Completed, qPrintable(inFlight.join(QStringLiteral(", "))), tally.Before,
          tally.After, tally.Between, tally.Offered);
}

QTEST_MAIN(tst_recovery)
#include "tst_recovery.moc"
