#include "view/BytelonView.h"

#include "doc/BytelonDoc.h"
#include "framework/DocTemplate.h"
#include "framework/MessageBox.h"
#include "framework/WaitCursor.h"
#include "res/Resource.h"

#include <QFileInfo>

#include <algorithm>

namespace {

// Writing into a document's work file would change that document behind its back.
bool IsWorkFile(const CBytelonDoc* pDocument, const QString& pathName)
{
    const QString target = QFileInfo(pathName).canonicalFilePath();
    if (target.isEmpty())
        return false;
    CMultiDocTemplate* pTemplate = pDocument->GetDocTemplate();
    if (!pTemplate)
        return QFileInfo(pDocument->WorkFileName).canonicalFilePath() == target;
    for (const CDocument* pOther : pTemplate->GetDocuments()) {
        const auto* pBytelonDoc = static_cast<const CBytelonDoc*>(pOther);
        if (QFileInfo(pBytelonDoc->WorkFileName).canonicalFilePath() == target)
            return true;
    }
    return false;
}

}  // namespace

void CBytelonView::On_File_Save_Selection_As()
{
    CBytelonDoc* pDocument = GetDocument();
    const int lo = std::min(SelAnchor, SelEnd);
    const int len = std::abs(SelEnd - SelAnchor);
    if (!SelActive || len == 0 || pDocument->DocLen <= 0) {
        AfxMessageBox(IDS_NOTHING_TO_SAVE);
        return;
    }
    QString pathName;
    if (!PromptForFileName(false, pathName))
        return;
    if (IsWorkFile(pDocument, pathName)) {
        AfxMessageBox(IDS_FILE_OPEN_FAILED);
        AfxMessageBox(IDS_SAVE_SELECTION_COPY);
        return;
    }
    CWaitCursor wait;
    // The dialog has asked before replacing an existing file: the target starts
    // empty, so it holds the selection and nothing after it.
    CFile target;
    CFileException error;
    if (!target.Open(pathName, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive, &error)) {
        error.ReportError();
        AfxMessageBox(IDS_SAVE_SELECTION_COPY);
        return;
    }
    target.Close();
    if (!CopyFileSegment(pDocument->WorkFile, pDocument->WorkFileName, lo, target, pathName, 0, len))
        AfxMessageBox(IDS_SAVE_SELECTION_COPY);
}

void CBytelonView::OnUpdate_File_Save_Selection_As(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(SelActive != 0);
}
