#include "view/TextLayout.h"

#include <algorithm>

int CTextLayout::Position(const CTextCell& cell) const
{
    const int start = cell.Row * LineLength();
    return cell.InText ? start + TextStart() + cell.Column : start + HexStart() + 3 * cell.Column;
}

CTextCell CTextLayout::CellAt(int position, int inText) const
{
    CTextCell cell;
    cell.Row = std::max(0, position) / LineLength();
    const int within = std::max(0, position) % LineLength();
    if (within >= TextStart()) {
        cell.InText = 1;
        cell.Column = std::min(within - TextStart(), BytesPerLine);
    } else if (within >= HexStart()) {
        cell.InText = 0;
        cell.Column = std::min((within - HexStart() + 1) / 3, BytesPerLine);
    } else {
        cell.InText = inText;
    }
    return cell;
}

std::vector<std::pair<int, int>> CTextLayout::Runs(int top, int rows, int lo, int hi, int inText) const
{
    std::vector<std::pair<int, int>> runs;
    for (int r = 0; r < rows; ++r) {
        const long long rowStart = (long long)top + (long long)r * BytesPerLine;
        const long long first = std::max<long long>(lo, rowStart);
        const long long last = std::min<long long>(hi, rowStart + BytesPerLine) - 1;
        if (first > last)
            continue;
        const CTextCell from{r, int(first - rowStart), inText};
        const CTextCell to{r, int(last - rowStart), inText};
        // A run of hex cells ends after the last one's second digit.
        runs.emplace_back(Position(from), Position(to) + (inText ? 1 : 2));
    }
    return runs;
}
