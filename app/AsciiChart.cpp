// The ASCII chart: a file of the 256 byte values beside the program (or,
// installed, in the user's folder), checked before each use, rebuilt on
// request, and opened as a document.

#include "app/BytelonApp.h"

#include "app/AsciiChartFolder.h"

#include "framework/File.h"
#include "framework/MessageBox.h"
#include "framework/StringTable.h"
#include "res/Resource.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <array>

namespace {

constexpr int ChartSize = 256;

// Byte i of the chart is i.
std::array<unsigned char, ChartSize> ExpectedChart()
{
    std::array<unsigned char, ChartSize> chart{};
    for (int i = 0; i < ChartSize; ++i)
        chart[std::size_t(i)] = static_cast<unsigned char>(i);
    return chart;
}

enum class ChartState { Good, Altered, Unreadable };

ChartState CheckChart(const QString& path, const std::array<unsigned char, ChartSize>& expected)
{
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareExclusive))
        return ChartState::Unreadable;
    std::array<unsigned char, ChartSize> content{};
    UINT got = 0;
    try {
        got = file.Read(content.data(), ChartSize);
    } catch (const CFileException&) {
        return ChartState::Unreadable;
    }
    if (got < UINT(ChartSize))
        return ChartState::Unreadable;
    return content == expected ? ChartState::Good : ChartState::Altered;
}

bool WriteChart(const QString& path, const std::array<unsigned char, ChartSize>& expected)
{
    CFile file;
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive))
        return false;
    try {
        file.Write(expected.data(), ChartSize);
    } catch (const CFileException&) {
        return false;
    }
    return true;
}

}  // namespace

QString CBytelonApp::AsciiChartPath() const
{
    const QString directory = AsciiChartDirectory.isEmpty()
                                  ? ChooseAsciiChartFolder(QCoreApplication::applicationDirPath(),
                                                           UserAsciiChartFolder())
                                  : AsciiChartDirectory;
    if (directory.isEmpty())
        return QString();
    return directory + QLatin1Char('/') + AfxLoadString(IDS_ASCII_CHART_NAME);
}

void CBytelonApp::OnViewAsciiChart()
{
    const std::array<unsigned char, ChartSize> expected = ExpectedChart();
    const QString path = AsciiChartPath();
    if (path.isEmpty())
        return;

    CFileStatus status;
    bool rebuild = !CFile::GetStatus(path, status);
    if (!rebuild) {
        ChartState state = ChartState::Altered;
        if (status.Size == ChartSize && !status.IsDirectory)
            state = CheckChart(path, expected);
        if (state == ChartState::Unreadable) {
            AfxMessageBox(IDS_ASCII_CHART_OPEN_FAILED);
            return;
        }
        if (state == ChartState::Altered) {
            if (AfxMessageBox(IDS_ASCII_CHART_QUESTION, MB_YESNO | MB_ICONQUESTION) != IDYES) {
                AfxMessageBox(IDS_OPERATION_CANCELED);
                return;
            }
            rebuild = true;
        }
    }
    // The user's folder is made on first use; the executable's exists already.
    if (rebuild && QFileInfo(path).path() == UserAsciiChartFolder())
        QDir().mkpath(UserAsciiChartFolder());
    if (rebuild && !WriteChart(path, expected)) {
        AfxMessageBox(IDS_ASCII_CHART_OPEN_FAILED);
        return;
    }
    OpenDocumentFile(path);
}
