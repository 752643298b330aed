// Searching: FindNext for a string that is not there, over the whole main
// test file, case-sensitive and ignoring case, each against grep -F on the
// same file in the same run; and Replace All of 1,000 occurrences spread
// evenly over 16 MiB.

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
    const std::int64_t step = bytes / count;
    for (int i = 0; i < count; ++i) {
        if (!file.seek(i * step + step / 2) || file.write(what) != what.size())
            return false;
    }
    return true;
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

bool ReplaceAllThousand(CProgram& program, const CBenchOptions& options, const QString& path)
{
    constexpr int Occurrences = 1000;
    const QByteArray what("\x8E\x01qZ\xF3\x7Fk\x02");
    if (!MakePlantedFile(path, 16 * MiB, what, Occurrences)) {
        std::fprintf(stderr, "%s: cannot write the Replace All file\n", qPrintable(Name));
        return false;
    }
    CBytelonDoc* pDocument = nullptr;
    CReplaceDlg* pDialog = nullptr;
    auto reopen = [&] {
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
    };
    const double replaceAll = TimeCode(
        [&] {
            pDialog->GetDlgItemAs<QAbstractButton>(IDC_REPLACE_ALL)->click();
            while (program.App()->ReplaceAllActive)
                ProcessEvents(1);
        },
        options.Runs, reopen);
    const bool whole = pDocument && pDocument->DocLen == 16 * MiB + Occurrences * 4
                       && program.Messages.Texts == QStringList{QStringLiteral("Reached end of document")}
                       && program.PaneText(0) == QStringLiteral("Replaced %1").arg(Occurrences);
    if (!whole) {
        std::fprintf(stderr, "%s: Replace All did not replace every occurrence: %s\n", qPrintable(Name),
                     qPrintable(program.Messages.Texts.join(QLatin1Char(' '))));
        return false;
    }
    const double perReplacement = replaceAll * 1000.0 / Occurrences;
    Report(Name, QStringLiteral("Replace All of %1 occurrences in 16 MiB").arg(Occurrences), replaceAll,
           QStringLiteral("s"), QStringLiteral("(%1 ms per replacement)").arg(perReplacement, 0, 'f', 2));
    return true;
}

}  // namespace

BYTELON_BENCHMARK(Search, "FindNext of an absent string against grep -F (-i); Replace All of 1,000 occurrences")
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
    const bool met = FindNextAgainstGrep(program, options, big);
    QFile::remove(big);
    return ReplaceAllThousand(program, options, folder.filePath(QStringLiteral("replace.bin"))) && met;
}
