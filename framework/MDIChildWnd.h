#pragma once
// A document window: an MDI child frame holding one view.

#include "framework/CmdTarget.h"

#include <QKeySequence>
#include <QMdiSubWindow>

class CView;

class CMDIChildWnd : public QMdiSubWindow, public CCmdTarget {
    Q_OBJECT
public:
    explicit CMDIChildWnd(CView* pView);
    ~CMDIChildWnd() override;

    [[nodiscard]] CView* GetActiveView() const { return pView; }
    // Destroys the window without asking anything.
    void DestroyWindow();
    void UpdateTitle();
    // Makes the window as wide as a view of viewWidth pixels needs. A
    // maximized or minimized window keeps its size and state and takes the
    // width when it is restored; false then.
    bool SetViewWidth(int viewWidth);
    // Ctrl+F4, the frame's key that closes the active document window.
    [[nodiscard]] static QKeySequence CloseKey();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnStateChanged(Qt::WindowStates oldState, Qt::WindowStates newState);

    CView* pView;
    bool Destroying = false;
    int RestoredViewWidth = 0;  // 0: none waiting for the window's restore
};
