#pragma once
// A loading or storing pass over one open file, handed to Serialize.

#include "framework/Afx.h"

class CFile;

class CArchive {
public:
    enum Mode { load, store };

    CArchive(CFile* pFile, Mode mode) : pFile(pFile), TheMode(mode) {}
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    [[nodiscard]] bool IsLoading() const { return TheMode == load; }
    [[nodiscard]] bool IsStoring() const { return TheMode == store; }
    // The underlying file: its name, length and position.
    [[nodiscard]] CFile* GetFile() const { return pFile; }

    // Sequential access; both throw CFileException on failure.
    UINT Read(void* pBuffer, UINT count);
    void Write(const void* pBuffer, UINT count);

private:
    CFile* pFile;
    Mode TheMode;
};
