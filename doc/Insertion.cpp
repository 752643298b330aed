#include "doc/Insertion.h"

#include "doc/BytelonDoc.h"
#include "framework/MessageBox.h"
#include "framework/StringTable.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

#include <algorithm>
#include <cstdlib>

namespace {
int SelectedLength(const CBytelonView* pView)
{
    return pView->SelActive ? std::abs(pView->SelEnd - pView->SelAnchor) : 0;
}
}  // namespace

CInsertion::CInsertion(CBytelonView* pView)
    : pView(pView),
      pDocument(pView->GetDocument()),
      At(SelectedLength(pView) > 0 ? std::min(pView->SelAnchor, pView->SelEnd) : pView->CaretOffset()),
      Replaced(SelectedLength(pView)),
      TailLen(pDocument->DocLen - At - Replaced)
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

bool CInsertion::RefuseGrowth(long long count) const
{
    return RefuseGrowth(pDocument, count - Replaced);
}

bool CInsertion::ClearSelection(CBytelonView* pView, long long count, CDC* pDC)
{
    if (RefuseGrowth(pView->GetDocument(), count - SelectedLength(pView)))
        return false;
    if (!pView->SelActive)
        return true;
    // An empty selection has nothing to delete: it only ends.
    if (SelectedLength(pView) == 0) {
        pView->SelActive = 0;
        return true;
    }
    return pView->DeleteTheSelection(pDC);
}

bool CInsertion::KeepReplaced(int length, const QString& tempFailed, UINT idCopyFailed)
{
    if (!Tail.Create()) {
        AfxMessageBox(tempFailed);
        return false;
    }
    // Not reaching the replaced bytes is the deletion's failure, not writing
    // them down the tail file's.
    if (length > 0
        && !pView->CopyFileSegment(pDocument->WorkFile, pDocument->WorkFileName, At, Tail.File, Tail.Name, 0,
                                   length)) {
        AfxMessageBox(pView->SegmentWriteBegan() ? idCopyFailed : IDS_DELETE_COPY_FAILED);
        return false;
    }
    return true;
}

bool CInsertion::SaveTail(UINT idTempFailed, UINT idCopyFailed)
{
    if (Replaced + TailLen <= 0)
        return true;
    if (!KeepReplaced(Replaced, AfxLoadString(idTempFailed), idCopyFailed))
        return false;
    if (TailLen > 0
        && !pView->CopyFileSegment(pDocument->WorkFile, pDocument->WorkFileName, At + Replaced, Tail.File,
                                   Tail.Name, Replaced, TailLen)) {
        AfxMessageBox(idCopyFailed);
        return false;
    }
    return true;
}

bool CInsertion::SaveOverwritten()
{
    const int overwritten = std::min(Replaced, TailLen);
    return overwritten <= 0
           || KeepReplaced(overwritten, QStringLiteral("DeleteTheSelection() could not create temp file"),
                           IDS_DELETE_COPY_FAILED);
}

bool CInsertion::MoveTailDown()
{
    CFile& work = pDocument->WorkFile;
    if (!pView->CopyFileSegment(work, pDocument->WorkFileName, At + Replaced, work, pDocument->WorkFileName, At,
                                TailLen)) {
        MovedDown = pView->SegmentBytesWritten;
        AfxMessageBox(IDS_DELETE_COPY_FAILED);
        Undo();
        return false;
    }
    MovedDown = TailLen;
    // Bytes left beyond the new end would disagree with DocLen: the move is
    // taken back rather than leave them.
    return SetWorkFileLength(std::int64_t(At) + TailLen);
}

bool CInsertion::CopyBack(int from, int to, int length)
{
    return pView->CopyFileSegment(Tail.File, Tail.Name, from, pDocument->WorkFile, pDocument->WorkFileName, to,
                                  length);
}

bool CInsertion::PutTailBack(int count, UINT idCopyFailed)
{
    if (TailLen > 0 && !CopyBack(Replaced, At + count, TailLen)) {
        AfxMessageBox(idCopyFailed);
        Undo();
        return false;
    }
    // Fewer bytes than were replaced: the work file now ends earlier.
    return count >= Replaced || SetWorkFileLength(std::int64_t(pDocument->DocLen) - Replaced + count);
}

bool CInsertion::SetWorkFileLength(std::int64_t length)
{
    CFile& work = pDocument->WorkFile;
    if (!work.Open(pDocument->WorkFileName, CFile::modeWrite | CFile::shareExclusive)) {
        AfxMessageBox(IDS_DELETE_OPEN_FAILED);
        Undo();
        return false;
    }
    try {
        work.SetLength(length);
    } catch (const CFileException& e) {
        work.Close();
        e.ReportError();
        Undo();
        return false;
    }
    work.Close();
    return true;
}

void CInsertion::Undo()
{
    if (MovedDown >= 0) {
        UndoMoveDown();
        return;
    }
    // The bytes before the offset were never written; the tail file still
    // holds the rest, and DocLen still has the length from before.
    if (Replaced + TailLen > 0 && !CopyBack(0, At, Replaced + TailLen)) {
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

void CInsertion::UndoMoveDown()
{
    if (MovedDown <= 0)
        return;
    const QString& name = pDocument->WorkFileName;
    CFile& work = pDocument->WorkFile;
    // Beyond the replaced bytes the move overwrote bytes that now sit
    // Replaced lower: they go back up through a file of their own, then the
    // kept bytes go back.
    if (MovedDown > Replaced) {
        CTailFile shifted;
        if (!shifted.Create()
            || !pView->CopyFileSegment(work, name, At, shifted.File, shifted.Name, 0, MovedDown - Replaced)
            || !pView->CopyFileSegment(shifted.File, shifted.Name, 0, work, name, At + Replaced,
                                       MovedDown - Replaced)) {
            pDocument->MarkDamaged();
            return;
        }
    }
    if (!CopyBack(0, At, std::min(Replaced, MovedDown)))
        pDocument->MarkDamaged();
}

void CInsertion::Done(int count)
{
    pDocument->DocLen += count - Replaced;
    pView->SelActive = 0;
}
