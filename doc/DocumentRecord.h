#pragma once
// The record an open document keeps beside its work file, locked while the
// document lives: whose document it is and what it is in the middle of, so
// that after the program is killed, crashes or loses its display, the next
// start can offer the document again, exactly as it was before or after the
// edit under way. Every file of the document is named after its work file.

#include "doc/RecordState.h"
#include "framework/RecordFile.h"

#include <QString>

class COrphan;

class CDocumentRecord {
public:
    CDocumentRecord();
    // Lets the lock go; the files stay unless removed before.
    ~CDocumentRecord();
    CDocumentRecord(const CDocumentRecord&) = delete;
    CDocumentRecord& operator=(const CDocumentRecord&) = delete;

    // Makes the record, then the empty work file it names, in the work
    // folder; false when either cannot be made.
    [[nodiscard]] bool Create();
    // Takes over an abandoned document: its record, lock and work file.
    void Adopt(COrphan& orphan);

    [[nodiscard]] const QString& WorkFileName() const { return WorkFile; }
    [[nodiscard]] QString RecordFileName() const { return File.Path(); }
    [[nodiscard]] QString TailFileName() const;
    [[nodiscard]] QString PassFileName() const;

    // The record says State from now on: false when it could not be written,
    // the version before staying the record's.
    [[nodiscard]] bool Write();
    // Write for a change that no edit depends on: a record one change behind
    // still leaves the document as it was before that change.
    void Update();

    // An edit is about to change the work file: from now on the record can
    // undo it from the tail file (Restore) or finish it (Move).
    [[nodiscard]] bool BeginRestorableEdit(std::int64_t at, std::int64_t oldLength);
    [[nodiscard]] bool BeginMove(std::int64_t at, std::int64_t removed, std::int64_t kept);
    // The work file holds the whole document again, length bytes long.
    void EndEdit(std::int64_t length, bool modified);
    [[nodiscard]] bool EditUnderWay() const { return State.Edit != CRecordState::EEdit::None; }

    // The document closes: every file of it goes, the record last.
    void RemoveAll();
    // The program ends without closing the document: everything stays for
    // the next start to offer, and the lock goes with the process.
    void KeepForRecovery();
    [[nodiscard]] bool IsKept() const { return Kept; }

    CRecordState State;

private:
    void Register();
    void Unregister();
    // At an exit no code of the program's ends (a lost display ends the
    // toolkit's way): the documents left open are kept when modified,
    // removed otherwise.
    static void EndWithProcess();

    CRecordFile File;
    QString Folder;
    QString WorkFile;
    bool Kept = false;
};
