// The benchmark driver: runs the registered benchmarks against the real
// program, in-process and offscreen, and prints one line per figure.

#include "BenchSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

void PrintUsage()
{
    std::printf("usage: bytelon_bench [--size MiB] [--large] [--only NAME] [--runs N] [--dir FOLDER]\n"
                "                     [--work-dir FOLDER]\n"
                "  --size MiB    size of the main test file (default 256)\n"
                "  --large       a 1 GiB test file (same as --size 1024)\n"
                "  --only NAME   run only the benchmark NAME\n"
                "  --runs N      timed runs after the warm-up, median reported (default 3)\n"
                "  --dir FOLDER  where the test files go (default the system's temporary folder)\n"
                "  --work-dir FOLDER  the program's work folder (default its own choice); OpenSave\n"
                "                also times a work folder beside its test file, on that file system\n"
                "The exit code is 1 when a target was missed, 2 on bad options.\n"
                "Benchmarks:\n");
    for (const CBenchEntry& entry : BenchRegistry())
        std::printf("  %-12s %s\n", qPrintable(entry.Name), qPrintable(entry.Description));
}

}  // namespace

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    CBenchOptions options;
    options.Folder = QDir::tempPath();
    QString only;
    const QStringList arguments = QCoreApplication::arguments();
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        bool ok = true;
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            PrintUsage();
            return 0;
        } else if (argument == QLatin1String("--large")) {
            options.SizeMiB = 1024;
        } else if (argument == QLatin1String("--size") && hasValue) {
            options.SizeMiB = arguments[++i].toLongLong(&ok);
            ok = ok && options.SizeMiB > 0 && options.SizeMiB < 2048;
        } else if (argument == QLatin1String("--runs") && hasValue) {
            options.Runs = arguments[++i].toInt(&ok);
            ok = ok && options.Runs > 0;
        } else if (argument == QLatin1String("--only") && hasValue) {
            only = arguments[++i];
        } else if (argument == QLatin1String("--dir") && hasValue) {
            options.Folder = arguments[++i];
        } else if (argument == QLatin1String("--work-dir") && hasValue) {
            qputenv("TMPDIR", QFile::encodeName(arguments[++i]));
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "bytelon_bench: bad option %s\n", qPrintable(argument));
            PrintUsage();
            return 2;
        }
    }

    bool allMet = true;
    bool ranAny = false;
    for (const CBenchEntry& entry : BenchRegistry()) {
        if (!only.isEmpty() && entry.Name != only)
            continue;
        ranAny = true;
        allMet = entry.Run(options) && allMet;
    }
    if (!ranAny) {
        std::fprintf(stderr, "bytelon_bench: no benchmark named %s\n", qPrintable(only));
        return 2;
    }
    return allMet ? 0 : 1;
}
