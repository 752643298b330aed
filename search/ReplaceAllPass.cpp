#include "search/ReplaceAllPass.h"

#include "doc/BytelonDoc.h"
#include "framework/MessageBox.h"
#include "framework/TempFile.h"
#include "res/Resource.h"
#include "view/BytelonView.h"
#include "view/PreparedDC.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace {

constexpr int DefaultBlockSize = 1024 * 1024;
// The bytes before the first occurrence are copied by the kernel in pieces
// this large, so that one slice stays short.
constexpr std::int64_t PrefixPieceSize = 32 * 1024 * 1024;
// Pieces of the result shorter than this are gathered in the stage: the
// kernel copies one long piece much faster than many short ones.
constexpr int DefaultDirectPieceSize = 4096;
constexpr int DefaultStageSize = 256 * 1024;

int blockSize = DefaultBlockSize;
int blocksPerSlice = 0;
int directPieceSize = DefaultDirectPieceSize;
int stageSize = DefaultStageSize;
bool streaming = true;

}  // namespace

void CReplaceAllPass::SetStreaming(bool on)
{
    streaming = on;
}

bool CReplaceAllPass::Streaming()
{
    return streaming;
}

void CReplaceAllPass::SetBlockLimits(int size, int perSlice)
{
    blockSize = size > 0 ? size : DefaultBlockSize;
    blocksPerSlice = std::max(perSlice, 0);
    // Small blocks, small pieces: the stage fills inside a block.
    directPieceSize = size > 0 ? 2 + size / 4 : DefaultDirectPieceSize;
    stageSize = size > 0 ? 2 * directPieceSize : DefaultStageSize;
}

CReplaceAllPass::CReplaceAllPass(const CInputs& inputs)
    : In(inputs), pView(inputs.pView), pDocument(inputs.pView->GetDocument()),
      Matcher(inputs.Find.constData(), int(inputs.Find.size()), inputs.IgnoreCase == 1),
      FindLen(int(inputs.Find.size())), WithLen(int(inputs.With.size())), OldLen(pDocument->DocLen),
      Start(inputs.pView->CaretOffset()), ReadTo(Start)
{
}

CReplaceAllPass::~CReplaceAllPass()
{
    Abandon();
}

void CReplaceAllPass::Abandon()
{
    NewFile.Close();
    if (!NewName.isEmpty()) {
        CFile::Remove(NewName);
        ForgetNewFile();
    }
    NewName.clear();
    Spans.clear();
    Pending = 0;
    StageUsed = 0;
}

CReplaceAllPass::EState CReplaceAllPass::Fail(UINT idMessage, const CFileException* pError)
{
    Abandon();
    if (pError)
        pError->ReportError();
    AfxMessageBox(idMessage);
    return EState::Failed;
}

bool CReplaceAllPass::OpenFiles(CFile& work)
{
    if (!work.Open(pDocument->WorkFileName, CFile::modeRead | CFile::shareExclusive)) {
        Fail(IDS_FINDNEXT_OPEN);
        return false;
    }
    return NewName.isEmpty() || OpenNewFile(work);
}

bool CReplaceAllPass::OpenNewFile(CFile& work)
{
    if (NewFile.Open(NewName, CFile::modeWrite | CFile::shareExclusive))
        return true;
    work.Close();
    Fail(IDS_FILE_OPEN_FAILED);
    AfxMessageBox(IDS_REPLACE_COPY_1);
    return false;
}

void CReplaceAllPass::CloseFiles(CFile& work)
{
    work.Close();
    NewFile.Close();
}

