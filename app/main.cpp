#include "app/BytelonApp.h"
#include "app/CommandLine.h"
#include "framework/DisplayStartGuard.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[])
{
    const QStringList arguments = ProcessArguments(argc, argv);
    {
        QTextStream out(stdout);
        QTextStream err(stderr);
        if (const std::optional<int> status = AnswerCommandLine(arguments, out, err))
            return *status;
    }
    // The toolkit reads its options only before "--": what follows is the program's.
    int toolkitArgc = ToolkitArgumentCount(arguments);
    CDisplayStartGuard displayGuard(QFileInfo(arguments.value(0, QStringLiteral("bytelon"))).fileName());
    QApplication application(toolkitArgc, argv);
    displayGuard.End();
    // What the toolkit left of its part, read again from argv: its own reading is lossy.
    const QStringList toolkitPart = ProcessArguments(toolkitArgc, argv);
    {
        QTextStream err(stderr);
        if (const std::optional<int> status = RefuseLeftOverOptions(toolkitPart, err))
            return *status;
    }
    QGuiApplication::setDesktopFileName(QStringLiteral("example.corvane.Bytelon"));
    CBytelonApp theApp;
    theApp.SetCommandLine(toolkitPart + arguments.mid(ToolkitArgumentCount(arguments)));
    if (!theApp.InitInstance())
        return 1;
    return theApp.Run();
}
