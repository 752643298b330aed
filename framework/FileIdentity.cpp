#include "framework/FileIdentity.h"

#include <QFile>
#include <QStringList>

#include <sys/stat.h>

namespace {

CFileIdentity FromStat(const struct stat& st)
{
    CFileIdentity identity;
    identity.Exists = true;
    identity.Device = std::uint64_t(st.st_dev);
    identity.Inode = std::uint64_t(st.st_ino);
    identity.Size = std::int64_t(st.st_size);
    identity.ModifiedSeconds = std::int64_t(st.st_mtim.tv_sec);
    identity.ModifiedNanoseconds = long(st.st_mtim.tv_nsec);
    return identity;
}

}  // namespace

CFileIdentity CFileIdentity::Of(const QString& fileName)
{
    struct stat st {};
    if (fileName.isEmpty() || ::stat(QFile::encodeName(fileName).constData(), &st) != 0)
        return {};
    return FromStat(st);
}

CFileIdentity CFileIdentity::OfHandle(int fd)
{
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return {};
    return FromStat(st);
}

QString CFileIdentity::ToText() const
{
    if (!Exists)
        return QStringLiteral("none");
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(Device)
        .arg(Inode)
        .arg(Size)
        .arg(ModifiedSeconds)
        .arg(ModifiedNanoseconds);
}

CFileIdentity CFileIdentity::FromText(const QString& text)
{
    const QStringList fields = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    CFileIdentity identity;
    if (fields.size() != 5)
        return identity;
    bool ok[5] = {};
    identity.Device = fields[0].toULongLong(&ok[0]);
    identity.Inode = fields[1].toULongLong(&ok[1]);
    identity.Size = fields[2].toLongLong(&ok[2]);
    identity.ModifiedSeconds = fields[3].toLongLong(&ok[3]);
    identity.ModifiedNanoseconds = fields[4].toLong(&ok[4]);
    for (bool fieldOk : ok) {
        if (!fieldOk)
            return {};
    }
    identity.Exists = true;
    return identity;
}
