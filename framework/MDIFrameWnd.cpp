#include "framework/MDIFrameWnd.h"

#include "framework/AccessibleCommandButton.h"
#include "framework/ContextHelpMode.h"
#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/HelpContext.h"
#include "framework/MDIChildWnd.h"
#include "framework/MessageBox.h"
#include "framework/NativeNames.h"
#include "framework/Resources.h"
#include "framework/StatusBar.h"
#include "framework/StringTable.h"
#include "framework/View.h"
#include "framework/VirtualKeys.h"
#include "framework/WinApp.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QShortcut>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <functional>

namespace {

QKeySequence KeySequence(const CAccelerator& accelerator)
{
    int key = QtKeyFromVirtualKey(accelerator.VirtualKey);
    if (key == 0)
        return QKeySequence();
    int modifiers = 0;
    if (accelerator.Modifiers & FSHIFT)
        modifiers |= Qt::SHIFT;
    if (accelerator.Modifiers & FCONTROL)
        modifiers |= Qt::CTRL;
    if (accelerator.Modifiers & FALT)
        modifiers |= Qt::ALT;
    return QKeySequence(key | modifiers);
}

// The two halves of a command prompt: status text, line feed, tooltip.
void ApplyPrompt(QAction* pAction, UINT id)
{
    QString prompt;
    if (!AfxLoadString(id, prompt))
        return;
    const int split = int(prompt.indexOf(QLatin1Char('\n')));
    const QString status = split < 0 ? prompt : prompt.left(split);
    const QString tip = split < 0 ? QString() : prompt.mid(split + 1);
    pAction->setStatusTip(status);
    if (!tip.isEmpty())
        pAction->setToolTip(tip);
}

}  // namespace

CMDIFrameWnd::CMDIFrameWnd() : MdiArea(new QMdiArea(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    MdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    MdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    MdiArea->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    setCentralWidget(MdiArea);
    connect(MdiArea, &QMdiArea::subWindowActivated, this, &CMDIFrameWnd::OnChildActivated);
}

CMDIFrameWnd::~CMDIFrameWnd()
{
    if (CWinApp* pApp = AfxGetApp(); pApp && pApp->pMainWnd == this) {
        pApp->CloseAllDocuments(pApp->IsSessionEnding());
        pApp->pMainWnd = nullptr;
    }
}

bool CMDIFrameWnd::LoadFrame(UINT idResource)
{
    ResourceId = idResource;
    AfxSetHelpContext(this, HID_BASE_RESOURCE + idResource);
    Title = AfxLoadString(idResource);
    setWindowTitle(Title);
    const QIcon icon = AfxLoadIcon(idResource);
    if (!icon.isNull())
        setWindowIcon(icon);
    // Accelerators are translated before the focused window sees the key,
    // and swallow it even while their command is disabled.
    if (const CAcceleratorResource* pTable = AfxFindAccelerators(idResource)) {
        for (const CAccelerator& accelerator : *pTable) {
            const QKeySequence sequence = KeySequence(accelerator);
            if (sequence.isEmpty())
                continue;
            auto* pShortcut = new QShortcut(sequence, this);
            pShortcut->setContext(Qt::WindowShortcut);
            pShortcut->setAutoRepeat(true);
            const UINT id = accelerator.Id;
            connect(pShortcut, &QShortcut::activated, this, [this, id] { ExecuteCommand(id); });
            Accelerators.emplace_back(sequence, id);
        }
    }
    // The document windows' keys: close, next and previous window, on every
    // desktop (the platform's Close key is Ctrl+F4 on some only; the
    // windows' own menus leave Ctrl+F4 to this one).
    const std::pair<QKeySequence, std::function<void()>> windowKeys[] = {
        {CMDIChildWnd::CloseKey(), [this] { MdiArea->closeActiveSubWindow(); }},
        {QKeySequence(Qt::CTRL | Qt::Key_F6), [this] { ActivateNextWindow(false); }},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6), [this] { ActivateNextWindow(true); }},
    };
    for (const auto& [sequence, action] : windowKeys) {
        auto* pShortcut = new QShortcut(sequence, this);
        pShortcut->setContext(Qt::WindowShortcut);
        connect(pShortcut, &QShortcut::activated, this, action);
    }
    BuildMenus(idResource);
    if (CWinApp* pApp = AfxGetApp()) {
        for (const auto& pTemplate : pApp->GetDocTemplates())
            BuildMenus(pTemplate->GetResourceId());
    }
    ShowMenu(idResource);
    return OnCreate() != -1;
}

