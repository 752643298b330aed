#pragma once
// What every fuzz target shares: one headless program for the whole run, and
// a check that ends the run with a finding when a property does not hold.
// The program's work files and profile live in a folder of the run's own,
// removed when the run ends.

#include "support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

// The application and the program, made on first use and never destroyed:
// at exit Qt's own globals go first, and the program must not outlive them.
// start: whether the program starts at once (a target may start it itself).
inline CProgram& FuzzProgram(bool start = true)
{
    static int argc = 1;
    static char name[] = "bytelon-fuzz";
    static char* argv[] = {name, nullptr};
    static CProgram* pProgram = nullptr;
    if (!pProgram) {
        // Made before the application, whose folders follow TMPDIR; removed at
        // exit without Qt, whose globals are gone by then.
        QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/bytelon-fuzz-XXXXXX"));
        folder.setAutoRemove(false);
        static std::string folderPath;
        if (folder.isValid()) {
            folderPath = QFile::encodeName(folder.path()).toStdString();
            qputenv("TMPDIR", QByteArray::fromStdString(folderPath));
            std::atexit([] {
                std::error_code ignored;
                std::filesystem::remove_all(folderPath, ignored);
            });
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!qEnvironmentVariableIsSet("QT_QPA_FONTDIR"))
            qputenv("QT_QPA_FONTDIR", "/usr/share/fonts/truetype");
        new QApplication(argc, argv);
        pProgram = new CProgram(10, start);
    }
    return *pProgram;
}

// A property that failed: libFuzzer keeps the input that made it fail.
inline void Require(bool holds, const char* property)
{
    if (holds)
        return;
    std::fprintf(stderr, "property does not hold: %s\n", property);
    std::abort();
}
