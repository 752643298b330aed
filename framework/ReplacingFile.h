#pragma once
// A file's bytes replaced without changing what makes it the user's file.
// Where its owner, group, mode and extended attributes can all be given to a
// new file, the new bytes are written under a temporary name beside it and
// renamed over it once they are on the disk: the file is always wholly old
// or wholly new. Otherwise (several hard links, an owner or group this
// process cannot give, a folder it cannot make files in) the file is written
// in place, its old bytes first kept aside in the work-file folder and
// written back if anything fails. A file this process may not write is not
// replaced. Failures are reported under the target's name. Whoever must
// finish off a replacement this process may not live to end is told of its
// files before each is made and after each is gone.

#include "framework/File.h"
#include "framework/FileIdentity.h"

#include <QString>

#include <cstdint>
#include <functional>

// The files a replacement has on the disk or is about to make: what a later
// process needs to leave the target wholly old or wholly new, and nothing
// of the replacement behind, after this one ended part-way.
struct CReplacementFiles {
    QString Target;
    // Beside the target, from just before it is made until it is gone or
    // has become the target.
    QString Temp;
    // The copy of the target's old bytes, from just before it is made until
    // it is removed.
    QString Kept;
    // Kept holds all KeptLength bytes, on the disk, and the target is being
    // written in place: put back, they leave the target as it was.
    bool WritingInPlace = false;
    std::int64_t KeptLength = 0;
    unsigned Mode = 0;
    // The target before it was written: the same file still, if its device
    // and inode are, and its time as it was.
    CFileIdentity Original;

    [[nodiscard]] bool IsEmpty() const { return Temp.isEmpty() && Kept.isEmpty(); }
};

class CReplacingFile {
public:
    explicit CReplacingFile(const QString& targetName);
    // Abandons the replacement unless it was committed.
    ~CReplacingFile();
    CReplacingFile(const CReplacingFile&) = delete;
    CReplacingFile& operator=(const CReplacingFile&) = delete;

    // Checks that the target may be replaced, decides how, and opens File on
    // WritePath at position 0; false after reporting why, target untouched.
    [[nodiscard]] bool Create();
    // Puts the first length bytes of WritePath in the target's place, on the
    // disk; false after reporting why, with the target as it was (unless
    // only the folder could not be forced to the disk: see Replaced).
    [[nodiscard]] bool Commit(std::int64_t length);
    // Leaves the target as it was: the temporary file removed, or the kept
    // bytes written back. Reports only what it could not undo.
    void Abandon();

    [[nodiscard]] const QString& TargetPath() const { return Target; }
    // Where the new bytes go: the temporary file, or the target itself.
    [[nodiscard]] const QString& WritePath() const { return InPlaceWay ? Target : Temp; }
    [[nodiscard]] bool InPlace() const { return InPlaceWay; }
    // The temporary file beside the target; empty when written in place.
    [[nodiscard]] const QString& TempPath() const { return Temp; }
    // The copy of the target's old bytes in the work-file folder, made before
    // it is written in place; empty otherwise.
    [[nodiscard]] const QString& KeptPath() const { return Kept; }
    // Whether the target now holds the new bytes, and its identity then.
    [[nodiscard]] bool Replaced() const { return Committed; }
    [[nodiscard]] const CFileIdentity& Identity() const { return Saved; }

    // Finishes off a replacement a process ended part-way, as files says: a
    // target written in place part-way gets its kept bytes back, and the
    // temporary file and the kept copy go. False when the target could not
    // be put back: its kept copy then stays, named in pKeptLeft.
    [[nodiscard]] static bool FinishAbandoned(const CReplacementFiles& files, QString* pKeptLeft = nullptr);

    // Told the replacement's files before each is made and after each is
    // gone or has done its work.
    std::function<void(const CReplacementFiles&)> OnFiles;

    // Every temporary file beside targetName starts with this: the folder,
    // "." and the target's name (cut to leave room) and ".", then six
    // characters.
    [[nodiscard]] static QString TempPrefixFor(const QString& targetName);

    // Opened by Create on WritePath; whoever writes may close and reopen it.
    CFile File;

private:
    // The one place the temporary file beside the target is made.
    [[nodiscard]] bool MakeTemp();
    // Gives the temporary file the target's owner, group, attributes and
    // mode; false when one of them cannot be given.
    [[nodiscard]] bool KeepsIdentity();
    [[nodiscard]] bool StartInPlace();
    // The one place the copy of the target's bytes is made.
    [[nodiscard]] bool KeepBytes();
    [[nodiscard]] bool PutKeptBytesBack();
    // Abandons, reporting the cause (once the target is as it was) and what
    // could not be undone.
    void Undo(const CFileException* pCause);
    // Says that the folder, not the file, made writing in place necessary.
    void ReportFolder() const;
    // Tells OnFiles what the files are now.
    void TellFiles(bool writingInPlace = false);

    QString Given;
    QString Target;
    QString Temp;
    QString Kept;
    std::int64_t KeptLength = 0;
    bool Existed = false;
    unsigned Owner = 0;
    unsigned Group = 0;
    unsigned Mode = 0;
    CFileIdentity Original;
    // Why no temporary file could be made beside the target (errno), or 0.
    int FolderError = 0;
    bool InPlaceWay = false;
    bool Committed = false;
    bool Abandoned = false;
    CFileIdentity Saved;
};
