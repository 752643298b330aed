#pragma once
// What every fuzz target shares: one headless program for the whole run, and
// a check that ends the run with a finding when a property does not hold.

#include "support/TestSupport.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

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
