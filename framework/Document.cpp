#include "framework/Document.h"

#include "framework/AfxRes.h"
#include "framework/Archive.h"
#include "framework/DocTemplate.h"
#include "framework/File.h"
#include "framework/FileDialog.h"
#include "framework/MDIChildWnd.h"
#include "framework/MDIFrameWnd.h"
#include "framework/StringTable.h"
#include "framework/MessageBox.h"
#include "framework/ReplacingFile.h"
#include "framework/View.h"
#include "framework/WaitCursor.h"
#include "framework/WinApp.h"

#include <QFileInfo>

#include <algorithm>

CDocument::CDocument() = default;

CDocument::~CDocument()
{
    if (pDocTemplate)
        pDocTemplate->RemoveDocument(this);
}

void CDocument::Serialize(CArchive&) {}

void CDocument::DeleteContents() {}

bool CDocument::OnNewDocument()
{
    DeleteContents();
    PathName.clear();
    FileIdentity = CFileIdentity();
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnOpenDocument(const QString& pathName)
{
    CFile file;
    CFileException error;
    if (!CFile::CheckRegular(pathName, &error)
        || !file.Open(pathName, CFile::modeRead | CFile::shareDenyWrite, &error)) {
        error.ReportError();
        return false;
    }
    // Taken before reading: a change made while the file is read shows at the next save.
    const CFileIdentity opened = CFileIdentity::OfHandle(file.Handle());
    std::int64_t length = 0;
    if (!AfxCallGuarded([&] { length = file.GetContentLength(MaxLength); }))
        return false;
    if (length > MaxLength) {
        AfxMessageBox(QStringLiteral("%1 cannot be opened: it is longer than 2147483647 (7FFFFFFF) bytes, "
                                     "the most that BYTELON can edit.")
                          .arg(pathName),
                      MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    DeleteContents();
    // A source of length 0 has nothing to load.
    if (length > 0) {
        CArchive archive(&file, CArchive::load);
        const bool loaded = AfxCallGuarded([&] {
            CWaitCursor wait;
            Serialize(archive);
        });
        if (!loaded) {
            DeleteContents();
            return false;
        }
    }
    FileIdentity = opened;
    SetModifiedFlag(false);
    ShowIdlePrompt();
    return true;
}

bool CDocument::OnSaveDocument(const QString& pathName)
{
    // A failed save leaves the user's file exactly as it was.
    CReplacingFile target(pathName);
    target.OnFiles = [this](const CReplacementFiles& files) { OnSaveFiles(files); };
    if (!ConfirmReplacing(target.TargetPath()) || !target.Create())
        return false;
    CFile& file = target.File;
    const bool written = AfxCallGuarded([&] {
        CWaitCursor wait;
        CArchive archive(&file, CArchive::store);
        Serialize(archive);
    });
    if (!written) {
        target.Abandon();
        return false;
    }
    // Serialize writes the content from the file's start on.
    const bool committed = target.Commit(file.GetPosition());
    if (target.Replaced())
        FileIdentity = target.Identity();
    if (!committed)
        return false;
    SetModifiedFlag(false);
    ShowIdlePrompt();
    return true;
}

bool CDocument::ConfirmReplacing(const QString& targetPath) const
{
    if (PathName.isEmpty() || targetPath != PathName || !FileIdentity.Exists)
        return true;
    const CFileIdentity now = CFileIdentity::Of(PathName);
    if (now == FileIdentity)
        return true;
    const QString question =
        now.Exists ? QStringLiteral("%1 has been changed by another program since it was opened or saved. "
                                    "Replace it with this document?")
                   : QStringLiteral("%1 no longer exists: another program has deleted or renamed it since it was "
                                    "opened or saved. Save this document under that name?");
    return AfxMessageBox(question.arg(PathName), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CDocument::ShowIdlePrompt()
{
    // Progress texts of a finished load or save give way to the idle prompt.
    if (CMDIFrameWnd* pFrame = AfxGetMainWnd())
        pFrame->SetMessageText(AfxLoadString(AFX_IDS_IDLEMESSAGE));
}

void CDocument::OnCloseDocument()
{
    if (Closing)
        return;
    Closing = true;
    const bool autoDelete = AutoDelete;
    AutoDelete = false;  // the views closing below must not close the document again
    const auto views = Views;
    for (CView* pView : views) {
        if (CMDIChildWnd* pFrame = pView->GetParentFrame())
            pFrame->DestroyWindow();
        else
            delete pView;
    }
    DeleteContents();
    if (autoDelete)
        delete this;
    else
        Closing = false;
}

bool CDocument::SaveModified()
{
    if (!IsModified())
        return true;
    const QString name = PathName.isEmpty() ? Title : QFileInfo(PathName).fileName();
    switch (AfxMessageBox(QStringLiteral("Save changes to %1?").arg(name), MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDCANCEL: return false;
    case IDYES: return DoFileSave();
    default: return true;
    }
}

void CDocument::SetModifiedFlag(bool modified)
{
    Modified = modified;
}

void CDocument::UpdateAllViews(CView* pSender, long hint, void* pHint)
{
    const auto views = Views;
    for (CView* pView : views) {
        if (pView != pSender)
            pView->OnUpdate(pSender, hint, pHint);
    }
}

void CDocument::SetTitle(const QString& title)
{
    Title = title;
    UpdateFrameTitles();
}

void CDocument::SetPathName(const QString& pathName, bool addToRecentFiles)
{
    const QFileInfo info(pathName);
    PathName = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    SetTitle(info.fileName());
    if (addToRecentFiles && AfxGetApp())
        AfxGetApp()->AddToRecentFileList(PathName);
}

void CDocument::AddView(CView* pView)
{
    Views.push_back(pView);
    pView->pDocument = this;
    UpdateFrameTitles();
}

void CDocument::RemoveView(CView* pView)
{
    Views.erase(std::remove(Views.begin(), Views.end(), pView), Views.end());
    pView->pDocument = nullptr;
    UpdateFrameTitles();
    if (Views.empty() && AutoDelete && !Closing)
        OnCloseDocument();
}

void CDocument::UpdateFrameTitles()
{
    for (CView* pView : Views) {
        if (CMDIChildWnd* pFrame = pView->GetParentFrame())
            pFrame->UpdateTitle();
    }
}

bool CDocument::DoSave(const QString& pathName, bool replace)
{
    QString newName = pathName;
    if (newName.isEmpty()) {
        newName = PathName;
        if (replace && newName.isEmpty())
            newName = Title;
        CFileDialog dialog(false, QString(), newName, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                           QStringLiteral("All Files (*.*)|*.*||"));
        dialog.Request.Title = QStringLiteral("Save As");
        if (dialog.DoModal() != IDOK)
            return false;
        newName = dialog.GetPathName();
    }
    // A copy saved elsewhere leaves the document's own file as it was known.
    const CFileIdentity identity = FileIdentity;
    const bool saved = OnSaveDocument(newName);
    if (!replace)
        FileIdentity = identity;
    if (!saved)
        return false;
    if (replace)
        SetPathName(newName);
    return true;
}

bool CDocument::DoFileSave()
{
    return DoSave(PathName.isEmpty() ? QString() : PathName);
}

void CDocument::OnFileClose()
{
    if (SaveModified())
        OnCloseDocument();
}

void CDocument::OnFileSave()
{
    DoFileSave();
}

void CDocument::OnFileSaveAs()
{
    DoSave(QString());
}

bool CDocument::OnCmdMsg(UINT id, CCmdUI* pCmdUI)
{
    return DispatchCommandMap<CDocument>(this,
                                         {
                                             {ID_FILE_CLOSE, &CDocument::OnFileClose, nullptr},
                                             {ID_FILE_SAVE, &CDocument::OnFileSave, nullptr},
                                             {ID_FILE_SAVE_AS, &CDocument::OnFileSaveAs, nullptr},
                                         },
                                         id, pCmdUI);
}
