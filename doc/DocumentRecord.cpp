#include "doc/DocumentRecord.h"

#include "doc/Orphans.h"
#include "framework/File.h"
#include "framework/Process.h"
#include "framework/TempFile.h"

#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <vector>

namespace {

std::vector<CDocumentRecord*>& LiveRecords()
{
    static std::vector<CDocumentRecord*> records;
    return records;
}

}  // namespace

CDocumentRecord::CDocumentRecord()
{
    State.ProcessId = AfxProcessId();
    State.BootId = AfxBootId();
}

CDocumentRecord::~CDocumentRecord()
{
    Unregister();
}

void CDocumentRecord::Register()
{
    static const bool atExit = [] {
        LiveRecords();
        // Registered after the list is made, so it runs while the list lives.
        std::atexit(&CDocumentRecord::EndWithProcess);
        return true;
    }();
    Q_UNUSED(atExit);
    LiveRecords().push_back(this);
}

void CDocumentRecord::Unregister()
{
    auto& records = LiveRecords();
    records.erase(std::remove(records.begin(), records.end(), this), records.end());
}

void CDocumentRecord::EndWithProcess()
{
    const std::vector<CDocumentRecord*> records = LiveRecords();
    for (CDocumentRecord* pRecord : records) {
        if (pRecord->State.Modified)
            pRecord->KeepForRecovery();
        else
            pRecord->RemoveAll();
    }
}

bool CDocumentRecord::Create()
{
    if (!AfxGetTempPath(Folder, 257))
        return false;
    for (int attempt = 0; attempt < 10; ++attempt) {
        // The first version names no work file yet: found abandoned, it is
        // removed with whatever files bear its name.
        CRecordState first = State;
        first.WorkName.clear();
        if (!File.Create(Folder, RecordNames::Prefix, RecordNames::RecordSuffix, first.ToText()))
            return false;
        const QString name = File.Path().left(File.Path().size() - RecordNames::RecordSuffix.size());
        CFileException error;
        if (!AfxCreateNewFile(name, &error)) {
            File.Remove();
            // Another program's file has the name: another name.
            if (error.OsError == EEXIST)
                continue;
            errno = error.OsError;
            return false;
        }
        WorkFile = name;
        State.WorkName = QFileInfo(name).fileName();
        if (!Write()) {
            const int cause = errno;
            CFile::Remove(name);
            File.Remove();
            WorkFile.clear();
            errno = cause;
            return false;
        }
        Register();
        return true;
    }
    return false;
}

void CDocumentRecord::Adopt(COrphan& orphan)
{
    RemoveAll();
    File.TakeFrom(orphan.File);
    Folder = orphan.Folder;
    State = orphan.State;
    State.ProcessId = AfxProcessId();
    State.BootId = AfxBootId();
    WorkFile = orphan.WorkFileName();
    Kept = false;
    Register();
    Update();
}

QString CDocumentRecord::TailFileName() const
{
    return WorkFile.isEmpty() ? QString() : WorkFile + RecordNames::TailSuffix;
}

QString CDocumentRecord::PassFileName() const
{
    return WorkFile.isEmpty() ? QString() : WorkFile + RecordNames::PassSuffix;
}

bool CDocumentRecord::Write()
{
    return File.IsHeld() && File.Write(State.ToText());
}

void CDocumentRecord::Update()
{
    (void)Write();
}

bool CDocumentRecord::BeginRestorableEdit(std::int64_t at, std::int64_t oldLength)
{
    State.Edit = CRecordState::EEdit::Restore;
    State.EditAt = at;
    State.EditLength = oldLength;
    State.TailName = oldLength > at ? QFileInfo(TailFileName()).fileName() : QString();
    State.Length = oldLength;
    if (Write())
        return true;
    State.Edit = CRecordState::EEdit::None;
    State.TailName.clear();
    return false;
}

bool CDocumentRecord::BeginMove(std::int64_t at, std::int64_t removed, std::int64_t kept)
{
    State.Edit = CRecordState::EEdit::Move;
    State.EditAt = at;
    State.EditRemoved = removed;
    State.EditKept = kept;
    State.TailName = kept > 0 ? QFileInfo(TailFileName()).fileName() : QString();
    State.Length = at + removed + kept;
    if (Write())
        return true;
    State.Edit = CRecordState::EEdit::None;
    State.TailName.clear();
    return false;
}

void CDocumentRecord::EndEdit(std::int64_t length, bool modified)
{
    State.Edit = CRecordState::EEdit::None;
    State.TailName.clear();
    State.Length = length;
    State.Modified = modified;
    Update();
}

void CDocumentRecord::RemoveAll()
{
    Unregister();
    if (!File.IsHeld())
        return;
    if (!WorkFile.isEmpty()) {
        CFile::Remove(TailFileName());
        CFile::Remove(PassFileName());
        CFile::Remove(WorkFile);
    }
    // Last: until it goes, a later start would find anything left behind.
    File.Remove();
    WorkFile.clear();
}

void CDocumentRecord::KeepForRecovery()
{
    Unregister();
    Kept = true;
}
