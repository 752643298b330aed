#include "search/ReplaceAllPass.h"

#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "framework/WaitCursor.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <optional>

CReplaceAllPass::CReplaceAllPass(const CInputs& inputs, const CReplaceAllLimits& limits)
    : In(inputs), Limits(limits), pView(inputs.pView), pDocument(inputs.pView->GetDocument()),
      Scanner(inputs.Find, inputs.IgnoreCase == 1, int(inputs.With.size()), pDocument->DocLen),
      Out(limits.DirectPieceSize, limits.StageSize), FindLen(int(inputs.Find.size())),
      WithLen(int(inputs.With.size())), OldLen(pDocument->DocLen), ReadTo(inputs.pView->CaretOffset())
{
}

bool CReplaceAllPass::Fail(UINT idMessage, const CFileException* pCause)
{
    Result.Discard();
    ForgetResult();
    Out.Drop();
    Failed.Message = idMessage;
    if (pCause)
        Failed.Cause = *pCause;
    return false;
}

bool CReplaceAllPass::OpenFiles(CFile& work)
{
    CFileException error;
    if (!work.Open(pDocument->WorkFileName, CFile::modeRead | CFile::shareExclusive, &error))
        return Fail(IDS_FINDNEXT_OPEN, &error);
    if (Result.Exists() && !Result.Open(error)) {
        work.Close();
        return Fail(IDS_REPLACE_COPY_1, &error);
    }
    return true;
}

bool CReplaceAllPass::ProcessBlock(CFile& work)
{
    const std::int64_t pos = ReadTo;
    const int n = int(std::min<std::int64_t>(Block.size(), OldLen - pos));
    if (work.Seek(pos, CFile::begin) != pos || work.Read(Block.data(), UINT(n)) != UINT(n))
        return Fail(IDS_FINDNEXT_READ);
    const unsigned char* pBlock = Block.data();
    const int done = Scanner.Scan(pBlock, n, pos);
    int i = 0;
    for (const int at : Scanner.Occurrences()) {
        if (!Result.Exists()) {
            CFileException error;
            if (!CreateResult(error))
                return Fail(IDS_REPLACE_TEMP_FAILED, &error);
            if (!Result.Open(error))
                return Fail(IDS_REPLACE_COPY_1, &error);
            // The bytes before the first occurrence are the document's own.
            Result.LeaveGap(pos + at);
            Out.StartAt(pos + at);
        } else {
            Out.Add(Result.File(), pBlock + i, at - i);
        }
        LastAt = Out.End();
        Out.Add(Result.File(), In.With.constData(), WithLen);
        i = at + FindLen;
    }
    if (Result.Exists())
        Out.Add(Result.File(), pBlock + i, done - i);
    ReadTo = pos + done;
    return true;
}

CReplaceAllPass::EState CReplaceAllPass::RunSlice(const QElapsedTimer& clock, qint64 deadlineMs)
{
    CFile work;
    if (!OpenFiles(work))
        return EState::Failed;
    if (Block.empty())
        Block.resize(std::size_t(std::max(Limits.BlockSize, FindLen)));
    try {
        for (int blocks = 0;
             !Scanner.GrowthRefused() && (Limits.BlocksPerSlice == 0 || blocks < Limits.BlocksPerSlice); ++blocks) {
            if (ReadTo < OldLen) {
                if (!ProcessBlock(work))
                    return EState::Failed;
                // The next read overwrites what the pieces point at.
                Out.Flush(Result.File());
            } else if (!Result.GapFilled()) {
                if (!Result.FillGapPiece(work, Limits.CopyPieceSize, Block)) {
                    Fail(IDS_COPY_READ_1);
                    return EState::Failed;
                }
            } else {
                break;
            }
            if (clock.elapsed() >= deadlineMs)
                break;
        }
        Out.Flush(Result.File());
    } catch (const CFileException& e) {
        Fail(IDS_REPLACE_COPY_1, &e);
        return EState::Failed;
    }
    Result.Close();
    if (Scanner.GrowthRefused())
        return EState::Stopped;
    return ReadTo >= OldLen && Result.GapFilled() ? EState::Finished : EState::Running;
}

void CReplaceAllPass::ShowCopyProgress(std::int64_t copied) const
{
    SetMainStatusText(0, QStringLiteral("Replacing, %1K").arg(copied / 1024));
}

bool CReplaceAllPass::Commit()
{
    if (Scanner.Steps() == 0) {
        Result.Discard();
        ForgetResult();
        return true;
    }
    CFile work;
    if (!OpenFiles(work))
        return false;
    // The bytes not yet read follow the result unchanged, as do those before
    // the first occurrence in front of it; a large document's take a while.
    const std::int64_t gap = Result.GapLeft();
    const std::int64_t rest = OldLen - ReadTo;
    // More than one piece: the wait cursor, and the status bar says how far it is.
    const bool lasting = gap + rest > Limits.CopyPieceSize;
    ShowedProgress = lasting;
    std::optional<CWaitCursor> wait;
    if (lasting)
        wait.emplace();
    auto progress = [&](std::int64_t done) {
        if (lasting)
            ShowCopyProgress(done);
    };
    try {
        Out.Flush(Result.File());
        const std::int64_t written = Out.WrittenEnd();
        const bool whole = Result.FillGap(work, Limits.CopyPieceSize, Block, progress)
                           && Result.Copy(work, ReadTo, written, rest, Limits.CopyPieceSize, Block,
                                          [&](std::int64_t done) { progress(gap + done); });
        if (!whole)
            return Fail(IDS_COPY_READ_1);
    } catch (const CFileException& e) {
        return Fail(IDS_REPLACE_COPY_1, &e);
    }
    work.Close();
    CFileException error;
    if (!Result.SwapIn(pDocument->WorkFileName, error))
        return Fail(IDS_REPLACE_COPY_2, &error);
    ShowLastStep();
    ForgetResult();
    return true;
}

bool CReplaceAllPass::CreateResult(CFileException& error)
{
    // Named in the record before it exists: a later start never takes it
    // for a work file, and removes it if the pass never swapped it in.
    CDocumentRecord& record = pDocument->Record;
    const QString name = record.PassFileName();
    record.State.PassName = QFileInfo(name).fileName();
    if (name.isEmpty() || !record.Write()) {
        const int cause = name.isEmpty() ? ENOENT : errno;
        error = CFileException(CFileException::CauseFromErrno(cause), cause, record.RecordFileName());
        ForgetResult();
        return false;
    }
    return Result.Create(name, error);
}

void CReplaceAllPass::ForgetResult()
{
    CDocumentRecord& record = pDocument->Record;
    if (record.State.PassName.isEmpty())
        return;
    record.State.PassName.clear();
    record.State.Length = pDocument->DocLen;
    record.Update();
}

void CReplaceAllPass::ShowLastStep()
{
    pDocument->DocLen = int(OldLen + Scanner.Steps() * (std::int64_t(WithLen) - FindLen));
    pDocument->SetModifiedFlag(true);
    if (!pView) {
        pDocument->UpdateAllViews(nullptr, 0, nullptr);
        return;
    }
    pView->ShowReplaceAllStep(int(LastAt), FindLen, WithLen);
    pDocument->UpdateAllViews(pView, 0, nullptr);
}
