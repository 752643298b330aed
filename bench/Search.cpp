// Searching: FindNext for a string that is not there, over the whole main
// test file, case-sensitive and ignoring case, each against grep -F on the
// same file in the same run; and Replace All of 1,000 occurrences spread
// evenly over 16 MiB and of 1,000,000 over the main test file, each against
// cp of the same file in the same run, with the peak memory it takes.

#include "BenchSupport.h"

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "res/Resource.h"
#include "search/ReplaceDlg.h"
#include "view/BytelonView.h"
#include "view/PreparedDC.h"

#include <QAbstractButton>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const QString Name = QStringLiteral("Search");

// Letters of both cases, so ignoring case has work to do.
const QByteArray Absent("QzXwVuTsRqPoNmLk");

void CaretToStart(CBytelonView* pView)
{
    CPreparedDC dc(pView);
    pView->ScrollTo(0, -1, dc);
    pView->CaretHome(dc);
}

// The document of path with count copies of what planted at even distances.
bool MakePlantedFile(const QString& path, std::int64_t bytes, const QByteArray& what, int count)
{
    if (!MakeRandomFile(path, bytes, 5))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    uchar* pBytes = file.map(0, bytes);
    if (!pBytes)
        return false;
    const std::int64_t step = bytes / count;
    for (int i = 0; i < count; ++i)
        std::memcpy(pBytes + i * step + step / 2, what.constData(), std::size_t(what.size()));
    return file.unmap(pBytes);
}

bool FindNextAgainstGrep(CProgram& program, const CBenchOptions& options, const QString& path)
{
    auto* pDocument = static_cast<CBytelonDoc*>(program.App()->OpenDocumentFile(path));
    if (!pDocument || pDocument->DocLen != options.SizeMiB * MiB) {
        std::fprintf(stderr, "%s: the file did not open whole\n", qPrintable(Name));
        return false;
    }
    CBytelonView* pView = CProgram::ViewOf(pDocument);
    const QString sizeText = QStringLiteral("%1 MiB").arg(options.SizeMiB);
    bool met = true;
    for (int ignoreCase : {0, 1}) {
        program.Messages.Texts.clear();
        int result = 0;
        const double find = TimeCode(
            [&] { result = pView->FindNext(Absent.constData(), int(Absent.size()), ignoreCase); }, options.Runs,
            [&] { CaretToStart(pView); });
        if (result != 1 || program.Messages.Texts.value(0) != QStringLiteral("Reached end of document")) {
            std::fprintf(stderr, "%s: the absent string was found or the search failed\n", qPrintable(Name));
            return false;
        }
        // grep exits with 1 when it counts nothing.
        const QString grep = QStringLiteral("LC_ALL=C grep -F %1-c %2 %3 >/dev/null; test $? -le 1")
                                 .arg(ignoreCase ? QStringLiteral("-i ") : QString(),
                                      ShellQuote(QString::fromLatin1(Absent)), ShellQuote(pDocument->WorkFileName));
        const double grepTime = TimeCommand(grep, options.Runs);
        if (grepTime < 0) {
            std::fprintf(stderr, "%s: grep did not run\n", qPrintable(Name));
            return false;
        }
        const QString mode = ignoreCase ? QStringLiteral("ignoring case") : QStringLiteral("case-sensitive");
        const QString grepName = ignoreCase ? QStringLiteral("grep -F -i -c") : QStringLiteral("grep -F -c");
        Report(Name, QStringLiteral("%1 of %2, %3").arg(grepName, sizeText, mode), grepTime, QStringLiteral("s"));
        Report(Name, QStringLiteral("FindNext of %1, %2").arg(sizeText, mode), find, QStringLiteral("s"),
               QStringLiteral("(%1 MiB/s)").arg(double(options.SizeMiB) / find, 0, 'f', 0));
        met = ReportRatio(Name, QStringLiteral("FindNext / %1, %2").arg(grepName, mode), find / grepTime, 1.0) && met;
    }
    pDocument->OnCloseDocument();
    ProcessEvents();
    return met;
}

