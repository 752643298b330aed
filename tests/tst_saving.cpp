// Saving keeps the file it replaces the user's: its owner, group, mode,
// hard links, extended attributes and very name. A file the user may not
// write is refused, another program's changes are not written over unasked,
// and a file written in place is put back when writing it fails.

#include "support/TestSupport.h"

#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

#include <QDir>
#include <QDropEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QTest>
#include <QUrl>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// Permission rows run as an unprivileged user (tests/unprivileged.sh);
// another user's file is saved by root.
enum Runner { Anyone, Root, User };

struct stat Stat(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

QByteArray Attribute(const QString& path, const char* name)
{
    char value[64] = {};
    const ssize_t size = ::getxattr(QFile::encodeName(path).constData(), name, value, sizeof value);
    return size < 0 ? QByteArray("<none>") : QByteArray(value, int(size));
}

// Files by their names' bytes, which the toolkit cannot carry when they are not UTF-8.
void WriteNative(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, bytes.constData(), std::size_t(bytes.size())), ssize_t(bytes.size()));
    ::close(fd);
}

QByteArray ReadNative(const QByteArray& path)
{
    char buffer[64];
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    const ssize_t got = fd < 0 ? -1 : ::read(fd, buffer, sizeof buffer);
    if (fd >= 0)
        ::close(fd);
    return got < 0 ? QByteArray("<unreadable>") : QByteArray(buffer, int(got));
}

// The regular files in a folder, counted by their names' bytes.
int FileCount(const QByteArray& folder)
{
    int count = 0;
    if (DIR* pDir = ::opendir(folder.constData())) {
        while (const dirent* pEntry = ::readdir(pDir))
            count += pEntry->d_type == DT_REG;
        ::closedir(pDir);
    }
    return count;
}

// Removes files the toolkit cannot name, so that their folder can be cleaned up.
struct CRemovedNatives {
    std::vector<QByteArray> Paths;
    ~CRemovedNatives()
    {
        for (const QByteArray& path : Paths)
            ::unlink(path.constData());
    }
};

// Gives a folder its permissions back, so that it can be cleaned up.
struct CWritableAgain {
    QString Folder;
    ~CWritableAgain() { ::chmod(QFile::encodeName(Folder).constData(), 0755); }
};

}  // namespace

class tst_saving : public QObject {
    Q_OBJECT
private slots:
    void save_data();
    void save();

private:
    void NameNotUtf8(const QString& command);
};

void tst_saving::save_data()
{
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("runner");
    const QStringList all{"save", "save-as", "save-selection-as"};
    const QStringList newName{"save-as", "save-selection-as"};
    const struct {
        const char* Subject;
        Runner Who;
        QStringList Commands;
    } cases[] = {
        {"another-users-file-keeps-owner-and-group", Root, all},
        {"new-file-under-umask-077", Anyone, newName},
        {"new-file-under-umask-022", Anyone, newName},
        {"new-file-under-umask-002", Anyone, newName},
        {"read-only-file-refused", User, all},
        {"hard-link-kept", Anyone, all},
        {"writable-file-in-read-only-folder", User, all},
        {"new-file-in-read-only-folder-refused", User, newName},
        {"setgid-bit-kept", Anyone, all},
        {"user-attribute-kept", Anyone, all},
        {"changed-outside-answered-no", Anyone, {"save"}},
        {"changed-outside-answered-yes", Anyone, {"save"}},
        {"deleted-outside-answered-no", Anyone, {"save"}},
        {"name-of-255-bytes", Anyone, all},
        {"in-place-write-fails-part-way", Anyone, all},
        {"read-only-folder-and-in-place-write-fails", User, {"save"}},
        {"name-not-utf8", Anyone, {"command-line", "drop", "open", "save-as", "save-selection-as"}},
    };
    for (const auto& each : cases) {
        for (const QString& command : each.Commands)
            QTest::addRow("%s/%s", each.Subject, qPrintable(command)) << QString::fromLatin1(each.Subject) << command
                                                                     << int(each.Who);
    }
}

