#include "search/ByteMatcher.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// Sixteen bytes handled as one value (a compiler vector extension: one SSE2
// or NEON register, or plain code where there is none).
using CByteVector = unsigned char __attribute__((vector_size(16)));
constexpr int Lanes = int(sizeof(CByteVector));

CByteVector Load(const unsigned char* pAt)
{
    CByteVector v;
    std::memcpy(&v, pAt, sizeof v);
    return v;
}

CByteVector Splat(unsigned char byte)
{
    CByteVector v;
    for (int k = 0; k < Lanes; ++k)
        v[k] = byte;
    return v;
}

bool AnySet(CByteVector v)
{
    std::uint64_t halves[2];
    std::memcpy(halves, &v, sizeof halves);
    return (halves[0] | halves[1]) != 0;
}

// Marks the start positions whose first byte and byte at secondOffset match
// the string's; a letter matches in either case when case is ignored.
class CPairFilter {
public:
    CPairFilter(unsigned char first, unsigned char second, bool ignoreCase)
        : First(Splat(first)), FirstOther(Splat(OtherCase(first, ignoreCase))), Second(Splat(second)),
          SecondOther(Splat(OtherCase(second, ignoreCase))), FirstFolds(OtherCase(first, ignoreCase) != first),
          SecondFolds(OtherCase(second, ignoreCase) != second)
    {
    }

    // Lane k is set when start position pAt + k passes.
    [[nodiscard]] CByteVector Candidates(const unsigned char* pAt, int secondOffset) const
    {
        const CByteVector atFirst = Load(pAt);
        const CByteVector atSecond = Load(pAt + secondOffset);
        CByteVector first = CByteVector(atFirst == First);
        if (FirstFolds)
            first |= CByteVector(atFirst == FirstOther);
        CByteVector second = CByteVector(atSecond == Second);
        if (SecondFolds)
            second |= CByteVector(atSecond == SecondOther);
        return first & second;
    }

private:
    // The folded byte's capital, when it has one that folds onto it.
    static unsigned char OtherCase(unsigned char folded, bool ignoreCase)
    {
        return (ignoreCase && folded >= 'a' && folded <= 'z') ? (unsigned char)(folded - ('a' - 'A')) : folded;
    }

    CByteVector First;
    CByteVector FirstOther;
    CByteVector Second;
    CByteVector SecondOther;
    bool FirstFolds;
    bool SecondFolds;
};

}  // namespace

CByteMatcher::CByteMatcher(const char* pBytes, int count, bool ignoreCase)
    : Count(std::max(count, 1)), IgnoreCase(ignoreCase), Pattern(std::size_t(Count))
{
    for (int b = 0; b < 256; ++b)
        Fold[b] = (ignoreCase && b >= 'A' && b <= 'Z') ? (unsigned char)(b + ('a' - 'A')) : (unsigned char)b;
    for (int k = 0; k < Count; ++k)
        Pattern[k] = Fold[(unsigned char)pBytes[k]];
    Second = Count - 1;
    while (Second > 0 && Pattern[Second] == Pattern[0])
        --Second;
    if (Second == 0)
        Second = Count - 1;
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
    const CPairFilter filter(Pattern[0], Pattern[Second], IgnoreCase);
    int i = 0;
    for (; i + Lanes - 1 <= limit; i += Lanes) {
        const CByteVector candidates = filter.Candidates(pBlock + i, Second);
        if (!AnySet(candidates))
            continue;
        for (int k = 0; k < Lanes; ++k) {
            if (candidates[k] && MatchesAt(pBlock + i + k))
                return i + k;
        }
    }
    for (; i <= limit; ++i) {
        if (MatchesAt(pBlock + i))
            return i;
    }
    return -1;
}

int CByteMatcher::FindLast(const unsigned char* pBlock, int n) const
{
    int i = n - Count;
    if (i < 0)
        return -1;
    const CPairFilter filter(Pattern[0], Pattern[Second], IgnoreCase);
    // i is the highest start position not yet tested.
    for (; i - (Lanes - 1) >= 0; i -= Lanes) {
        const int base = i - (Lanes - 1);
        const CByteVector candidates = filter.Candidates(pBlock + base, Second);
        if (!AnySet(candidates))
            continue;
        for (int k = Lanes - 1; k >= 0; --k) {
            if (candidates[k] && MatchesAt(pBlock + base + k))
                return base + k;
        }
    }
    for (; i >= 0; --i) {
        if (MatchesAt(pBlock + i))
            return i;
    }
    return -1;
}