// Replace All of count occurrences spread evenly over a file of bytes, against
// cp of the same file in the same rounds; false when it missed a target.
bool ReplaceAllAgainstCp(CProgram& program, const CBenchOptions& options, const QString& path, std::int64_t bytes,
                         int count)
{
    const QByteArray what("\x8E\x01qZ\xF3\x7Fk\x02");
    const QString copy = path + QStringLiteral(".copy");
    if (!MakePlantedFile(path, bytes, what, count)) {
        std::fprintf(stderr, "%s: cannot write the Replace All file\n", qPrintable(Name));
        return false;
    }
    const QString cpCommand = QStringLiteral("cp %1 %2").arg(ShellQuote(path), ShellQuote(copy));
    CBytelonDoc* pDocument = nullptr;
    CReplaceDlg* pDialog = nullptr;
    std::vector<double> replaceTimes, cpTimes;
    long peakBefore = 0;
    bool whole = true;
    for (int round = 0; round <= options.Runs && whole; ++round) {
        if (pDocument) {
            pDocument->OnCloseDocument();
            ProcessEvents();
        }
        pDocument = program.Open(path);
        // The view the dialog works on, as if the user had clicked it.
        program.App()->pCurrentView = CProgram::ViewOf(pDocument);
        if (!pDialog) {
            program.Frame()->ExecuteCommand(ID_SEARCH_REPLACE);
            pDialog = program.App()->pReplaceDlg;
            const QByteArray with(int(what.size()) + 4, '-');
            pDialog->GetDlgItemAs<QLineEdit>(IDC_REPLACE_FIND_HEX)
                ->setText(CHexAsciiPair::HexTextOf(what.constData(), int(what.size())));
            pDialog->GetDlgItemAs<QLineEdit>(IDC_REPLACE_WITH_HEX)
                ->setText(CHexAsciiPair::HexTextOf(with.constData(), int(with.size())));
        }
        program.Messages.Texts.clear();
        if (round == 1)
            peakBefore = PeakResidentKiB();
        const double replaceAll = TimeOnce([&] {
            pDialog->GetDlgItemAs<QAbstractButton>(IDC_REPLACE_ALL)->click();
            while (program.App()->ReplaceAllActive)
                ProcessEvents(1);
        });
        QFile::remove(copy);
        const double cp = TimeCommandOnce(cpCommand);
        QFile::remove(copy);
        whole = cp >= 0 && pDocument && pDocument->DocLen == bytes + std::int64_t(count) * 4
                && program.Messages.Texts == QStringList{QStringLiteral("Reached end of document")}
                && program.PaneText(0) == QStringLiteral("Replaced %1").arg(count);
        if (round > 0) {
            replaceTimes.push_back(replaceAll);
            cpTimes.push_back(cp);
        }
    }
    const long peakAfter = PeakResidentKiB();
    if (pDocument)
        pDocument->OnCloseDocument();
    if (pDialog)
        pDialog->DestroyWindow();
    ProcessEvents();
    QFile::remove(path);
    if (!whole) {
        std::fprintf(stderr, "%s: Replace All did not replace every occurrence: %s\n", qPrintable(Name),
                     qPrintable(program.Messages.Texts.join(QLatin1Char(' '))));
        return false;
    }
    const double replaceAll = Median(replaceTimes);
    const double cp = Median(cpTimes);
    const QString figure = QStringLiteral("Replace All of %1 occurrences in %2 MiB").arg(count).arg(bytes / MiB);
    Report(Name, QStringLiteral("cp of %1 MiB").arg(bytes / MiB), cp, QStringLiteral("s"));
    Report(Name, figure, replaceAll, QStringLiteral("s"),
           QStringLiteral("(%1 us per replacement)").arg(replaceAll * 1e6 / count, 0, 'f', 2));
    bool met = ReportRatio(Name, figure + QStringLiteral(" / cp"), replaceAll / cp, 3.0);
    const double growth = double(peakAfter - peakBefore) / 1024.0;
    const bool memoryMet = growth < 16.0;
    Report(Name, figure + QStringLiteral(", peak memory growth"), growth, QStringLiteral("MiB"),
           QStringLiteral("(target < 16 MiB: %1)").arg(memoryMet ? "ok" : "MISSED"));
    return met && memoryMet;
}

}  // namespace

BYTELON_BENCHMARK(Search, "FindNext of an absent string against grep -F (-i); Replace All against cp")
{
    QTemporaryDir folder(options.Folder + QStringLiteral("/bytelon-bench-XXXXXX"));
    if (!folder.isValid()) {
        std::fprintf(stderr, "%s: cannot make a folder in %s\n", qPrintable(Name), qPrintable(options.Folder));
        return false;
    }
    const QString big = folder.filePath(QStringLiteral("search.bin"));
    if (!MakeRandomFile(big, options.SizeMiB * MiB, 3)) {
        std::fprintf(stderr, "%s: cannot write the test file\n", qPrintable(Name));
        return false;
    }
    CProgram program;
    bool met = FindNextAgainstGrep(program, options, big);
    QFile::remove(big);
    const QString replaced = folder.filePath(QStringLiteral("replace.bin"));
    met = ReplaceAllAgainstCp(program, options, replaced, 16 * MiB, 1000) && met;
    met = ReplaceAllAgainstCp(program, options, replaced, options.SizeMiB * MiB, 1000000) && met;
    return met;
}
