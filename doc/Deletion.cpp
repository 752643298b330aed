#include "doc/Deletion.h"

#include "doc/BytelonDoc.h"
#include "framework/MessageBox.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

#include <algorithm>

CDeletion::CDeletion(CBytelonView* pView, int lo, int hi)
    : pView(pView), pDocument(pView->GetDocument()), Lo(lo), Hi(hi), TailLen(pDocument->DocLen - hi),
      SavedLen(std::min(hi - lo, pDocument->DocLen - hi))
{
}

bool CDeletion::SaveOverwritten()
{
    if (SavedLen <= 0)
        return true;
    if (!Saved.Create()) {
        AfxMessageBox(QStringLiteral("DeleteTheSelection() could not create temp file"));
        return false;
    }
    if (!pView->CopyFileSegment(pDocument->WorkFile, pDocument->WorkFileName, Lo, Saved.File, Saved.Name, 0,
                                SavedLen)) {
        AfxMessageBox(IDS_DELETE_COPY_FAILED);
        return false;
    }
    return true;
}

bool CDeletion::Move()
{
    CFile& work = pDocument->WorkFile;
    if (!pView->CopyFileSegment(work, pDocument->WorkFileName, Hi, work, pDocument->WorkFileName, Lo, TailLen)) {
        const int written = pView->SegmentBytesWritten;
        AfxMessageBox(IDS_DELETE_COPY_FAILED);
        Undo(written);
        return false;
    }
    // Bytes left beyond the new end would disagree with DocLen: the move is
    // taken back rather than leave them.
    if (!work.Open(pDocument->WorkFileName, CFile::modeWrite | CFile::shareExclusive)) {
        AfxMessageBox(IDS_DELETE_OPEN_FAILED);
        Undo(TailLen);
        return false;
    }
    try {
        work.SetLength(std::int64_t(Lo) + TailLen);
    } catch (const CFileException& e) {
        work.Close();
        e.ReportError();
        Undo(TailLen);
        return false;
    }
    work.Close();
    return true;
}

void CDeletion::Undo(int written)
{
    if (written <= 0)
        return;
    const int len = Hi - Lo;
    const QString& name = pDocument->WorkFileName;
    CFile& work = pDocument->WorkFile;
    // Beyond the range the move overwrote bytes that now sit len lower: they
    // go back up through a file of their own, then the kept bytes go back.
    if (written > len) {
        CTailFile shifted;
        if (!shifted.Create()
            || !pView->CopyFileSegment(work, name, Lo, shifted.File, shifted.Name, 0, written - len)
            || !pView->CopyFileSegment(shifted.File, shifted.Name, 0, work, name, Hi, written - len)) {
            pDocument->MarkDamaged();
            return;
        }
    }
    if (!pView->CopyFileSegment(Saved.File, Saved.Name, 0, work, name, Lo, std::min(len, written)))
        pDocument->MarkDamaged();
}
