#include "framework/Edit.h"

#include "framework/Dialog.h"
#include "framework/VirtualKeys.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QValidator>

CEdit::~CEdit()
{
    UnsubclassWindow();
}

// Text that arrives other than by typing (pasted, dropped, composed) is
// taken only when every character of it would have been taken typed; a
// validator already on the control (the upper-case style) then has its say.
class CTypedOnlyValidator final : public QValidator {
public:
    CTypedOnlyValidator(CEdit* pEdit, QLineEdit* pControl)
        : QValidator(pControl), pEdit(pEdit), pInner(pControl->validator())
    {
    }
    State validate(QString& input, int& pos) const override
    {
        for (const QChar c : std::as_const(input)) {
            if (!pEdit->OnChar(c.unicode()))
                return Invalid;
        }
        return pInner ? pInner->validate(input, pos) : Acceptable;
    }
    void fixup(QString& input) const override
    {
        if (pInner)
            pInner->fixup(input);
    }
    [[nodiscard]] const QValidator* Inner() const { return pInner; }

private:
    CEdit* pEdit;
    QPointer<const QValidator> pInner;
};

bool CEdit::SubclassDlgItem(int id, CDialog* pParent)
{
    UnsubclassWindow();
    pControl = pParent ? pParent->GetDlgItemAs<QLineEdit>(id) : nullptr;
    if (!pControl)
        return false;
    pControl->installEventFilter(this);
    pFilter = new CTypedOnlyValidator(this, pControl);
    pControl->setValidator(pFilter);
    connect(pControl, &QObject::destroyed, this, [this] {
        pControl = nullptr;
        pFilter = nullptr;  // a child of the control
    });
    return true;
}

void CEdit::UnsubclassWindow()
{
    if (pControl) {
        pControl->removeEventFilter(this);
        if (pFilter) {
            pControl->setValidator(pFilter->Inner());
            delete pFilter;
            pFilter = nullptr;
        }
        disconnect(pControl, nullptr, this, nullptr);
        pControl = nullptr;
    }
}

QString CEdit::GetWindowText() const
{
    return pControl ? pControl->text() : QString();
}

void CEdit::SetWindowText(const QString& text)
{
    if (!pControl)
        return;
    pControl->setText(text);
    // A new text leaves the caret at its start, not at its end.
    pControl->setCursorPosition(0);
}

int CEdit::GetWindowTextLength() const
{
    return pControl ? int(pControl->text().size()) : 0;
}

void CEdit::LimitText(int maxChars)
{
    if (pControl)
        pControl->setMaxLength(maxChars);
}

void CEdit::GetSel(int& start, int& end) const
{
    start = end = 0;
    if (!pControl)
        return;
    if (pControl->hasSelectedText()) {
        start = pControl->selectionStart();
        end = pControl->selectionEnd();
    } else {
        start = end = pControl->cursorPosition();
    }
}

void CEdit::SetSel(int start, int end)
{
    if (!pControl)
        return;
    const int length = int(pControl->text().size());
    start = qBound(0, start, length);
    end = qBound(0, end, length);
    // The caret goes to the end given second, as the platform's selection does.
    pControl->setSelection(start, end - start);
    if (start == end)
        pControl->setCursorPosition(end);
}

void CEdit::SetFocus()
{
    if (pControl)
        pControl->setFocus(Qt::OtherFocusReason);
}

bool CEdit::OnChar(UINT)
{
    return true;
}

bool CEdit::OnKeyUp(UINT)
{
    return true;
}

void CEdit::OnSetFocus() {}

void CEdit::DefaultChar(UINT ch)
{
    if (!pControl)
        return;
    const QChar c{char16_t(ch)};
    QKeyEvent event(QEvent::KeyPress, ch == 8 ? Qt::Key_Backspace : 0, Qt::NoModifier, QString(c));
    pControl->removeEventFilter(this);
    QCoreApplication::sendEvent(pControl, &event);
    pControl->installEventFilter(this);
}

bool CEdit::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched != pControl)
        return QObject::eventFilter(pWatched, pEvent);
    switch (pEvent->type()) {
    case QEvent::KeyPress: {
        auto* pKey = static_cast<QKeyEvent*>(pEvent);
        const Qt::KeyboardModifiers modifiers = pKey->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
        // Ctrl with a letter types that letter's control character, as the
        // clipboard shortcuts do: the control's handling of the key (paste,
        // cut, undo) happens only when the character is taken.
        if (modifiers == Qt::ControlModifier && pKey->key() >= Qt::Key_A && pKey->key() <= Qt::Key_Z)
            return !OnChar(UINT(pKey->key() - Qt::Key_A + 1));
        const QString text = pKey->text();
        // Characters are the printable text and backspace; other keys (cursor
        // movement, deletion, shortcuts) are not characters.
        // The Delete key's text is DEL on some platforms; it is a key, not a character.
        const char16_t first = text.isEmpty() ? 0 : text.at(0).unicode();
        const bool isChar = !text.isEmpty() && !modifiers && ((first >= 0x20 && first != 0x7F) || first == 8);
        if (!isChar)
            return false;
        for (const QChar c : text) {
            if (!OnChar(c.unicode()))
                return true;
        }
        return false;
    }
    case QEvent::KeyRelease: {
        auto* pKey = static_cast<QKeyEvent*>(pEvent);
        return !OnKeyUp(VirtualKeyFromQt(pKey->key()));
    }
    case QEvent::FocusIn: {
        // The selection is restored after the control's own focus handling.
        QTimer::singleShot(0, this, [this] {
            if (pControl && pControl->hasFocus())
                OnSetFocus();
        });
        return false;
    }
    default:
        return QObject::eventFilter(pWatched, pEvent);
    }
}

namespace {

class CUpperCaseValidator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        input = input.toUpper();
        return Acceptable;
    }
};

}  // namespace

void AfxSetUpperCaseStyle(QLineEdit* pEdit)
{
    pEdit->setValidator(new CUpperCaseValidator(pEdit));
}
