#pragma once
// The MDI frame: the client area of document windows, the menus, the
// accelerators and toolbar commands, and command routing along view,
// document, child frame, main frame and application.

#include "framework/Afx.h"
#include "framework/AfxRes.h"
#include "framework/CmdTarget.h"

#include <QKeySequence>
#include <QMainWindow>

#include <map>
#include <vector>

class CDocument;
class CMDIChildWnd;
class CStatusBar;
class CView;
class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
struct CMenuItem;


class CMDIFrameWnd : public QMainWindow, public CCmdTarget {
    Q_OBJECT
public:
    CMDIFrameWnd();
    ~CMDIFrameWnd() override;

    // Title, menu, accelerators and icon of the resource, then OnCreate.
    bool LoadFrame(UINT idResource);

    [[nodiscard]] QMdiArea* GetMdiArea() const { return MdiArea; }
    [[nodiscard]] CMDIChildWnd* MDIGetActive() const;
    [[nodiscard]] CView* GetActiveView() const;
    [[nodiscard]] CDocument* GetActiveDocument() const;
    [[nodiscard]] std::vector<CMDIChildWnd*> GetChildFrames() const;
    void MDIActivate(CMDIChildWnd* pFrame);

    // The one action of a command, made on first use.
    QAction* GetCommandAction(UINT id);
    // Routes a command like a menu choice: nothing happens when it is disabled.
    bool ExecuteCommand(UINT id);
    // With pCmdUI: asks the first object on the route that knows the command.
    bool RouteCommand(UINT id, CCmdUI* pCmdUI);
    void UpdateCommandUI(QAction* pAction);
    // Recomputes every command's enabled and checked state.
    void UpdateAllCommandUI();
    // Introspection for tests: the identifiers of the menu bar now shown.
    [[nodiscard]] UINT GetShownMenu() const { return ShownMenu; }
    [[nodiscard]] std::vector<QMenu*> GetMenus(UINT idResource) const;
    // Introspection for tests: the accelerator table as loaded.
    [[nodiscard]] const std::vector<std::pair<QKeySequence, UINT>>& GetAccelerators() const { return Accelerators; }

    // Fills a toolbar from a toolbar resource; each button is named by its
    // command for assistive technology, with the command's first accelerator.
    bool LoadToolBar(QToolBar* pToolBar, UINT idResource);
    [[nodiscard]] static QString CommandName(const QAction* pAction);
    [[nodiscard]] QKeySequence FirstAccelerator(UINT id) const;
    void SetStatusBar(CStatusBar* pStatusBar);
    [[nodiscard]] CStatusBar* GetStatusBar() const { return pStatusBar; }
    void SetMessageText(const QString& text);
    // Shows a command's prompt over the message pane; an empty one ends it.
    void ShowPrompt(const QString& prompt);
    void DragAcceptFiles(bool accept = true);
    void OnUpdateFrameTitle();

    bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override;

protected:
    // -1 makes window creation fail.
    virtual int OnCreate();
    virtual void OnSize(UINT type, int cx, int cy);
    virtual void OnMove(int x, int y);
    // Default: asks about modified documents, closes them, closes the window.
    virtual void OnClose();
    // Called by OnClose once the user has agreed; false keeps the window.
    bool CloseFrameWindow();

    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* pWatched, QEvent* event) override;

private:
    void BuildMenus(UINT idResource);
    void AddMenuItems(QMenu* pMenu, const std::vector<CMenuItem>& items);
    void ShowMenu(UINT idResource);
    void OnChildActivated(QMdiSubWindow* pWindow);
    // Ctrl+F6 and Ctrl+Shift+F6.
    void ActivateNextWindow(bool previous);
    void FillWindowList(QMenu* pMenu);
    // Takes out the items a menu was given when it last opened.
    void RemoveDynamicActions(QMenu* pMenu);
    void FillRecentFiles(QMenu* pMenu);
    void OnWindowCommand(UINT id);
    void TileWindows(bool horizontal);
    void ArrangeIcons();

    QMdiArea* MdiArea;
    CStatusBar* pStatusBar = nullptr;
    UINT ResourceId = 0;
    UINT ShownMenu = 0;
    std::map<UINT, QAction*> Actions;
    std::map<UINT, std::vector<QMenu*>> Menus;
    std::vector<QAction*> DynamicActions;
    std::vector<std::pair<QKeySequence, UINT>> Accelerators;
    QString Title;
    bool DisabledPromptShown = false;
    bool AcceptCloseRequested = false;
    bool Closing = false;
};
