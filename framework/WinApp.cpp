#include "framework/WinApp.h"

#include "framework/AfxRes.h"
#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/File.h"
#include "framework/FileDialog.h"
#include "framework/MDIChildWnd.h"
#include "framework/MDIFrameWnd.h"
#include "framework/MessageBox.h"
#include "framework/StringTable.h"
#include "framework/TerminationSignals.h"
#include "framework/View.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QFileInfo>
#include <QPalette>
#include <QPrinter>
#include <QWidget>

#include <csignal>

namespace {
CWinApp* pTheApp = nullptr;
const QString RecentFileSection = QStringLiteral("Recent File List");
}  // namespace

CWinApp* AfxGetApp()
{
    return pTheApp;
}

CMDIFrameWnd* AfxGetMainWnd()
{
    return pTheApp ? pTheApp->pMainWnd : nullptr;
}

QString AfxGetAppTitle()
{
    return pTheApp ? pTheApp->GetAppName() : QString();
}

CWinApp::CWinApp()
{
    pTheApp = this;
    // A write past a file-size limit then fails with EFBIG and is reported
    // like a full disk, instead of ending the program with its work unsaved.
    std::signal(SIGXFSZ, SIG_IGN);
    AppName = AfxLoadString(AFX_IDS_APP_TITLE);
    IdleTimer.setSingleShot(true);
    IdleTimer.setInterval(0);
    connect(&IdleTimer, &QTimer::timeout, this, &CWinApp::RunIdle);
    if (qApp) {
        qApp->installEventFilter(this);
        connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &CWinApp::WakeIdle);
    }
}

CWinApp::~CWinApp()
{
    if (qApp)
        qApp->removeEventFilter(this);
    if (pMainWnd) {
        CloseAllDocuments(IsSessionEnding());
        delete pMainWnd;
        pMainWnd = nullptr;
    }
    pEndSignals.reset();
    // The list is written once, at exit: a profile write waits for the disk,
    // which opening a file should not.
    if (RecentFilesChanged)
        SaveRecentFiles();
    Templates.clear();
    if (pTheApp == this)
        pTheApp = nullptr;
}

bool CWinApp::InitInstance()
{
    return true;
}

int CWinApp::ExitInstance()
{
    return 0;
}

int CWinApp::Run()
{
    // A signal caught during start-up has ended every loop since.
    if (!IsSessionEnding())
        QApplication::exec();
    return ExitInstance();
}

void CWinApp::CatchTerminationSignals()
{
    if (pEndSignals)
        return;
    pEndSignals = std::make_unique<CTerminationSignals>([this](int signalNumber) {
        if (EndSignal != 0)
            return;
        EndSignal = signalNumber;
        // Every loop returns, modal ones first; a box opened on the way back
        // returns at once with the answer that changes nothing.
        QCoreApplication::exit(128 + signalNumber);
    });
}

bool CWinApp::OnIdle(long count)
{
    if (count == 0 && pMainWnd)
        pMainWnd->UpdateAllCommandUI();
    return false;
}

void CWinApp::WakeIdle()
{
    if (!IdleTimer.isActive())
        IdleTimer.start();
}

void CWinApp::RunIdle()
{
    if (InIdle)
        return;
    InIdle = true;
    AfxCallGuarded([this] { OnIdle(0); });
    InIdle = false;
}

bool CWinApp::PreTranslateMessage(QObject*, QEvent*)
{
    return false;
}

void CWinApp::BeforeCommand(UINT) {}

bool CWinApp::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (PreTranslateMessage(pWatched, pEvent))
        return true;
    switch (pEvent->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::FocusIn:
    case QEvent::WindowActivate:
    case QEvent::Close:
        WakeIdle();
        break;
    default:
        break;
    }
    return QObject::eventFilter(pWatched, pEvent);
}

void CWinApp::SetRegistryKey(const QString& key)
{
    RegistryKey = key;
}

std::unique_ptr<QSettings> CWinApp::Profile() const
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       RegistryKey.isEmpty() ? AppName : RegistryKey, AppName);
}

int CWinApp::GetProfileInt(const QString& section, const QString& entry, int defaultValue) const
{
    const QVariant value = Profile()->value(section + QLatin1Char('/') + entry);
    if (!value.isValid())
        return defaultValue;
    bool ok = false;
    const int number = value.toString().trimmed().toInt(&ok);
    return ok ? number : defaultValue;
}

bool CWinApp::WriteProfileInt(const QString& section, const QString& entry, int value)
{
    auto profile = Profile();
    profile->setValue(section + QLatin1Char('/') + entry, value);
    profile->sync();
    return profile->status() == QSettings::NoError;
}

QString CWinApp::GetProfileString(const QString& section, const QString& entry, const QString& defaultValue) const
{
    const QVariant value = Profile()->value(section + QLatin1Char('/') + entry);
    return value.isValid() ? value.toString() : defaultValue;
}

bool CWinApp::WriteProfileString(const QString& section, const QString& entry, const QString& value)
{
    auto profile = Profile();
    profile->setValue(section + QLatin1Char('/') + entry, value);
    profile->sync();
    return profile->status() == QSettings::NoError;
}

void CWinApp::LoadStdProfileSettings(int maxRecentFiles)
{
    MaxRecentFiles = maxRecentFiles;
    RecentFiles.clear();
    for (int i = 1; i <= maxRecentFiles; ++i) {
        const QString file = GetProfileString(RecentFileSection, QStringLiteral("File%1").arg(i));
        if (!file.isEmpty() && !RecentFiles.contains(file))
            RecentFiles << file;
    }
}

