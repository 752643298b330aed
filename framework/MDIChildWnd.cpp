#include "framework/MDIChildWnd.h"

#include "framework/Document.h"
#include "framework/MDIFrameWnd.h"
#include "framework/View.h"
#include "framework/WinApp.h"

#include <QAction>
#include <QCloseEvent>
#include <QLayout>
#include <QMenu>

#include <algorithm>

CMDIChildWnd::CMDIChildWnd(CView* pView) : pView(pView)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(pView);
    connect(this, &QMdiSubWindow::windowStateChanged, this, &CMDIChildWnd::OnStateChanged);
    // The window menu's Close takes the platform's Close keys, Ctrl+F4 among
    // them on some desktops: left there, the frame's Ctrl+F4 would be
    // ambiguous and do nothing.
    if (QMenu* pMenu = systemMenu()) {
        for (QAction* pAction : pMenu->actions()) {
            QList<QKeySequence> keys = pAction->shortcuts();
            if (keys.removeAll(CloseKey()) > 0)
                pAction->setShortcuts(keys);
        }
    }
}

QKeySequence CMDIChildWnd::CloseKey()
{
    return QKeySequence(Qt::CTRL | Qt::Key_F4);
}

CMDIChildWnd::~CMDIChildWnd()
{
    // The base class reports a last change of state as it goes, when this
    // part of the window is gone already.
    disconnect(this, &QMdiSubWindow::windowStateChanged, this, &CMDIChildWnd::OnStateChanged);
}

void CMDIChildWnd::DestroyWindow()
{
    Destroying = true;
    delete this;
}

void CMDIChildWnd::UpdateTitle()
{
    CDocument* pDocument = pView ? pView->GetDocument() : nullptr;
    if (!pDocument)
        return;
    QString title = pDocument->GetTitle();
    const auto& views = pDocument->GetViews();
    if (views.size() > 1) {
        const auto it = std::find(views.begin(), views.end(), pView);
        title += QStringLiteral(":%1").arg(int(it - views.begin()) + 1);
    }
    setWindowTitle(title);
    if (CMDIFrameWnd* pMain = AfxGetMainWnd())
        pMain->OnUpdateFrameTitle();
}

bool CMDIChildWnd::SetViewWidth(int viewWidth)
{
    if (isMaximized() || isMinimized()) {
        RestoredViewWidth = viewWidth;
        return false;
    }
    RestoredViewWidth = 0;
    // A window not yet shown has not laid out its view: lay it out to measure the borders.
    if (layout())
        layout()->activate();
    resize(width() - (pView ? pView->width() : 0) + viewWidth, height());
    return true;
}

void CMDIChildWnd::OnStateChanged(Qt::WindowStates, Qt::WindowStates newState)
{
    if (!(newState & (Qt::WindowMaximized | Qt::WindowMinimized)) && RestoredViewWidth > 0)
        SetViewWidth(RestoredViewWidth);
    // A maximized window's title is shown by the frame's caption.
    if (CMDIFrameWnd* pMain = AfxGetMainWnd())
        pMain->OnUpdateFrameTitle();
}

void CMDIChildWnd::closeEvent(QCloseEvent* event)
{
    CDocument* pDocument = pView ? pView->GetDocument() : nullptr;
    // Closing the last window of a modified document asks first.
    if (!Destroying && pDocument && pDocument->GetViews().size() == 1 && !pDocument->SaveModified()) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
    // The window is gone for the user now; its document may close with it.
    if (event->isAccepted() && pView)
        pView->DestroyView();
}
