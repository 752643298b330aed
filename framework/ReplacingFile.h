#pragma once
// A file written under a temporary name beside its target and renamed over
// the target only once complete: a failed write leaves the target as it was
// and nothing beside it. Failures are reported under the target's name.

#include "framework/File.h"

#include <QString>

#include <functional>

class CReplacingFile {
public:
    explicit CReplacingFile(const QString& targetName);
    // Removes the temporary file unless it has replaced the target.
    ~CReplacingFile();
    CReplacingFile(const CReplacingFile&) = delete;
    CReplacingFile& operator=(const CReplacingFile&) = delete;

    // Makes the empty temporary file; false after reporting why. A target that
    // exists and is not a regular file is refused.
    [[nodiscard]] bool Create();
    // Forces the bytes to the disk, gives the file the target's permissions
    // and renames it over the target; false after reporting why.
    [[nodiscard]] bool Commit();

    [[nodiscard]] const QString& TargetPath() const { return Target; }
    [[nodiscard]] const QString& TempPath() const { return Temp; }

    // The temporary file, opened by TempPath by whoever writes it.
    CFile File;
    // Told the temporary file's name just before the file is made, and an
    // empty name once it is gone or has become the target: a record of
    // unfinished work names it for as long as it exists.
    std::function<void(const QString&)> OnTemporary;

private:
    QString Target;
    QString Temp;
    bool Committed = false;
};
