#include "framework/AccessibleCommandButton.h"

#include <QAccessible>
#include <QToolBar>
#include <QToolButton>

namespace {

const char* const CommandToolBarProperty = "commandToolBar";
const char* const ShortcutProperty = "commandShortcut";

QAccessibleInterface* ButtonFactory(const QString& className, QObject* pObject)
{
    // Only buttons of actions: the toolbar's own extension button is left to the toolkit.
    if (className == QLatin1String("QToolButton") && pObject->metaObject() == &QToolButton::staticMetaObject
        && pObject->parent() && pObject->parent()->property(CommandToolBarProperty).toBool())
        return new CAccessibleCommandButton(static_cast<QToolButton*>(pObject));
    return nullptr;
}

}  // namespace

void MarkCommandToolBar(QToolBar* pToolBar)
{
    // Tried before the toolkit's own factory, which is installed first.
    static const bool installed = [] {
        QAccessible::installFactory(ButtonFactory);
        return true;
    }();
    Q_UNUSED(installed);
    pToolBar->setProperty(CommandToolBarProperty, true);
}

void NameCommandButton(QToolButton* pButton, const QString& name, const QKeySequence& shortcut)
{
    pButton->setProperty(ShortcutProperty, shortcut.toString(QKeySequence::NativeText));
    pButton->setAccessibleName(name);
}

CAccessibleCommandButton::CAccessibleCommandButton(QToolButton* pButton) : QAccessibleWidget(pButton) {}

QToolButton* CAccessibleCommandButton::Button() const
{
    return static_cast<QToolButton*>(widget());
}

QString CAccessibleCommandButton::Shortcut() const
{
    return Button()->property(ShortcutProperty).toString();
}

QAccessible::Role CAccessibleCommandButton::role() const
{
    return Button()->isCheckable() ? QAccessible::CheckBox : QAccessible::PushButton;
}

QAccessible::State CAccessibleCommandButton::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    const QToolButton* pButton = Button();
    state.checkable = pButton->isCheckable();
    state.checked = pButton->isChecked();
    state.pressed = pButton->isDown();
    state.hotTracked = pButton->autoRaise();
    return state;
}

QString CAccessibleCommandButton::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name:
        return Button()->accessibleName().isEmpty() ? Button()->text().section(QLatin1Char('\t'), 0, 0)
                                                     : Button()->accessibleName();
    case QAccessible::Accelerator: return Shortcut();
    default: return QAccessibleWidget::text(t);
    }
}

QStringList CAccessibleCommandButton::actionNames() const
{
    if (!Button()->isEnabled())
        return QAccessibleWidget::actionNames();
    return QStringList(Button()->isCheckable() ? toggleAction() : pressAction()) + QAccessibleWidget::actionNames();
}

void CAccessibleCommandButton::doAction(const QString& actionName)
{
    if (Button()->isEnabled() && (actionName == pressAction() || actionName == toggleAction()))
        Button()->click();
    else
        QAccessibleWidget::doAction(actionName);
}

QStringList CAccessibleCommandButton::keyBindingsForAction(const QString& actionName) const
{
    if ((actionName == pressAction() || actionName == toggleAction()) && !Shortcut().isEmpty())
        return QStringList(Shortcut());
    return QAccessibleWidget::keyBindingsForAction(actionName);
}
