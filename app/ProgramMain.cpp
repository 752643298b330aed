#include "app/ProgramMain.h"

#include "app/BytelonApp.h"
#include "app/CommandLine.h"
#include "app/DesktopId.h"
#include "framework/DisplayStartGuard.h"
#include "framework/TerminationSignals.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

int BytelonMain(int argc, char* argv[], const std::function<void(CBytelonApp&)>& prepare)
{
    const QStringList arguments = ProcessArguments(argc, argv);
    {
        QTextStream out(stdout);
        QTextStream err(stderr);
        if (const std::optional<int> status = AnswerCommandLine(arguments, out, err))
            return *status;
    }
    int status = 1;
    int endSignal = 0;
    {
        // The toolkit reads its options only before "--": what follows is the program's.
        int toolkitArgc = ToolkitArgumentCount(arguments);
        CDisplayStartGuard displayGuard(QFileInfo(arguments.value(0, QStringLiteral("bytelon"))).fileName());
        QApplication application(toolkitArgc, argv);
        displayGuard.End();
        // What the toolkit left of its part, read again from argv: its own reading is lossy.
        const QStringList toolkitPart = ProcessArguments(toolkitArgc, argv);
        {
            QTextStream err(stderr);
            if (const std::optional<int> refused = RefuseLeftOverOptions(toolkitPart, err))
                return *refused;
        }
        QGuiApplication::setDesktopFileName(BytelonDesktopId());
        CBytelonApp theApp;
        theApp.CatchTerminationSignals();
        theApp.SetCommandLine(toolkitPart + arguments.mid(ToolkitArgumentCount(arguments)));
        if (prepare)
            prepare(theApp);
        if (theApp.InitInstance())
            status = theApp.Run();
        endSignal = theApp.TerminationSignal();
    }
    // The documents are closed, the modified ones kept for the next start.
    if (endSignal != 0)
        AfxEndBySignal(endSignal);
    return status;
}
