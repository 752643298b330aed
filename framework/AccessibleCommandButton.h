#pragma once
// A toolbar button of a command as assistive technology sees it: named by
// the command, its accelerator given as the button's shortcut. The button
// itself takes no shortcut, which would make the accelerator ambiguous.

#include <QAccessibleWidget>
#include <QKeySequence>

class QToolBar;
class QToolButton;

// The buttons the toolbar is given from now on are command buttons. The
// toolkit asks for a button's interface as it makes the button, so this
// comes before the buttons are added.
void MarkCommandToolBar(QToolBar* pToolBar);
// Gives a command button its accessible name and shortcut (none when empty).
void NameCommandButton(QToolButton* pButton, const QString& name, const QKeySequence& shortcut);

class CAccessibleCommandButton : public QAccessibleWidget {
public:
    explicit CAccessibleCommandButton(QToolButton* pButton);

    [[nodiscard]] QAccessible::Role role() const override;
    [[nodiscard]] QAccessible::State state() const override;
    [[nodiscard]] QString text(QAccessible::Text t) const override;
    [[nodiscard]] QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    [[nodiscard]] QStringList keyBindingsForAction(const QString& actionName) const override;

private:
    [[nodiscard]] QToolButton* Button() const;
    [[nodiscard]] QString Shortcut() const;
};
