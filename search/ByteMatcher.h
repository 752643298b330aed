#pragma once
// Finds a search string inside one block of bytes, towards the end or towards
// the start, optionally folding the letters A to Z onto a to z. The answer is
// always what a byte-by-byte test at every start position would give; a
// filter that tests 16 start positions at once on two of the string's bytes
// only makes it faster.

#include <array>
#include <vector>

class CByteMatcher {
public:
    // count is at least 1; ignoreCase folds only A to Z onto a to z.
    CByteMatcher(const char* pBytes, int count, bool ignoreCase);

    // The lowest start position i, 0 <= i <= n - count, where the string
    // matches, or -1.
    [[nodiscard]] int FindFirst(const unsigned char* pBlock, int n) const;
    // The highest such position, or -1.
    [[nodiscard]] int FindLast(const unsigned char* pBlock, int n) const;
    [[nodiscard]] bool MatchesAt(const unsigned char* pAt) const;

    [[nodiscard]] int Length() const { return Count; }

private:
    int Count;
    bool IgnoreCase;
    // Each byte as the comparison sees it: folded, or itself.
    std::array<unsigned char, 256> Fold;
    // The string, folded.
    std::vector<unsigned char> Pattern;
    // The filter looks at the first byte and at the last byte that differs
    // from it, so a long run of one byte value in the document passes no
    // start position to the full test.
    int Second = 0;
    // The filter's first byte, that byte in its other case, its second byte
    // and that one's other case (a byte without one stands for itself), each
    // in 16 lanes: made once, as a scan may find many occurrences per block.
    alignas(16) unsigned char FilterLanes[4][16] = {};
    // Either filter byte has another case.
    bool FilterFolds = false;
};
