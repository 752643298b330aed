#include "framework/TempFile.h"

#include "framework/FileException.h"
#include "framework/WinApp.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString StateHome()
{
    // A relative XDG_STATE_HOME is to be ignored, as the XDG base directories say.
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!state.isEmpty() && QDir::isAbsolutePath(state))
        return QDir::cleanPath(state);
    return QDir::homePath() + QStringLiteral("/.local/state");
}

// Makes each missing folder of path with mode 0700, then insists that the last
// one is a folder of this user's that nobody else can enter.
bool MakePrivateFolder(const QString& path)
{
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString folder;
    for (const QString& part : parts) {
        folder += QLatin1Char('/') + part;
        const QByteArray native = QFile::encodeName(folder);
        if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    const QByteArray native = QFile::encodeName(folder);
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    return (st.st_mode & 077) == 0 || ::chmod(native.constData(), 0700) == 0;
}

}  // namespace

QString AfxPrivateWorkFolder()
{
    QString folder = StateHome();
    const CWinApp* pApp = AfxGetApp();
    if (pApp && !pApp->GetRegistryKey().isEmpty())
        folder += QLatin1Char('/') + pApp->GetRegistryKey();
    const QString name = AfxGetAppTitle();
    folder += QLatin1Char('/') + (name.isEmpty() ? QCoreApplication::applicationName() : name);
    return folder + QLatin1Char('/');
}

bool AfxGetTempPath(QString& path, int bufferLimit)
{
    QString dir;
    if (const QString chosen = qEnvironmentVariable("TMPDIR"); !chosen.isEmpty()) {
        // Whoever chose the folder chose who may see it; it must exist.
        if (!QFileInfo(chosen).isDir())
            return false;
        dir = QDir(chosen).absolutePath();
        if (!dir.endsWith(QLatin1Char('/')))
            dir += QLatin1Char('/');
    } else {
        dir = AfxPrivateWorkFolder();
        if (!MakePrivateFolder(dir))
            return false;
    }
    if (dir.size() > bufferLimit - 1)
        return false;
    path = dir;
    return true;
}

bool AfxGetTempFileName(const QString& dir, const QString& prefix, QString& fileName, CFileException* pError)
{
    QString base = dir;
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    QByteArray pattern = QFile::encodeName(base + prefix + QStringLiteral("XXXXXX"));
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        const int error = errno;
        if (pError)
            *pError = CFileException(CFileException::CauseFromErrno(error), error,
                                     base + prefix + QStringLiteral("XXXXXX"));
        errno = error;
        return false;
    }
    ::close(fd);
    fileName = QFile::decodeName(pattern);
    return true;
}

QString AfxCreateTempFile(const QString& prefix)
{
    QString dir;
    QString name;
    if (!AfxGetTempPath(dir, 257))
        return QString();
    if (!AfxGetTempFileName(dir, prefix, name)) {
        const int error = errno;
        CFileException(CFileException::CauseFromErrno(error), error, dir + prefix + QStringLiteral("XXXXXX"))
            .ReportIfOutOfDescriptors();
        return QString();
    }
    return name;
}

QString AfxUniqueSuffix()
{
    static const char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix += QLatin1Char(Letters[QRandomGenerator::global()->bounded(int(sizeof Letters - 1))]);
    return suffix;
}

bool AfxCreateNewFile(const QString& fileName, CFileException* pError)
{
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int error = errno;
        if (pError)
            *pError = CFileException(CFileException::CauseFromErrno(error), error, fileName);
        return false;
    }
    ::close(fd);
    return true;
}
