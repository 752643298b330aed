#include "doc/BytelonDoc.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "doc/Orphans.h"
#include "framework/Archive.h"
#include "framework/FileIdentity.h"
#include "framework/MessageBox.h"
#include "res/Resource.h"
#include "view/BytelonView.h"
#include "view/PreparedDC.h"

#include <algorithm>
#include <vector>

namespace {
// The unit of progress: one text per 65536 bytes.
constexpr int TransferSize = 65536;
// The bytes move in runs of this many units, one system call each where the
// kernel can copy them; a run's texts are shown, in order, once it has moved.
constexpr int RunUnits = 256;
// Through memory, when the kernel cannot copy between the two files.
constexpr int BufferSize = 16 * TransferSize;
}

CBytelonDoc::CBytelonDoc()
{
    CFileStatus status;
    if (Record.Create() && CFile::GetStatus(Record.WorkFileName(), status))
        WorkFileName = Record.WorkFileName();
    else
        AfxMessageBox(IDS_DOC_TEMP_FAILED);
    DocLen = 0;
}

CBytelonDoc::~CBytelonDoc()
{
    WorkFile.Close();
    if (!Record.IsKept())
        Record.RemoveAll();
    SetMainStatusText(1, QString());
}

bool CBytelonDoc::OnNewDocument()
{
    return CDocument::OnNewDocument();
}

