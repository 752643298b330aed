#pragma once
// The application object: start-up, the state all windows share, the idle
// step of Replace All, and the display settings written back at exit.

#include "framework/WinApp.h"
#include "search/ReplaceAllLimits.h"

#include <QCursor>
#include <QString>
#include <QTime>

#include <functional>
#include <memory>

class CBytelonDoc;
class CBytelonView;
class COrphan;
class CColumnBox;
class CReplaceAllPass;
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
    // Shows the user guide at the section for the context (HelpWindow.h).
    void WinHelp(DWORD data, UINT command = HELP_CONTEXT) override;

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
    // A slice of a running Replace All: the steps it finds run as one
    // streaming pass, handed on from slice to slice.
    void ReplaceAllStep();
    // Ends a streaming pass at its last step boundary: the document becomes
    // what those steps would have made of it. With pDocument, only a pass
    // over that document. A failure ends the run, then is reported.
    void EndReplaceAllPass(CBytelonDoc* pDocument = nullptr);
    // The view is going: a pass through it ends without touching it, and a
    // run ends with its document.
    void ReplaceAllViewGoing(CBytelonView* pView);
    // Input that changes what the next step of a pass would do ends the
    // pass first; so does every command.
    bool PreTranslateMessage(QObject* pTarget, QEvent* pEvent) override;
    void BeforeCommand(UINT id) override;

    // Introspection for tests: how Replace All divides its work.
    void SetReplaceAllLimits(const CReplaceAllLimits& limits) { ReplaceAllLimits = limits; }
    [[nodiscard]] const CReplaceAllLimits& GetReplaceAllLimits() const { return ReplaceAllLimits; }

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

    // The documents an ended program left unsaved, offered in one question:
    // recovered, discarded, or kept for a later start.
    void OfferRecovery();

private:
    // Opens an abandoned document as a modified one, titled with its path.
    void RecoverDocument(COrphan& orphan);
    // One search and one replacement, as the design's step does them.
    void ReplaceAllSingleStep();
    // The run ends; the status pane keeps the count it shows.
    void EndReplaceAllRun();
    // The pass failed: out of reach and gone, the run over, then one box.
    void FailReplaceAllPass(std::unique_ptr<CReplaceAllPass> pPass);
    // Whether the event's target lies in a window on the pass's document.
    [[nodiscard]] bool ShowsPassDocument(QObject* pTarget) const;

    QString AsciiChartDirectory;
    std::unique_ptr<CReplaceAllPass> pReplaceAllPass;
    CReplaceAllLimits ReplaceAllLimits;
    // ReplaceCount when the pass began.
    long CountBeforePass = 0;
};

[[nodiscard]] CBytelonApp* BytelonApp();
