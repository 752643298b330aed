#pragma once
// The application object: start-up, the state all windows share, the idle
// step of Replace All, and the display settings written back at exit.

#include "framework/WinApp.h"

#include <QCursor>
#include <QString>
#include <QTime>

#include <functional>

class CBytelonView;
class CColumnBox;
class CFindDlg;
class CReplaceDlg;

class CBytelonApp : public CWinApp {
    Q_OBJECT
public:
    CBytelonApp();
    ~CBytelonApp() override;

    bool InitInstance() override;
    bool OnIdle(long count) override;
    bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override;

    // "0" to "9", "A" to "F" and "a" to "f" give their value; anything else 255.
    [[nodiscard]] static int HexDigitValue(char ch);

    void OnAppAbout();
    void OnSearchDiff();
    void OnUpdateSearchDiff(CCmdUI* pCmdUI);
    void OnViewAsciiChart();

    // The ASCII chart file: beside the executable, or for an installed program
    // in the user's folder (AsciiChartFolder.h), unless a directory is set.
    [[nodiscard]] QString AsciiChartPath() const;
    // For tests, which must not write beside the test program.
    void SetAsciiChartDirectory(const QString& directory) { AsciiChartDirectory = directory; }
    // One search and one replacement of a running Replace All.
    void ReplaceAllStep();

    // The local time start-up looks at; tests replace it.
    std::function<QTime()> Clock = [] { return QTime::currentTime(); };

    UINT ClipboardFormat = 0;
    CFindDlg* pFindDlg = nullptr;
    CReplaceDlg* pReplaceDlg = nullptr;
    char HexDigits[17] = "0123456789ABCDEF";
    QString SearchHexText;
    QString ReplaceHexText;
    char InsertInitialChar = 0;
    CBytelonView* pCurrentView = nullptr;
    CBytelonView* pPreviousView = nullptr;
    int ReplaceAllActive = 0;
    int HexAddressBase = 1;
    int CharPerLine = 8;
    long ReplaceCount = 0;
    QCursor hIBeamCursor;
    QCursor hColumnCursor;
    QCursor hCurrentCursor;
    CColumnBox* pColumnBox = nullptr;
    int ColumnBoxX = 0;
    int ColumnBoxY = 0;

private:
    QString AsciiChartDirectory;
};

[[nodiscard]] CBytelonApp* BytelonApp();
