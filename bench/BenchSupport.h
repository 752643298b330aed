#pragma once
// What every benchmark shares: registration, the command-line options, files
// of pseudo-random bytes, timing of shell commands and of code with warm-up,
// the process's peak resident memory, and one printed line per figure.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

struct CBenchOptions {
    // Size of the main test file.
    std::int64_t SizeMiB = 256;
    // The folder the test files go in; they are deleted afterwards.
    QString Folder;
    // Timed runs after the warm-up run; the median is reported.
    int Runs = 3;
};

// Runs one benchmark; false when it missed a target.
using CBenchFunction = std::function<bool(const CBenchOptions&)>;

struct CBenchEntry {
    QString Name;
    QString Description;
    CBenchFunction Run;
};

// Every benchmark, in registration order.
std::vector<CBenchEntry>& BenchRegistry();
bool RegisterBenchmark(const QString& name, const QString& description, CBenchFunction run);

// Defines and registers a benchmark in its own file:
//   BYTELON_BENCHMARK(OpenSave, "what it measures") { ...; return targetsMet; }
#define BYTELON_BENCHMARK(name, description)                                                        \
    static bool name##Benchmark(const CBenchOptions& options);                                      \
    static const bool name##Registered = RegisterBenchmark(QStringLiteral(#name),                    \
                                                           QStringLiteral(description), name##Benchmark); \
    static bool name##Benchmark([[maybe_unused]] const CBenchOptions& options)

constexpr std::int64_t MiB = 1024 * 1024;

// Writes bytes pseudo-random bytes from seed to path, a MiB at a time.
bool MakeRandomFile(const QString& path, std::int64_t bytes, std::uint64_t seed);

// Seconds one run of code takes, and the median of several.
double TimeOnce(const std::function<void()>& code);
double Median(std::vector<double> times);
// A command run by /bin/sh, timed; negative when it fails.
double TimeCommandOnce(const QString& command);

// Seconds: the median of runs timed runs after one untimed warm-up run.
// prepare runs before every run, untimed; it may be empty.
double TimeCode(const std::function<void()>& code, int runs, const std::function<void()>& prepare = {});
// The same for a command run by /bin/sh; a failing command gives a negative time.
double TimeCommand(const QString& command, int runs, const std::function<void()>& prepare = {});
// Quotes a path for /bin/sh.
QString ShellQuote(const QString& path);

// The process's peak resident memory so far, in KiB.
long PeakResidentKiB();

// One line per figure: "<benchmark> <figure>: <value> <unit>  <note>".
void Report(const QString& benchmark, const QString& figure, double value, const QString& unit,
            const QString& note = QString());
// A ratio against a target it must stay under: prints it with "ok" or "MISSED".
bool ReportRatio(const QString& benchmark, const QString& figure, double ratio, double target,
                 const QString& note = QString());
