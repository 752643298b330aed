#pragma once
// The name the desktop knows BYTELON by: its desktop entry, icon and
// metainfo files are named after it.

#include <QString>

[[nodiscard]] inline QString BytelonDesktopId()
{
    return QStringLiteral("example.corvane.Bytelon");
}
