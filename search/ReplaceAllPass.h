#pragma once
// Replace All over one document as a single streaming pass: the work file is
// read from the caret onwards in blocks, every occurrence a run of search and
// replace steps would find is replaced on the way, and the result goes to a
// new file beside the work file. Ending the pass (Commit) moves the bytes not
// yet read behind the result once and renames it over the work file, then
// leaves the view as the last of those steps would have left it. Until then
// the work file, and so every view painting it, holds the document as it was.

#include "framework/Afx.h"
#include "framework/File.h"
#include "search/ByteMatcher.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <cstdint>
#include <vector>

class CBytelonDoc;
class CBytelonView;

class CReplaceAllPass {
public:
    // What a run of steps on pView would read at this moment: the search and
    // replacement bytes and the case choice (1 ignores letter case).
    struct CInputs {
        CBytelonView* pView = nullptr;
        QByteArray Find;
        QByteArray With;
        int IgnoreCase = 0;
        bool operator==(const CInputs& other) const
        {
            return pView == other.pView && Find == other.Find && With == other.With
                   && IgnoreCase == other.IgnoreCase;
        }
    };
    // Stopped: at a step boundary, before a step that must run on its own.
    enum class EState { Running, Finished, Stopped, Failed };

    // Starts at the view's caret. inputs.Find is not empty.
    explicit CReplaceAllPass(const CInputs& inputs);
    ~CReplaceAllPass();
    CReplaceAllPass(const CReplaceAllPass&) = delete;
    CReplaceAllPass& operator=(const CReplaceAllPass&) = delete;

    // Reads on until the deadline passes or the document's end is reached.
    // Failed: reported, the document is as it was before the pass.
    EState RunSlice(const QElapsedTimer& clock, qint64 deadlineMs);
    // Ends the pass at the boundary of the steps found so far: the document
    // becomes what those steps would have made of it. False after reporting
    // a failure, the document being as it was before the pass.
    bool Commit();
    // Ends the pass leaving the document as it was before it.
    void Abandon();
    // The view is going: Commit then leaves views alone but for telling them.
    void DetachView() { pView = nullptr; }

    [[nodiscard]] const CInputs& Inputs() const { return In; }
    [[nodiscard]] CBytelonDoc* Document() const { return pDocument; }
    // Replacements found so far: the steps this pass stands for.
    [[nodiscard]] long Steps() const { return StepCount; }

    // Introspection for tests: blocks of this many bytes (at least the search
    // string's length), and at most this many blocks per slice (0: no limit),
    // so that small documents span several blocks and slices; the pieces
    // gathered before a write shrink with the blocks.
    static void SetBlockLimits(int blockSize, int blocksPerSlice);
    // Introspection for tests: off, every step runs on its own, as the
    // design's loop runs them, for the passes to be compared with.
    static void SetStreaming(bool on);
    [[nodiscard]] static bool Streaming();

private:
    // Reads the next block and passes what it holds to the new file.
    [[nodiscard]] bool ProcessBlock(CFile& work);
    // The next bytes of the result. Short pieces are copied behind each
    // other into the stage, long ones stay where they are, until the block's
    // end or a full stage writes them all: few pieces per write.
    void Emit(const void* pBytes, std::int64_t count);
    void EmitReplacement();
    void FlushOut();
    // Makes the new file and puts the bytes before the pass's start in it.
    [[nodiscard]] bool BeginOutput(CFile& work);
    // The work file to read and, once made, the new file to write.
    [[nodiscard]] bool OpenFiles(CFile& work);
    [[nodiscard]] bool OpenNewFile(CFile& work);
    void CloseFiles(CFile& work);
    // The new file is gone, or is the work file now: the record names it no more.
    void ForgetNewFile();
    // The view as the last step leaves it.
    void ShowLastStep();
    // Reports the failure of the step it stands for; the new file goes.
    EState Fail(UINT idMessage, const CFileException* pError = nullptr);

    CInputs In;
    CBytelonView* pView;
    CBytelonDoc* pDocument;
    CByteMatcher Matcher;
    int FindLen;
    int WithLen;
    // The document's length and the caret when the pass began.
    std::int64_t OldLen;
    std::int64_t Start;
    // Every start position below ReadTo has been tested; the bytes below it
    // are in the new file, replaced where an occurrence began.
    std::int64_t ReadTo;
    // The new file: its name (empty until the first occurrence), the bytes
    // written to it, and those of the current block waiting behind them.
    QString NewName;
    CFile NewFile;
    std::int64_t Written = 0;
    std::vector<CFile::CSpan> Spans;
    std::int64_t Pending = 0;
    std::vector<unsigned char> Stage;
    std::size_t StageUsed = 0;
    // The bytes before the first occurrence, copied into the new file by
    // the kernel a piece at a time: how many, and how many are there.
    std::int64_t PrefixLen = 0;
    std::int64_t PrefixDone = 0;
    std::vector<unsigned char> Block;
    long StepCount = 0;
    // The next step would make the document too long for an offset.
    bool GrowthRefused = false;
    // Where the last replacement was inserted in the new document.
    std::int64_t LastAt = 0;
};
