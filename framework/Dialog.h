#pragma once
// Dialogs built from a registered template: modal runs, modeless windows,
// controls reached by identifier, and data exchange with validation.

#include "framework/Afx.h"
#include "framework/CmdTarget.h"

#include <QDialog>
#include <QString>

#include <map>

class CDialog;

// Moves values between a dialog's fields and its controls.
class CDataExchange {
public:
    CDataExchange(CDialog* pDialog, bool saveAndValidate) : pDlgWnd(pDialog), SaveAndValidate(saveAndValidate) {}

    // The control the following checks are about; focused when they fail.
    QWidget* PrepareCtrl(int id);
    // Ends the exchange as failed, with the focus on the last control prepared.
    [[noreturn]] void Fail();

    CDialog* const pDlgWnd;
    const bool SaveAndValidate;

private:
    QWidget* pLastControl = nullptr;
};

// Thrown by CDataExchange::Fail after the user has been told why.
class CDataExchangeFailure {};

void DDX_Text(CDataExchange* pDX, int id, QString& value);
// Decimal integer; "Please enter an integer." when the text is not one.
void DDX_Text(CDataExchange* pDX, int id, int& value);
// The index of the checked button in the radio group that starts at id.
void DDX_Radio(CDataExchange* pDX, int id, int& value);
void DDV_MaxChars(CDataExchange* pDX, const QString& value, int maxChars);
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minValue, int maxValue);

class CDialog : public QDialog, public CCmdTarget {
    Q_OBJECT
public:
    explicit CDialog(UINT idTemplate, QWidget* pParent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally: IDOK, IDCANCEL or the EndDialog value.
    virtual int DoModal();
    // Creates the dialog as a modeless window; false when that fails.
    bool Create(QWidget* pParent = nullptr);
    // Destroys a modeless dialog's window, then calls PostNcDestroy.
    void DestroyWindow();
    [[nodiscard]] bool IsWindowDestroyed() const { return WindowDestroyed; }

    virtual bool OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    // False when validation failed (the user has been told).
    bool UpdateData(bool saveAndValidate = true);
    virtual void OnOK();
    virtual void OnCancel();
    // The close box; the default acts as Cancel.
    virtual void OnClose();
    virtual void PostNcDestroy();
    void EndDialog(int result);

    [[nodiscard]] UINT GetTemplateId() const { return TemplateId; }
    [[nodiscard]] QWidget* GetDlgItem(int id) const;
    template <class T>
    [[nodiscard]] T* GetDlgItemAs(int id) const { return qobject_cast<T*>(GetDlgItem(id)); }
    void SetDlgItemText(int id, const QString& text);
    [[nodiscard]] QString GetDlgItemText(int id) const;
    void GotoDlgCtrl(QWidget* pControl);

    // Used by the templates: puts a control under its identifier; push
    // buttons send their identifier as a command.
    void RegisterControl(int id, QWidget* pControl);

protected:
    void closeEvent(QCloseEvent* event) override;
    void accept() override;
    void reject() override;

private:
    bool BuildTemplate();
    void OnButton(int id);

    UINT TemplateId;
    std::map<int, QWidget*> Controls;
    bool Built = false;
    bool Modal = false;
    bool WindowDestroyed = false;
};
