// Saving keeps the file it replaces the user's: its owner, group, mode,
// hard links, extended attributes and very name. A file the user may not
// write is refused, another program's changes are not written over unasked,
// and a file written in place is put back when writing it fails.

#include "support/TestSupport.h"

#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

#include <QDropEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>
#include <QUrl>

#include <filesystem>
#include <fstream>
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

// Files named by bytes the toolkit cannot carry when they are not UTF-8.
std::string ReadNative(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

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
    // "new file" in the target's place, "in place" over it, or "kept" as it was (or absent).
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<int>("mode");  // the target's afterwards, or -1
    QTest::addColumn<QString>("message");  // the first shown: %1 the target, %2 its folder
    const QStringList all{"save", "save-as", "save-selection-as"}, newName{"save-as", "save-selection-as"};
    const QString changed = "%1 has been changed by another program since it was opened or saved. Replace it with "
                            "this document?";
    const struct {
        const char* Subject;
        Runner Who;
        const char* Outcome;
        int Mode;
        QString Message;
        QStringList Commands;
    } cases[] = {
        {"another-users-file-keeps-owner-and-group", Root, "new file", 0640, "", all},
        {"new-file-under-umask-077", Anyone, "new file", 0600, "", newName},
        {"new-file-under-umask-022", Anyone, "new file", 0644, "", newName},
        {"new-file-under-umask-002", Anyone, "new file", 0664, "", newName},
        {"read-only-file-refused", User, "kept", 0444, "Access to %1 was denied.", all},
        {"hard-link-kept", Anyone, "in place", -1, "", all},
        {"writable-file-in-read-only-folder", User, "in place", -1, "", all},
        {"new-file-in-read-only-folder", User, "kept", -1, "%1 cannot be created: access to the folder %2 was denied.",
         newName},
        {"setgid-bit-kept", Anyone, "new file", 02775, "", all},
        {"user-attribute-kept", Anyone, "new file", -1, "", all},
        {"changed-outside-answered-no", Anyone, "kept", -1, changed, {"save"}},
        {"changed-outside-answered-yes", Anyone, "new file", -1, changed, {"save"}},
        {"deleted-outside-answered-no", Anyone, "kept", -1,
         "%1 no longer exists: another program has deleted or renamed it since it was opened or saved. Save this "
         "document under that name?",
         {"save"}},
        {"name-of-255-bytes", Anyone, "new file", -1, "", all},
        {"in-place-write-fails-part-way", Anyone, "kept", -1, "Disk full while accessing %1.", all},
        {"read-only-folder-and-in-place-write-fails", User, "kept", -1, "Disk full while accessing %1.", {"save"}},
        {"name-not-utf8", Anyone, "", -1, "", {"command-line", "drop", "open", "save-as", "save-selection-as"}},
    };
    for (const auto& each : cases) {
        for (const QString& command : each.Commands)
            QTest::addRow("%s/%s", each.Subject, qPrintable(command))
                << QString::fromLatin1(each.Subject) << command << int(each.Who) << QString::fromLatin1(each.Outcome)
                << each.Mode << each.Message;
    }
}

