#pragma once
// One insertion into a document's work file at an offset: the bytes from
// there to the end wait in a tail file while the caller writes the new
// bytes, then go back behind them. If a step fails once the work file has
// been written to, Undo puts the saved tail back so the document is as it
// was; only if that fails too is the document declared damaged.

#include "doc/TailFile.h"
#include "framework/Afx.h"

class CBytelonDoc;
class CDC;
class CBytelonView;

class CInsertion {
public:
    CInsertion(CBytelonView* pView, int at);
    CInsertion(const CInsertion&) = delete;
    CInsertion& operator=(const CInsertion&) = delete;

    // The document would grow past the largest length an offset can express:
    // reported, and true, when count more bytes do not fit.
    [[nodiscard]] static bool RefuseGrowth(const CBytelonDoc* pDocument, long long count);
    // Makes way for count bytes in place of the view's selection: refuses a
    // document that would grow too long, then ends an empty selection or
    // deletes a real one. False when nothing may be inserted.
    [[nodiscard]] static bool ClearSelection(CBytelonView* pView, long long count, CDC* pDC);

    // Copies the bytes after the offset to a new tail file (none when there
    // are no such bytes). False after reporting idTempFailed or idCopyFailed.
    [[nodiscard]] bool SaveTail(UINT idTempFailed, UINT idCopyFailed);
    // Copies the saved bytes back behind count new bytes. On failure reports
    // idCopyFailed, undoes the insertion and returns false.
    [[nodiscard]] bool PutTailBack(int count, UINT idCopyFailed);
    // Brings the work file back to the document as it was before the
    // insertion began; declares it damaged when even that fails.
    void Undo();

    [[nodiscard]] int TailLength() const { return TailLen; }

private:
    CBytelonView* pView;
    CBytelonDoc* pDocument;
    int At;
    int TailLen;
    CTailFile Tail;
};
