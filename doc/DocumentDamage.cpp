#include "doc/BytelonDoc.h"

#include "framework/MessageBox.h"
#include "view/BytelonView.h"
#include "view/PreparedDC.h"

#include <QFileInfo>

#include <algorithm>

void CBytelonDoc::MarkDamaged()
{
    Damaged = true;
    CFileStatus status;
    if (CFile::GetStatus(WorkFileName, status))
        DocLen = int(std::min<std::int64_t>(status.Size, MaxLength));
    for (CView* pView : GetViews()) {
        auto* pBytelonView = static_cast<CBytelonView*>(pView);
        pBytelonView->SelActive = 0;
        CPreparedDC dc(pBytelonView);
        pBytelonView->ScrollTo(pBytelonView->TopOffset, -1, dc);
    }
    UpdateAllViews(nullptr, 0, nullptr);
    QString text = QStringLiteral("An edit failed part-way and could not be undone: this document is damaged.");
    if (!GetPathName().isEmpty())
        text += QStringLiteral("\nThe file %1 has not been changed; close this window without saving and open "
                               "the file again.")
                    .arg(GetPathName());
    AfxMessageBox(text, MB_OK | MB_ICONSTOP);
}

bool CBytelonDoc::OnSaveDocument(const QString& pathName)
{
    if (IsOpenWorkFile(pathName)) {
        AfxMessageBox(QStringLiteral("%1 is the work file of a document open in BYTELON and cannot be replaced.")
                          .arg(pathName),
                      MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    EndReplaceAllPass();
    if (Damaged && !GetPathName().isEmpty() && QFileInfo(pathName).canonicalFilePath() == GetPathName()) {
        AfxMessageBox(QStringLiteral("This document is damaged and will not be saved over %1. "
                                     "Use Save As to keep it under another name.")
                          .arg(GetPathName()),
                      MB_OK | MB_ICONSTOP);
        return false;
    }
    return CDocument::OnSaveDocument(pathName);
}
