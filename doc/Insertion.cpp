#include "doc/Insertion.h"

#include "doc/BytelonDoc.h"
#include "framework/MessageBox.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

#include <cstdlib>

CInsertion::CInsertion(CBytelonView* pView, int at)
    : pView(pView), pDocument(pView->GetDocument()), At(at), TailLen(pDocument->DocLen - at)
{
}

bool CInsertion::RefuseGrowth(const CBytelonDoc* pDocument, long long count)
{
    if (pDocument->DocLen + count <= CDocument::MaxLength)
        return false;
    AfxMessageBox(QStringLiteral("The document cannot grow beyond 2147483647 (7FFFFFFF) bytes; "
                                 "nothing has been inserted."),
                  MB_OK | MB_ICONEXCLAMATION);
    return true;
}

bool CInsertion::ClearSelection(CBytelonView* pView, long long count, CDC* pDC)
{
    const int selected = pView->SelActive ? std::abs(pView->SelEnd - pView->SelAnchor) : 0;
    if (RefuseGrowth(pView->GetDocument(), count - selected))
        return false;
    if (!pView->SelActive)
        return true;
    // An empty selection has nothing to delete: it only ends.
    if (selected == 0) {
        pView->SelActive = 0;
        return true;
    }
    return pView->DeleteTheSelection(pDC);
}

bool CInsertion::SaveTail(UINT idTempFailed, UINT idCopyFailed)
{
    if (TailLen <= 0)
        return true;
    if (!Tail.Create()) {
        AfxMessageBox(idTempFailed);
        return false;
    }
    // Only the tail file is written here: the document is untouched on failure.
    if (!pView->CopyFileSegment(pDocument->WorkFile, pDocument->WorkFileName, At, Tail.File, Tail.Name, 0, TailLen)) {
        AfxMessageBox(idCopyFailed);
        return false;
    }
    return true;
}

bool CInsertion::PutTailBack(int count, UINT idCopyFailed)
{
    if (TailLen <= 0)
        return true;
    if (pView->CopyFileSegment(Tail.File, Tail.Name, 0, pDocument->WorkFile, pDocument->WorkFileName, At + count,
                               TailLen))
        return true;
    AfxMessageBox(idCopyFailed);
    Undo();
    return false;
}

void CInsertion::Undo()
{
    // The bytes before the offset were never written; the tail file still
    // holds the rest, and DocLen still has the length from before.
    if (TailLen > 0
        && !pView->CopyFileSegment(Tail.File, Tail.Name, 0, pDocument->WorkFile, pDocument->WorkFileName, At,
                                   TailLen)) {
        pDocument->MarkDamaged();
        return;
    }
    // Bytes written beyond DocLen are not part of the document; dropping them
    // only gives the disk space back, so a failure here changes nothing.
    CFile& work = pDocument->WorkFile;
    if (work.Open(pDocument->WorkFileName, CFile::modeWrite | CFile::shareExclusive)) {
        try {
            work.SetLength(pDocument->DocLen);
        } catch (const CFileException&) {
        }
        work.Close();
    }
}
