#include "search/ByteMatcher.h"

#include <algorithm>
#include <cstring>

CByteMatcher::CByteMatcher(const char* pBytes, int count, bool ignoreCase)
    : Count(std::max(count, 1)), IgnoreCase(ignoreCase), Pattern(std::size_t(Count))
{
    for (int b = 0; b < 256; ++b)
        Fold[b] = (ignoreCase && b >= 'A' && b <= 'Z') ? (unsigned char)(b + ('a' - 'A')) : (unsigned char)b;
    for (int k = 0; k < Count; ++k)
        Pattern[k] = Fold[(unsigned char)pBytes[k]];

    const int last = Count - 1;
    // Folded skips, then spread over every byte that folds onto them.
    std::array<int, 256> forward;
    std::array<int, 256> backward;
    forward.fill(Count);
    backward.fill(Count);
    for (int k = 0; k < last; ++k)
        forward[Pattern[k]] = last - k;
    for (int k = last; k > 0; --k)
        backward[Pattern[k]] = k;
    ForwardMismatchShift = forward[Pattern[last]];
    BackwardMismatchShift = backward[Pattern[0]];
    forward[Pattern[last]] = 0;
    backward[Pattern[0]] = 0;
    for (int b = 0; b < 256; ++b) {
        ForwardSkip[b] = forward[Fold[b]];
        BackwardSkip[b] = backward[Fold[b]];
    }
}

bool CByteMatcher::MatchesAt(const unsigned char* pAt) const
{
    if (!IgnoreCase)
        return std::memcmp(pAt, Pattern.data(), std::size_t(Count)) == 0;
    for (int k = 0; k < Count; ++k) {
        if (Fold[pAt[k]] != Pattern[k])
            return false;
    }
    return true;
}

int CByteMatcher::FindFirst(const unsigned char* pBlock, int n) const
{
    const int limit = n - Count;
    if (limit < 0)
        return -1;
    // One byte that no other byte folds onto: the library's byte scan.
    if (Count == 1 && (!IgnoreCase || Pattern[0] < 'a' || Pattern[0] > 'z')) {
        const void* pHit = std::memchr(pBlock, Pattern[0], std::size_t(n));
        return pHit ? int(static_cast<const unsigned char*>(pHit) - pBlock) : -1;
    }
    const unsigned char* pLast = pBlock + (Count - 1);
    int i = 0;
    while (i <= limit) {
        // Skip loop: a window is checked only when its last byte matches.
        int skip;
        while ((skip = ForwardSkip[pLast[i]]) != 0) {
            i += skip;
            if (i > limit)
                return -1;
        }
        if (MatchesAt(pBlock + i))
            return i;
        i += ForwardMismatchShift;
    }
    return -1;
}

int CByteMatcher::FindLast(const unsigned char* pBlock, int n) const
{
    int i = n - Count;
    while (i >= 0) {
        // Skip loop: a window is checked only when its first byte matches.
        int skip;
        while ((skip = BackwardSkip[pBlock[i]]) != 0) {
            i -= skip;
            if (i < 0)
                return -1;
        }
        if (MatchesAt(pBlock + i))
            return i;
        i -= BackwardMismatchShift;
    }
    return -1;
}
