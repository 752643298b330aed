#pragma once
// New bytes put into a document's work file in place of a view's selection,
// or at its caret: the bytes from there to the end wait in a tail file (the
// replaced ones first) while the caller writes the new bytes, then the rest
// goes back behind them. No new bytes in place of a selection is a deletion:
// the bytes after it move down over it in place, the replaced bytes that
// move overwrites having gone to the tail file first. If a step fails once
// the work file has been written to, Undo puts the saved bytes back so the
// document is exactly as it was; only if that fails too is the document
// declared damaged. Before the work file is first written, the document's
// record names the edit with what undoes it (the tail file) or finishes it
// (a move down that never overwrites the bytes it moves), so that after a
// kill at any instant a later start recovers the document as it was before
// or after the edit.

#include "doc/TailFile.h"
#include "framework/Afx.h"

#include <QString>

#include <cstdint>

class CBytelonDoc;
class CDC;
class CBytelonView;

class CInsertion {
public:
    // In place of the view's selection, or at its caret when nothing is selected.
    explicit CInsertion(CBytelonView* pView);
    // An edit that stopped before writing the work file leaves the record as it was.
    ~CInsertion();
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
    [[nodiscard]] bool SaveTail(const QString& tempFailed, UINT idCopyFailed);
    // Copies the bytes after the replaced ones back behind count new bytes
    // and gives the work file its new length. On failure reports idCopyFailed
    // (or why the length could not change), undoes the insertion and returns false.
    [[nodiscard]] bool PutTailBack(int count, UINT idCopyFailed);
    // Deleting the replaced bytes, with nothing in their place, by moving
    // the bytes after them down in place: only when there are no more of
    // those than of the replaced ones, as the move then never overwrites a
    // byte it has still to move. Longer tails go out to a tail file and back.
    [[nodiscard]] bool MovesInPlace() const { return TailLen <= Replaced; }
    // Keeps the replaced bytes the move will overwrite. Only the tail file is
    // written: on failure the document is untouched. False after reporting why.
    [[nodiscard]] bool SaveOverwritten();
    // Moves the bytes after the replaced ones down over them and gives the
    // work file its new length: one pass over those bytes. On failure
    // reports why, undoes the deletion and returns false.
    [[nodiscard]] bool MoveTailDown();
    // Brings the work file back to the document as it was before the
    // insertion or deletion began; declares it damaged when even that fails.
    void Undo();
    // Every step has succeeded: the document's length follows and the selection ends.
    void Done(int count);

    // Where the new bytes go, and how many bytes they replace.
    [[nodiscard]] int Offset() const { return At; }
    [[nodiscard]] int ReplacedLength() const { return Replaced; }

private:
    // Makes the tail file and copies the first length replaced bytes to its start.
    [[nodiscard]] bool KeepReplaced(int length, const QString& tempFailed, UINT idCopyFailed);
    [[nodiscard]] bool CopyBack(int from, int to, int length);
    // Ends the work file at length; on failure reports why and undoes.
    [[nodiscard]] bool SetWorkFileLength(std::int64_t length);
    // The record names the edit about to write the work file; false after
    // reporting why it could not.
    [[nodiscard]] bool RecordEdit(bool restorable);
    // Undo once a move down has put MovedDown bytes in place at At.
    void UndoMoveDown();
    // Undoing failed too: the document says so, and the record says what
    // the work file now holds.
    void MarkDamaged();

    CBytelonView* pView;
    CBytelonDoc* pDocument;
    int At;
    int Replaced;
    int TailLen;
    // Bytes a deletion's move has put in place: byte At + i holds the one
    // from At + Replaced + i. Negative for an insertion.
    int MovedDown = -1;
    CTailFile Tail;
};
