#include "framework/Clipboard.h"

#include <QStringList>

namespace {
QStringList& RegisteredNames()
{
    static QStringList names;
    return names;
}
constexpr UINT FirstPrivateFormat = 0xC000;
}  // namespace

UINT AfxRegisterClipboardFormat(const QString& name)
{
    QStringList& names = RegisteredNames();
    int index = int(names.indexOf(name));
    if (index < 0) {
        names << name;
        index = int(names.size()) - 1;
    }
    return FirstPrivateFormat + UINT(index);
}

QString AfxClipboardMimeType(UINT format)
{
    const QStringList& names = RegisteredNames();
    const int index = int(format) - int(FirstPrivateFormat);
    if (index < 0 || index >= names.size())
        return QString();
    // "CF_BYTELON" travels as application/x-cf-bytelon.
    return QStringLiteral("application/x-") + names[index].toLower().replace(QLatin1Char('_'), QLatin1Char('-'));
}
