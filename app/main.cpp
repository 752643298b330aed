#include "app/BytelonApp.h"
#include "app/CommandLine.h"

#include <QApplication>
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
    QApplication application(toolkitArgc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("example.corvane.Bytelon"));
    CBytelonApp theApp;
    // What the toolkit left of its part, read again from argv: its own reading is lossy.
    theApp.SetCommandLine(ProcessArguments(toolkitArgc, argv) + arguments.mid(ToolkitArgumentCount(arguments)));
    if (!theApp.InitInstance())
        return 1;
    return theApp.Run();
}