bool CReplaceAllPass::BeginOutput(CFile& work)
{
    // Beside the work file, so that it can take the work file's place, and
    // named in the document's record before it exists.
    CDocumentRecord& record = pDocument->Record;
    const QString name = record.PassFileName();
    record.State.PassName = QFileInfo(name).fileName();
    CFile::Remove(name);
    if (name.isEmpty() || !record.Write() || !AfxCreateNewFile(name)) {
        record.State.PassName.clear();
        record.Update();
        Fail(IDS_REPLACE_TEMP_FAILED);
        return false;
    }
    NewName = name;
    if (!OpenNewFile(work))
        return false;
    // Everything before the first occurrence is the document's own bytes:
    // they are copied later, by the kernel, into the gap left for them.
    PrefixLen = Written = ReadTo;
    PrefixDone = 0;
    return true;
}

void CReplaceAllPass::FlushOut()
{
    if (Spans.empty())
        return;
    NewFile.Seek(Written, CFile::begin);
    NewFile.WriteSpans(Spans);
    Written += Pending;
    Spans.clear();
    Pending = 0;
    StageUsed = 0;
}

void CReplaceAllPass::Emit(const void* pBytes, std::int64_t count)
{
    if (count <= 0)
        return;
    if (count >= directPieceSize) {
        Spans.push_back({pBytes, UINT(count)});
        Pending += count;
        return;
    }
    if (StageUsed + std::size_t(count) > Stage.size())
        FlushOut();
    unsigned char* pTo = Stage.data() + StageUsed;
    // The library's copy: the compiler expands a memcpy of a count it knows
    // to be short as a string instruction, twice as slow on such pieces.
    std::memmove(pTo, pBytes, std::size_t(count));
    // The stage's bytes so far are the last span: it grows.
    if (StageUsed > 0 && static_cast<const unsigned char*>(Spans.back().pData) + Spans.back().Count == pTo)
        Spans.back().Count += UINT(count);
    else
        Spans.push_back({pTo, UINT(count)});
    StageUsed += std::size_t(count);
    Pending += count;
}

void CReplaceAllPass::EmitReplacement()
{
    LastAt = Written + Pending;
    Emit(In.With.constData(), WithLen);
    ++StepCount;
}

bool CReplaceAllPass::ProcessBlock(CFile& work)
{
    const std::int64_t pos = ReadTo;
    const int n = int(std::min<std::int64_t>(Block.size(), OldLen - pos));
    UINT got = 0;
    try {
        if (work.Seek(pos, CFile::begin) == pos)
            got = work.Read(Block.data(), UINT(n));
    } catch (const CFileException&) {
        got = 0;
    }
    if (got != UINT(n)) {
        Fail(IDS_FINDNEXT_READ);
        return false;
    }
    const unsigned char* pBlock = Block.data();
    // Occurrences left to right, each search going on after the one before,
    // as each step's search starts after the bytes the last one inserted.
    int i = 0;
    for (int k; (k = Matcher.FindFirst(pBlock + i, n - i)) >= 0; i += k + FindLen) {
        if (OldLen + (StepCount + 1) * (std::int64_t(WithLen) - FindLen) > CDocument::MaxLength) {
            // That step would refuse to grow the document: it runs on its own.
            GrowthRefused = true;
            ReadTo = pos + i;
            return true;
        }
        if (NewName.isEmpty()) {
            ReadTo = pos + i + k;
            if (!BeginOutput(work))
                return false;
        } else {
            Emit(pBlock + i, k);
        }
        EmitReplacement();
    }
    // Start positions whose string would run past the block are tested with
    // the next block, which begins at the first of them.
    const bool last = pos + n >= OldLen;
    const int next = last ? n : std::max(i, n - (FindLen - 1));
    if (!NewName.isEmpty())
        Emit(pBlock + i, next - i);
    ReadTo = pos + next;
    return true;
}