void CWinApp::SaveRecentFiles()
{
    if (MaxRecentFiles <= 0)
        return;
    auto profile = Profile();
    profile->remove(RecentFileSection);
    for (int i = 0; i < RecentFiles.size(); ++i)
        profile->setValue(RecentFileSection + QStringLiteral("/File%1").arg(i + 1), RecentFiles[i]);
}

void CWinApp::AddToRecentFileList(const QString& pathName)
{
    if (MaxRecentFiles <= 0 || pathName.isEmpty())
        return;
    RecentFiles.removeAll(pathName);
    RecentFiles.prepend(pathName);
    while (RecentFiles.size() > MaxRecentFiles)
        RecentFiles.removeLast();
    RecentFilesChanged = true;
}

void CWinApp::RemoveFromRecentFileList(int index)
{
    if (index >= 0 && index < RecentFiles.size()) {
        RecentFiles.removeAt(index);
        RecentFilesChanged = true;
    }
}

void CWinApp::AddDocTemplate(CMultiDocTemplate* pTemplate)
{
    Templates.emplace_back(pTemplate);
}

CDocument* CWinApp::OpenDocumentFile(const QString& fileName)
{
    if (Templates.empty())
        return nullptr;
    // Before the toolkit resolves the name, which it would do for another file.
    CFileException error;
    if (!CFile::CheckName(fileName, &error)) {
        error.ReportError();
        return nullptr;
    }
    const QFileInfo info(fileName);
    const QString path = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    for (const auto& pTemplate : Templates) {
        if (CDocument* pDocument = pTemplate->FindOpenDocument(path)) {
            if (!pDocument->GetViews().empty() && pMainWnd)
                pMainWnd->MDIActivate(pDocument->GetViews().front()->GetParentFrame());
            return pDocument;
        }
    }
    CFileStatus status;
    if (CFile::GetStatus(path, status) && !status.IsDirectory && status.Size > CDocument::MaxLength) {
        AfxMessageBox(QStringLiteral("%1 cannot be opened: it is longer than 2147483647 (7FFFFFFF) bytes, "
                                     "the most that BYTELON can edit.")
                          .arg(path),
                      MB_OK | MB_ICONEXCLAMATION);
        return nullptr;
    }
    return Templates.front()->OpenDocumentFile(path);
}

bool CWinApp::SaveAllModified()
{
    for (const auto& pTemplate : Templates) {
        const auto documents = pTemplate->GetDocuments();
        for (CDocument* pDocument : documents) {
            if (!pDocument->SaveModified())
                return false;
        }
    }
    return true;
}

void CWinApp::CloseAllDocuments(bool endSession)
{
    for (const auto& pTemplate : Templates) {
        while (!pTemplate->GetDocuments().empty()) {
            CDocument* pDocument = pTemplate->GetDocuments().front();
            if (endSession)
                pDocument->OnSessionEnding();
            pDocument->OnCloseDocument();
        }
    }
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) const
{
    const QStringList arguments = CommandLine ? *CommandLine : QCoreApplication::arguments();
    bool optionsEnded = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!optionsEnded && argument == QLatin1String("--")) {
            // Whatever follows is a file name, even one that starts with a dash.
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument.size() > 1)
            continue;
        info.TheShellCommand = CCommandLineInfo::FileOpen;
        info.FileName = argument;
        return;
    }
}

bool CWinApp::ProcessShellCommand(const CCommandLineInfo& info)
{
    switch (info.TheShellCommand) {
    case CCommandLineInfo::FileNew:
        OnFileNew();
        return true;
    case CCommandLineInfo::FileOpen:
        return OpenDocumentFile(info.FileName) != nullptr;
    case CCommandLineInfo::FileNothing:
        return true;
    }
    return false;
}

void CWinApp::OnFileNew()
{
    if (!Templates.empty())
        Templates.front()->OpenDocumentFile(QString());
}

void CWinApp::OnFileOpen()
{
    CFileDialog dialog(true, QString(), QString(), OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                       QStringLiteral("All Files (*.*)|*.*||"));
    if (dialog.DoModal() == IDOK)
        OpenDocumentFile(dialog.GetPathName());
}

void CWinApp::OnAppExit()
{
    if (pMainWnd)
        pMainWnd->close();
}

bool CWinApp::OnCmdMsg(UINT id, CCmdUI* pCmdUI)
{
    if (id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_FILE4) {
        const int index = int(id - ID_FILE_MRU_FILE1);
        if (pCmdUI) {
            pCmdUI->Enable(index < RecentFiles.size());
            return true;
        }
        if (index < RecentFiles.size()) {
            const QString file = RecentFiles[index];
            if (!OpenDocumentFile(file))
                RemoveFromRecentFileList(int(RecentFiles.indexOf(file)));
        }
        return true;
    }
    if (id == ID_APP_EXIT) {
        if (pCmdUI)
            pCmdUI->Enable(true);
        else
            OnAppExit();
        return true;
    }
    return false;
}

void CWinApp::SetDialogBkColor(COLORREF background, COLORREF text)
{
    DialogBkColor = background;
    DialogTextColor = text;
}

void CWinApp::ApplyDialogColors(QWidget* pWindow) const
{
    auto fromColorRef = [](COLORREF color) {
        return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
    };
    QPalette colours = pWindow->palette();
    colours.setColor(QPalette::Window, fromColorRef(DialogBkColor));
    colours.setColor(QPalette::WindowText, fromColorRef(DialogTextColor));
    pWindow->setPalette(colours);
    pWindow->setAutoFillBackground(true);
}
