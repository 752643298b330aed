#include "app/BytelonApp.h"

#include "app/AboutDlg.h"
#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "framework/Clipboard.h"
#include "framework/DocTemplate.h"
#include "framework/Resources.h"
#include "framework/StringTable.h"
#include "res/Resource.h"
#include "res/Resources.h"
#include "search/FindDlg.h"
#include "search/ReplaceAllPass.h"
#include "search/ReplaceDlg.h"
#include "view/BytelonView.h"

#include <QApplication>

namespace {
// The program's resources are registered before the framework's application
// constructor reads its title from them.
bool RegisterResourcesOnce()
{
    RegisterBytelonResources();
    return true;
}
}  // namespace

CBytelonApp* BytelonApp()
{
    return static_cast<CBytelonApp*>(AfxGetApp());
}

CBytelonApp::CBytelonApp()
{
    static const bool registered = RegisterResourcesOnce();
    Q_UNUSED(registered);
    SetAppName(AfxLoadString(AFX_IDS_APP_TITLE));
}

CBytelonApp::~CBytelonApp()
{
    // Nothing is left to take a pass's result.
    pReplaceAllPass.reset();
    // The modeless dialogs have no parent window to take them along.
    delete pFindDlg;
    pFindDlg = nullptr;
    delete pReplaceDlg;
    pReplaceDlg = nullptr;
    // Windows go first: the views hand the current view back as they close.
    if (pMainWnd) {
        CloseAllDocuments(IsSessionEnding());
        delete pMainWnd;
        pMainWnd = nullptr;
    }
    WriteProfileInt(QStringLiteral("Options"), QStringLiteral("CharPerLine"), CharPerLine);
    WriteProfileInt(QStringLiteral("Options"), QStringLiteral("HexAddressBase"), HexAddressBase);
}

bool CBytelonApp::InitInstance()
{
    SetDialogBkColor(RGB(192, 192, 192), RGB(0, 0, 0));
    SetRegistryKey(AfxLoadString(IDS_REGISTRY_KEY));
    LoadStdProfileSettings(4);

    hIBeamCursor = QCursor(Qt::IBeamCursor);
    hColumnCursor = AfxLoadCursor(IDC_COLUMN_CURSOR);
    hCurrentCursor = hIBeamCursor;

    AddDocTemplate(new CMultiDocTemplate(
        IDR_BYTELONTYPE, [] { return new CBytelonDoc; }, [] { return new CBytelonView; }));

    auto* pFrame = new CMainFrame;
    pMainWnd = pFrame;
    if (!pFrame->LoadFrame(IDR_MAINFRAME)) {
        delete pFrame;
        pMainWnd = nullptr;
        return false;
    }

    CCommandLineInfo commandLine;
    ParseCommandLine(commandLine);
    // No file named: no empty document at start-up.
    if (commandLine.TheShellCommand == CCommandLineInfo::FileNew)
        commandLine.TheShellCommand = CCommandLineInfo::FileNothing;
    if (!ProcessShellCommand(commandLine))
        return false;

    pFrame->setWindowState(CmdShow);
    pFrame->show();
    pFrame->repaint();

    if (Clock().second() % 20 == 0)
        OnAppAbout();

    WriteProfileString(QStringLiteral("BYTELON"), QStringLiteral("VersionNumber"), QStringLiteral("2.0"));

    CharPerLine = GetProfileInt(QStringLiteral("Options"), QStringLiteral("CharPerLine"), 8);
    if (CharPerLine < 1)
        CharPerLine = 1;
    if (CharPerLine > 64)
        CharPerLine = 64;
    HexAddressBase = GetProfileInt(QStringLiteral("Options"), QStringLiteral("HexAddressBase"), 1);

    pFrame->DragAcceptFiles();
    ClipboardFormat = AfxRegisterClipboardFormat(QStringLiteral("CF_BYTELON"));
    // After everything else, so that recovered documents get the stored
    // display settings; with nothing left behind, nothing is asked.
    OfferRecovery();
    return true;
}

bool CBytelonApp::OnIdle(long count)
{
    if (CWinApp::OnIdle(count))
        return true;
    ReplaceAllStep();
    return true;
}

int CBytelonApp::HexDigitValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    return 255;
}

void CBytelonApp::OnAppAbout()
{
    CAboutDlg about;
    about.DoModal();
}

bool CBytelonApp::OnCmdMsg(UINT id, CCmdUI* pCmdUI)
{
    return DispatchCommandMap<CBytelonApp>(this,
                                           {
                                               {ID_APP_ABOUT, &CBytelonApp::OnAppAbout, nullptr},
                                               {ID_FILE_NEW, &CWinApp::OnFileNew, nullptr},
                                               {ID_FILE_OPEN, &CWinApp::OnFileOpen, nullptr},
                                               {ID_FILE_PRINT_SETUP, &CWinApp::OnFilePrintSetup, nullptr},
                                               {ID_SEARCH_COMPARE, &CBytelonApp::OnSearchDiff,
                                                &CBytelonApp::OnUpdateSearchDiff},
                                               {ID_VIEW_ASCII_CHART, &CBytelonApp::OnViewAsciiChart, nullptr},
                                           },
                                           id, pCmdUI)
           || CWinApp::OnCmdMsg(id, pCmdUI);
}
