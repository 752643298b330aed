#pragma once
// Documents whose program ended without closing them, found at start-up by
// their records: a record whose lock is free belongs to no running program.
// Each is taken over (its lock held) while the user decides what becomes of it.

#include "doc/RecordState.h"
#include "framework/RecordFile.h"

#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class COrphan {
public:
    COrphan() = default;
    COrphan(const COrphan&) = delete;
    COrphan& operator=(const COrphan&) = delete;

    // Finishes or undoes the edit the program was in the middle of, so the
    // work file holds the whole document before or after it, and removes
    // the files of unfinished work; false when the work file cannot be
    // reached, everything being left for a later start.
    [[nodiscard]] bool Repair();
    // Removes the work file, every other file the record names, then the
    // record; a save that cannot be finished off keeps them all.
    void Discard();
    // Leaves everything for a later start.
    void Release() { File.Release(); }
    // Ends the save the program was in the middle of: its target wholly old
    // or wholly new, its files gone. False, after saying so, when the
    // target's old bytes could not be put back.
    [[nodiscard]] bool FinishSave();

    [[nodiscard]] QString WorkFileName() const { return Folder + State.WorkName; }
    // The document's length and when it last changed, from its work file.
    [[nodiscard]] std::int64_t Length() const;
    [[nodiscard]] QDateTime LastChanged() const;

    QString Folder;
    CRecordState State;
    CRecordFile File;
};

// Takes over every abandoned record in the work folder. Documents that had
// no unsaved changes go at once, with all their files, as do records that
// name no document; the others are repaired and returned, the one changed
// longest ago first.
[[nodiscard]] std::vector<std::unique_ptr<COrphan>> CollectOrphans();

// The process of another running program whose record names the file at
// pathName (the same file under any name); none when no other program has it.
[[nodiscard]] std::optional<long> OtherProgramHolding(const QString& pathName);

// The record and work file names: "BYT", six characters, and a suffix for
// the record and each of the files beside the work file.
namespace RecordNames {
inline const QString Prefix = QStringLiteral("BYT");
inline const QString RecordSuffix = QStringLiteral(".record");
inline const QString TailSuffix = QStringLiteral(".tail");
inline const QString PassSuffix = QStringLiteral(".pass");
}  // namespace RecordNames
