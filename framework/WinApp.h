#pragma once
// The application object: start-up and shut-down hooks, idle processing, the
// profile, the document templates, the recent-file list and the framework's
// standard file commands.

#include "framework/Afx.h"
#include "framework/CmdTarget.h"
#include "framework/HelpContext.h"

#include <QObject>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <optional>
#include <vector>

class CDocument;
class CMDIFrameWnd;
class CTerminationSignals;
class CMultiDocTemplate;
class QPrinter;
class QWidget;

struct CCommandLineInfo {
    enum ShellCommand { FileNew, FileOpen, FileNothing };
    ShellCommand TheShellCommand = FileNew;
    QString FileName;
};

class CWinApp : public QObject, public CCmdTarget {
    Q_OBJECT
public:
    CWinApp();
    ~CWinApp() override;

    virtual bool InitInstance();
    virtual int ExitInstance();
    // Called when the event queue has emptied after activity, and again
    // soon after WakeIdle. True asks for more idle time.
    virtual bool OnIdle(long count);
    // Runs the message loop until the main window closes; returns the exit code.
    int Run();
    // Another idle pass soon, even if no event arrives.
    void WakeIdle();
    // Sees every event before its receiver does; true keeps it from the receiver.
    virtual bool PreTranslateMessage(QObject* pTarget, QEvent* pEvent);
    // Called before the handler of any command runs, whatever sent it: a
    // menu, an accelerator, the toolbar, an accessibility action or the
    // program itself.
    virtual void BeforeCommand(UINT id);

    // Profile settings under RegistryKey / application name, one group per section.
    void SetRegistryKey(const QString& key);
    [[nodiscard]] const QString& GetRegistryKey() const { return RegistryKey; }
    void LoadStdProfileSettings(int maxRecentFiles);
    [[nodiscard]] int GetProfileInt(const QString& section, const QString& entry, int defaultValue) const;
    bool WriteProfileInt(const QString& section, const QString& entry, int value);
    [[nodiscard]] QString GetProfileString(const QString& section, const QString& entry,
                                           const QString& defaultValue = QString()) const;
    bool WriteProfileString(const QString& section, const QString& entry, const QString& value);

    void AddDocTemplate(CMultiDocTemplate* pTemplate);
    [[nodiscard]] const std::vector<std::unique_ptr<CMultiDocTemplate>>& GetDocTemplates() const { return Templates; }
    // Opens a file as a document, or activates the window that already shows it.
    virtual CDocument* OpenDocumentFile(const QString& fileName);
    void AddToRecentFileList(const QString& pathName);
    void RemoveFromRecentFileList(int index);
    [[nodiscard]] const QStringList& GetRecentFiles() const { return RecentFiles; }
    [[nodiscard]] bool SaveAllModified();
    // With endSession, the program is ending without the user closing the
    // documents: each is told (OnSessionEnding) before it closes.
    void CloseAllDocuments(bool endSession = false);

    // From now on SIGTERM, SIGHUP and SIGINT end the program through its
    // event loop as a logout ends it: no question is asked, the event loops
    // return, and the documents close with the session ending.
    void CatchTerminationSignals();
    // The signal that ended the program; 0 while none has.
    [[nodiscard]] int TerminationSignal() const { return EndSignal; }
    [[nodiscard]] bool IsSessionEnding() const { return EndSignal != 0; }

    // The first argument that is not an option names the file to open; after
    // "--" every argument is a name, even one that starts with a dash.
    void ParseCommandLine(CCommandLineInfo& info) const;
    // The command line ParseCommandLine reads, program name first; until set,
    // the process's own arguments. Tests and the benchmark start the program
    // in-process and give it here.
    void SetCommandLine(const QStringList& arguments) { CommandLine = arguments; }
    bool ProcessShellCommand(const CCommandLineInfo& info);

    // The framework's standard commands.
    void OnFileNew();
    void OnFileOpen();
    void OnAppExit();
    // Print Setup: the printer and page setup dialog; later jobs use its choices.
    void OnFilePrintSetup();
    // The printer every print job and preview uses, made on first use.
    [[nodiscard]] QPrinter* GetPrinter();
    bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override;

    // Help for a help context (HELP_CONTEXT) or the help's contents
    // (HELP_FINDER). The framework's own has no help file to show.
    virtual void WinHelp(DWORD data, UINT command = HELP_CONTEXT);

    // Dialog and message box colours for the whole program.
    void SetDialogBkColor(COLORREF background, COLORREF text);

    [[nodiscard]] const QString& GetAppName() const { return AppName; }

    CMDIFrameWnd* pMainWnd = nullptr;
    // The show state the program was started with.
    Qt::WindowState CmdShow = Qt::WindowNoState;

    // The dialog colours set with SetDialogBkColor.
    [[nodiscard]] COLORREF GetDialogBkColor() const { return DialogBkColor; }
    [[nodiscard]] COLORREF GetDialogTextColor() const { return DialogTextColor; }
    // Gives a dialog or message box window those colours.
    void ApplyDialogColors(QWidget* pWindow) const;

protected:
    void SetAppName(const QString& name) { AppName = name; }
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void RunIdle();
    [[nodiscard]] std::unique_ptr<QSettings> Profile() const;
    void SaveRecentFiles();

    QString AppName;
    QString RegistryKey;
    std::vector<std::unique_ptr<CMultiDocTemplate>> Templates;
    QStringList RecentFiles;
    std::optional<QStringList> CommandLine;
    int MaxRecentFiles = 0;
    bool RecentFilesChanged = false;
    QTimer IdleTimer;
    bool InIdle = false;
    COLORREF DialogBkColor = RGB(192, 192, 192);
    COLORREF DialogTextColor = RGB(0, 0, 0);
    std::unique_ptr<QPrinter> pPrinter;
    std::unique_ptr<CTerminationSignals> pEndSignals;
    int EndSignal = 0;
};

[[nodiscard]] CWinApp* AfxGetApp();
[[nodiscard]] CMDIFrameWnd* AfxGetMainWnd();
[[nodiscard]] QString AfxGetAppTitle();
