#pragma once
// Finds, block by block, the occurrences a run of Replace All steps would
// replace: left to right and without overlaps, each search going on after
// the occurrence before, as each step's search starts after the bytes the
// last replacement inserted; letter case folded as the search folds it.

#include "search/ByteMatcher.h"

#include <QByteArray>

#include <cstdint>
#include <vector>

class CReplaceAllScanner {
public:
    // find is not empty; withLength: the replacement's; docLength: the
    // document's before the pass.
    CReplaceAllScanner(const QByteArray& find, bool ignoreCase, int withLength, std::int64_t docLength);

    // Tests the start positions of the n bytes read at pos whose string lies
    // wholly inside them, or all of them in the document's last block, and
    // stops before an occurrence whose step would make the document too long
    // (see GrowthRefused). Occurrences() then holds where those found begin
    // in the block. Returns how many bytes are done: the next block starts
    // after them.
    int Scan(const unsigned char* pBlock, int n, std::int64_t pos);

    [[nodiscard]] const std::vector<int>& Occurrences() const { return Found; }
    // Occurrences found so far: the steps they stand for.
    [[nodiscard]] long Steps() const { return StepCount; }
    // The next step would make the document too long for an offset: it must
    // run on its own, which refuses it.
    [[nodiscard]] bool GrowthRefused() const { return Refused; }
    [[nodiscard]] int FindLength() const { return Matcher.Length(); }

private:
    CByteMatcher Matcher;
    std::int64_t Growth;
    std::int64_t DocLength;
    std::vector<int> Found;
    long StepCount = 0;
    bool Refused = false;
};
