#include "app/BytelonApp.h"

#include "doc/BytelonDoc.h"
#include "search/ReplaceAllPass.h"
#include "search/ReplaceDlg.h"
#include "view/BytelonView.h"

#include <QEvent>

// A running Replace All pass stands for steps not yet shown: the document,
// caret and selection on screen are those from before it. Whatever would
// read or change them, or change where the next step searches, ends the
// pass first, at the last step it found.

bool CBytelonApp::ShowsPassDocument(QObject* pTarget) const
{
    for (QObject* p = pTarget; p; p = p->parent()) {
        if (auto* pView = qobject_cast<CBytelonView*>(p))
            return pView->GetDocument() == pReplaceAllPass->Document();
    }
    return false;
}

bool CBytelonApp::PreTranslateMessage(QObject* pTarget, QEvent* pEvent)
{
    if (!pReplaceAllPass)
        return false;
    switch (pEvent->type()) {
    // Keys and clicks move the caret or edit; the wheel and a new size move
    // the window, and with it the caret, which is where the next step
    // searches from. Commands end the pass on their own (BeforeCommand),
    // and so do focus moving to another window and the dialog's own boxes
    // changing (the next slice sees that).
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::Resize:
        if (ShowsPassDocument(pTarget))
            EndReplaceAllPass();
        break;
    default:
        break;
    }
    return false;
}

void CBytelonApp::BeforeCommand(UINT)
{
    EndReplaceAllPass();
}
