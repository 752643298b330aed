#include "framework/ContextHelpMode.h"

#include "framework/HelpContext.h"
#include "framework/WinApp.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QToolButton>

namespace {

CContextHelpMode* pMode = nullptr;

DWORD ActionContext(const QAction* pAction)
{
    if (!pAction)
        return 0;
    const UINT id = pAction->data().toUInt();
    return id != 0 ? HID_BASE_COMMAND + id : AfxGetHelpContext(pAction);
}

bool InMenuBar(const QWidget* pWidget)
{
    for (const QWidget* p = pWidget; p; p = p->parentWidget()) {
        if (qobject_cast<const QMenuBar*>(p))
            return true;
    }
    return false;
}

void ClosePopups()
{
    while (QWidget* pPopup = QApplication::activePopupWidget())
        pPopup->close();
}

void AskWinHelp(DWORD context)
{
    if (CWinApp* pApp = AfxGetApp())
        pApp->WinHelp(context, context != 0 ? HELP_CONTEXT : HELP_FINDER);
}

}  // namespace

CContextHelpMode::CContextHelpMode() : QObject(qApp)
{
    qApp->installEventFilter(this);
    QApplication::setOverrideCursor(Qt::WhatsThisCursor);
}

CContextHelpMode::~CContextHelpMode()
{
    if (pMode == this)
        pMode = nullptr;
}

void CContextHelpMode::Enter()
{
    if (IsActive())
        return;
    Leave();
    pMode = new CContextHelpMode;
}

void CContextHelpMode::Leave()
{
    CContextHelpMode* pOld = pMode;
    if (!pOld)
        return;
    pMode = nullptr;
    qApp->removeEventFilter(pOld);
    if (!pOld->Answered)
        QApplication::restoreOverrideCursor();
    // It may be inside its own event filter now.
    pOld->deleteLater();
}

bool CContextHelpMode::IsActive()
{
    return pMode && !pMode->Answered;
}

bool CContextHelpMode::TakeCommand(UINT id)
{
    if (!IsActive())
        return false;
    Leave();
    ClosePopups();
    AskWinHelp(HID_BASE_COMMAND + id);
    return true;
}

DWORD CContextHelpMode::ContextAt(QWidget* pWidget, QPoint pos)
{
    if (auto* pMenu = qobject_cast<QMenu*>(pWidget)) {
        const QAction* pAction = pMenu->actionAt(pos);
        if (!pAction || pAction->isSeparator() || pAction->menu())
            return 0;
        return ActionContext(pAction);
    }
    if (auto* pButton = qobject_cast<QToolButton*>(pWidget)) {
        if (const DWORD context = ActionContext(pButton->defaultAction()))
            return context;
    }
    return AfxGetHelpContext(pWidget);
}

void CContextHelpMode::Answer(DWORD context)
{
    // The click's release is still to come: it must reach nobody.
    if (pMode) {
        pMode->Answered = true;
        QApplication::restoreOverrideCursor();
    }
    ClosePopups();
    AskWinHelp(context);
}

bool CContextHelpMode::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    auto* pWidget = qobject_cast<QWidget*>(pWatched);
    if (!pWidget)
        return false;
    switch (pEvent->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        if (Answered) {
            Leave();
            return false;
        }
        // The menu bar and menus open as usual, so their items can be reached.
        if (InMenuBar(pWidget) || qobject_cast<QMenu*>(pWidget))
            return false;
        Answer(ContextAt(pWidget, static_cast<QMouseEvent*>(pEvent)->position().toPoint()));
        return true;
    }
    case QEvent::MouseButtonRelease: {
        if (Answered) {
            Leave();
            return true;
        }
        auto* pMenu = qobject_cast<QMenu*>(pWidget);
        if (!pMenu)
            return false;
        const QPoint pos = static_cast<QMouseEvent*>(pEvent)->position().toPoint();
        const QAction* pAction = pMenu->actionAt(pos);
        // A release on a submenu's item opens it; on a separator it does nothing.
        if (!pAction || pAction->menu())
            return false;
        if (pAction->isSeparator())
            return true;
        Answer(ContextAt(pMenu, pos));
        Leave();
        return true;
    }
    case QEvent::KeyPress: {
        const auto* pKey = static_cast<QKeyEvent*>(pEvent);
        if (Answered || InMenuBar(pWidget) || qobject_cast<QMenu*>(pWidget))
            return false;
        if (pKey->key() == Qt::Key_Escape) {
            Leave();
            return true;
        }
        // Modifiers pass, so that keys of commands can still be pressed;
        // anything typed would edit, and is swallowed.
        switch (pKey->key()) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_Meta:
        case Qt::Key_AltGr:
            return false;
        default:
            return true;
        }
    }
    default:
        return false;
    }
}
