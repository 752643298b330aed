#include "app/BytelonApp.h"

#include "app/MainFrame.h"
#include "search/ReplaceDlg.h"
#include "view/BytelonView.h"

#include <cstring>

void CBytelonApp::ReplaceAllStep()
{
    if (!pCurrentView || !pReplaceDlg || !ReplaceAllActive || ReplaceCount < 0)
        return;
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

    CBytelonView* pView = pCurrentView;
    if (pView->FindNext(findBytes, findCount, ignoreCase) != 0) {
        ReplaceAllActive = FALSE;
        ReplaceCount = 0;
        return;
    }
    // A failed replacement ends the run: going on would skip that occurrence.
    if (!pView->ReplaceSelectionWithString(replaceBytes, replaceCount)) {
        ReplaceAllActive = FALSE;
        ReplaceCount = 0;
        return;
    }
    if (!ReplaceAllActive)
        return;
    ++ReplaceCount;
    SetMainStatusText(0, QStringLiteral("Replaced %1").arg(ReplaceCount));
    // The next step runs once the events that arrived meanwhile are handled.
    WakeIdle();
}
