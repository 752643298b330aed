// Compare files on two identical documents, timed against cmp on the same
// two files in the same run. 256 MiB documents, 1 GiB with --large.

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "framework/File.h"
#include "framework/MessageBox.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class CRecordedMessages : public CMessageBoxService {
public:
    int Show(const QString& text, UINT) override
    {
        Texts << text;
        return IDOK;
    }
    QStringList Texts;
};

// Bytes that no file system stores as holes and no cache shares.
bool WritePattern(const QString& path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray chunk(1 << 20, '\0');
    quint32 state = 2463534242U;
    for (qint64 done = 0; done < size; done += chunk.size()) {
        for (char& c : chunk) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            c = char(state);
        }
        const qint64 n = std::min<qint64>(chunk.size(), size - done);
        if (file.write(chunk.constData(), n) != n)
            return false;
    }
    return true;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const bool large = QCoreApplication::arguments().contains(QStringLiteral("--large"));
    const qint64 size = large ? (qint64(1) << 30) : (qint64(256) << 20);
    constexpr int Rounds = 5;

    QTemporaryDir folder;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path() + QStringLiteral("/profile"));
    CRecordedMessages messages;
    AfxSetMessageBoxService(&messages);

    const QString pathA = folder.path() + QStringLiteral("/a.bin");
    const QString pathB = folder.path() + QStringLiteral("/b.bin");
    if (!WritePattern(pathA, size) || !WritePattern(pathB, size)) {
        std::fprintf(stderr, "cannot write the test files in %s\n", qPrintable(folder.path()));
        return 1;
    }

    int exitCode = 0;
    {
        CBytelonApp app;
        app.Clock = [] { return QTime(12, 0, 1); };
        if (!app.InitInstance())
            return 1;
        auto* pDocA = static_cast<CBytelonDoc*>(app.OpenDocumentFile(pathA));
        auto* pDocB = static_cast<CBytelonDoc*>(app.OpenDocumentFile(pathB));
        if (!pDocA || !pDocB || pDocA->DocLen != size || pDocB->DocLen != size) {
            std::fprintf(stderr, "cannot open the documents\n");
            return 1;
        }
        app.pCurrentView = static_cast<CBytelonView*>(pDocA->GetViews().front());
        app.pPreviousView = static_cast<CBytelonView*>(pDocB->GetViews().front());

        auto runCompare = [&] {
            messages.Texts.clear();
            CFile::ResetStatistics();
            QElapsedTimer timer;
            timer.start();
            app.pMainWnd->ExecuteCommand(ID_SEARCH_COMPARE);
            const double seconds = double(timer.nsecsElapsed()) * 1e-9;
            if (messages.Texts != QStringList{QStringLiteral("Files are identical")}) {
                std::fprintf(stderr, "Compare said: %s\n", qPrintable(messages.Texts.join(QLatin1Char('|'))));
                exitCode = 1;
            }
            // Every byte of both documents went through the comparison.
            if (CFile::GetStatistics().BytesRead < 2 * size) {
                std::fprintf(stderr, "Compare read only %lld bytes\n", CFile::GetStatistics().BytesRead);
                exitCode = 1;
            }
            return seconds;
        };
        auto runCmp = [&] {
            QElapsedTimer timer;
            timer.start();
            const int status = QProcess::execute(QStringLiteral("cmp"), {pathA, pathB});
            const double seconds = double(timer.nsecsElapsed()) * 1e-9;
            if (status != 0) {
                std::fprintf(stderr, "cmp failed: %d\n", status);
                exitCode = 1;
            }
            return seconds;
        };

        // Warm-up: every file in the page cache before anything is timed.
        runCmp();
        runCompare();
        std::vector<double> compareTimes;
        std::vector<double> cmpTimes;
        for (int round = 0; round < Rounds; ++round) {
            cmpTimes.push_back(runCmp());
            compareTimes.push_back(runCompare());
        }
        const double compare = Median(compareTimes);
        const double cmp = Median(cmpTimes);
        const double mib = double(size) / double(1 << 20);
        std::printf("compare: two identical %.0f MiB documents, median of %d rounds\n", mib, Rounds);
        std::printf("  Compare files  %8.3f s  %8.0f MiB/s per document\n", compare, mib / compare);
        std::printf("  cmp            %8.3f s  %8.0f MiB/s per file\n", cmp, mib / cmp);
        std::printf("  ratio Compare/cmp  %.2f (target 1.50 or less)\n", compare / cmp);
        app.CloseAllDocuments();
    }
    AfxSetMessageBoxService(nullptr);
    return exitCode;
}
