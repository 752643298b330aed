#pragma once
// A document window: an MDI child frame holding one view.

#include "framework/CmdTarget.h"

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

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CView* pView;
    bool Destroying = false;
};
