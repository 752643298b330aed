#pragma once
// The file a Replace All pass writes the document's new bytes to. It is made
// beside the work file, holds a gap for the bytes before the first
// occurrence, is completed with the document's bytes the pass did not reach,
// and takes the work file's place in one rename. Until then the work file,
// and every view painting it, holds the document as it was. A result never
// swapped in is removed.

#include "framework/File.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class CReplaceAllResult {
public:
    CReplaceAllResult() = default;
    ~CReplaceAllResult();
    CReplaceAllResult(const CReplaceAllResult&) = delete;
    CReplaceAllResult& operator=(const CReplaceAllResult&) = delete;

    // The one place a pass makes its result file: fileName, a new file in
    // the work file's folder (so that a rename can put it in the work file's
    // place) that the document's record names already; a leftover of that
    // name goes first. False with the cause in error.
    [[nodiscard]] bool Create(const QString& fileName, CFileException& error);
    [[nodiscard]] bool Exists() const { return !Name.isEmpty(); }
    [[nodiscard]] const QString& FileName() const { return Name; }

    // Open for writing while a slice or the swap works on it.
    [[nodiscard]] bool Open(CFileException& error);
    void Close() { Out.Close(); }
    [[nodiscard]] CFile& File() { return Out; }

    // The first gapLength bytes are the document's own, copied from the
    // work file later, by the kernel, a piece at a time.
    void LeaveGap(std::int64_t gapLength);
    [[nodiscard]] bool GapFilled() const { return GapDone >= GapLength; }
    // Copies the next piece of the gap; the whole gap; or count bytes of the
    // work file at from to the result at to. Each copy goes in pieces of at
    // most pieceSize bytes and calls progress, if given, with the bytes
    // copied so far after each. False when the work file ran short; throws
    // CFileException.
    [[nodiscard]] bool FillGapPiece(CFile& work, std::int64_t pieceSize, std::vector<unsigned char>& buffer);
    [[nodiscard]] bool FillGap(CFile& work, std::int64_t pieceSize, std::vector<unsigned char>& buffer,
                               const std::function<void(std::int64_t)>& progress);
    [[nodiscard]] bool Copy(CFile& work, std::int64_t from, std::int64_t to, std::int64_t count,
                            std::int64_t pieceSize, std::vector<unsigned char>& buffer,
                            const std::function<void(std::int64_t)>& progress);
    [[nodiscard]] std::int64_t GapLeft() const { return GapLength - GapDone; }

    // Renames the result over the work file; the old bytes go. False with the cause in error.
    [[nodiscard]] bool SwapIn(const QString& workFileName, CFileException& error);
    // Removes the result; harmless when there is none.
    void Discard();

private:
    QString Name;
    CFile Out;
    std::int64_t GapLength = 0;
    std::int64_t GapDone = 0;
};
