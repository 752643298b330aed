#include "search/ReplaceAllResult.h"

#include "framework/TempFile.h"

#include <algorithm>

CReplaceAllResult::~CReplaceAllResult()
{
    Discard();
}

bool CReplaceAllResult::Create(const QString& fileName, CFileException& error)
{
    Discard();
    CFile::Remove(fileName);
    if (!AfxCreateNewFile(fileName, &error))
        return false;
    Name = fileName;
    return true;
}

bool CReplaceAllResult::Open(CFileException& error)
{
    return Out.Open(Name, CFile::modeWrite | CFile::shareExclusive, &error);
}

void CReplaceAllResult::LeaveGap(std::int64_t gapLength)
{
    GapLength = gapLength;
    GapDone = 0;
}

bool CReplaceAllResult::FillGapPiece(CFile& work, std::int64_t pieceSize, std::vector<unsigned char>& buffer)
{
    const std::int64_t piece = std::min(pieceSize, GapLeft());
    if (!Copy(work, GapDone, GapDone, piece, pieceSize, buffer, nullptr))
        return false;
    GapDone += piece;
    return true;
}

bool CReplaceAllResult::FillGap(CFile& work, std::int64_t pieceSize, std::vector<unsigned char>& buffer,
                                const std::function<void(std::int64_t)>& progress)
{
    const std::int64_t start = GapDone;
    while (!GapFilled()) {
        if (!FillGapPiece(work, pieceSize, buffer))
            return false;
        if (progress)
            progress(GapDone - start);
    }
    return true;
}

bool CReplaceAllResult::Copy(CFile& work, std::int64_t from, std::int64_t to, std::int64_t count,
                             std::int64_t pieceSize, std::vector<unsigned char>& buffer,
                             const std::function<void(std::int64_t)>& progress)
{
    for (std::int64_t done = 0; done < count;) {
        const UINT piece = UINT(std::min(pieceSize, count - done));
        if (CFile::CopyRange(work, from + done, Out, to + done, piece, buffer.data(), UINT(buffer.size())) != piece)
            return false;
        done += piece;
        if (progress)
            progress(done);
    }
    return true;
}

bool CReplaceAllResult::SwapIn(const QString& workFileName, CFileException& error)
{
    Out.Close();
    // One rename: a view painting sees the old document or the new one.
    if (!CFile::RenameOverScratch(Name, workFileName, &error))
        return false;
    Name.clear();
    return true;
}

void CReplaceAllResult::Discard()
{
    Out.Close();
    if (!Name.isEmpty())
        CFile::Remove(Name);
    Name.clear();
}
