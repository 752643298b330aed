#pragma once
// Replace All over one document as a single streaming pass: the work file is
// read from the caret onwards in blocks (CReplaceAllScanner finds what each
// step would replace), the new bytes are gathered into few writes
// (CStagedWrites) to a result file beside the work file (CReplaceAllResult).
// Ending the pass (Commit) completes the result with the bytes not yet read,
// swaps it in for the work file, and leaves the windows as the last of those
// steps would have left them. Until then the document is as it was.
//
// A pass shows no message box: a failure is kept (Failure) for the owner to
// report once the pass is out of reach.

#include "framework/Afx.h"
#include "framework/File.h"
#include "search/ReplaceAllFailure.h"
#include "search/ReplaceAllLimits.h"
#include "search/ReplaceAllResult.h"
#include "search/ReplaceAllScanner.h"
#include "search/StagedWrites.h"

#include <QByteArray>
#include <QElapsedTimer>

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
    CReplaceAllPass(const CInputs& inputs, const CReplaceAllLimits& limits);
    CReplaceAllPass(const CReplaceAllPass&) = delete;
    CReplaceAllPass& operator=(const CReplaceAllPass&) = delete;

    // Reads on until the deadline passes or the document's end is reached.
    // Failed: the document is as it was before the pass.
    EState RunSlice(const QElapsedTimer& clock, qint64 deadlineMs);
    // Ends the pass at the boundary of the steps found so far: the document
    // becomes what those steps would have made of it. False when it failed,
    // the document being as it was before the pass.
    bool Commit();
    // The view is going: Commit then leaves views alone but for telling them.
    void DetachView() { pView = nullptr; }

    [[nodiscard]] const CInputs& Inputs() const { return In; }
    [[nodiscard]] CBytelonDoc* Document() const { return pDocument; }
    // Replacements found so far: the steps this pass stands for.
    [[nodiscard]] long Steps() const { return Scanner.Steps(); }
    [[nodiscard]] const CReplaceAllFailure& Failure() const { return Failed; }
    // Ending it took long enough to show its progress in the status bar.
    [[nodiscard]] bool ProgressShown() const { return ShowedProgress; }

private:
    // Reads the next block and passes what it holds to the result.
    [[nodiscard]] bool ProcessBlock(CFile& work);
    // The work file to read and, once made, the result to write.
    [[nodiscard]] bool OpenFiles(CFile& work);
    // Keeps why the pass failed; the result goes. Always false.
    bool Fail(UINT idMessage, const CFileException* pCause = nullptr);
    // Makes the result file, named in the document's record first.
    [[nodiscard]] bool CreateResult(CFileException& error);
    // The result is gone, or is the work file now: the record names it no more.
    void ForgetResult();
    // Shows how far ending the pass has copied the document's bytes.
    void ShowCopyProgress(std::int64_t copied) const;
    // The document and its windows as the last step leaves them.
    void ShowLastStep();

    CInputs In;
    CReplaceAllLimits Limits;
    CBytelonView* pView;
    CBytelonDoc* pDocument;
    CReplaceAllScanner Scanner;
    CStagedWrites Out;
    CReplaceAllResult Result;
    int FindLen;
    int WithLen;
    // The document's length when the pass began.
    std::int64_t OldLen;
    // Every start position below ReadTo has been tested; the bytes below it
    // are in the result, replaced where an occurrence began.
    std::int64_t ReadTo;
    // Where the last replacement went in the new document.
    std::int64_t LastAt = 0;
    std::vector<unsigned char> Block;
    CReplaceAllFailure Failed;
    bool ShowedProgress = false;
};
