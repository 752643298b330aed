#pragma once
// The short-lived file that holds the bytes after the caret while an
// insertion writes its new bytes; removed from disk when the guard ends. It
// bears its document's work file's name, so its record always names it.

#include "framework/File.h"

#include <QString>

class CTailFile {
public:
    CTailFile() = default;
    ~CTailFile();
    CTailFile(const CTailFile&) = delete;
    CTailFile& operator=(const CTailFile&) = delete;

    // Makes fileName a new empty file, a leftover of that name going first;
    // false when no such file exists afterwards.
    [[nodiscard]] bool Create(const QString& fileName);
    [[nodiscard]] bool Exists() const { return !Name.isEmpty(); }

    // Introspection for tests: how many tail files have been made so far.
    [[nodiscard]] static long CreatedCount();

    CFile File;
    QString Name;
};