int CMDIFrameWnd::OnCreate()
{
    return 0;
}

QAction* CMDIFrameWnd::GetCommandAction(UINT id)
{
    const auto it = Actions.find(id);
    if (it != Actions.end())
        return it->second;
    auto* pAction = new QAction(this);
    pAction->setData(id);
    ApplyPrompt(pAction, id);
    connect(pAction, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
    Actions[id] = pAction;
    return pAction;
}

void CMDIFrameWnd::BuildMenus(UINT idResource)
{
    if (Menus.count(idResource))
        return;
    const CMenuResource* pMenu = AfxFindMenu(idResource);
    if (!pMenu)
        return;
    std::vector<QMenu*> popups;
    for (const CMenuItem& item : *pMenu) {
        auto* pPopup = new QMenu(item.Text, this);
        AddMenuItems(pPopup, item.Items);
        popups.push_back(pPopup);
    }
    Menus[idResource] = popups;
}

void CMDIFrameWnd::AddMenuItems(QMenu* pMenu, const std::vector<CMenuItem>& items)
{
    bool hasRecentFiles = false;
    bool isWindowMenu = false;
    for (const CMenuItem& item : items) {
        if (item.IsSeparator()) {
            pMenu->addSeparator();
        } else if (item.IsPopup()) {
            QMenu* pSub = pMenu->addMenu(item.Text);
            AddMenuItems(pSub, item.Items);
        } else {
            // A command may sit in both menu bars; its one action carries the text.
            QAction* pAction = GetCommandAction(item.Id);
            pAction->setText(item.Text);
            // Menu items carry no pictures (those are the toolbar's), so checked ones show their mark.
            pAction->setIconVisibleInMenu(false);
            pMenu->addAction(pAction);
            hasRecentFiles = hasRecentFiles || item.Id == ID_FILE_MRU_FILE1;
            isWindowMenu = isWindowMenu || item.Id == ID_WINDOW_CASCADE;
        }
    }
    pMenu->installEventFilter(this);
    connect(pMenu, &QMenu::aboutToShow, this, [this, pMenu, hasRecentFiles, isWindowMenu] {
        if (hasRecentFiles)
            FillRecentFiles(pMenu);
        if (isWindowMenu)
            FillWindowList(pMenu);
        for (QAction* pAction : pMenu->actions()) {
            if (!pAction->isSeparator() && !pAction->menu())
                UpdateCommandUI(pAction);
        }
    });
}

std::vector<QMenu*> CMDIFrameWnd::GetMenus(UINT idResource) const
{
    const auto it = Menus.find(idResource);
    return it == Menus.end() ? std::vector<QMenu*>() : it->second;
}

void CMDIFrameWnd::ShowMenu(UINT idResource)
{
    if (ShownMenu == idResource || !Menus.count(idResource))
        return;
    ShownMenu = idResource;
    QMenuBar* pBar = menuBar();
    pBar->clear();
    for (QMenu* pMenu : Menus[idResource])
        pBar->addMenu(pMenu);
}

void CMDIFrameWnd::RemoveDynamicActions(QMenu* pMenu)
{
    for (QAction* pAction : DynamicActions) {
        if (pAction->parent() == pMenu) {
            pMenu->removeAction(pAction);
            pAction->deleteLater();
        }
    }
    DynamicActions.erase(std::remove_if(DynamicActions.begin(), DynamicActions.end(),
                                        [pMenu](QAction* p) { return p->parent() == pMenu; }),
                         DynamicActions.end());
}

void CMDIFrameWnd::FillRecentFiles(QMenu* pMenu)
{
    // The placeholder item stands where the list goes.
    QAction* pPlaceholder = GetCommandAction(ID_FILE_MRU_FILE1);
    RemoveDynamicActions(pMenu);
    const QStringList files = AfxGetApp() ? AfxGetApp()->GetRecentFiles() : QStringList();
    pPlaceholder->setVisible(files.isEmpty());
    QAction* pBefore = pPlaceholder;
    for (int i = int(files.size()) - 1; i >= 0; --i) {
        auto* pAction = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(files[i]), pMenu);
        ApplyPrompt(pAction, ID_FILE_MRU_FILE1 + UINT(i));
        const UINT id = ID_FILE_MRU_FILE1 + UINT(i);
        connect(pAction, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
        AfxSetHelpContext(pAction, HID_BASE_COMMAND + id);
        pMenu->insertAction(pBefore, pAction);
        pBefore = pAction;
        DynamicActions.push_back(pAction);
    }
}

void CMDIFrameWnd::FillWindowList(QMenu* pMenu)
{
    RemoveDynamicActions(pMenu);
    const auto frames = GetChildFrames();
    if (frames.empty())
        return;
    DynamicActions.push_back(pMenu->addSeparator());
    DynamicActions.back()->setParent(pMenu);
    int number = 1;
    for (CMDIChildWnd* pFrame : frames) {
        auto* pAction = new QAction(QStringLiteral("&%1 %2").arg(number++).arg(pFrame->windowTitle()), pMenu);
        pAction->setCheckable(true);
        pAction->setChecked(pFrame == MDIGetActive());
        pAction->setStatusTip(QStringLiteral("Activate this window"));
        AfxSetHelpContext(pAction, HID_BASE_COMMAND + AFX_IDM_FIRST_MDICHILD);
        connect(pAction, &QAction::triggered, this, [this, pFrame] {
            for (CMDIChildWnd* p : GetChildFrames()) {
                if (p == pFrame)
                    MDIActivate(p);
            }
        });
        pMenu->addAction(pAction);
        DynamicActions.push_back(pAction);
    }
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive() const
{
    auto* pFrame = dynamic_cast<CMDIChildWnd*>(MdiArea->activeSubWindow());
    // A closed window lingers until Qt deletes it; it is no longer anyone's.
    if (pFrame && (!pFrame->GetActiveView() || pFrame->GetActiveView()->IsDestroyed()))
        return nullptr;
    return pFrame;
}

CView* CMDIFrameWnd::GetActiveView() const
{
    CMDIChildWnd* pFrame = MDIGetActive();
    return pFrame ? pFrame->GetActiveView() : nullptr;
}

CDocument* CMDIFrameWnd::GetActiveDocument() const
{
    CView* pView = GetActiveView();
    return pView ? pView->GetDocument() : nullptr;
}

std::vector<CMDIChildWnd*> CMDIFrameWnd::GetChildFrames() const
{
    std::vector<CMDIChildWnd*> frames;
    for (QMdiSubWindow* pWindow : MdiArea->subWindowList(QMdiArea::CreationOrder)) {
        auto* pFrame = dynamic_cast<CMDIChildWnd*>(pWindow);
        if (pFrame && pFrame->GetActiveView() && !pFrame->GetActiveView()->IsDestroyed())
            frames.push_back(pFrame);
    }
    return frames;
}

void CMDIFrameWnd::MDIActivate(CMDIChildWnd* pFrame)
{
    if (!pFrame)
        return;
    if (pFrame->isHidden())
        pFrame->show();
    MdiArea->setActiveSubWindow(pFrame);
    if (CView* pView = pFrame->GetActiveView())
        pView->setFocus(Qt::OtherFocusReason);
}

void CMDIFrameWnd::ActivateNextWindow(bool previous)
{
    // Windows lie newest on top: the next is the one made before the active
    // one, the previous the oldest going round, so each key visits them all.
    const auto frames = GetChildFrames();
    const auto it = std::find(frames.begin(), frames.end(), MDIGetActive());
    if (frames.size() < 2 || it == frames.end())
        return;
    const std::size_t count = frames.size();
    const std::size_t index = std::size_t(it - frames.begin());
    MDIActivate(frames[previous ? (index + 1) % count : (index + count - 1) % count]);
}

void CMDIFrameWnd::OnChildActivated(QMdiSubWindow*)
{
    UINT menu = ResourceId;
    if (CDocument* pDocument = GetActiveDocument()) {
        if (CMultiDocTemplate* pTemplate = pDocument->GetDocTemplate())
            menu = pTemplate->GetResourceId();
    }
    ShowMenu(menu);
    OnUpdateFrameTitle();
    if (CWinApp* pApp = AfxGetApp())
        pApp->WakeIdle();
}

void CMDIFrameWnd::OnUpdateFrameTitle()
{
    CDocument* pDocument = GetActiveDocument();
    // A maximized document window adds its own title in brackets to the caption.
    CMDIChildWnd* pActive = MDIGetActive();
    if (pActive && pActive->isMaximized())
        pDocument = nullptr;
    setWindowTitle(pDocument ? Title + QStringLiteral(" - ") + pDocument->GetTitle() : Title);
}

bool CMDIFrameWnd::RouteCommand(UINT id, CCmdUI* pCmdUI)
{
    if (CMDIChildWnd* pFrame = MDIGetActive()) {
        if (CView* pView = pFrame->GetActiveView()) {
            if (pView->OnCmdMsg(id, pCmdUI))
                return true;
            if (CDocument* pDocument = pView->GetDocument(); pDocument && pDocument->OnCmdMsg(id, pCmdUI))
                return true;
        }
        if (pFrame->OnCmdMsg(id, pCmdUI))
            return true;
    }
    if (OnCmdMsg(id, pCmdUI))
        return true;
    CWinApp* pApp = AfxGetApp();
    return pApp && pApp->OnCmdMsg(id, pCmdUI);
}

bool CMDIFrameWnd::ExecuteCommand(UINT id)
{
    // In help mode a command chosen with a key or from a menu is explained, not run.
    if (CContextHelpMode::TakeCommand(id))
        return true;
    bool done = false;
    AfxCallGuarded([&] {
        if (CWinApp* pApp = AfxGetApp())
            pApp->BeforeCommand(id);
        CCmdUI state(id);
        if (!RouteCommand(id, &state) || !state.Enabled)
            return;
        done = RouteCommand(id, nullptr);
    });
    if (CWinApp* pApp = AfxGetApp())
        pApp->WakeIdle();
    return done;
}

void CMDIFrameWnd::UpdateCommandUI(QAction* pAction)
{
    const UINT id = pAction->data().toUInt();
    if (id == 0)
        return;
    CCmdUI state(id);
    AfxCallGuarded([&] {
        if (!RouteCommand(id, &state))
            state.Enabled = false;
    });
    pAction->setEnabled(state.Enabled);
    if (state.CheckSet) {
        pAction->setCheckable(true);
        pAction->setChecked(state.Checked);
    }
}

void CMDIFrameWnd::UpdateAllCommandUI()
{
    for (const auto& [id, pAction] : Actions)
        UpdateCommandUI(pAction);
    if (CStatusBar* pBar = GetStatusBar())
        pBar->UpdateKeyIndicators();
}

bool CMDIFrameWnd::LoadToolBar(QToolBar* pToolBar, UINT idResource)
{
    const CToolBarResource* pResource = AfxFindToolBar(idResource);
    if (!pResource)
        return false;
    const QPixmap strip = AfxLoadBitmap(pResource->Bitmap);
    AfxSetHelpContext(pToolBar, HID_BASE_CONTROL + AFX_IDW_TOOLBAR);
    pToolBar->setIconSize(QSize(pResource->ButtonWidth, pResource->ButtonHeight));
    MarkCommandToolBar(pToolBar);
    int image = 0;
    for (UINT id : pResource->Buttons) {
        if (id == 0) {
            pToolBar->addSeparator();
            continue;
        }
        QAction* pAction = GetCommandAction(id);
        if (!strip.isNull())
            pAction->setIcon(QIcon(strip.copy(image * pResource->ButtonWidth, 0, pResource->ButtonWidth,
                                              pResource->ButtonHeight)));
        if (pAction->text().isEmpty())
            pAction->setText(pAction->toolTip());
        ++image;
        pToolBar->addAction(pAction);
        if (auto* pButton = qobject_cast<QToolButton*>(pToolBar->widgetForAction(pAction)))
            NameCommandButton(pButton, CommandName(pAction), FirstAccelerator(id));
    }
    return true;
}

QString CMDIFrameWnd::CommandName(const QAction* pAction)
{
    // The tooltip is the command's short name. Without one it is the menu
    // text, which carries its accelerator after a tab.
    QString name = pAction->toolTip().section(QLatin1Char('\t'), 0, 0);
    name.remove(QLatin1Char('&')).remove(QStringLiteral("..."));
    return name.trimmed();
}

QKeySequence CMDIFrameWnd::FirstAccelerator(UINT id) const
{
    for (const auto& [sequence, command] : Accelerators) {
        if (command == id)
            return sequence;
    }
    return QKeySequence();
}

void CMDIFrameWnd::SetStatusBar(CStatusBar* pBar)
{
    pStatusBar = pBar;
    AfxSetHelpContext(pBar, HID_BASE_CONTROL + AFX_IDW_STATUS_BAR);
    setStatusBar(pBar);
}

void CMDIFrameWnd::SetMessageText(const QString& text)
{
    if (pStatusBar)
        pStatusBar->SetPaneText(0, text);
}

void CMDIFrameWnd::DragAcceptFiles(bool accept)
{
    setAcceptDrops(accept);
}

void CMDIFrameWnd::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMDIFrameWnd::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    activateWindow();
    AfxCallGuarded([&] {
        for (const QUrl& url : urls) {
            // The name's own bytes: toLocalFile would decode them lossily.
            if (url.isLocalFile() && AfxGetApp())
                AfxGetApp()->OpenDocumentFile(
                    AfxDecodeFileName(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1())));
        }
    });
}