bool CBytelonDoc::OnOpenDocument(const QString& pathName)
{
    // Two programs saving one file: the last save would silently win.
    if (const std::optional<long> process = OtherProgramHolding(pathName)) {
        const QString text = QStringLiteral("%1 is open in another BYTELON (process %2).\n"
                                            "Open it here as well? Whichever saves it last replaces the "
                                            "other's changes.")
                                 .arg(pathName)
                                 .arg(*process);
        if (AfxMessageBox(text, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
            return false;
    }
    return CDocument::OnOpenDocument(pathName);
}

void CBytelonDoc::SetModifiedFlag(bool modified)
{
    CDocument::SetModifiedFlag(modified);
    // New, open and save set the flag once the file is known: the record
    // takes both.
    if (Record.State.Modified == modified && Record.State.Identity == GetFileIdentity())
        return;
    Record.State.Modified = modified;
    Record.State.Identity = GetFileIdentity();
    Record.State.Length = DocLen;
    Record.Update();
}

void CBytelonDoc::SetPathName(const QString& pathName, bool addToRecentFiles)
{
    CDocument::SetPathName(pathName, addToRecentFiles);
    Record.State.Path = GetPathName();
    Record.State.Title = GetTitle();
    Record.State.Length = DocLen;
    Record.Update();
}

void CBytelonDoc::SetTitle(const QString& title)
{
    CDocument::SetTitle(title);
    if (Record.State.Title == title)
        return;
    Record.State.Title = title;
    Record.Update();
}

void CBytelonDoc::OnSessionEnding()
{
    if (IsModified() && !WorkFileName.isEmpty())
        Record.KeepForRecovery();
}

void CBytelonDoc::OnSaveFiles(const CReplacementFiles& files)
{
    Record.State.Save = files;
    Record.Update();
}

void CBytelonDoc::Recover(COrphan& orphan)
{
    WorkFile.Close();
    Record.Adopt(orphan);
    WorkFileName = Record.WorkFileName();
    DocLen = int(std::min<std::int64_t>(orphan.Length(), MaxLength));
    // Save asks before writing over a file changed since that program knew it.
    SetFileIdentity(Record.State.Identity);
    const QString path = Record.State.Path;
    if (!path.isEmpty()) {
        SetPathName(path, false);
        SetTitle(path);
    }
    SetModifiedFlag(true);
}

void CBytelonDoc::DeleteContents()
{
    // Kept for the next start: the work file holds the unsaved document.
    if (Record.IsKept())
        return;
    EndReplaceAllPass();
    if (!WorkFile.Open(WorkFileName, CFile::modeWrite | CFile::shareExclusive)) {
        AfxMessageBox(IDS_DELETECONTENTS_OPEN_FAILED);
        return;
    }
    const bool emptied = AfxCallGuarded([this] { WorkFile.SetLength(0); });
    WorkFile.Close();
    // A work file that kept its bytes still holds the document.
    if (emptied)
        DocLen = 0;
}

void CBytelonDoc::EndReplaceAllPass()
{
    if (CBytelonApp* pApp = BytelonApp())
        pApp->EndReplaceAllPass(this);
}

bool CBytelonDoc::SaveModified()
{
    EndReplaceAllPass();
    return CDocument::SaveModified();
}

void CBytelonDoc::Serialize(CArchive& ar)
{
    if (ar.IsLoading())
        Load(ar);
    else
        Store(ar);
}

void CBytelonDoc::Load(CArchive& ar)
{
    CFile* pSource = ar.GetFile();
    DocLen = int(std::min<std::int64_t>(pSource->GetContentLength(MaxLength), MaxLength));
    if (!WorkFile.Open(WorkFileName, CFile::modeWrite | CFile::shareExclusive)) {
        // The document must not claim bytes its work file does not hold.
        DocLen = 0;
        AfxMessageBox(IDS_LOAD_OPEN_FAILED);
        throw CUserException();
    }
    Transfer(*pSource, pSource->GetPosition(), WorkFile, WorkFile.SeekToEnd(), QStringLiteral("Loading..."),
             QStringLiteral("Loading, %1K"));
}

void CBytelonDoc::Store(CArchive& ar)
{
    if (!WorkFile.Open(WorkFileName, CFile::modeRead | CFile::shareExclusive)) {
        AfxMessageBox(IDS_STORE_OPEN_FAILED);
        // Nothing was written: the save must not count as done.
        throw CUserException();
    }
    // From the target's position: a file replaced in place is written over from its start.
    CFile* pTarget = ar.GetFile();
    Transfer(WorkFile, 0, *pTarget, pTarget->GetPosition(), QStringLiteral("Storing..."),
             QStringLiteral("Storing, %1K"));
}

void CBytelonDoc::Transfer(CFile& source, std::int64_t sourcePos, CFile& target, std::int64_t targetPos,
                           const QString& firstText, const QString& laterText)
{
    // A unit's text names the kilobytes copied before it, so it is shown only
    // when they have moved: the first before anything moves, the others after
    // the run that moved their bytes. Only the latest of those is painted at
    // once, so the pane shows how far the copy has come.
    std::vector<char> buffer(BufferSize);
    const int total = DocLen;
    int done = 0;
    int shown = 0;  // the start of the unit whose text was shown last
    try {
        if (total > 0)
            SetMainStatusText(0, firstText);
        while (done < total) {
            const int run = std::min(total - done, RunUnits * TransferSize);
            const UINT moved = CFile::CopyRange(source, sourcePos, target, targetPos, UINT(run), buffer.data(),
                                                UINT(buffer.size()));
            if (moved < UINT(run))
                throw CFileException(CFileException::endOfFile, 0, source.GetFilePath());
            sourcePos += run;
            targetPos += run;
            done += run;
            // The unit starting where the run ended is next, if there is one.
            const int latest = (std::min(done, total - 1) / TransferSize) * TransferSize;
            for (std::int64_t unit = shown + TransferSize; unit <= latest; unit += TransferSize)
                SetMainStatusText(0, laterText.arg(long(unit / 1024)), unit == latest);
            shown = latest;
        }
    } catch (...) {
        WorkFile.Close();
        throw;
    }
    WorkFile.Close();
}

void CBytelonDoc::On_Edit_Clear_All()
{
    EndReplaceAllPass();
    if (AfxMessageBox(IDS_CLEAR_ALL_QUESTION, MB_YESNO) != IDYES)
        return;
    DeleteContents();
    // Nothing was cleared: the failure has been reported.
    if (DocLen != 0)
        return;
    // A selection would reach past the end of an empty document.
    for (CView* pView : GetViews())
        static_cast<CBytelonView*>(pView)->SelActive = 0;
    SetModifiedFlag(true);
    UpdateAllViews(nullptr, 0, nullptr);
    if (CBytelonView* pView = BytelonApp()->pCurrentView) {
        CPreparedDC dc(pView);
        pView->ScrollTo(0, -1, dc);
        pView->CaretRow = 0;
        pView->CaretColumn = 0;
        pView->PlaceCaret(dc);
    }
}

void CBytelonDoc::OnUpdate_Edit_Clear_All(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(DocLen > 0);
}

bool CBytelonDoc::OnCmdMsg(UINT id, CCmdUI* pCmdUI)
{
    return DispatchCommandMap<CBytelonDoc>(
               this, {{ID_EDIT_CLEAR_ALL, &CBytelonDoc::On_Edit_Clear_All, &CBytelonDoc::OnUpdate_Edit_Clear_All}},
               id, pCmdUI)
           || CDocument::OnCmdMsg(id, pCmdUI);
}