CReplaceAllPass::EState CReplaceAllPass::RunSlice(const QElapsedTimer& clock, qint64 deadlineMs)
{
    CFile work;
    if (!OpenFiles(work))
        return EState::Failed;
    if (Block.empty()) {
        Block.resize(std::size_t(std::max(blockSize, FindLen)));
        Stage.resize(std::size_t(stageSize));
    }
    try {
        for (int blocks = 0; !GrowthRefused && (blocksPerSlice == 0 || blocks < blocksPerSlice); ++blocks) {
            if (ReadTo < OldLen) {
                if (!ProcessBlock(work))
                    return EState::Failed;
                // The next read overwrites what the spans point at.
                FlushOut();
            } else if (PrefixDone < PrefixLen) {
                const std::int64_t piece = std::min(PrefixPieceSize, PrefixLen - PrefixDone);
                if (CFile::CopyRange(work, PrefixDone, NewFile, PrefixDone, UINT(piece), Block.data(),
                                     UINT(Block.size()))
                    != UINT(piece)) {
                    CloseFiles(work);
                    return Fail(IDS_FINDNEXT_READ);
                }
                PrefixDone += piece;
            } else {
                break;
            }
            if (clock.elapsed() >= deadlineMs)
                break;
        }
        FlushOut();
    } catch (const CFileException& e) {
        CloseFiles(work);
        return Fail(IDS_REPLACE_COPY_1, &e);
    }
    CloseFiles(work);
    if (GrowthRefused)
        return EState::Stopped;
    return ReadTo >= OldLen && PrefixDone >= PrefixLen ? EState::Finished : EState::Running;
}

bool CReplaceAllPass::Commit()
{
    if (StepCount == 0) {
        Abandon();
        return true;
    }
    CFile work;
    if (!OpenFiles(work))
        return false;
    // The bytes not yet read follow the result unchanged, as do those before
    // the first occurrence in front of it.
    try {
        FlushOut();
        const std::int64_t rest = OldLen - ReadTo;
        const bool whole = CFile::CopyRange(work, PrefixDone, NewFile, PrefixDone, UINT(PrefixLen - PrefixDone),
                                            Block.data(), UINT(Block.size()))
                               == UINT(PrefixLen - PrefixDone)
                           && CFile::CopyRange(work, ReadTo, NewFile, Written, UINT(rest), Block.data(),
                                               UINT(Block.size()))
                                  == UINT(rest);
        if (!whole) {
            CloseFiles(work);
            Fail(IDS_COPY_READ_1);
            AfxMessageBox(IDS_REPLACE_COPY_1);
            return false;
        }
        Written += rest;
    } catch (const CFileException& e) {
        CloseFiles(work);
        Fail(IDS_REPLACE_COPY_1, &e);
        return false;
    }
    CloseFiles(work);
    // One rename: a view painting sees the old document or the new one.
    CFileException error;
    if (!CFile::RenameOverScratch(NewName, pDocument->WorkFileName, &error)) {
        Fail(IDS_REPLACE_COPY_2, &error);
        return false;
    }
    NewName.clear();
    ShowLastStep();
    ForgetNewFile();
    return true;
}

void CReplaceAllPass::ForgetNewFile()
{
    CDocumentRecord& record = pDocument->Record;
    record.State.PassName.clear();
    record.State.Length = pDocument->DocLen;
    record.Update();
}

void CReplaceAllPass::ShowLastStep()
{
    const std::int64_t growth = std::int64_t(WithLen) - FindLen;
    const int lenAfter = int(OldLen + StepCount * growth);
    const int at = int(LastAt);
    if (!pView) {
        pDocument->DocLen = lenAfter;
        pDocument->SetModifiedFlag(true);
        pDocument->UpdateAllViews(nullptr, 0, nullptr);
        return;
    }
    // The search selected the occurrence in the document as it then was;
    // the replacement deleted it and inserted the new bytes in its place.
    pDocument->DocLen = lenAfter - WithLen + FindLen;
    pView->SelectOccurrence(at, at + FindLen, false);
    pDocument->DocLen = lenAfter;
    pView->SelActive = 0;
    CPreparedDC dc(pView);
    pView->ShowReplacement(at, FindLen, WithLen, dc);
    pDocument->SetModifiedFlag(true);
    pDocument->UpdateAllViews(pView, 0, nullptr);
}