bool CMDIFrameWnd::OnCmdMsg(UINT id, CCmdUI* pCmdUI)
{
    switch (id) {
    case ID_WINDOW_NEW:
    case ID_WINDOW_ARRANGE:
    case ID_WINDOW_CASCADE:
    case ID_WINDOW_TILE_HORZ:
    case ID_WINDOW_TILE_VERT:
        if (pCmdUI)
            pCmdUI->Enable(MDIGetActive() != nullptr);
        else
            OnWindowCommand(id);
        return true;
    case ID_VIEW_TOOLBAR:
    case ID_VIEW_STATUS_BAR: {
        QWidget* pBar = id == ID_VIEW_STATUS_BAR ? static_cast<QWidget*>(pStatusBar) : nullptr;
        if (id == ID_VIEW_TOOLBAR) {
            const auto bars = findChildren<QToolBar*>();
            pBar = bars.isEmpty() ? nullptr : bars.first();
        }
        if (pCmdUI) {
            pCmdUI->Enable(pBar != nullptr);
            pCmdUI->SetCheck(pBar && pBar->isVisible() ? 1 : 0);
        } else if (pBar) {
            pBar->setVisible(!pBar->isVisible());
        }
        return true;
    }
    case ID_HELP_FINDER:
        if (pCmdUI)
            pCmdUI->Enable(true);
        else if (CWinApp* pApp = AfxGetApp())
            pApp->WinHelp(0, HELP_FINDER);
        return true;
    case ID_HELP:
    case ID_DEFAULT_HELP:
        // Help on what has the focus: a document window, or the frame itself.
        if (pCmdUI) {
            pCmdUI->Enable(true);
        } else if (CWinApp* pApp = AfxGetApp()) {
            QWidget* pFocus = QApplication::focusWidget();
            const DWORD context = AfxGetHelpContext(pFocus && isAncestorOf(pFocus) ? pFocus : this);
            pApp->WinHelp(context, HELP_CONTEXT);
        }
        return true;
    case ID_CONTEXT_HELP:
        if (pCmdUI)
            pCmdUI->Enable(true);
        else
            CContextHelpMode::Enter();
        return true;
    default:
        return false;
    }
}

