#include "app/BytelonApp.h"

#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "framework/MessageBox.h"
#include "framework/VirtualKeys.h"
#include "res/Resource.h"
#include "search/ReplaceAllPass.h"
#include "search/ReplaceDlg.h"
#include "view/BytelonView.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstring>

namespace {
// A slice works this long, so the count in the status bar moves well within
// a tenth of a second and input waits no longer than that.
constexpr qint64 SliceMs = 40;

void ShowCount(long count)
{
    SetMainStatusText(0, QStringLiteral("Replaced %1").arg(count));
}
}  // namespace

void CBytelonApp::EndReplaceAllRun()
{
    ReplaceAllActive = FALSE;
    ReplaceCount = 0;
}

void CBytelonApp::ReplaceAllSingleStep()
{
    // The dialog may close while a message box of this step is up: work on copies.
    const CHexAsciiPair& findPair = pReplaceDlg->FindPair;
    const CHexAsciiPair& replacePair = pReplaceDlg->ReplacePair;
    char findBytes[CHexAsciiPair::MaxBytes + 1];
    char replaceBytes[CHexAsciiPair::MaxBytes + 1];
    const int findCount = findPair.Count;
    const int replaceCount = replacePair.Count;
    std::memcpy(findBytes, findPair.Bytes, sizeof findBytes);
    std::memcpy(replaceBytes, replacePair.Bytes, sizeof replaceBytes);
    const int ignoreCase = pReplaceDlg->CaseChoice;

    // Replace All never extends a selection: Shift has no say in it.
    CBytelonView* pView = pCurrentView;
    if (pView->FindNext(findBytes, findCount, ignoreCase, CBytelonView::EShift::Ignored) != 0) {
        EndReplaceAllRun();
        return;
    }
    // A failed replacement ends the run: going on would skip that occurrence.
    if (!pView->ReplaceSelectionWithString(replaceBytes, replaceCount)) {
        EndReplaceAllRun();
        return;
    }
    if (!ReplaceAllActive)
        return;
    ++ReplaceCount;
    ShowCount(ReplaceCount);
    // The next step runs once the events that arrived meanwhile are handled.
    WakeIdle();
}

void CBytelonApp::ReplaceAllStep()
{
    if (!pCurrentView || !pReplaceDlg || !ReplaceAllActive || ReplaceCount < 0)
        return;
    // As in the design's message loop, no step runs while a modal window
    // holds the input or a button is held (a drag moves the caret).
    if (QApplication::activeModalWidget() || AfxIsKeyDown(VK_LBUTTON))
        return;
    const CHexAsciiPair& findPair = pReplaceDlg->FindPair;
    const CHexAsciiPair& replacePair = pReplaceDlg->ReplacePair;
    CReplaceAllPass::CInputs inputs;
    inputs.pView = pCurrentView;
    inputs.Find = QByteArray(findPair.Bytes, findPair.Count);
    inputs.With = QByteArray(replacePair.Bytes, replacePair.Count);
    inputs.IgnoreCase = pReplaceDlg->CaseChoice;
    // Steps from here on would search for something else, or elsewhere.
    if (pReplaceAllPass && !(pReplaceAllPass->Inputs() == inputs)) {
        EndReplaceAllPass();
        if (!ReplaceAllActive)
            return;
    }
    if (!pReplaceAllPass) {
        // What a pass cannot stand for runs as the design's step: nothing to
        // find, a string longer than the document.
        CBytelonDoc* pDocument = pCurrentView->GetDocument();
        if (inputs.Find.isEmpty() || !pDocument || inputs.Find.size() > pDocument->DocLen
            || !ReplaceAllLimits.Streaming) {
            ReplaceAllSingleStep();
            return;
        }
        pReplaceAllPass = std::make_unique<CReplaceAllPass>(inputs, ReplaceAllLimits);
        CountBeforePass = ReplaceCount;
    }
    const long countBefore = ReplaceCount;
    QElapsedTimer clock;
    clock.start();
    const CReplaceAllPass::EState state = pReplaceAllPass->RunSlice(clock, SliceMs);
    if (state == CReplaceAllPass::EState::Failed) {
        FailReplaceAllPass(std::move(pReplaceAllPass));
        return;
    }
    ReplaceCount = CountBeforePass + pReplaceAllPass->Steps();
    // The pane changes as the steps' would: when a replacement is made.
    if (ReplaceCount != countBefore)
        ShowCount(ReplaceCount);
    if (state == CReplaceAllPass::EState::Running) {
        WakeIdle();
        return;
    }
    EndReplaceAllPass();
    if (!ReplaceAllActive)
        return;
    if (state == CReplaceAllPass::EState::Stopped) {
        ReplaceAllSingleStep();
        return;
    }
    // The search after the last step finds nothing more: the run is over
    // before that says so.
    EndReplaceAllRun();
    CBytelonView* pView = pCurrentView;
    const bool tooLong = inputs.Find.size() > pView->DocLength();
    AfxMessageBox(tooLong ? IDS_SEARCH_TOO_LONG : IDS_END_OF_DOCUMENT);
    if (!tooLong && pCurrentView == pView)
        pView->UpdateWindow();
}

void CBytelonApp::EndReplaceAllPass(CBytelonDoc* pDocument)
{
    if (!pReplaceAllPass || (pDocument && pReplaceAllPass->Document() != pDocument))
        return;
    // Out of reach first: nothing done while it ends can end it again.
    std::unique_ptr<CReplaceAllPass> pPass = std::move(pReplaceAllPass);
    if (!pPass->Commit()) {
        FailReplaceAllPass(std::move(pPass));
        return;
    }
    ReplaceCount = CountBeforePass + pPass->Steps();
    // The count comes back in place of the progress.
    if (pPass->ProgressShown())
        ShowCount(ReplaceCount);
}

void CBytelonApp::FailReplaceAllPass(std::unique_ptr<CReplaceAllPass> pPass)
{
    // The box comes last: input answering it finds no pass and no run, and
    // the document as it was before the pass.
    const CReplaceAllFailure failure = pPass->Failure();
    pPass.reset();
    ShowCount(CountBeforePass);
    EndReplaceAllRun();
    failure.Report();
}

void CBytelonApp::ReplaceAllViewGoing(CBytelonView* pView)
{
    if (pReplaceAllPass && pReplaceAllPass->Inputs().pView == pView) {
        pReplaceAllPass->DetachView();
        EndReplaceAllPass();
    }
    // The window taking this one's place as the current one may show another
    // document, which nobody asked to change: a run ends with its document.
    if (ReplaceAllActive && pView == pCurrentView
        && (!pPreviousView || pPreviousView->GetDocument() != pView->GetDocument()))
        EndReplaceAllRun();
}
