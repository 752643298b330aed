#include "framework/Process.h"

#include <QFile>

#include <unistd.h>

long AfxProcessId()
{
    return long(::getpid());
}

QString AfxBootId()
{
    static const QString id = [] {
        QFile file(QStringLiteral("/proc/sys/kernel/random/boot_id"));
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).trimmed() : QString();
    }();
    return id;
}
