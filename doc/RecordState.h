#pragma once
// What a document's record says: enough for a later start to tell whose
// document it was, to finish or undo the edit it was in the middle of, and
// to find every file that belongs to it. Written as lines of "name value".

#include "framework/FileIdentity.h"
#include "framework/ReplacingFile.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

struct CRecordState {
    // The edit that may have changed the work file only in part.
    enum class EEdit {
        None,
        // The tail file holds the old bytes from EditAt to the end of a
        // document EditLength long: copied back, they undo the edit.
        Restore,
        // The EditKept bytes after the EditRemoved ones at EditAt move down
        // to EditAt and the work file then ends after them: done again from
        // the start, they finish the edit, as the bytes they come from are
        // never written.
        Move,
    };

    // The work file's name, in the record's folder.
    QString WorkName;
    // The document's file; empty for a new document.
    QString Path;
    QString Title;
    // The file's identity when the document was loaded or last saved.
    CFileIdentity Identity;
    bool Modified = false;
    std::int64_t Length = 0;
    long ProcessId = 0;
    QString BootId;
    // The files of a save under way, full paths.
    CReplacementFiles Save;
    // The tail file and Replace All's result file, in the record's folder,
    // while they exist.
    QString TailName;
    QString PassName;
    EEdit Edit = EEdit::None;
    std::int64_t EditAt = 0;
    std::int64_t EditLength = 0;
    std::int64_t EditRemoved = 0;
    std::int64_t EditKept = 0;

    [[nodiscard]] QByteArray ToText() const;
    // None when the text is not a record or names no work file.
    [[nodiscard]] static std::optional<CRecordState> FromText(const QByteArray& text);
};