void CMDIFrameWnd::OnWindowCommand(UINT id)
{
    switch (id) {
    case ID_WINDOW_NEW:
        if (CDocument* pDocument = GetActiveDocument()) {
            if (CMultiDocTemplate* pTemplate = pDocument->GetDocTemplate()) {
                CMDIChildWnd* pFrame = pTemplate->CreateNewFrame(pDocument);
                pTemplate->InitialUpdateFrame(pFrame, pDocument);
            }
        }
        break;
    case ID_WINDOW_ARRANGE: ArrangeIcons(); break;
    case ID_WINDOW_CASCADE: MdiArea->cascadeSubWindows(); break;
    case ID_WINDOW_TILE_HORZ: TileWindows(true); break;
    case ID_WINDOW_TILE_VERT: TileWindows(false); break;
    default: break;
    }
}

void CMDIFrameWnd::TileWindows(bool horizontal)
{
    std::vector<QMdiSubWindow*> windows;
    for (QMdiSubWindow* pWindow : MdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (pWindow->isVisible() && !pWindow->isMinimized())
            windows.push_back(pWindow);
    }
    if (windows.empty())
        return;
    const QRect area = MdiArea->viewport()->rect();
    const int n = int(windows.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* pWindow = windows[std::size_t(i)];
        if (pWindow->isMaximized())
            pWindow->showNormal();
        if (horizontal) {
            const int top = area.height() * i / n;
            pWindow->setGeometry(0, top, area.width(), area.height() * (i + 1) / n - top);
        } else {
            const int left = area.width() * i / n;
            pWindow->setGeometry(left, 0, area.width() * (i + 1) / n - left, area.height());
        }
    }
}

