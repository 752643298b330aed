#include "view/BytelonView.h"

#include "doc/BytelonDoc.h"
#include "framework/File.h"
#include "framework/MessageBox.h"
#include "framework/VirtualKeys.h"
#include "framework/WaitCursor.h"
#include "res/Resource.h"
#include "search/ByteMatcher.h"
#include "view/PreparedDC.h"

#include <algorithm>
#include <memory>
#include <new>

namespace {

constexpr int BlockSize = 16384;

// What one scan of the work file came to: the offset of the occurrence, or
// -1 with the message that says why not.
struct CScanResult {
    int Offset = -1;
    UINT Message = 0;
};

// The messages of one direction's failures.
struct CScanMessages {
    UINT Open;
    UINT Alloc;
    UINT Seek;
    UINT Read;
    UINT Miss;
};

constexpr CScanMessages ForwardMessages{IDS_FINDNEXT_OPEN, IDS_FINDNEXT_ALLOC, IDS_FINDNEXT_SEEK,
                                        IDS_FINDNEXT_READ, IDS_END_OF_DOCUMENT};
constexpr CScanMessages BackwardMessages{IDS_FINDPREVIOUS_OPEN, IDS_FINDPREVIOUS_ALLOC, IDS_FINDPREVIOUS_SEEK,
                                         IDS_FINDPREVIOUS_READ, IDS_TOP_OF_DOCUMENT};

// Reads the n bytes at pos into pBuffer; 0 on success, else the message.
UINT ReadBlock(CFile& file, int pos, int n, unsigned char* pBuffer, const CScanMessages& messages)
{
    if (file.Seek(pos, CFile::begin) != pos)
        return messages.Seek;
    UINT got = 0;
    try {
        got = file.Read(pBuffer, UINT(n));
    } catch (const CFileException&) {
        return messages.Read;
    }
    return got == UINT(n) ? 0 : messages.Read;
}

// Blocks are read from start towards the end. Consecutive blocks overlap by
// count - 1 bytes, so every start position is tested exactly once, in
// ascending order, and occurrences across block boundaries are found.
CScanResult ScanForward(const CBytelonDoc& document, int start, const CByteMatcher& matcher)
{
    const int count = matcher.Length();
    const int docLen = document.DocLen;
    CFile file;
    if (!file.Open(document.WorkFileName, CFile::modeRead | CFile::shareExclusive))
        return {-1, ForwardMessages.Open};
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[BlockSize]);
    if (!buffer)
        return {-1, ForwardMessages.Alloc};
    int pos = start;
    while (pos < docLen) {
        const int n = std::min(BlockSize, docLen - pos);
        if (const UINT failure = ReadBlock(file, pos, n, buffer.get(), ForwardMessages))
            return {-1, failure};
        if (n < count)
            return {-1, ForwardMessages.Miss};
        const int i = matcher.FindFirst(buffer.get(), n);
        if (i >= 0)
            return {pos + i, 0};
        if (pos + n >= docLen)
            break;
        pos += n - (count - 1);
    }
    return {-1, ForwardMessages.Miss};
}

// Blocks are read from end towards the start, overlapping as above, so every
// start position is tested exactly once, in descending order.
CScanResult ScanBackward(const CBytelonDoc& document, int end, const CByteMatcher& matcher)
{
    const int count = matcher.Length();
    CFile file;
    if (!file.Open(document.WorkFileName, CFile::modeRead | CFile::shareExclusive))
        return {-1, BackwardMessages.Open};
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[BlockSize]);
    if (!buffer)
        return {-1, BackwardMessages.Alloc};
    while (end > 0) {
        const int n = std::min(BlockSize, end);
        if (count > n)
            return {-1, BackwardMessages.Miss};
        if (const UINT failure = ReadBlock(file, end - n, n, buffer.get(), BackwardMessages))
            return {-1, failure};
        const int i = matcher.FindLast(buffer.get(), n);
        if (i >= 0)
            return {end - n + i, 0};
        if (end - n <= 0)
            break;
        end -= n - (count - 1);
    }
    return {-1, BackwardMessages.Miss};
}

// The checks both directions make before touching the work file, in their
// order; false after saying why.
bool SearchPossible(const CBytelonDoc* pDocument, const char* pBytes, int count)
{
    if (count <= 0 || !pBytes || !pDocument) {
        AfxMessageBox(IDS_NOTHING_TO_FIND);
        return false;
    }
    if (count > pDocument->DocLen) {
        AfxMessageBox(IDS_SEARCH_TOO_LONG);
        return false;
    }
    return true;
}

}  // namespace

void CBytelonView::SelectOccurrence(int p1, int p2, bool extend, int docLen)
{
    CPreparedDC dc(this);
    ShiftDown = extend ? 1 : 0;
    SyncSelectionWithShift(dc);
    ScrollTo(p1, 0, dc, docLen);
    SetCaretToOffset(p1, dc, docLen);
    ExtendSelection(dc);
    ShiftDown = 1;
    SyncSelectionWithShift(dc);
    ScrollTo(p2, 0, dc, docLen);
    SetCaretToOffset(p2, dc, docLen);
    ExtendSelection(dc);
    ShiftDown = AfxIsKeyDown(VK_SHIFT) ? 1 : 0;
}

int CBytelonView::FindNext(const char* pBytes, int count, int IgnoreCase, EShift shift)
{
    EndReplaceAllPass();
    const CBytelonDoc* pDocument = GetDocument();
    if (!SearchPossible(pDocument, pBytes, count))
        return 1;
    CScanResult result;
    {
        CWaitCursor wait;
        const CByteMatcher matcher(pBytes, count, IgnoreCase == 1);
        result = ScanForward(*pDocument, CaretOffset(), matcher);
    }
    if (result.Offset < 0) {
        AfxMessageBox(result.Message);
        if (result.Message == IDS_END_OF_DOCUMENT)
            UpdateWindow();
        return 1;
    }
    SelectOccurrence(result.Offset, result.Offset + count, shift == EShift::Extends && AfxIsKeyDown(VK_SHIFT),
                     pDocument->DocLen);
    UpdateWindow();
    return 0;
}

int CBytelonView::FindPrevious(const char* pBytes, int count, int IgnoreCase)
{
    EndReplaceAllPass();
    const CBytelonDoc* pDocument = GetDocument();
    if (!SearchPossible(pDocument, pBytes, count))
        return 1;
    const int end = CaretOffset();
    if (end == 0) {
        AfxMessageBox(IDS_TOP_OF_DOCUMENT);
        return 1;
    }
    CScanResult result;
    {
        CWaitCursor wait;
        const CByteMatcher matcher(pBytes, count, IgnoreCase == 1);
        result = ScanBackward(*pDocument, end, matcher);
    }
    if (result.Offset < 0) {
        AfxMessageBox(result.Message);
        if (result.Message == IDS_TOP_OF_DOCUMENT)
            UpdateWindow();
        return 1;
    }
    SelectOccurrence(result.Offset + count, result.Offset, AfxIsKeyDown(VK_SHIFT), pDocument->DocLen);
    UpdateWindow();
    return 0;
}
