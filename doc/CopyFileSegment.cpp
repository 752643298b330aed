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
}

// Chunks go in ascending order and each is read before it is written, so a
// move towards the start inside one file is correct however the ranges overlap.
bool CBytelonView::CopyFileSegment(CFile& source, const QString& sourceName, int sourcePos, CFile& dest,
                                   const QString& destName, int destPos, int XferLen)
{
    SegmentWriteStarted = false;
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

    std::unique_ptr<char[]> buffer(new (std::nothrow) char[ChunkSize]);
    if (!buffer)
        return fail(IDS_COPY_ALLOC_FAILED);
    // The source is locked: its length cannot change but through our own writes,
    // which in one file only ever land below the bytes still to be read.
    const std::int64_t sourceLength = source.GetLength();
    try {
        for (int copied = 0; copied < XferLen;) {
            const int n = std::min(XferLen - copied, ChunkSize);
            const std::int64_t from = std::int64_t(sourcePos) + copied;
            if (source.Seek(from, CFile::begin) != from)
                return fail(IDS_COPY_SEEK_1);
            if (from + n > sourceLength)
                return fail(IDS_COPY_READ_1);
            const std::int64_t to = std::int64_t(destPos) + copied;
            if (dest.Seek(to, CFile::begin) != to)
                return fail(IDS_COPY_SEEK_2);
            SegmentWriteStarted = true;
            if (CFile::CopyRange(source, from, dest, to, UINT(n), buffer.get(), ChunkSize) != UINT(n))
                return fail(IDS_COPY_READ_1);
            copied += n;
        }
    } catch (const CFileException& e) {
        closeFiles();
        e.ReportError();
        return false;
    }
    closeFiles();
    return true;
}
