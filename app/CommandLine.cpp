#include "app/CommandLine.h"

#include "framework/NativeNames.h"

#include <QFileInfo>
#include <QTextStream>

namespace {

const QString OptionsEnd = QStringLiteral("--");

QString Usage(const QString& program)
{
    return QStringLiteral(
               "Usage: %1 [OPTION]... [--] [FILE]\n"
               "Edit FILE, or start with no document: BYTELON, the hex editor by Corvane Systems.\n"
               "\n"
               "  -h, --help     show this help and exit\n"
               "      --version  show the version and exit\n"
               "  --             end of options: the argument after it is the file name,\n"
               "                 even when it starts with a dash\n"
               "\n"
               "The toolkit's own options, such as -platform and -style, are accepted before \"--\".\n")
        .arg(program);
}

QString ProgramName(const QStringList& arguments)
{
    return arguments.isEmpty() ? QStringLiteral("bytelon") : QFileInfo(arguments.front()).fileName();
}

}  // namespace

std::optional<int> AnswerCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    const QString program = ProgramName(arguments);
    for (int i = 1; i < arguments.size() && arguments[i] != OptionsEnd; ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            out << Usage(program);
            out.flush();
            return 0;
        }
        if (argument == QLatin1String("--version")) {
            out << "BYTELON 2.0\n";
            out.flush();
            return 0;
        }
        if (argument.startsWith(OptionsEnd)) {
            err << program << ": unknown option " << argument << " (try " << program << " --help)\n";
            err.flush();
            return 2;
        }
    }
    return std::nullopt;
}

std::optional<int> RefuseLeftOverOptions(const QStringList& toolkitPart, QTextStream& err)
{
    const QString program = ProgramName(toolkitPart);
    for (int i = 1; i < toolkitPart.size(); ++i) {
        const QString& argument = toolkitPart[i];
        // A lone dash is a file name.
        if (argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            err << program << ": " << argument << " is not an option (to open a file of that name: " << program
                << " -- " << argument << ")\n";
            err.flush();
            return 2;
        }
    }
    return std::nullopt;
}

int ToolkitArgumentCount(const QStringList& arguments)
{
    const int end = int(arguments.indexOf(OptionsEnd));
    return end < 0 ? int(arguments.size()) : end;
}

QStringList ProcessArguments(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << AfxDecodeFileName(QByteArray(argv[i]));
    return arguments;
}