void CMDIFrameWnd::ArrangeIcons()
{
    const QRect area = MdiArea->viewport()->rect();
    int x = 0;
    for (QMdiSubWindow* pWindow : MdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (!pWindow->isMinimized())
            continue;
        const QSize size = pWindow->size();
        pWindow->move(x, area.bottom() - size.height() + 1);
        x += size.width();
    }
}

void CMDIFrameWnd::OnSize(UINT, int, int) {}
void CMDIFrameWnd::OnMove(int, int) {}

void CMDIFrameWnd::OnClose()
{
    if (CloseFrameWindow())
        AcceptCloseRequested = true;
}

bool CMDIFrameWnd::CloseFrameWindow()
{
    CWinApp* pApp = AfxGetApp();
    if (pApp && !pApp->SaveAllModified())
        return false;
    if (pApp)
        pApp->CloseAllDocuments();
    return true;
}

void CMDIFrameWnd::closeEvent(QCloseEvent* event)
{
    if (Closing) {
        event->accept();
        return;
    }
    AcceptCloseRequested = false;
    AfxCallGuarded([this] { OnClose(); });
    if (!AcceptCloseRequested) {
        event->ignore();
        return;
    }
    Closing = true;
    event->accept();
}

void CMDIFrameWnd::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    // Where the compositor places windows and keeps their places to itself
    // (Wayland), what the window reads as its position is not where it is.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return;
    OnMove(frameGeometry().x(), frameGeometry().y());
}

