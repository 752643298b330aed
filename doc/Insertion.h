#pragma once
// New bytes put into a document's work file in place of a view's selection,
// or at its caret: the bytes from there to the end wait in a tail file (the
// replaced ones first) while the caller writes the new bytes, then the rest
// goes back behind them. If a step fails once the work file has been written
// to, Undo puts the saved bytes back so the document is exactly as it was;
// only if that fails too is the document declared damaged.

#include "doc/TailFile.h"
#include "framework/Afx.h"

class CBytelonDoc;
class CDC;
class CBytelonView;

class CInsertion {
public:
    // In place of the view's selection, or at its caret when nothing is selected.
    explicit CInsertion(CBytelonView* pView);
    CInsertion(const CInsertion&) = delete;
    CInsertion& operator=(const CInsertion&) = delete;

    // The document would grow past the largest length an offset can express:
    // reported, and true, when count more bytes do not fit.
    [[nodiscard]] static bool RefuseGrowth(const CBytelonDoc* pDocument, long long count);
    // The same for count new bytes in place of the replaced ones.
    [[nodiscard]] bool RefuseGrowth(long long count) const;
    // Makes way for count bytes in place of the view's selection: refuses a
    // document that would grow too long, then ends an empty selection or
    // deletes a real one. False when nothing may be inserted.
    [[nodiscard]] static bool ClearSelection(CBytelonView* pView, long long count, CDC* pDC);

    // Copies the bytes from the offset to the end to a new tail file (none
    // when there are no such bytes). Only the tail file is written: on
    // failure the document is untouched. False after reporting idTempFailed,
    // the deletion's message when the replaced bytes cannot be read, or idCopyFailed.
    [[nodiscard]] bool SaveTail(UINT idTempFailed, UINT idCopyFailed);
    // Copies the bytes after the replaced ones back behind count new bytes
    // and gives the work file its new length. On failure reports idCopyFailed
    // (or why the length could not change), undoes the insertion and returns false.
    [[nodiscard]] bool PutTailBack(int count, UINT idCopyFailed);
    // Brings the work file back to the document as it was before the
    // insertion began; declares it damaged when even that fails.
    void Undo();
    // Every step has succeeded: the document's length follows and the selection ends.
    void Done(int count);

    // Where the new bytes go.
    [[nodiscard]] int Offset() const { return At; }

private:
    [[nodiscard]] bool CopyBack(int from, int to, int length);

    CBytelonView* pView;
    CBytelonDoc* pDocument;
    int At;
    int Replaced;
    int TailLen;
    CTailFile Tail;
};
