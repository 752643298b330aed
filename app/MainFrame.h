#pragma once
// The main window: the MDI frame with the toolbar, the four-pane status bar,
// Close All, and its position and size remembered in the profile.

#include "framework/MDIFrameWnd.h"
#include "framework/StatusBar.h"

#include <QRect>
#include <QToolBar>

#include <optional>

class CMainFrame : public CMDIFrameWnd {
    Q_OBJECT
public:
    CMainFrame();
    ~CMainFrame() override;

    bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override;
    void On_Window_Close_All();

    // The stored rectangle: left, top, width and height.
    int X = 0;
    int Y = 0;
    int CX = 0;
    int CY = 0;
    CStatusBar StatusBar;
    QToolBar ToolBar;

protected:
    int OnCreate() override;
    // The stored rectangle fitted into the free area of the first screen it
    // reaches; none when no size is stored or it reaches no screen.
    [[nodiscard]] std::optional<QRect> StoredPlacement() const;
    void OnSize(UINT type, int cx, int cy) override;
    void OnMove(int x, int y) override;
    void OnClose() override;
};

// Sets a pane of the main window's status bar and, with update, repaints it
// at once; does nothing when there is no main window.
void SetMainStatusText(int pane, const QString& text, bool update = true);
