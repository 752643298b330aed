// Repainting a full screen and scrolling one line, on a 1 MiB and on a 1 GiB
// document: the cost must not depend on the document's size.

#include "BenchSupport.h"

#include "support/TestSupport.h"

#include "doc/BytelonDoc.h"
#include "view/BytelonView.h"
#include "view/PreparedDC.h"

#include <QTemporaryDir>

#include <cstdio>

namespace {

struct CRepaintCost {
    double FullScreen = 0;  // seconds per full repaint
    double OneLine = 0;     // seconds per one-line scroll with its repaint
};

constexpr int PaintsPerRun = 100;

bool Measure(const QString& path, std::int64_t size, int runs, CRepaintCost& cost)
{
    CProgram program;
    CBytelonDoc* pDocument = program.Open(path);
    if (!pDocument || pDocument->DocLen != size)
        return false;
    CBytelonView* pView = CProgram::ViewOf(pDocument);
    ShowLines(pView, 40);
    {
        CPreparedDC dc(pView);
        pView->ScrollTo(int(size / 2), 0, dc);
    }
    ProcessEvents();
    cost.FullScreen = TimeCode(
                          [&] {
                              for (int i = 0; i < PaintsPerRun; ++i)
                                  pView->viewport()->repaint();
                          },
                          runs)
                      / PaintsPerRun;
    // Down and back up: each step moves the pixels and paints the uncovered line at once.
    cost.OneLine = TimeCode(
                       [&] {
                           CPreparedDC dc(pView);
                           for (int i = 0; i < PaintsPerRun / 2; ++i) {
                               pView->LineDown(dc);
                               pView->LineUp(dc);
                           }
                       },
                       runs)
                   / PaintsPerRun;
    return true;
}

}  // namespace

BYTELON_BENCHMARK(Repaint, "full-screen repaint and one-line scroll, 1 GiB document against 1 MiB")
{
    const QString name = QStringLiteral("Repaint");
    QTemporaryDir folder(options.Folder + QStringLiteral("/bytelon-bench-XXXXXX"));
    const QString small = folder.filePath(QStringLiteral("small.bin"));
    const QString big = folder.filePath(QStringLiteral("big.bin"));
    if (!folder.isValid() || !MakeRandomFile(small, MiB, 11) || !MakeRandomFile(big, 1024 * MiB, 12)) {
        std::fprintf(stderr, "Repaint: cannot write the test files\n");
        return false;
    }
    CRepaintCost smallCost;
    CRepaintCost bigCost;
    if (!Measure(small, MiB, options.Runs, smallCost) || !Measure(big, 1024 * MiB, options.Runs, bigCost)
        || !Measure(small, MiB, options.Runs, smallCost)) {
        std::fprintf(stderr, "Repaint: cannot open the documents\n");
        return false;
    }
    const QString unit = QStringLiteral("ms");
    Report(name, QStringLiteral("full screen, 1 MiB document"), smallCost.FullScreen * 1e3, unit);
    Report(name, QStringLiteral("full screen, 1 GiB document"), bigCost.FullScreen * 1e3, unit);
    Report(name, QStringLiteral("one-line scroll, 1 MiB document"), smallCost.OneLine * 1e3, unit);
    Report(name, QStringLiteral("one-line scroll, 1 GiB document"), bigCost.OneLine * 1e3, unit);
    bool met = ReportRatio(name, QStringLiteral("full screen, 1 GiB / 1 MiB"), bigCost.FullScreen / smallCost.FullScreen, 1.2);
    met = ReportRatio(name, QStringLiteral("one-line scroll, 1 GiB / 1 MiB"), bigCost.OneLine / smallCost.OneLine, 1.2)
          && met;
    return met;
}
