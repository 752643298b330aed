// Editing a large document: inserting a byte at its start (the tail goes out
// to a tail file and back), deleting its first byte (the tail moves down by
// one), each against cp of the file in the same run, and inserting at its end,
// against the same insertion into a 1 MiB document.

#include "BenchSupport.h"

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "doc/BytelonDoc.h"
#include "view/BytelonView.h"
#include "view/PreparedDC.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

const QString Name = QStringLiteral("Editing");

// Insertions at the end are too quick to time one by one, or in few rounds.
constexpr int EndInsertions = 1000;
constexpr int EndRounds = 7;

CBytelonView* OpenView(CProgram& program, const QString& path)
{
    auto* pDocument = static_cast<CBytelonDoc*>(program.App()->OpenDocumentFile(path));
    ProcessEvents();
    return pDocument ? CProgram::ViewOf(pDocument) : nullptr;
}

double Seconds(const std::function<void()>& code)
{
    QElapsedTimer timer;
    timer.start();
    code();
    return double(timer.nsecsElapsed()) / 1e9;
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times.empty() ? 0.0 : times[times.size() / 2];
}

struct CStep {
    std::function<void()> Prepare;  // untimed
    std::function<void()> Code;
};

// What is compared is timed in turns, after one untimed round, so that the
// machine's changing load falls on both sides of each ratio alike.
std::vector<double> TimeInTurns(const std::vector<CStep>& steps, int runs)
{
    std::vector<std::vector<double>> times(steps.size());
    for (int round = 0; round <= runs; ++round) {
        for (std::size_t i = 0; i < steps.size(); ++i) {
            steps[i].Prepare();
            const double seconds = Seconds(steps[i].Code);
            if (round > 0)
                times[i].push_back(seconds);
        }
    }
    std::vector<double> medians;
    for (const auto& stepTimes : times)
        medians.push_back(Median(stepTimes));
    return medians;
}

}  // namespace

BYTELON_BENCHMARK(Editing, "insert at the start and delete the first byte against cp; insert at the end against 1 MiB")
{
    QTemporaryDir folder(options.Folder + QStringLiteral("/bytelon-bench-XXXXXX"));
    if (!folder.isValid()) {
        std::fprintf(stderr, "%s: cannot make a folder in %s\n", qPrintable(Name), qPrintable(options.Folder));
        return false;
    }
    const QString small = folder.filePath(QStringLiteral("small.bin"));
    const QString big = folder.filePath(QStringLiteral("big.bin"));
    const QString copy = folder.filePath(QStringLiteral("copy.bin"));
    const std::int64_t bigBytes = options.SizeMiB * MiB;
    if (!MakeRandomFile(small, MiB, 3) || !MakeRandomFile(big, bigBytes, 4)) {
        std::fprintf(stderr, "%s: cannot write the test files\n", qPrintable(Name));
        return false;
    }
    const QString sizeText = QStringLiteral("%1 MiB").arg(options.SizeMiB);

    CProgram program;
    CBytelonView* pSmall = OpenView(program, small);
    CBytelonView* pBig = OpenView(program, big);
    if (!pSmall || !pBig || pBig->GetDocument()->DocLen != bigBytes) {
        std::fprintf(stderr, "%s: the test files did not open\n", qPrintable(Name));
        return false;
    }
    CBytelonDoc* pDocument = pBig->GetDocument();

    bool ok = true;
    const QString cpCommand = QStringLiteral("cp %1 %2").arg(ShellQuote(big), ShellQuote(copy));
    auto insertAtEnd = [&](CBytelonView* pView) {
        for (int i = 0; i < EndInsertions; ++i)
            ok = pView->ReplaceSelectionWithString("e", 1) && ok;
    };
    // Dirty pages left by writing the test files would be written back, and
    // writers throttled, while the quick end insertions are timed.
    ok = TimeCommand(QStringLiteral("sync"), 0) >= 0;
    // Each in the front window with the focus: the window scrolls a line as
    // the appended bytes fill one, which costs a hidden window nothing.
    auto toEnd = [](CBytelonView* pView) {
        Focus(pView);
        MoveCaretTo(pView, pView->GetDocument()->DocLen);
    };
    const std::vector<double> endTimes = TimeInTurns(
        {
            {[&] { toEnd(pSmall); }, [&] { insertAtEnd(pSmall); }},
            {[&] { toEnd(pBig); }, [&] { insertAtEnd(pBig); }},
        },
        std::max(options.Runs, EndRounds));
    const std::vector<double> times = TimeInTurns(
        {
            {[&] { QFile::remove(copy); }, [&] { ok = TimeCommand(cpCommand, 0) >= 0 && ok; }},
            {[&] {
                 QFile::remove(copy);  // its pages are not the insertion's to write back
                 MoveCaretTo(pBig, 0);
             },
             [&] { ok = pBig->ReplaceSelectionWithString("s", 1) && ok; }},
            {[&] { SelectBytes(pBig, 0, 1); },
             [&] {
                 CPreparedDC dc(pBig);
                 ok = pBig->DeleteTheSelection(dc) && ok;
             }},
        },
        options.Runs);
    QFile::remove(copy);
    const double cp = times[0];
    const double insertStart = times[1];
    const double deleteFirst = times[2];
    const double endSmall = endTimes[0] / EndInsertions;
    const double endBig = endTimes[1] / EndInsertions;

    // Every insertion at the start was undone by a deletion; the end grew.
    const std::int64_t expectedLength = bigBytes + std::int64_t(std::max(options.Runs, EndRounds) + 1) * EndInsertions;
    if (!ok || pDocument->DocLen != expectedLength || !program.Messages.Texts.isEmpty()) {
        std::fprintf(stderr, "%s: the edits failed: %s\n", qPrintable(Name),
                     qPrintable(program.Messages.Texts.join(QLatin1Char(' '))));
        return false;
    }

    Report(Name, QStringLiteral("cp of %1").arg(sizeText), cp, QStringLiteral("s"));
    Report(Name, QStringLiteral("insert 1 byte at 0 of %1").arg(sizeText), insertStart, QStringLiteral("s"));
    Report(Name, QStringLiteral("delete the first byte of %1").arg(sizeText), deleteFirst, QStringLiteral("s"));
    Report(Name, QStringLiteral("insert 1 byte at the end of 1 MiB"), endSmall * 1e6, QStringLiteral("us"));
    Report(Name, QStringLiteral("insert 1 byte at the end of %1").arg(sizeText), endBig * 1e6, QStringLiteral("us"));
    bool met = ReportRatio(Name, QStringLiteral("insert at 0 / (2 x cp)"), insertStart / (2 * cp), 1.3);
    met = ReportRatio(Name, QStringLiteral("delete first byte / cp"), deleteFirst / cp, 1.3) && met;
    met = ReportRatio(Name, QStringLiteral("insert at end, %1 / 1 MiB").arg(sizeText), endBig / endSmall, 1.2) && met;
    return met;
}
