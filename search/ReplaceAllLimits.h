#pragma once
// How a Replace All pass divides its work. The program runs with the
// defaults; tests make them small, so that small documents span several
// blocks, slices and pieces.

#include <cstdint>

struct CReplaceAllLimits {
    // Bytes read and searched at once.
    int BlockSize = 1024 * 1024;
    // Blocks a slice reads at most; 0: as many as the slice's time allows.
    int BlocksPerSlice = 0;
    // Pieces of the result shorter than this are gathered in a stage of
    // StageSize bytes: the kernel copies one long piece much faster than
    // many short ones.
    int DirectPieceSize = 4096;
    int StageSize = 256 * 1024;
    // The document's own bytes go into the result through the kernel in
    // pieces this large, so that neither a slice nor ending the pass holds
    // the program for long.
    std::int64_t CopyPieceSize = 32 * 1024 * 1024;
    // Off: every step runs on its own, as the design's loop runs them.
    bool Streaming = true;

    // Blocks of blockSize bytes, at most blocksPerSlice of them a slice, and
    // stage and pieces shrunk with them.
    [[nodiscard]] static CReplaceAllLimits Small(int blockSize, int blocksPerSlice)
    {
        CReplaceAllLimits limits;
        limits.BlockSize = blockSize;
        limits.BlocksPerSlice = blocksPerSlice;
        limits.DirectPieceSize = 2 + blockSize / 4;
        limits.StageSize = 2 * limits.DirectPieceSize;
        return limits;
    }
};
