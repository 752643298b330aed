// Opening a file (loading it into a work file) and saving it back, each
// against cp of the same file in the same run, and the peak memory it takes.

#include "BenchSupport.h"

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "doc/BytelonDoc.h"

#include "framework/DocTemplate.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

const QString Name = QStringLiteral("OpenSave");

bool Fail(const QString& why)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(Name), qPrintable(why));
    return false;
}

CBytelonDoc* OpenDocument(CProgram& program, const QString& path)
{
    return static_cast<CBytelonDoc*>(program.App()->OpenDocumentFile(path));
}

QString FileSystemOf(const QString& path)
{
    QProcess df;
    df.start(QStringLiteral("stat"), {QStringLiteral("-f"), QStringLiteral("-c"), QStringLiteral("%T"), path});
    df.waitForFinished();
    return QString::fromLocal8Bit(df.readAllStandardOutput()).trimmed();
}

// Where the program puts its work files now, and on what file system.
QString WorkFolderOf(CProgram& program)
{
    CBytelonDoc* pDocument = static_cast<CBytelonDoc*>(program.App()->GetDocTemplates().front()->OpenDocumentFile(QString()));
    const QString folder = pDocument ? QFileInfo(pDocument->WorkFileName).absolutePath() : QString();
    if (pDocument)
        pDocument->OnCloseDocument();
    return QStringLiteral("%1, %2").arg(folder, FileSystemOf(folder));
}

void CloseDocument(CBytelonDoc*& pDocument)
{
    if (pDocument) {
        pDocument->OnCloseDocument();
        ProcessEvents();
        pDocument = nullptr;
    }
}

}  // namespace

