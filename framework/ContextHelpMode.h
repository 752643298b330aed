#pragma once
// Help mode (Shift+F1): until the next click, the pointer asks for help
// instead of acting. A click on a toolbar button or a menu item, greyed or
// not, asks for that command's help; a click elsewhere for the help of the
// window under it. Menus still open so that their items can be reached, and
// a command chosen with a key asks for its help too. Esc leaves the mode.

#include "framework/Afx.h"

#include <QObject>
#include <QPoint>

class QWidget;

class CContextHelpMode : public QObject {
    Q_OBJECT
public:
    static void Enter();
    static void Leave();
    [[nodiscard]] static bool IsActive();
    // A command chosen while the mode is on ends it and asks for the
    // command's help instead; false when the mode is off and the command
    // should run.
    static bool TakeCommand(UINT id);
    // The help context a click at pos in the widget asks for; 0 for none.
    [[nodiscard]] static DWORD ContextAt(QWidget* pWidget, QPoint pos);

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    CContextHelpMode();
    ~CContextHelpMode() override;
    // Leaves the mode and hands the context to the application's WinHelp.
    static void Answer(DWORD context);

    // The click has been answered: the mode waits only to swallow its release.
    bool Answered = false;
};
