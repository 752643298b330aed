#pragma once
// An edit control of a dialog, attached to an object whose handlers see the
// control's characters, key releases and focus gains first.

#include "framework/Afx.h"

#include <QObject>
#include <QString>

class CDialog;
class CTypedOnlyValidator;
class QLineEdit;

class CEdit : public QObject {
    Q_OBJECT
public:
    CEdit() = default;
    ~CEdit() override;

    // Attaches this object to the dialog's control id; false when there is none.
    bool SubclassDlgItem(int id, CDialog* pParent);
    void UnsubclassWindow();
    [[nodiscard]] QLineEdit* GetControl() const { return pControl; }

    // Control services.
    [[nodiscard]] QString GetWindowText() const;
    void SetWindowText(const QString& text);
    [[nodiscard]] int GetWindowTextLength() const;
    void LimitText(int maxChars);
    void GetSel(int& start, int& end) const;
    void SetSel(int start, int end);
    void SetFocus();

    // Handlers; each returns true to let the control handle the message too.
    // OnChar also decides on each character pasted or dropped into the
    // control: text is taken only when all of it would be taken typed.
    virtual bool OnChar(UINT ch);
    virtual bool OnKeyUp(UINT vk);
    virtual void OnSetFocus();

    // What the control's default handling of a character does; used by
    // handlers that pass the character on after changing it.
    void DefaultChar(UINT ch);

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    QLineEdit* pControl = nullptr;
    CTypedOnlyValidator* pFilter = nullptr;
};

// The edit control shows and returns letters in upper case.
void AfxSetUpperCaseStyle(QLineEdit* pEdit);