BYTELON_BENCHMARK(OpenSave, "open and save a file, each against cp of it; peak memory against file size")
{
    QTemporaryDir folder(options.Folder + QStringLiteral("/bytelon-bench-XXXXXX"));
    if (!folder.isValid())
        return Fail(QStringLiteral("cannot make a folder in %1").arg(options.Folder));
    const QString small = folder.filePath(QStringLiteral("small.bin"));
    const QString big = folder.filePath(QStringLiteral("big.bin"));
    const QString copy = folder.filePath(QStringLiteral("copy.bin"));
    const std::int64_t bigBytes = options.SizeMiB * MiB;
    if (!MakeRandomFile(small, 16 * MiB, 1) || !MakeRandomFile(big, bigBytes, 2))
        return Fail(QStringLiteral("cannot write the test files"));
    const QString sizeText = QStringLiteral("%1 MiB").arg(options.SizeMiB);

    CProgram program;

    // Memory first: whatever the file's size, the program holds one buffer of it.
    CBytelonDoc* pDocument = OpenDocument(program, small);
    if (!pDocument || !pDocument->OnSaveDocument(copy))
        return Fail(QStringLiteral("the 16 MiB file did not open and save: ")
                    + program.Messages.Texts.join(QLatin1Char(' ')));
    CloseDocument(pDocument);
    const long smallPeak = PeakResidentKiB();

    // Rounds alternate the four measurements so that they share the
    // machine's conditions; the first round warms up and is not counted.
    const QString cpCommand = QStringLiteral("cp %1 %2").arg(ShellQuote(big), ShellQuote(copy));
    // A save makes its copy durable before it replaces the target; this is cp doing the same.
    const QString cpSyncCommand = cpCommand + QStringLiteral(" && sync %1").arg(ShellQuote(copy));
    std::vector<double> cpTimes, cpSyncTimes, openTimes, saveTimes, besideOpenTimes, besideSaveTimes;
    // Each side starts with nothing dirty: writing back what the one before
    // left (the work file that open writes) would be charged to the next.
    const QString settle = QStringLiteral("sync");
    // Opens and saves the big file once with the work folder where the
    // program puts it, or (beside) in the file's own folder, where a file
    // system that clones makes both nearly free.
    auto openAndSave = [&](bool beside, double& open, double& save) {
        CEnvironmentGuard workFolder("TMPDIR", beside ? folder.path() : qEnvironmentVariable("TMPDIR"));
        TimeCommandOnce(settle);
        open = TimeOnce([&] { pDocument = OpenDocument(program, big); });
        if (!pDocument || pDocument->DocLen != bigBytes)
            return Fail(QStringLiteral("the file did not open whole"));
        bool saved = false;
        TimeCommandOnce(settle);
        save = TimeOnce([&] { saved = pDocument->OnSaveDocument(copy); });
        if (!saved)
            return Fail(QStringLiteral("the save failed: ") + program.Messages.Texts.join(QLatin1Char(' ')));
        CloseDocument(pDocument);
        return true;
    };
    for (int round = 0; round <= options.Runs; ++round) {
        QFile::remove(copy);
        TimeCommandOnce(settle);
        const double cp = TimeCommandOnce(cpCommand);
        QFile::remove(copy);
        TimeCommandOnce(settle);
        const double cpSync = TimeCommandOnce(cpSyncCommand);
        QFile::remove(copy);
        if (cp < 0 || cpSync < 0)
            return Fail(QStringLiteral("cp failed"));
        double open = 0, save = 0, besideOpen = 0, besideSave = 0;
        if (!openAndSave(false, open, save))
            return false;
        QFile::remove(copy);
        if (!openAndSave(true, besideOpen, besideSave))
            return false;
        if (round > 0) {
            cpTimes.push_back(cp);
            cpSyncTimes.push_back(cpSync);
            openTimes.push_back(open);
            saveTimes.push_back(save);
            besideOpenTimes.push_back(besideOpen);
            besideSaveTimes.push_back(besideSave);
        }
    }
    const long bigPeak = PeakResidentKiB();
    if (TimeCommandOnce(QStringLiteral("cmp -s %1 %2").arg(ShellQuote(big), ShellQuote(copy))) < 0)
        return Fail(QStringLiteral("the saved copy differs from the file"));

    const double cp = Median(cpTimes);
    const double cpSync = Median(cpSyncTimes);
    const double open = Median(openTimes);
    const double save = Median(saveTimes);
    Report(Name, QStringLiteral("cp of %1").arg(sizeText), cp, QStringLiteral("s"));
    Report(Name, QStringLiteral("cp and sync of %1").arg(sizeText), cpSync, QStringLiteral("s"));
    Report(Name, QStringLiteral("open of %1").arg(sizeText), open, QStringLiteral("s"));
    Report(Name, QStringLiteral("save of %1").arg(sizeText), save, QStringLiteral("s"),
           QStringLiteral("(the copy is identical; flushed to disk before it replaces the target)"));
    // The file system's own figure: no target, only what it can share.
    const double besideOpen = Median(besideOpenTimes);
    const double besideSave = Median(besideSaveTimes);
    Report(Name, QStringLiteral("open of %1, work folder beside the file").arg(sizeText), besideOpen,
           QStringLiteral("s"), QStringLiteral("(%1)").arg(FileSystemOf(folder.path())));
    Report(Name, QStringLiteral("save of %1, work folder beside the file").arg(sizeText), besideSave,
           QStringLiteral("s"));
    Report(Name, QStringLiteral("open beside / open"), besideOpen / open, QStringLiteral("x"),
           QStringLiteral("(work folder %1)").arg(WorkFolderOf(program)));
    Report(Name, QStringLiteral("save beside / save"), besideSave / save, QStringLiteral("x"));
    bool met = ReportRatio(Name, QStringLiteral("open / cp"), open / cp, 1.3);
    Report(Name, QStringLiteral("save / cp"), save / cp, QStringLiteral("x"));
    // A save must reach the disk: cp followed by sync is its fair peer.
    met = ReportRatio(Name, QStringLiteral("save / (cp and sync)"), save / cpSync, 1.2) && met;
    Report(Name, QStringLiteral("peak memory after 16 MiB"), double(smallPeak) / 1024.0, QStringLiteral("MiB"));
    Report(Name, QStringLiteral("peak memory after %1").arg(sizeText), double(bigPeak) / 1024.0,
           QStringLiteral("MiB"));
    const double growth = double(bigPeak - smallPeak) / 1024.0;
    const bool memoryMet = growth < 16.0;
    Report(Name, QStringLiteral("peak memory growth 16 MiB -> %1").arg(sizeText), growth, QStringLiteral("MiB"),
           QStringLiteral("(target < 16 MiB: %1)").arg(memoryMet ? "ok" : "MISSED"));
    return met && memoryMet;
}
