#include "search/StagedWrites.h"

#include <cstring>

CStagedWrites::CStagedWrites(int directPieceSize, int stageSize)
    : DirectPieceSize(directPieceSize), Stage(std::size_t(stageSize))
{
}

void CStagedWrites::StartAt(std::int64_t position)
{
    Drop();
    Written = position;
}

void CStagedWrites::Add(CFile& file, const void* pBytes, std::int64_t count)
{
    if (count <= 0)
        return;
    if (count >= DirectPieceSize) {
        Spans.push_back({pBytes, UINT(count)});
        Pending += count;
        return;
    }
    if (StageUsed + std::size_t(count) > Stage.size())
        Flush(file);
    unsigned char* pTo = Stage.data() + StageUsed;
    // The library's copy: the compiler expands a memcpy of a count it knows
    // to be short as a string instruction, twice as slow on such pieces.
    std::memmove(pTo, pBytes, std::size_t(count));
    // The stage's bytes so far are the last span: it grows.
    if (StageUsed > 0 && static_cast<const unsigned char*>(Spans.back().pData) + Spans.back().Count == pTo)
        Spans.back().Count += UINT(count);
    else
        Spans.push_back({pTo, UINT(count)});
    StageUsed += std::size_t(count);
    Pending += count;
}

void CStagedWrites::Flush(CFile& file)
{
    if (Spans.empty())
        return;
    file.Seek(Written, CFile::begin);
    file.WriteSpans(Spans);
    Written += Pending;
    Drop();
}

void CStagedWrites::Drop()
{
    Spans.clear();
    Pending = 0;
    StageUsed = 0;
}
