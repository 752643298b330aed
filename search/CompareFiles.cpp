// Compare files: the first byte at which the documents of the two most
// recently focused views differ.

#include "app/BytelonApp.h"

#include "doc/BytelonDoc.h"
#include "framework/File.h"
#include "framework/MessageBox.h"
#include "framework/WaitCursor.h"
#include "res/Resource.h"
#include "view/BytelonView.h"
#include "view/PreparedDC.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int CompareBlockSize = 1024;

// Closes a work file when the comparison ends, however it ends.
class CWorkFileCloser {
public:
    explicit CWorkFileCloser(CFile& file) : File(file) {}
    ~CWorkFileCloser() { File.Close(); }
    CWorkFileCloser(const CWorkFileCloser&) = delete;
    CWorkFileCloser& operator=(const CWorkFileCloser&) = delete;

private:
    CFile& File;
};

// Reads count bytes at pos; false when the seek or the read falls short.
bool ReadBlockAt(CFile& file, int pos, unsigned char* pBuffer, int count, UINT seekError, UINT readError,
                 UINT& failure)
{
    if (file.Seek(pos, CFile::begin) != pos) {
        failure = seekError;
        return false;
    }
    UINT got = 0;
    try {
        got = file.Read(pBuffer, UINT(count));
    } catch (const CFileException&) {
        got = 0;
    }
    if (got < UINT(count)) {
        failure = readError;
        return false;
    }
    return true;
}

// The two documents' bytes 0 to n - 1, block by block: the offset of the
// first difference, -1 when there is none, or -2 with failure set.
int FindFirstDifference(CFile& fileA, CFile& fileB, int n, UINT& failure)
{
    unsigned char bufferA[CompareBlockSize];
    unsigned char bufferB[CompareBlockSize];
    for (int pos = 0; pos < n;) {
        const int k = std::min(CompareBlockSize, n - pos);
        if (!ReadBlockAt(fileA, pos, bufferA, k, IDS_DIFF_SEEK_1, IDS_DIFF_READ_1, failure)
            || !ReadBlockAt(fileB, pos, bufferB, k, IDS_DIFF_SEEK_2, IDS_DIFF_READ_2, failure))
            return -2;
        if (std::memcmp(bufferA, bufferB, std::size_t(k)) != 0) {
            const auto where = std::mismatch(bufferA, bufferA + k, bufferB);
            return pos + int(where.first - bufferA);
        }
        pos += k;
    }
    return -1;
}

}  // namespace

void CBytelonApp::OnSearchDiff()
{
    CBytelonView* pViewA = pCurrentView;
    CBytelonView* pViewB = pPreviousView;
    if (!pViewA || !pViewB || !pViewA->GetDocument() || !pViewB->GetDocument())
        return;
    pViewA->EndReplaceAllPass();
    pViewB->EndReplaceAllPass();
    CBytelonDoc* pDocA = pViewA->GetDocument();
    CBytelonDoc* pDocB = pViewB->GetDocument();
    const int lenA = pDocA->DocLen;
    const int lenB = pDocB->DocLen;

    // The blocks are small and read in order: the read-ahead makes them cheap.
    constexpr UINT mode = CFile::modeRead | CFile::shareExclusive | CFile::osSequentialScan;
    if (!pDocA->WorkFile.Open(pDocA->WorkFileName, mode)) {
        AfxMessageBox(IDS_DIFF_OPEN_A);
        return;
    }
    CWorkFileCloser closeA(pDocA->WorkFile);
    if (!pDocB->WorkFile.Open(pDocB->WorkFileName, mode)) {
        pDocA->WorkFile.Close();
        AfxMessageBox(IDS_DIFF_OPEN_B);
        return;
    }
    CWorkFileCloser closeB(pDocB->WorkFile);

    const int n = std::min(lenA, lenB);
    if (n <= 0) {
        pDocA->WorkFile.Close();
        pDocB->WorkFile.Close();
        AfxMessageBox(IDS_FILES_EMPTY);
        return;
    }

    int diff = -1;
    UINT failure = 0;
    {
        CWaitCursor wait;
        diff = FindFirstDifference(pDocA->WorkFile, pDocB->WorkFile, n, failure);
        pDocA->WorkFile.Close();
        pDocB->WorkFile.Close();
    }
    if (diff == -2) {
        AfxMessageBox(failure);
        return;
    }
    if (lenA == lenB && diff == -1) {
        AfxMessageBox(IDS_FILES_IDENTICAL);
        return;
    }
    // One document is the start of the other: the difference is just past the shorter one.
    if (diff == -1)
        diff = n;

    // The carets alone show the difference: no view is activated, no selection changes.
    for (CBytelonView* pView : {pViewA, pViewB}) {
        CPreparedDC dc(pView);
        pView->ScrollTo(diff, 0, dc);
        pView->SetCaretToOffset(diff, dc);
    }
}

void CBytelonApp::OnUpdateSearchDiff(CCmdUI* pCmdUI)
{
    const CBytelonDoc* pDocA = pCurrentView ? pCurrentView->GetDocument() : nullptr;
    const CBytelonDoc* pDocB = pPreviousView ? pPreviousView->GetDocument() : nullptr;
    pCmdUI->Enable(pCurrentView && pPreviousView && pCurrentView != pPreviousView && pDocA && pDocB
                   && pDocA != pDocB && pDocA->DocLen > 0 && pDocB->DocLen > 0);
}
