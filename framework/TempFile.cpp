#include "framework/TempFile.h"

#include "framework/FileException.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <unistd.h>

bool AfxGetTempPath(QString& path, int bufferLimit)
{
    QString dir = QDir::tempPath();
    // Empty when the folder the environment names does not exist.
    if (dir.isEmpty())
        return false;
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
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