void tst_saving::save()
{
    QFETCH(QString, subject);
    QFETCH(QString, command);
    QFETCH(int, runner);
    QFETCH(QString, outcome);
    QFETCH(int, mode);
    QFETCH(QString, message);
    if (runner == Root && ::geteuid() != 0)
        QSKIP("root saving another user's file: runs in the suite run as root");
    if (runner == User && ::geteuid() == 0)
        QSKIP("root may write any file and folder: runs as uid 65534 (tests/unprivileged.sh)");
    if (subject == "name-not-utf8")
        return NameNotUtf8(command);

    CPrivateTempDir temp;
    CProgram program;
    const QString folder = program.Dir() + "/folder";
    const QString target = folder + '/' + (subject == "name-of-255-bytes" ? QString(251, 'n') + ".bin" : "target.bin");
    const QString link = folder + "/link.bin";
    const QByteArray native = QFile::encodeName(target);
    const bool failing = subject.contains("fails");
    // Large enough to be written in several runs, so that one can fail part-way.
    const QByteArray original = Pattern(failing ? (1 << 24) + 70000 : 70000, 1);
    QVERIFY(QDir().mkdir(folder));
    if (!subject.startsWith("new-file"))
        WriteFile(target, original);
    if (subject.startsWith("another-users-file"))
        QVERIFY(::chown(native.constData(), 65534, 65534) == 0 && ::chmod(native.constData(), 0640) == 0);
    if (subject.startsWith("read-only-file") || subject == "setgid-bit-kept")
        QCOMPARE(::chmod(native.constData(), mode), 0);
    if (subject == "hard-link-kept" || subject == "in-place-write-fails-part-way")
        QCOMPARE(::link(native.constData(), QFile::encodeName(link).constData()), 0);
    if (subject == "user-attribute-kept" && ::setxattr(native.constData(), "user.bytelon", "kept", 4, 0) != 0) {
        QCOMPARE(errno, ENOTSUP);
        QSKIP("the file system of the test folder keeps no user.* extended attributes");
    }
    const struct stat before = Stat(target);

    CBytelonView* pView = command == "save" ? CProgram::ViewOf(program.Open(target))
                                            : program.OpenBytes(original, "source.bin");
    QVERIFY(pView);
    CBytelonDoc* pDocument = pView->GetDocument();
    QVERIFY(pView->ReplaceSelectionWithString("edit", 4));
    const bool selection = command == "save-selection-as";
    const QByteArray content = "edit" + original;
    const QByteArray written = selection ? content.mid(10, content.size() - 20) : content;
    if (selection)
        SelectBytes(pView, 10, int(content.size()) - 10);
    const QString pathBefore = pDocument->GetPathName();
    if (subject.contains("read-only-folder"))
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
    const auto writableAgain = qScopeGuard([&] { ::chmod(QFile::encodeName(folder).constData(), 0755); });
    if (subject.startsWith("changed-outside"))
        WriteFile(target, "changed by another program");
    if (subject.startsWith("deleted-outside"))
        QVERIFY(QFile::remove(target));
    const QByteArray kept = FileBytes(target);
    if (subject.endsWith("answered-yes"))
        program.Messages.Answers.push_back(IDYES);
    QString asked;
    if (subject == "changed-outside-answered-no") {
        // Answered on the box a user sees, with the key a user presses.
        AfxSetMessageBoxService(nullptr);
        AfxShowBoxesWithoutScreen(true);
        WhenModal([&](QWidget* pBox) {
            asked = static_cast<QMessageBox*>(pBox)->text();
            QTest::keyClick(pBox, Qt::Key_N);
        });
    }
    const mode_t umaskBefore = ::umask(subject.contains("umask") ? subject.right(3).toUInt(nullptr, 8) : 022);
    auto run = [&] {
        if (command != "save")
            program.FileDialogs.Paths.push_back(target);
        return program.Frame()->ExecuteCommand(command == "save" ? UINT(ID_FILE_SAVE)
                                               : selection       ? UINT(ID_FILE_SAVE_SELECTION_AS)
                                                                 : UINT(ID_FILE_SAVE_AS));
    };
    {
        // The disk fills at the first write over the target, or at the first
        // past its start for the row failing part-way.
        bool faulted = false;
        CWriteFaultGuard fault([&](const QString& path, std::int64_t pos, UINT) {
            return failing && !faulted && path == QFileInfo(target).canonicalFilePath()
                   && (pos > 0 || !subject.endsWith("part-way")) && (faulted = true);
        });
        QVERIFY(run());
        QCOMPARE(faulted, failing);
    }
    ::umask(umaskBefore);
    AfxShowBoxesWithoutScreen(false);
    AfxSetMessageBoxService(&program.Messages);
    const QStringList& texts = program.Messages.Texts;
    const struct stat after = Stat(target);

    QCOMPARE(asked.isEmpty() ? texts.value(0) : asked, QString(message).replace("%1", target).replace("%2", folder));
    if (outcome != "kept")
        QVERIFY2(texts.size() == int(!message.isEmpty()), qPrintable(texts.join('|')));
    QVERIFY(FileBytes(target) == (outcome == "kept" ? kept : written));
    if (QFileInfo::exists(link))
        QVERIFY(FileBytes(link) == (outcome == "kept" ? original : written));
    // Only a new file in the target's place makes a save all or nothing, so
    // it is taken wherever it keeps the file's identity.
    if (before.st_ino != 0 && after.st_ino != 0)
        QCOMPARE(after.st_ino != before.st_ino, outcome == "new file");
    if (mode >= 0)
        QCOMPARE(after.st_mode & 07777, mode_t(mode));
    if (subject.startsWith("another-users-file"))
        QVERIFY(after.st_uid == 65534 && after.st_gid == 65534);
    if (subject == "user-attribute-kept")
        QCOMPARE(::getxattr(native.constData(), "user.bytelon", nullptr, 0), ssize_t(4));
    if (!selection) {
        QCOMPARE(pDocument->IsModified(), outcome == "kept");
        QCOMPARE(pDocument->GetPathName(), outcome == "kept" ? pathBefore : QFileInfo(target).canonicalFilePath());
    }
    // Nothing left beside the file or among the work files.
    QCOMPARE(QDir(folder).entryList({".*"}, QDir::Files | QDir::Hidden | QDir::System), QStringList());
    // A work file and its record for each document.
    QCOMPARE(temp.Files().size(), 2 * qsizetype(program.Documents().size()));
    if (!failing)
        return;
    QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    if (subject.contains("read-only-folder"))
        QVERIFY2(texts.contains("No new file can be made beside " + target + " (Access to " + folder
                                + " was denied.), and writing it in place failed; " + target + " is as it was."),
                 qPrintable(texts.join('|')));
    // Once the disk has room, the same save writes every name of the file.
    program.Messages.Texts.clear();
    QVERIFY(run());
    QVERIFY2(texts.isEmpty(), qPrintable(texts.join('|')));
    QVERIFY(FileBytes(target) == written && (!QFileInfo::exists(link) || FileBytes(link) == written));
}

