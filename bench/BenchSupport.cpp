#include "BenchSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

std::vector<CBenchEntry>& BenchRegistry()
{
    static std::vector<CBenchEntry> entries;
    return entries;
}

bool RegisterBenchmark(const QString& name, const QString& description, CBenchFunction run)
{
    BenchRegistry().push_back(CBenchEntry{name, description, std::move(run)});
    return true;
}

bool MakeRandomFile(const QString& path, std::int64_t bytes, std::uint64_t seed)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    // splitmix64: fast, and the same bytes for the same seed on every machine.
    std::uint64_t state = seed;
    std::vector<std::uint64_t> block(MiB / sizeof(std::uint64_t));
    for (std::int64_t written = 0; written < bytes;) {
        for (std::uint64_t& word : block) {
            std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
            word = z ^ (z >> 31);
        }
        const std::int64_t n = std::min<std::int64_t>(MiB, bytes - written);
        if (file.write(reinterpret_cast<const char*>(block.data()), n) != n)
            return false;
        written += n;
    }
    return file.flush();
}

double TimeOnce(const std::function<void()>& code)
{
    QElapsedTimer timer;
    timer.start();
    code();
    return double(timer.nsecsElapsed()) / 1e9;
}

double Median(std::vector<double> times)
{
    if (times.empty())
        return 0.0;
    std::sort(times.begin(), times.end());
    const std::size_t middle = times.size() / 2;
    return times.size() % 2 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
}

double TimeCommandOnce(const QString& command)
{
    bool failed = false;
    const double seconds = TimeOnce([&] {
        failed = QProcess::execute(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command}) != 0;
    });
    return failed ? -1.0 : seconds;
}

double TimeCode(const std::function<void()>& code, int runs, const std::function<void()>& prepare)
{
    std::vector<double> times;
    for (int i = 0; i <= runs; ++i) {
        if (prepare)
            prepare();
        const double seconds = TimeOnce(code);
        if (i > 0)
            times.push_back(seconds);
    }
    return Median(times);
}

double TimeCommand(const QString& command, int runs, const std::function<void()>& prepare)
{
    bool failed = false;
    const double seconds = TimeCode([&] { failed = TimeCommandOnce(command) < 0 || failed; }, runs, prepare);
    return failed ? -1.0 : seconds;
}

QString ShellQuote(const QString& path)
{
    QString quoted = path;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

long PeakResidentKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void Report(const QString& benchmark, const QString& figure, double value, const QString& unit, const QString& note)
{
    std::printf("%s %s: %.3f %s%s%s\n", qPrintable(benchmark), qPrintable(figure), value, qPrintable(unit),
                note.isEmpty() ? "" : "  ", qPrintable(note));
    std::fflush(stdout);
}

bool ReportRatio(const QString& benchmark, const QString& figure, double ratio, double target, const QString& note)
{
    const bool met = ratio >= 0 && ratio <= target;
    QString text = QStringLiteral("(target <= %1x: %2)").arg(target, 0, 'f', 2).arg(met ? "ok" : "MISSED");
    if (!note.isEmpty())
        text += QStringLiteral("  ") + note;
    Report(benchmark, figure, ratio, QStringLiteral("x"), text);
    return met;
}
