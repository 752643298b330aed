// Starting the program on any profile at all: whatever the INI file holds,
// the program starts with every setting within its range, the window where
// it can be shown and of a size a screen can hold, and writes back settings
// that are within range. Memory is bounded by the fuzzer's own limits.
// Input: the profile file's bytes.

#include "FuzzProgram.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

#include <cstdint>

namespace {
// The placement the program falls back to when none is stored.
constexpr int DefaultWidth = 900;
constexpr int DefaultHeight = 650;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CProgram& program = FuzzProgram(false);
    const QString profile = program.ProfileFile();
    QDir().mkpath(QFileInfo(profile).absolutePath());
    {
        QFile file(profile);
        Require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the profile can be written");
        file.write(reinterpret_cast<const char*>(data), qint64(size));
        // A new time each run, so a cached copy of the last profile is never taken for this one.
        static qint64 run = 0;
        file.setFileTime(QDateTime::fromMSecsSinceEpoch(1000000000000 + 1000 * ++run), QFileDevice::FileModificationTime);
    }

    program.Start();
    CBytelonApp* pApp = program.App();
    Require(pApp->CharPerLine >= 1 && pApp->CharPerLine <= 64, "CharPerLine is within 1 to 64");
    Require(pApp->GetRecentFiles().size() <= 4, "at most four recent files");
    CMainFrame* pFrame = program.Frame();
    Require(pFrame != nullptr, "the main window exists");
    const QRect available = pFrame->screen()->availableGeometry();
    const QRect placed = pFrame->geometry();
    Require(placed.width() <= std::max(available.width(), DefaultWidth)
                && placed.height() <= std::max(available.height(), DefaultHeight),
            "the window is no larger than the screen");
    Require(placed.intersects(available), "the window can be seen on the screen");
    program.Exit();

    QSettings written(profile, QSettings::IniFormat);
    const int charPerLine = written.value(QStringLiteral("Options/CharPerLine")).toInt();
    Require(charPerLine >= 1 && charPerLine <= 64, "CharPerLine is written back within 1 to 64");
    return 0;
}
