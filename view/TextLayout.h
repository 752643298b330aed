#pragma once
// Where the cells of the window's lines stand in the text a screen reader
// reads. Each line is its row of character cells as the window draws them
// from the address on: the address, three blanks, the hex cells, three
// blanks and the characters; a line feed ends every line but the last. So
// the character at position p of a line is drawn in cell 2 + p of its row.

#include <utility>
#include <vector>

// A caret place: row and column as the view counts them, and the pane.
struct CTextCell {
    int Row = 0;
    int Column = 0;
    int InText = 0;
};

class CTextLayout {
public:
    CTextLayout(int addressWidth, int bytesPerLine) : AddressWidth(addressWidth), BytesPerLine(bytesPerLine) {}

    [[nodiscard]] int HexStart() const { return AddressWidth + 3; }
    [[nodiscard]] int TextStart() const { return HexStart() + 3 * BytesPerLine + 2; }
    // With the line feed.
    [[nodiscard]] int LineLength() const { return TextStart() + BytesPerLine + 1; }
    // Where the caret stands before a cell: before the first digit of a hex
    // cell, before a character. Column BytesPerLine, the end-of-line place,
    // lies just after the line's last cell.
    [[nodiscard]] int Position(const CTextCell& cell) const;
    // The caret place nearest a position: a position inside a hex cell or in
    // the blank after it means that cell or the next; one in the address
    // means column 0, in the pane given.
    [[nodiscard]] CTextCell CellAt(int position, int inText) const;
    // The runs of text that show the bytes from lo up to hi in the pane, one
    // per row of `rows` rows starting at document offset top.
    [[nodiscard]] std::vector<std::pair<int, int>> Runs(int top, int rows, int lo, int hi, int inText) const;

private:
    int AddressWidth;
    int BytesPerLine;
};
