#include "view/BytelonView.h"

#include "framework/File.h"
#include "framework/MessageBox.h"
#include "framework/WaitCursor.h"
#include "res/Resource.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>

namespace {
constexpr int ChunkSize = 16384;
// Consecutive chunks whose ranges cannot overlap move in one in-kernel copy of
// at most this many: per chunk, the cost of the call outweighs the copying.
constexpr int MaxRunChunks = 64;
// A move towards the start by less than a run goes through the buffer, a
// piece at a time; each piece is read whole before it is written, so any
// size is correct, and a large one saves two system calls per chunk.
constexpr int MoveBufferSize = 64 * ChunkSize;
}  // namespace

// Chunks go in ascending order and each is read before it is written, so a
// move towards the start inside one file is correct however the ranges overlap.
bool CBytelonView::CopyFileSegment(CFile& source, const QString& sourceName, int sourcePos, CFile& dest,
                                   const QString& destName, int destPos, int XferLen)
{
    SegmentWriteStarted = false;
    SegmentBytesWritten = 0;
    if (XferLen < 0) {
        AfxMessageBox(IDS_XFERLEN_NEGATIVE);
        return false;
    }
    if (XferLen == 0)
        return true;
    const bool oneFile = &source == &dest;
    if (!source.Open(sourceName, CFile::modeReadWrite | CFile::shareExclusive)) {
        AfxMessageBox(IDS_FILE_OPEN_FAILED);
        return false;
    }
    if (!oneFile && !dest.Open(destName, CFile::modeWrite | CFile::shareExclusive)) {
        source.Close();
        AfxMessageBox(IDS_FILE_OPEN_FAILED);
        return false;
    }
    CWaitCursor wait;
    auto closeFiles = [&] {
        source.Close();
        if (!oneFile)
            dest.Close();
    };
    auto fail = [&](UINT idMessage) {
        closeFiles();
        AfxMessageBox(idMessage);
        return false;
    };

    const int bufferSize = std::min(XferLen, MoveBufferSize);
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[std::size_t(bufferSize)]);
    if (!buffer)
        return fail(IDS_COPY_ALLOC_FAILED);
    // The source is locked: its length cannot change but through our own writes,
    // which in one file only ever land below the bytes still to be read.
    const std::int64_t sourceLength = source.GetLength();
    // In one file a run must not reach the bytes it moves down over; closer
    // than that, the run is one buffer's worth, moved a piece at a time.
    std::int64_t maxRun = std::int64_t(MaxRunChunks) * ChunkSize;
    if (oneFile)
        maxRun = std::clamp<std::int64_t>((std::int64_t(sourcePos) - destPos) / ChunkSize * ChunkSize,
                                          MoveBufferSize, maxRun);
    int runStart = 0;
    int runLength = 0;
    // Moves the chunks checked so far; false when the source ran short.
    auto moveRun = [&] {
        if (runLength == 0)
            return true;
        SegmentWriteStarted = true;
        UINT done = 0;
        try {
            const UINT moved = CFile::CopyRange(source, std::int64_t(sourcePos) + runStart, dest,
                                                std::int64_t(destPos) + runStart, UINT(runLength), buffer.get(),
                                                UINT(bufferSize), &done);
            SegmentBytesWritten = runStart + int(moved);
        } catch (const CFileException&) {
            SegmentBytesWritten = runStart + int(done);
            throw;
        }
        const bool whole = SegmentBytesWritten == runStart + runLength;
        runStart += runLength;
        runLength = 0;
        return whole;
    };
    // The chunks before a failing one are written, as when each moves at once.
    auto failAfterRun = [&](UINT idMessage) {
        moveRun();
        return fail(idMessage);
    };
    try {
        for (int copied = 0; copied < XferLen;) {
            const int n = std::min(XferLen - copied, ChunkSize);
            const std::int64_t from = std::int64_t(sourcePos) + copied;
            if (source.Seek(from, CFile::begin) != from)
                return failAfterRun(IDS_COPY_SEEK_1);
            if (from + n > sourceLength)
                return failAfterRun(IDS_COPY_READ_1);
            const std::int64_t to = std::int64_t(destPos) + copied;
            if (dest.Seek(to, CFile::begin) != to)
                return failAfterRun(IDS_COPY_SEEK_2);
            if (runLength + n > maxRun && !moveRun())
                return fail(IDS_COPY_READ_1);
            runLength += n;
            copied += n;
        }
        if (!moveRun())
            return fail(IDS_COPY_READ_1);
    } catch (const CFileException& e) {
        closeFiles();
        e.ReportError();
        return false;
    }
    closeFiles();
    return true;
}
