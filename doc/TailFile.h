#pragma once
// The short-lived file that holds the bytes after the caret while an
// insertion writes its new bytes; removed from disk when the guard ends.

#include "framework/File.h"

#include <QString>

class CTailFile {
public:
    CTailFile() = default;
    ~CTailFile();
    CTailFile(const CTailFile&) = delete;
    CTailFile& operator=(const CTailFile&) = delete;

    // Makes a new empty temporary file, as work files are made; false when
    // no such file exists afterwards.
    [[nodiscard]] bool Create();
    [[nodiscard]] bool Exists() const { return !Name.isEmpty(); }

    // Introspection for tests: how many tail files have been made so far.
    [[nodiscard]] static long CreatedCount();

    CFile File;
    QString Name;
};
