#include "framework/ReplacingFile.h"

#include "framework/MessageBox.h"
#include "framework/TempFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int UniqueLength = 6;

QByteArray Native(const QString& name)
{
    return QFile::encodeName(name);
}

// The names of a file's extended attributes, as list (a listxattr call) gives
// them; none where the file system keeps none. False when they cannot be read.
template <typename List>
bool AttributeNames(List list, std::vector<QByteArray>& names)
{
    names.clear();
    for (;;) {
        const ssize_t size = list(nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP;
        std::vector<char> buffer(std::size_t(size) + 1);
        const ssize_t got = list(buffer.data(), buffer.size());
        if (got < 0 && errno == ERANGE)
            continue;  // an attribute was added meanwhile
        if (got < 0)
            return false;
        for (ssize_t at = 0; at < got;) {
            const QByteArray name(buffer.data() + at);
            at += name.size() + 1;
            names.push_back(name);
        }
        return true;
    }
}

// Gives the file open as to every extended attribute of the file named from,
// and none it lacks (a default ACL the new file took from its folder).
bool CopyAttributes(const QString& from, int to)
{
    const QByteArray path = Native(from);
    std::vector<QByteArray> names;
    if (!AttributeNames([&](char* p, std::size_t n) { return ::listxattr(path.constData(), p, n); }, names))
        return false;
    for (const QByteArray& name : names) {
        std::vector<char> value;
        ssize_t size;
        do {
            size = ::getxattr(path.constData(), name.constData(), nullptr, 0);
            if (size < 0)
                break;
            value.resize(std::size_t(size) + 1);
            size = ::getxattr(path.constData(), name.constData(), value.data(), value.size());
        } while (size < 0 && errno == ERANGE);
        if (size < 0 && errno == ENODATA)
            continue;  // removed meanwhile
        if (size < 0 || ::fsetxattr(to, name.constData(), value.data(), std::size_t(size), 0) != 0)
            return false;
    }
    std::vector<QByteArray> own;
    if (!AttributeNames([&](char* p, std::size_t n) { return ::flistxattr(to, p, n); }, own))
        return false;
    for (const QByteArray& name : own) {
        if (std::find(names.begin(), names.end(), name) == names.end() && ::fremovexattr(to, name.constData()) != 0)
            return false;
    }
    return true;
}

// False, with errno set, unless the file has exactly that mode afterwards:
// the system drops a set-group-ID bit it does not allow without a word.
bool SetMode(int fd, unsigned mode)
{
    struct stat st {};
    if (::fchmod(fd, mode) != 0 || ::fstat(fd, &st) != 0)
        return false;
    if ((st.st_mode & 07777) != mode) {
        errno = EPERM;
        return false;
    }
    return true;
}

// Forces a folder's entries to the disk; the errno of a failure, or 0.
int FlushFolder(const QString& folder)
{
    const int fd = ::open(Native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 0;  // a folder this process may not read: the system flushes it in its own time
    int error = 0;
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS)
        error = errno;
    ::close(fd);
    return error;
}

// Copies the first length bytes of from over those of to.
void CopyAll(CFile& from, CFile& to, std::int64_t length)
{
    constexpr std::int64_t Piece = std::int64_t(1) << 30;
    std::vector<char> buffer(1 << 20);
    for (std::int64_t at = 0; at < length;) {
        const UINT n = UINT(std::min(Piece, length - at));
        if (CFile::CopyRange(from, at, to, at, n, buffer.data(), UINT(buffer.size())) < n)
            throw CFileException(CFileException::endOfFile, 0, from.GetFilePath());
        at += n;
    }
}

bool FolderRefused(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

// Writes the first length bytes of kept over target, which then ends there
// with its mode and time as they were; false when that could not be done.
bool PutBytesBack(const QString& target, const QString& kept, std::int64_t length, unsigned mode,
                  const CFileIdentity& original)
{
    CFile from;
    CFile to;
    try {
        CFileException error;
        if (!from.Open(kept, CFile::modeRead | CFile::shareExclusive, &error)
            || !to.Open(target, CFile::modeWrite | CFile::shareExclusive, &error))
            throw error;
        CopyAll(from, to, length);
        to.SetLength(length);
        ::fchmod(to.Handle(), mode);
        // Its time as it was, so that the file is not taken for one another
        // program changed; only its owner (or root) may set it.
        const timespec times[2] = {{0, UTIME_OMIT}, {original.ModifiedSeconds, original.ModifiedNanoseconds}};
        ::futimens(to.Handle(), times);
        to.Flush();
    } catch (const CFileException&) {
        return false;
    }
    return true;
}

// Whether path is a regular file of this user's: one a replacement made.
bool IsOwnFile(const QString& path)
{
    struct stat st {};
    return ::lstat(Native(path).constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
}

}  // namespace

CReplacingFile::CReplacingFile(const QString& targetName) : Given(targetName)
{
    const QFileInfo target(targetName);
    Target = target.exists() ? target.canonicalFilePath() : target.absoluteFilePath();
}

CReplacingFile::~CReplacingFile()
{
    Abandon();
}

QString CReplacingFile::TempPrefixFor(const QString& targetName)
{
    const QFileInfo target(targetName);
    const QString folder = target.absolutePath();
    QByteArray name = Native(target.fileName());
    long most = ::pathconf(Native(folder).constData(), _PC_NAME_MAX);
    if (most <= 0)
        most = NAME_MAX;
    // Room for the two dots and the unique part; a long name is cut before
    // a character, never inside one.
    const qsizetype room = qsizetype(most) - 2 - UniqueLength;
    if (name.size() > room) {
        name.truncate(room);
        qsizetype start = name.size() - 1;
        while (start > 0 && (static_cast<unsigned char>(name[start]) & 0xC0) == 0x80)
            --start;
        const auto lead = static_cast<unsigned char>(name.isEmpty() ? 0 : name[start]);
        const int length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (start + length > name.size())
            name.truncate(start);
    }
    return folder + QStringLiteral("/.") + QFile::decodeName(name) + QLatin1Char('.');
}

bool CReplacingFile::Create()
{
    CFileException error;
    if (!CFile::CheckName(Given, &error) || !CFile::CheckRegular(Target, &error)) {
        error.ReportError();
        return false;
    }
    struct stat st {};
    Existed = ::stat(Native(Target).constData(), &st) == 0;
    if (Existed) {
        Owner = st.st_uid;
        Group = st.st_gid;
        Mode = st.st_mode & 07777;
        Original = CFileIdentity::Of(Target);
        // Whether this process may write the file is what opening it for
        // writing says, as for any program: root may write any file.
        CFile probe;
        if (!probe.Open(Target, CFile::modeWrite | CFile::shareDenyNone, &error)) {
            error.ReportError();
            return false;
        }
    }
    // A new file under the name would split a hard link.
    if (!Existed || st.st_nlink == 1) {
        if (MakeTemp()) {
            if (!Existed || KeepsIdentity())
                return true;
            File.Close();
            CFile::Remove(Temp);
            Temp.clear();
            TellFiles();
        } else if (!Existed) {
            if (FolderRefused(FolderError))
                AfxMessageBox(QStringLiteral("%1 cannot be created: access to the folder %2 was denied.")
                                  .arg(Target, QFileInfo(Target).absolutePath()),
                              MB_OK | MB_ICONEXCLAMATION);
            else
                CFileException(CFileException::CauseFromErrno(FolderError), FolderError, Target).ReportError();
            return false;
        }
    }
    return StartInPlace();
}

bool CReplacingFile::MakeTemp()
{
    static const char Characters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const QString prefix = TempPrefixFor(Target);
    // Private while it is written when it is to replace a file; a new file
    // is made as any program makes one, with the permissions the umask leaves.
    const UINT flags = CFile::modeReadWrite | CFile::modeCreateNew | CFile::shareExclusive
                       | (Existed ? UINT(CFile::modePrivate) : 0);
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString name = prefix;
        for (int i = 0; i < UniqueLength; ++i)
            name += QLatin1Char(Characters[QRandomGenerator::global()->bounded(int(sizeof Characters) - 1)]);
        // Named before it exists: a process ended at any instant leaves no
        // file that nobody was told of.
        Temp = name;
        TellFiles();
        CFileException error;
        if (File.Open(name, flags, &error)) {
            File.SetReportedName(Target);
            return true;
        }
        Temp.clear();
        if (error.OsError != EEXIST) {
            TellFiles();
            FolderError = error.OsError;
            return false;
        }
    }
    TellFiles();
    FolderError = EEXIST;
    return false;
}

bool CReplacingFile::KeepsIdentity()
{
    const int fd = File.Handle();
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return false;
    // Only root may give a file away, and a group only to one it is in.
    if ((st.st_uid != Owner || st.st_gid != Group) && ::fchown(fd, Owner, Group) != 0)
        return false;
    return CopyAttributes(Target, fd) && SetMode(fd, Mode);
}

bool CReplacingFile::StartInPlace()
{
    InPlaceWay = true;
    CFileException error;
    if (!File.Open(Target, CFile::modeReadWrite | CFile::shareExclusive, &error)) {
        error.ReportError();
        if (FolderError != 0)
            ReportFolder();
        return false;
    }
    if (!KeepBytes()) {
        File.Close();
        return false;
    }
    File.Seek(0, CFile::begin);
    return true;
}

bool CReplacingFile::KeepBytes()
{
    QString folder;
    CFile kept;
    try {
        if (!AfxGetTempPath(folder, 257))
            throw CFileException(CFileException::fileNotFound, ENOENT, QDir::tempPath());
        KeptLength = File.GetLength();
        // Named before it exists, like the temporary file.
        for (int attempt = 0; Kept.isEmpty(); ++attempt) {
            Kept = folder + QStringLiteral("BYT") + AfxUniqueSuffix() + QStringLiteral(".kept");
            TellFiles();
            CFileException error;
            if (kept.Open(Kept, CFile::modeReadWrite | CFile::modeCreateNew | CFile::modePrivate
                                    | CFile::shareExclusive,
                          &error))
                break;
            Kept.clear();
            if (error.OsError != EEXIST || attempt >= 100)
                throw error;
        }
        CopyAll(File, kept, KeptLength);
        // On the disk before the file is written over: a crash must not lose both.
        kept.Flush();
    } catch (const CFileException& cause) {
        kept.Close();
        if (!Kept.isEmpty())
            CFile::Remove(Kept);
        Kept.clear();
        TellFiles();
        cause.ReportError();
        AfxMessageBox(QStringLiteral("%1 was not changed: writing it in place needs a copy of its bytes in %2 "
                                     "first, and that copy failed.")
                          .arg(Target, folder.isEmpty() ? QDir::tempPath() : folder),
                      MB_OK | MB_ICONEXCLAMATION);
        if (FolderError != 0)
            ReportFolder();
        return false;
    }
    kept.Close();
    TellFiles(true);
    return true;
}

bool CReplacingFile::Commit(std::int64_t length)
{
    CFileException error;
    try {
        // Writing is all it needs: a file may be writable and not readable.
        if (!File.IsOpen() && !File.Open(WritePath(), CFile::modeWrite | CFile::shareExclusive, &error))
            throw error;
        if (InPlaceWay)
            File.SetLength(length);
        // Writing took away the set-ID bits and capabilities given before; in
        // place only the file's owner can give its bits back.
        if (InPlaceWay) {
            ::fchmod(File.Handle(), Mode);
        } else if (Existed && !(CopyAttributes(Target, File.Handle()) && SetMode(File.Handle(), Mode))) {
            const int osError = errno;
            throw CFileException(CFileException::CauseFromErrno(osError), osError, Target);
        }
        File.Flush();
    } catch (const CFileException& cause) {
        Undo(&cause);
        return false;
    }
    Saved = CFileIdentity::OfHandle(File.Handle());
    File.Close();
    if (InPlaceWay) {
        Committed = true;
        CFile::Remove(Kept);
        Kept.clear();
        TellFiles();
        return true;
    }
    if (!CFile::Rename(Temp, Target, &error)) {
        Undo(&error);
        return false;
    }
    Committed = true;
    TellFiles();
    // The rename is on the disk only once its folder is.
    const QString folder = QFileInfo(Target).absolutePath();
    if (const int folderError = FlushFolder(folder)) {
        CFileException(CFileException::CauseFromErrno(folderError), folderError, folder).ReportError();
        return false;
    }
    return true;
}

void CReplacingFile::Abandon()
{
    Undo(nullptr);
}

void CReplacingFile::Undo(const CFileException* pCause)
{
    if (Committed || Abandoned) {
        if (pCause)
            pCause->ReportError();
        return;
    }
    Abandoned = true;
    File.Close();
    if (!InPlaceWay) {
        if (!Temp.isEmpty()) {
            CFile::Remove(Temp);
            TellFiles();
        }
        if (pCause)
            pCause->ReportError();
        return;
    }
    // Nothing kept: Create failed before the target could be written.
    if (Kept.isEmpty())
        return;
    const bool putBack = PutKeptBytesBack();
    if (pCause)
        pCause->ReportError();
    if (!putBack) {
        AfxMessageBox(QStringLiteral("%1 could not be put back as it was: its original bytes are kept in %2.")
                          .arg(Target, Kept),
                      MB_OK | MB_ICONSTOP);
        return;
    }
    CFile::Remove(Kept);
    Kept.clear();
    TellFiles();
    if (FolderError != 0)
        ReportFolder();
}

bool CReplacingFile::PutKeptBytesBack()
{
    return PutBytesBack(Target, Kept, KeptLength, Mode, Original);
}

void CReplacingFile::ReportFolder() const
{
    const QString folder = QFileInfo(Target).absolutePath();
    AfxMessageBox(QStringLiteral("No new file can be made beside %1 (%2), and writing it in place failed; "
                                 "%1 is as it was.")
                      .arg(Target, CFileException(CFileException::CauseFromErrno(FolderError), FolderError, folder)
                                       .ErrorMessage()),
                  MB_OK | MB_ICONEXCLAMATION);
}

void CReplacingFile::TellFiles(bool writingInPlace)
{
    if (!OnFiles)
        return;
    CReplacementFiles files;
    files.Target = Target;
    // Once renamed over the target, or removed, it is no file of its own.
    if (!Committed && !Abandoned)
        files.Temp = Temp;
    files.Kept = Kept;
    files.WritingInPlace = writingInPlace && !Kept.isEmpty();
    files.KeptLength = KeptLength;
    files.Mode = Mode;
    files.Original = Original;
    OnFiles(files);
}

bool CReplacingFile::FinishAbandoned(const CReplacementFiles& files, QString* pKeptLeft)
{
    // Only a name this class could have given, and a file this user made.
    const QString prefix = TempPrefixFor(files.Target);
    if (files.Temp.startsWith(prefix) && files.Temp.size() == prefix.size() + UniqueLength && IsOwnFile(files.Temp))
        CFile::Remove(files.Temp);
    if (files.Kept.isEmpty() || !IsOwnFile(files.Kept))
        return true;
    if (files.WritingInPlace) {
        // Another file under the name, or none: there is nothing to put back.
        const CFileIdentity now = CFileIdentity::Of(files.Target);
        if (now.Exists && now.Device == files.Original.Device && now.Inode == files.Original.Inode
            && !PutBytesBack(files.Target, files.Kept, files.KeptLength, files.Mode, files.Original)) {
            if (pKeptLeft)
                *pKeptLeft = files.Kept;
            return false;
        }
    }
    CFile::Remove(files.Kept);
    return true;
}