void CMDIFrameWnd::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    const UINT type = isMinimized() ? 1 : isMaximized() ? 2 : 0;
    OnSize(type, width(), height());
}

void CMDIFrameWnd::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
}

bool CMDIFrameWnd::event(QEvent* event)
{
    // A command's prompt covers the message pane while its item or button is
    // pointed at; when that ends the pane shows the idle prompt again.
    if (event->type() == QEvent::StatusTip && static_cast<QStatusTipEvent*>(event)->tip().isEmpty() && pStatusBar) {
        pStatusBar->clearMessage();
        SetMessageText(AfxLoadString(AFX_IDS_IDLEMESSAGE));
        return true;
    }
    return QMainWindow::event(event);
}

void CMDIFrameWnd::ShowPrompt(const QString& prompt)
{
    QStatusTipEvent tip(prompt);
    QCoreApplication::sendEvent(this, &tip);
}

bool CMDIFrameWnd::eventFilter(QObject* pWatched, QEvent* event)
{
    // The menu does not highlight a disabled item, yet the item still tells what it does.
    if (event->type() == QEvent::MouseMove) {
        if (auto* pMenu = qobject_cast<QMenu*>(pWatched)) {
            const QAction* pAction = pMenu->actionAt(static_cast<QMouseEvent*>(event)->position().toPoint());
            const bool onItem = pAction && !pAction->isSeparator() && !pAction->menu();
            if (onItem && !pAction->isEnabled()) {
                ShowPrompt(pAction->statusTip());
                DisabledPromptShown = true;
            } else if (DisabledPromptShown) {
                // An enabled item shows its own prompt; elsewhere the idle prompt returns.
                if (!onItem)
                    ShowPrompt(QString());
                DisabledPromptShown = false;
            }
        }
    } else if (event->type() == QEvent::Hide && qobject_cast<QMenu*>(pWatched) && DisabledPromptShown) {
        ShowPrompt(QString());
        DisabledPromptShown = false;
    }
    return QMainWindow::eventFilter(pWatched, event);
}