void tst_saving::save()
{
    QFETCH(QString, subject);
    QFETCH(QString, command);
    QFETCH(int, runner);
    const bool root = ::geteuid() == 0;
    if (runner == Root && !root)
        QSKIP("root saving another user's file: runs in the suite run as root");
    if (runner == User && root)
        QSKIP("root may write any file and folder: runs as uid 65534 (tests/unprivileged.sh)");
    if (subject == QLatin1String("name-not-utf8"))
        return NameNotUtf8(command);

    CPrivateTempDir temp;
    CProgram program;
    const QString folder = program.Dir() + "/folder";
    QVERIFY(QDir().mkdir(folder));
    CWritableAgain writable{folder};
    const QString target = folder + '/' + (subject == "name-of-255-bytes" ? QString(251, 'n') + ".bin" : "target.bin");
    const QByteArray native = QFile::encodeName(target);
    const QString link = folder + "/link.bin";
    const bool failing = subject.endsWith("fails") || subject.endsWith("part-way");
    // Large enough for the writes to come in several runs, so one can fail part-way.
    const QByteArray original = Pattern(failing ? (1 << 24) + 70000 : 70000, 1);
    const bool existed = !subject.startsWith("new-file");
    if (existed)
        WriteFile(target, original);
    if (subject.startsWith("another-users-file")) {
        QCOMPARE(::chown(native.constData(), 65534, 65534), 0);
        QCOMPARE(::chmod(native.constData(), 0640), 0);
    } else if (subject == "read-only-file-refused") {
        QCOMPARE(::chmod(native.constData(), 0444), 0);
    } else if (subject == "hard-link-kept" || subject == "in-place-write-fails-part-way") {
        QCOMPARE(::link(native.constData(), QFile::encodeName(link).constData()), 0);
    } else if (subject == "setgid-bit-kept") {
        QCOMPARE(::chmod(native.constData(), 02775), 0);
        QCOMPARE(Stat(target).st_mode & 07777, mode_t(02775));
    } else if (subject == "user-attribute-kept" && ::setxattr(native.constData(), "user.bytelon", "kept", 4, 0) != 0) {
        QCOMPARE(errno, ENOTSUP);
        QSKIP("the file system of the test folder keeps no user.* extended attributes");
    }
    const struct stat before = Stat(target);

    CBytelonView* pView = command == "save" ? CProgram::ViewOf(program.Open(target))
                                            : program.OpenBytes(original, "source.bin");
    QVERIFY(pView);
    CBytelonDoc* pDocument = pView->GetDocument();
    Focus(pView);
    QVERIFY(pView->ReplaceSelectionWithString("edit", 4));
    const QByteArray content = "edit" + original;
    QByteArray written = content;
    if (command == "save-selection-as") {
        SelectBytes(pView, 10, int(content.size()) - 10);
        written = content.mid(10, content.size() - 20);
    }
    const QString pathBefore = pDocument->GetPathName();
    if (subject.contains("read-only-folder"))
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
    const QByteArray changed("changed by another program");
    if (subject.startsWith("changed-outside"))
        WriteFile(target, changed);
    if (subject.startsWith("deleted-outside"))
        QVERIFY(QFile::remove(target));
    if (subject.endsWith("answered-yes"))
        program.Messages.Answers.push_back(IDYES);
    // The question answered on the box a user sees, with the key a user presses.
    QString asked;
    if (subject == "changed-outside-answered-no") {
        AfxSetMessageBoxService(nullptr);
        AfxShowBoxesWithoutScreen(true);
        WhenModal([&](QWidget* pBox) {
            asked = static_cast<QMessageBox*>(pBox)->text();
            QTest::keyClick(pBox, Qt::Key_N);
        });
    }
    const mode_t umaskBefore = subject.startsWith("new-file-under-umask-")
                                   ? ::umask(mode_t(subject.right(3).toUInt(nullptr, 8)))
                                   : ::umask(022);
    auto run = [&] {
        if (command != "save")
            program.FileDialogs.Paths.push_back(target);
        return program.Frame()->ExecuteCommand(command == "save"      ? UINT(ID_FILE_SAVE)
                                               : command == "save-as" ? UINT(ID_FILE_SAVE_AS)
                                                                      : UINT(ID_FILE_SAVE_SELECTION_AS));
    };
    {
        // The first write to the target fails: for the row failing part-way,
        // the first past its start, once some bytes have been written over.
        bool faulted = false;
        CWriteFaultGuard fault([&](const QString& path, std::int64_t pos, UINT) {
            if (!failing || faulted || path != QFileInfo(target).canonicalFilePath() || (pos == 0 && subject.endsWith("part-way")))
                return false;
            return faulted = true;
        });
        QVERIFY(run());
        QCOMPARE(faulted, failing);
    }
    ::umask(umaskBefore);
    AfxShowBoxesWithoutScreen(false);
    AfxSetMessageBoxService(&program.Messages);
    const QStringList& texts = program.Messages.Texts;
    const bool saved = !subject.endsWith("refused") && !subject.endsWith("answered-no") && !failing;
    const struct stat after = Stat(target);

    if (subject.startsWith("changed-outside") || subject.startsWith("deleted-outside")) {
        if (asked.isEmpty())
            asked = texts.value(0);
        const QString question = subject.startsWith("changed")
                                     ? "%1 has been changed by another program since it was opened or saved. "
                                       "Replace it with this document?"
                                     : "%1 no longer exists: another program has deleted or renamed it since it "
                                       "was opened or saved. Save this document under that name?";
        QCOMPARE(asked, question.arg(pathBefore));
        QVERIFY(saved || QFileInfo::exists(target) == subject.startsWith("changed"));
        if (!saved && subject.startsWith("changed"))
            QCOMPARE(FileBytes(target), changed);
    } else if (saved) {
        QVERIFY2(texts.isEmpty(), qPrintable(texts.join('|')));
    }
    if (saved) {
        QVERIFY(FileBytes(target) == written);
    } else if (existed && subject != "deleted-outside-answered-no" && !subject.startsWith("changed")) {
        QVERIFY(FileBytes(target) == original);
        QCOMPARE(after.st_ino, before.st_ino);
    }
    if (command != "save-selection-as") {
        QCOMPARE(pDocument->IsModified(), !saved);
        QCOMPARE(pDocument->GetPathName(), saved ? QFileInfo(target).canonicalFilePath() : pathBefore);
    }
    // Nothing left beside the file or among the work files.
    const auto beside = QDir(folder).entryList({".*"}, QDir::Files | QDir::Hidden | QDir::System);
    QVERIFY2(beside.isEmpty(), qPrintable(beside.join(' ')));
    QVERIFY2(temp.Files().size() == int(program.Documents().size()), qPrintable(temp.Files().join(' ')));

    // Where the file's identity can be kept, a new file replaces it whole;
    // where not, it is written in place and stays the same file.
    if (subject.startsWith("another-users-file") || subject == "setgid-bit-kept" || subject == "user-attribute-kept"
        || subject == "name-of-255-bytes" || subject.endsWith("answered-yes"))
        QVERIFY(after.st_ino != before.st_ino);
    if (subject == "hard-link-kept" || subject == "writable-file-in-read-only-folder")
        QCOMPARE(after.st_ino, before.st_ino);

    if (subject.startsWith("another-users-file")) {
        QCOMPARE(after.st_uid, uid_t(65534));
        QCOMPARE(after.st_gid, gid_t(65534));
        QCOMPARE(after.st_mode & 07777, mode_t(0640));
    } else if (subject.startsWith("new-file-under-umask-")) {
        QCOMPARE(after.st_mode & 07777, mode_t(0666 & ~subject.right(3).toUInt(nullptr, 8)));
    } else if (subject == "read-only-file-refused") {
        QCOMPARE(texts.value(0), "Access to " + target + " was denied.");
    } else if (subject == "hard-link-kept") {
        QVERIFY(FileBytes(link) == written);
        QCOMPARE(after.st_nlink, nlink_t(2));
    } else if (subject == "new-file-in-read-only-folder-refused") {
        QCOMPARE(texts.value(0), target + " cannot be created: access to the folder " + folder + " was denied.");
        QVERIFY(!QFileInfo::exists(target));
    } else if (subject == "setgid-bit-kept") {
        QCOMPARE(after.st_mode & 07777, mode_t(02775));
    } else if (subject == "user-attribute-kept") {
        QCOMPARE(Attribute(target, "user.bytelon"), QByteArray("kept"));
    } else if (failing) {
        QVERIFY2(texts.value(0) == "Disk full while accessing " + target + ".", qPrintable(texts.join('|')));
        if (subject.startsWith("read-only-folder"))
            QVERIFY2(texts.contains("No new file can be made beside " + target + " (Access to " + folder
                                    + " was denied.), and writing it in place failed; " + target + " is as it was."),
                     qPrintable(texts.join('|')));
        else
            QVERIFY(FileBytes(link) == original);
        QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        // Once the disk has room, the same save writes both names.
        program.Messages.Texts.clear();
        QVERIFY(run());
        QVERIFY2(texts.isEmpty(), qPrintable(texts.join('|')));
        QVERIFY(FileBytes(target) == written);
        QVERIFY(!QFileInfo::exists(link) || FileBytes(link) == written);
    }
}

