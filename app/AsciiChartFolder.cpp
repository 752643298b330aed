#include "app/AsciiChartFolder.h"

#include "app/DesktopId.h"
#include "framework/StringTable.h"
#include "framework/WinApp.h"
#include "res/Resource.h"

#include <QFileInfo>
#include <QStandardPaths>

QString ChooseAsciiChartFolder(const QString& programFolder, const QString& userFolder)
{
    // An installed program's folder belongs to the package and to every user,
    // even when this user (root) could write into it.
    const bool installed = QFileInfo::exists(programFolder + QStringLiteral("/../share/applications/")
                                             + BytelonDesktopId() + QStringLiteral(".desktop"));
    const QFileInfo folder(programFolder);
    return !installed && folder.isDir() && folder.isWritable() ? programFolder : userFolder;
}

QString UserAsciiChartFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/')
           + AfxLoadString(IDS_REGISTRY_KEY) + QLatin1Char('/') + AfxGetAppTitle();
}
