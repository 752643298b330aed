// Compare files on two identical documents, timed against cmp of the same
// two files in the same run.

#include "BenchSupport.h"

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "framework/File.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

#include <QTemporaryDir>

#include <cstdio>

BYTELON_BENCHMARK(Compare, "Compare files on two identical documents against cmp of the same files")
{
    const QString name = QStringLiteral("Compare");
    QTemporaryDir folder(options.Folder + QStringLiteral("/bytelon-bench-XXXXXX"));
    const QString pathA = folder.filePath(QStringLiteral("a.bin"));
    const QString pathB = folder.filePath(QStringLiteral("b.bin"));
    const std::int64_t size = options.SizeMiB * MiB;
    if (!folder.isValid() || !MakeRandomFile(pathA, size, 7) || !MakeRandomFile(pathB, size, 7)) {
        std::fprintf(stderr, "Compare: cannot write the test files\n");
        return false;
    }
    CProgram program;
    CBytelonDoc* pDocA = program.Open(pathA);
    CBytelonDoc* pDocB = program.Open(pathB);
    if (!pDocA || !pDocB || pDocA->DocLen != size || pDocB->DocLen != size) {
        std::fprintf(stderr, "Compare: cannot open the documents\n");
        return false;
    }
    program.App()->pCurrentView = CProgram::ViewOf(pDocA);
    program.App()->pPreviousView = CProgram::ViewOf(pDocB);

    bool sound = true;
    auto compare = [&] {
        program.Messages.Texts.clear();
        CFile::ResetStatistics();
        program.Frame()->ExecuteCommand(ID_SEARCH_COMPARE);
        // Every byte of both documents went through the comparison.
        sound = sound && program.Messages.Texts == QStringList{QStringLiteral("Files are identical")}
                && CFile::GetStatistics().BytesRead >= 2 * size;
    };
    const QString cmpCommand = QStringLiteral("cmp %1 %2").arg(ShellQuote(pathA), ShellQuote(pathB));
    std::vector<double> compareTimes;
    std::vector<double> cmpTimes;
    for (int round = 0; round <= options.Runs; ++round) {
        const double cmp = TimeCommandOnce(cmpCommand);
        const double ours = TimeOnce(compare);
        if (round == 0)
            continue;  // warm-up: both files in the page cache
        cmpTimes.push_back(cmp);
        compareTimes.push_back(ours);
    }
    if (!sound) {
        std::fprintf(stderr, "Compare: the command did not read both documents through to \"Files are identical\"\n");
        return false;
    }
    const double ours = Median(compareTimes);
    const double cmp = Median(cmpTimes);
    const QString sizeText = QStringLiteral("%1 MiB").arg(options.SizeMiB);
    Report(name, QStringLiteral("Compare files, ") + sizeText, ours, QStringLiteral("s"));
    Report(name, QStringLiteral("cmp, ") + sizeText, cmp, QStringLiteral("s"));
    return ReportRatio(name, QStringLiteral("Compare / cmp"), ours / cmp, 1.5);
}