// The decoy is named as the toolkit reads the other name; neither may be
// read or written in the other's place.
void tst_saving::NameNotUtf8(const QString& command)
{
    CPrivateTempDir temp;
    CProgram program;
    const QByteArray folder = QFile::encodeName(program.Dir());
    const QByteArray stray = folder + "/\xFF\xFE.bin";
    const QByteArray decoy = folder + "/\xEF\xBF\xBD\xEF\xBF\xBD.bin";
    CRemovedNatives removed{{stray, decoy}};
    WriteNative(stray, "named in bytes");
    WriteNative(decoy, "decoy");
    const QString misread = QFile::decodeName(stray);
    QCOMPARE(QFile::encodeName(misread), decoy);
    QString said;
    if (command == "command-line") {
        // The shell makes the name's bytes, which no QString argument can carry.
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("TMPDIR", temp.Path());
        environment.insert("XDG_CONFIG_HOME", temp.Path() + "/config");
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(program.Dir());
        // The unprivileged run starts a copy it may read.
        const QString executable = qEnvironmentVariable("BYTELON_EXECUTABLE", BYTELON_EXECUTABLE);
        process.start("/bin/sh", {"-c", "exec \"$0\" \"$(printf '\\377\\376.bin')\"", executable});
        if (!process.waitForFinished(20000))
            process.kill();
        process.waitForFinished();
        QCOMPARE(process.exitCode(), 1);
        said = QString::fromLocal8Bit(process.readAllStandardError());
    } else if (command == "drop") {
        QMimeData data;
        data.setUrls({QUrl::fromEncoded("file://" + stray.toPercentEncoding("/"))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(program.Frame(), &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(program.Frame(), &drop);
        ProcessEvents();
    } else {
        // The file dialogs list and return the name as the toolkit reads it.
        if (command != "open") {
            CBytelonView* pView = program.OpenBytes("source", "source.bin");
            SelectBytes(pView, 0, 3);
            pView->GetDocument()->SetModifiedFlag(true);
        }
        program.FileDialogs.Paths.push_back(misread);
        QVERIFY(program.Frame()->ExecuteCommand(command == "open"      ? UINT(ID_FILE_OPEN)
                                                : command == "save-as" ? UINT(ID_FILE_SAVE_AS)
                                                                       : UINT(ID_FILE_SAVE_SELECTION_AS)));
    }
    said += program.Messages.Texts.join('|');
    QVERIFY2(said.contains(command == "command-line" || command == "drop" ? "\\xFF\\xFE.bin is not UTF-8 text"
                                                                          : "reads the same"),
             qPrintable(said));
    for (CDocument* pDocument : program.Documents()) {
        QCOMPARE(pDocument->GetTitle(), QStringLiteral("source.bin"));
        QVERIFY(pDocument->IsModified());
    }
    QCOMPARE(ReadNative(stray), QByteArray("named in bytes"));
    QCOMPARE(ReadNative(decoy), QByteArray("decoy"));
    QCOMPARE(FileCount(folder), command.startsWith("save") ? 3 : 2);
}

QTEST_MAIN(tst_saving)
#include "tst_saving.moc"
