#include "doc/Insertion.h"

#include "doc/BytelonDoc.h"
#include "framework/MessageBox.h"
#include "framework/StringTable.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

#include <algorithm>
#include <cerrno>
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

CInsertion::~CInsertion()
{
    // Stopped before the work file changed: the record says so before the
    // tail file it names goes.
    if (pDocument->Record.EditUnderWay())
        pDocument->Record.EndEdit(pDocument->DocLen, pDocument->IsModified());
}

bool CInsertion::RecordEdit(bool restorable)
{
    CDocumentRecord& record = pDocument->Record;
    if (restorable ? record.BeginRestorableEdit(At, pDocument->DocLen) : record.BeginMove(At, Replaced, TailLen))
        return true;
    const int error = errno;
    CFileException(CFileException::CauseFromErrno(error), error, record.RecordFileName()).ReportError();
    return false;
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
    if (!Tail.Create(pDocument->Record.TailFileName())) {
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
    return SaveTail(AfxLoadString(idTempFailed), idCopyFailed);
}

bool CInsertion::SaveTail(const QString& tempFailed, UINT idCopyFailed)
{
    if (Replaced + TailLen > 0) {
        if (!KeepReplaced(Replaced, tempFailed, idCopyFailed))
            return false;
        if (TailLen > 0
            && !pView->CopyFileSegment(pDocument->WorkFile, pDocument->WorkFileName, At + Replaced, Tail.File,
                                       Tail.Name, Replaced, TailLen)) {
            AfxMessageBox(idCopyFailed);
            return false;
        }
    }
    return RecordEdit(true);
}

bool CInsertion::SaveOverwritten()
{
    const int overwritten = std::min(Replaced, TailLen);
    if (overwritten > 0
        && !KeepReplaced(overwritten, QStringLiteral("DeleteTheSelection() could not create temp file"),
                         IDS_DELETE_COPY_FAILED))
        return false;
    return RecordEdit(false);
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
        MarkDamaged();
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
    pDocument->Record.EndEdit(pDocument->DocLen, pDocument->IsModified());
}

void CInsertion::MarkDamaged()
{
    pDocument->MarkDamaged();
    pDocument->Record.EndEdit(pDocument->DocLen, pDocument->IsModified());
}

void CInsertion::UndoMoveDown()
{
    // A move in place overwrites replaced bytes only, all kept in the tail
    // file; the bytes it moved are still where they were.
    if (MovedDown > 0 && !CopyBack(0, At, MovedDown)) {
        MarkDamaged();
        return;
    }
    pDocument->Record.EndEdit(pDocument->DocLen, pDocument->IsModified());
}

void CInsertion::Done(int count)
{
    pDocument->DocLen += count - Replaced;
    pView->SelActive = 0;
    pDocument->Record.EndEdit(pDocument->DocLen, true);
}