// The decoy is named as the toolkit reads the other name: neither may be
// read or written in the other's place.
void tst_saving::NameNotUtf8(const QString& command)
{
    CPrivateTempDir temp;
    CProgram program;
    namespace fs = std::filesystem;
    // A folder of its own, removed by bytes: the toolkit cannot name what it holds.
    const fs::path folder = QFile::encodeName(program.Dir() + "/names").toStdString();
    fs::create_directory(folder);
    const auto removed = qScopeGuard([&] { fs::remove_all(folder); });
    const std::string stray = folder / "\xFF\xFE.bin", decoy = folder / "\xEF\xBF\xBD\xEF\xBF\xBD.bin";
    std::ofstream(stray) << "named in bytes";
    std::ofstream(decoy) << "decoy";
    const QString misread = QFile::decodeName(stray.c_str());
    QCOMPARE(QFile::encodeName(misread).toStdString(), decoy);
    QString said;
    if (command == "command-line") {
        // The shell makes the name's bytes, which no QString argument can carry;
        // the unprivileged run starts a copy of the program it may read.
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("TMPDIR", temp.Path());
        environment.insert("XDG_CONFIG_HOME", temp.Path() + "/config");
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(QString::fromStdString(folder));
        process.start("/bin/sh", {"-c", "exec \"$0\" \"$(printf '\\377\\376.bin')\"",
                                  qEnvironmentVariable("BYTELON_EXECUTABLE", BYTELON_EXECUTABLE)});
        if (!process.waitForFinished(20000))
            process.kill();
        process.waitForFinished();
        QCOMPARE(process.exitCode(), 1);
        said = QString::fromLocal8Bit(process.readAllStandardError());
    } else if (command == "drop") {
        QMimeData data;
        data.setUrls({QUrl::fromEncoded("file://" + QByteArray::fromStdString(stray).toPercentEncoding("/"))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(program.Frame(), &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(program.Frame(), &drop);
    } else {
        // The file dialogs list and return the name as the toolkit reads it.
        if (command != "open")
            SelectBytes(program.OpenBytes("source", "source.bin"), 0, 3);
        program.FileDialogs.Paths.push_back(misread);
        QVERIFY(program.Frame()->ExecuteCommand(command == "open"      ? UINT(ID_FILE_OPEN)
                                                : command == "save-as" ? UINT(ID_FILE_SAVE_AS)
                                                                       : UINT(ID_FILE_SAVE_SELECTION_AS)));
    }
    said += program.Messages.Texts.join('|');
    const bool bytes = command == "command-line" || command == "drop";
    QVERIFY2(said.contains(bytes ? "\\xFF\\xFE.bin is not UTF-8 text" : "reads the same"), qPrintable(said));
    QCOMPARE(program.Documents().size(), std::size_t(command.startsWith("save")));
    QCOMPARE(ReadNative(stray), std::string("named in bytes"));
    QCOMPARE(ReadNative(decoy), std::string("decoy"));
    QCOMPARE(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), std::ptrdiff_t(2));
}

QTEST_MAIN(tst_saving)
#include "tst_saving.moc"
