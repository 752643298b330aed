#pragma once
// Deleting a range of a document's work file in place: the bytes after it
// move down over it. The deleted bytes that move overwrites are kept in a
// temporary file first (no more than the range, nor than the bytes after
// it), so a failure part-way can put the work file back as it was; only if
// that fails too is the document declared damaged.

#include "doc/TailFile.h"

class CBytelonDoc;
class CBytelonView;

class CDeletion {
public:
    CDeletion(CBytelonView* pView, int lo, int hi);
    CDeletion(const CDeletion&) = delete;
    CDeletion& operator=(const CDeletion&) = delete;

    // Keeps the bytes the move will overwrite. Only the temporary file is
    // written: on failure the document is untouched. False after reporting why.
    [[nodiscard]] bool SaveOverwritten();
    // Moves the bytes after the range down over it and shortens the work
    // file. On failure reports why, undoes the move and returns false.
    [[nodiscard]] bool Move();

private:
    // Puts the work file back as it was once the move has put written bytes
    // in place at lo: byte lo + i holds the one from hi + i.
    void Undo(int written);

    CBytelonView* pView;
    CBytelonDoc* pDocument;
    int Lo;
    int Hi;
    int TailLen;
    int SavedLen;
    CTailFile Saved;
};
