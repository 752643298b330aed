#include "search/ReplaceAllScanner.h"

#include "framework/Document.h"

#include <algorithm>

CReplaceAllScanner::CReplaceAllScanner(const QByteArray& find, bool ignoreCase, int withLength,
                                       std::int64_t docLength)
    : Matcher(find.constData(), int(find.size()), ignoreCase), Growth(std::int64_t(withLength) - find.size()),
      DocLength(docLength)
{
}

int CReplaceAllScanner::Scan(const unsigned char* pBlock, int n, std::int64_t pos)
{
    const int findLength = Matcher.Length();
    Found.clear();
    int i = 0;
    for (int k; (k = Matcher.FindFirst(pBlock + i, n - i)) >= 0; i += k + findLength) {
        if (DocLength + (StepCount + 1) * Growth > CDocument::MaxLength) {
            Refused = true;
            return i;
        }
        Found.push_back(i + k);
        ++StepCount;
    }
    // Start positions whose string would run past the block are tested with
    // the next block, which begins at the first of them.
    if (pos + n >= DocLength)
        return n;
    return std::max(i, n - (findLength - 1));
}
