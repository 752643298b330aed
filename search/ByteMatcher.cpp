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

bool AnySet(CByteVector v)
{
    std::uint64_t halves[2];
    std::memcpy(halves, &v, sizeof halves);
    return (halves[0] | halves[1]) != 0;
}

// The folded byte's capital, when it has one that folds onto it.
unsigned char OtherCase(unsigned char folded, bool ignoreCase)
{
    return (ignoreCase && folded >= 'a' && folded <= 'z') ? (unsigned char)(folded - ('a' - 'A')) : folded;
}

// Marks the start positions whose first byte and byte at secondOffset match
// the string's; a letter matches in either case when case is ignored. Without
// Folds, neither byte has another case and each is compared once.
template <bool Folds>
class CPairFilter {
public:
    explicit CPairFilter(const unsigned char (&lanes)[4][16])
        : First(Load(lanes[0])), FirstOther(Load(lanes[1])), Second(Load(lanes[2])), SecondOther(Load(lanes[3]))
    {
    }

    // Lane k is set when start position pAt + k passes.
    [[nodiscard]] CByteVector Candidates(const unsigned char* pAt, int secondOffset) const
    {
        const CByteVector atFirst = Load(pAt);
        const CByteVector atSecond = Load(pAt + secondOffset);
        if (!Folds)
            return CByteVector(atFirst == First) & CByteVector(atSecond == Second);
        return CByteVector((atFirst == First) | (atFirst == FirstOther))
               & CByteVector((atSecond == Second) | (atSecond == SecondOther));
    }

private:
    CByteVector First;
    CByteVector FirstOther;
    CByteVector Second;
    CByteVector SecondOther;
};

// The lowest lane set in candidates whose start position passes test, or -1.
// Lanes 0 to 7 are the first eight bytes in memory, whatever the byte order.
template <class Test>
int LowestPassing(CByteVector candidates, const Test& test)
{
    std::uint64_t halves[2];
    std::memcpy(halves, &candidates, sizeof halves);
    for (int half = 0; half < 2; ++half) {
        if (halves[half] == 0)
            continue;
        for (int k = half * 8; k < half * 8 + 8; ++k) {
            if (candidates[k] && test(k))
                return k;
        }
    }
    return -1;
}

// The highest such lane, or -1.
template <class Test>
int HighestPassing(CByteVector candidates, const Test& test)
{
    std::uint64_t halves[2];
    std::memcpy(halves, &candidates, sizeof halves);
    for (int half = 1; half >= 0; --half) {
        if (halves[half] == 0)
            continue;
        for (int k = half * 8 + 7; k >= half * 8; --k) {
            if (candidates[k] && test(k))
                return k;
        }
    }
    return -1;
}

// The lowest start position from next on, up to limit, that the filter passes
// and test accepts, tested a whole vector of them at a time; or -1, with next
// the first start position left for a test one by one. Two vectors a round,
// with one test of both: most rounds pass nothing.
template <bool Folds, class Test>
int ScanVectorsForward(const unsigned char (&lanes)[4][16], const unsigned char* pBlock, int limit, int second,
                       const Test& test, int& next)
{
    const CPairFilter<Folds> filter(lanes);
    int i = next;
    for (; i + 2 * Lanes - 1 <= limit; i += 2 * Lanes) {
        const CByteVector low = filter.Candidates(pBlock + i, second);
        const CByteVector high = filter.Candidates(pBlock + i + Lanes, second);
        if (!AnySet(low | high))
            continue;
        for (int base : {i, i + Lanes}) {
            const int k = LowestPassing(base == i ? low : high, [&](int lane) { return test(pBlock + base + lane); });
            if (k >= 0)
                return base + k;
        }
    }
    for (; i + Lanes - 1 <= limit; i += Lanes) {
        const int k = LowestPassing(filter.Candidates(pBlock + i, second),
                                    [&](int lane) { return test(pBlock + i + lane); });
        if (k >= 0)
            return i + k;
    }
    next = i;
    return -1;
}

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
    const unsigned char lanes[4] = {Pattern[0], OtherCase(Pattern[0], ignoreCase), Pattern[Second],
                                    OtherCase(Pattern[Second], ignoreCase)};
    for (int v = 0; v < 4; ++v)
        std::memset(FilterLanes[v], lanes[v], sizeof FilterLanes[v]);
    FilterFolds = lanes[0] != lanes[1] || lanes[2] != lanes[3];
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
    const auto matches = [this](const unsigned char* pAt) { return MatchesAt(pAt); };
    int i = 0;
    const int found = FilterFolds ? ScanVectorsForward<true>(FilterLanes, pBlock, limit, Second, matches, i)
                                  : ScanVectorsForward<false>(FilterLanes, pBlock, limit, Second, matches, i);
    if (found >= 0)
        return found;
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
    const CPairFilter<true> filter(FilterLanes);
    // i is the highest start position not yet tested.
    for (; i - (Lanes - 1) >= 0; i -= Lanes) {
        const int base = i - (Lanes - 1);
        const int k = HighestPassing(filter.Candidates(pBlock + base, Second),
                                     [&](int lane) { return MatchesAt(pBlock + base + lane); });
        if (k >= 0)
            return base + k;
    }
    for (; i >= 0; --i) {
        if (MatchesAt(pBlock + i))
            return i;
    }
    return -1;
}
