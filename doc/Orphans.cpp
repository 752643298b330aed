#include "doc/Orphans.h"

#include "framework/File.h"
#include "framework/FileIdentity.h"
#include "framework/MessageBox.h"
#include "framework/ReplacingFile.h"
#include "framework/Process.h"
#include "framework/TempFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace {

// Moves of the repair go through this when the kernel cannot copy.
constexpr UINT RepairBufferSize = 1024 * 1024;

bool IsRecordName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^BYT[A-Za-z0-9]{6}\\.record$"));
    return pattern.match(name).hasMatch();
}

QStringList RecordPaths(const QString& folder)
{
    QStringList paths;
    const QStringList names = QDir(folder).entryList({RecordNames::Prefix + QStringLiteral("*")
                                                      + RecordNames::RecordSuffix},
                                                     QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : names) {
        const QString path = folder + name;
        if (IsRecordName(name) && CRecordFile::BelongsToUser(path))
            paths << path;
    }
    return paths;
}

// The work file named after the record, and the files beside it.
void RemoveDocumentFiles(const QString& workFileName)
{
    CFile::Remove(workFileName + RecordNames::TailSuffix);
    CFile::Remove(workFileName + RecordNames::PassSuffix);
    CFile::Remove(workFileName);
}

std::int64_t LengthOf(const QString& path)
{
    CFileStatus status;
    return CFile::GetStatus(path, status) ? status.Size : -1;
}

}  // namespace

std::int64_t COrphan::Length() const
{
    return std::max<std::int64_t>(LengthOf(WorkFileName()), 0);
}

QDateTime COrphan::LastChanged() const
{
    return QFileInfo(WorkFileName()).lastModified();
}

bool COrphan::FinishSave()
{
    if (State.Save.IsEmpty())
        return true;
    QString kept;
    if (!CReplacingFile::FinishAbandoned(State.Save, &kept)) {
        AfxMessageBox(QStringLiteral("%1 was being written when BYTELON ended, and its bytes from before could "
                                     "not be put back: they are kept in %2.")
                          .arg(State.Save.Target, kept),
                      MB_OK | MB_ICONSTOP);
        return false;
    }
    State.Save = CReplacementFiles();
    (void)File.Write(State.ToText());
    return true;
}

bool COrphan::Repair()
{
    const QString work = WorkFileName();
    if (!FinishSave())
        return false;
    // A Replace All pass renames its result over the work file in one step:
    // whichever of the two the work file is, it is whole.
    CFile::Remove(work + RecordNames::PassSuffix);
    const std::int64_t length = LengthOf(work);
    if (length < 0)
        return false;
    std::vector<char> buffer;
    CFile workFile;
    auto openWork = [&] {
        buffer.resize(RepairBufferSize);
        return workFile.Open(work, CFile::modeReadWrite | CFile::shareExclusive);
    };
    const QString tailName = work + RecordNames::TailSuffix;
    const std::int64_t at = State.EditAt;
    // What cannot be done now stays for a later start: nothing is reported.
    auto repair = [&] {
        if (State.Edit == CRecordState::EEdit::Restore) {
            // The tail file holds the old bytes from at on, complete since the
            // record named the edit; without it the edit had ended.
            const std::int64_t saved = State.EditLength - at;
            CFile tail;
            if (length < at || (saved > 0 && LengthOf(tailName) != saved))
                return;
            if (!openWork())
                throw CFileException(CFileException::accessDenied, 0, work);
            if (saved > 0) {
                if (!tail.Open(tailName, CFile::modeRead | CFile::shareExclusive))
                    throw CFileException(CFileException::accessDenied, 0, tailName);
                if (CFile::CopyRange(tail, 0, workFile, at, UINT(saved), buffer.data(), RepairBufferSize)
                    != UINT(saved))
                    throw CFileException(CFileException::endOfFile, 0, tailName);
            }
            workFile.SetLength(State.EditLength);
        } else if (State.Edit == CRecordState::EEdit::Move) {
            const std::int64_t end = at + State.EditRemoved + State.EditKept;
            // Shortened already: the move had ended. Shorter than the bytes it
            // moves: not this edit's work file.
            if (length == at + State.EditKept || length < end)
                return;
            if (!openWork())
                throw CFileException(CFileException::accessDenied, 0, work);
            if (CFile::CopyRange(workFile, at + State.EditRemoved, workFile, at, UINT(State.EditKept),
                                 buffer.data(), RepairBufferSize)
                != UINT(State.EditKept))
                throw CFileException(CFileException::endOfFile, 0, work);
            workFile.SetLength(at + State.EditKept);
        }
    };
    try {
        repair();
    } catch (const CFileException&) {
        workFile.Close();
        return false;
    }
    workFile.Close();
    CFile::Remove(tailName);
    State.Edit = CRecordState::EEdit::None;
    State.TailName.clear();
    State.PassName.clear();
    State.Length = LengthOf(work);
    (void)File.Write(State.ToText());
    return true;
}

void COrphan::Discard()
{
    // The record names the bytes that could not be put back: it stays.
    if (!FinishSave()) {
        File.Release();
        return;
    }
    RemoveDocumentFiles(WorkFileName());
    File.Remove();
}

std::vector<std::unique_ptr<COrphan>> CollectOrphans()
{
    std::vector<std::unique_ptr<COrphan>> orphans;
    QString folder;
    if (!AfxGetTempPath(folder, 257))
        return orphans;
    for (const QString& path : RecordPaths(folder)) {
        auto pOrphan = std::make_unique<COrphan>();
        if (pOrphan->File.Take(path) != CRecordFile::ETake::Taken)
            continue;
        pOrphan->Folder = folder;
        const QString base = path.left(path.size() - RecordNames::RecordSuffix.size());
        const std::optional<QByteArray> text = pOrphan->File.Read();
        const std::optional<CRecordState> state = text ? CRecordState::FromText(*text) : std::nullopt;
        // Made and never finished, or not a record of a document.
        if (!state || folder + state->WorkName != base || LengthOf(base) < 0) {
            RemoveDocumentFiles(base);
            pOrphan->File.Remove();
            continue;
        }
        pOrphan->State = *state;
        // Nothing unsaved: the user's file holds the document.
        if (!state->Modified) {
            pOrphan->Discard();
            continue;
        }
        if (pOrphan->Repair())
            orphans.push_back(std::move(pOrphan));
    }
    std::stable_sort(orphans.begin(), orphans.end(),
                     [](const auto& a, const auto& b) { return a->LastChanged() < b->LastChanged(); });
    return orphans;
}

std::optional<long> OtherProgramHolding(const QString& pathName)
{
    QString folder;
    if (!AfxGetTempPath(folder, 257))
        return std::nullopt;
    const QFileInfo info(pathName);
    const QString canonical = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    const CFileIdentity target = CFileIdentity::Of(pathName);
    for (const QString& path : RecordPaths(folder)) {
        const std::optional<QByteArray> text = CRecordFile::Peek(path);
        const std::optional<CRecordState> state = text ? CRecordState::FromText(*text) : std::nullopt;
        if (!state || (state->ProcessId == AfxProcessId() && state->BootId == AfxBootId()))
            continue;
        const bool sameFile = (!state->Path.isEmpty() && state->Path == canonical)
                              || (target.Exists && state->Identity.Exists && state->Identity.Device == target.Device
                                  && state->Identity.Inode == target.Inode);
        if (!sameFile)
            continue;
        // Only a record whose lock is held belongs to a running program.
        CRecordFile probe;
        if (probe.Take(path) == CRecordFile::ETake::Busy)
            return state->ProcessId;
    }
    return std::nullopt;
}
