#pragma once
// The pieces of a file written one after another in few system calls:
// short pieces are copied behind each other into a stage, long ones stay
// where they are, and a flush writes them all with one gathered write.

#include "framework/File.h"

#include <cstdint>
#include <vector>

class CStagedWrites {
public:
    // Pieces shorter than directPieceSize are copied into a stage of stageSize bytes.
    CStagedWrites(int directPieceSize, int stageSize);

    // The bytes before position are already in the file: the next piece goes there.
    void StartAt(std::int64_t position);
    // The next count bytes. A long piece is not copied: its bytes must stay
    // as they are until the next Flush. Throws CFileException when a full
    // stage cannot be written.
    void Add(CFile& file, const void* pBytes, std::int64_t count);
    // Writes what waits. Throws CFileException.
    void Flush(CFile& file);
    // Forgets what waits.
    void Drop();

    // Where the next piece goes.
    [[nodiscard]] std::int64_t End() const { return Written + Pending; }
    // The bytes in the file.
    [[nodiscard]] std::int64_t WrittenEnd() const { return Written; }

private:
    int DirectPieceSize;
    std::vector<unsigned char> Stage;
    std::size_t StageUsed = 0;
    std::vector<CFile::CSpan> Spans;
    std::int64_t Written = 0;
    std::int64_t Pending = 0;
};
