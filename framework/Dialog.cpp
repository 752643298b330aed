#include "framework/Dialog.h"

#include "framework/MessageBox.h"
#include "framework/Resources.h"
#include "framework/WinApp.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

QString ControlText(QWidget* pControl)
{
    if (auto* pEdit = qobject_cast<QLineEdit*>(pControl))
        return pEdit->text();
    if (auto* pButton = qobject_cast<QAbstractButton*>(pControl))
        return pButton->text();
    return pControl ? pControl->property("text").toString() : QString();
}

void SetControlText(QWidget* pControl, const QString& text)
{
    if (auto* pEdit = qobject_cast<QLineEdit*>(pControl))
        pEdit->setText(text);
    else if (auto* pButton = qobject_cast<QAbstractButton*>(pControl))
        pButton->setText(text);
    else if (pControl)
        pControl->setProperty("text", text);
}

// A group of radio buttons is one tab stop, its checked button: tabbing into
// the group lands there, and the arrow keys move within it.
void MakeTabStopOfGroup(QRadioButton* pChecked)
{
    QWidget* pParent = pChecked->parentWidget();
    if (!pParent || !pChecked->autoExclusive())
        return;
    for (QRadioButton* pButton : pParent->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!pButton->autoExclusive())
            continue;
        const Qt::FocusPolicy policy = pButton->focusPolicy();
        pButton->setFocusPolicy(pButton == pChecked ? Qt::FocusPolicy(policy | Qt::TabFocus)
                                                    : Qt::FocusPolicy(policy & ~Qt::TabFocus));
    }
}

}  // namespace

QWidget* CDataExchange::PrepareCtrl(int id)
{
    pLastControl = pDlgWnd->GetDlgItem(id);
    return pLastControl;
}

void CDataExchange::Fail()
{
    if (pLastControl) {
        pDlgWnd->GotoDlgCtrl(pLastControl);
        if (auto* pEdit = qobject_cast<QLineEdit*>(pLastControl))
            pEdit->selectAll();
    }
    throw CDataExchangeFailure();
}

void DDX_Text(CDataExchange* pDX, int id, QString& value)
{
    QWidget* pControl = pDX->PrepareCtrl(id);
    if (pDX->SaveAndValidate)
        value = ControlText(pControl);
    else
        SetControlText(pControl, value);
}

void DDX_Text(CDataExchange* pDX, int id, int& value)
{
    QWidget* pControl = pDX->PrepareCtrl(id);
    if (pDX->SaveAndValidate) {
        bool ok = false;
        const int number = ControlText(pControl).trimmed().toInt(&ok, 10);
        if (!ok) {
            AfxMessageBox(QStringLiteral("Please enter an integer."), MB_OK | MB_ICONEXCLAMATION);
            pDX->Fail();
        }
        value = number;
    } else {
        SetControlText(pControl, QString::number(value));
    }
}

void DDX_Radio(CDataExchange* pDX, int id, int& value)
{
    pDX->PrepareCtrl(id);
    // The group is the run of radio buttons with consecutive identifiers that
    // share one parent, as the buttons that exclude each other do.
    int index = 0;
    if (pDX->SaveAndValidate)
        value = -1;
    auto* pFirst = pDX->pDlgWnd->GetDlgItemAs<QRadioButton>(id);
    for (auto* pButton = pFirst; pButton && pButton->parentWidget() == pFirst->parentWidget();
         pButton = pDX->pDlgWnd->GetDlgItemAs<QRadioButton>(id + ++index)) {
        if (pDX->SaveAndValidate) {
            if (pButton->isChecked())
                value = index;
        } else {
            pButton->setChecked(index == value);
        }
    }
}

void DDV_MaxChars(CDataExchange* pDX, const QString& value, int maxChars)
{
    if (pDX->SaveAndValidate) {
        if (value.size() > maxChars) {
            AfxMessageBox(QStringLiteral("Please enter no more than %1 characters.").arg(maxChars),
                          MB_OK | MB_ICONEXCLAMATION);
            pDX->Fail();
        }
    }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minValue, int maxValue)
{
    if (pDX->SaveAndValidate && (value < minValue || value > maxValue)) {
        AfxMessageBox(QStringLiteral("Please enter an integer between %1 and %2.").arg(minValue).arg(maxValue),
                      MB_OK | MB_ICONEXCLAMATION);
        pDX->Fail();
    }
}

CDialog::CDialog(UINT idTemplate, QWidget* pParent) : QDialog(pParent), TemplateId(idTemplate)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    AfxSetHelpContext(this, HID_BASE_RESOURCE + idTemplate);
    if (CWinApp* pApp = AfxGetApp())
        pApp->ApplyDialogColors(this);
}

CDialog::~CDialog() = default;

bool CDialog::BuildTemplate()
{
    if (Built)
        return true;
    const CDialogTemplate* pTemplate = AfxFindDialogTemplate(TemplateId);
    if (!pTemplate)
        return false;
    (*pTemplate)(*this);
    Built = true;
    return true;
}

int CDialog::DoModal()
{
    if (!BuildTemplate())
        return -1;
    Modal = true;
    setModal(true);
    bool initialised = false;
    AfxCallGuarded([&] { initialised = true; OnInitDialog(); });
    if (!initialised)
        return IDCANCEL;
    const int result = exec();
    return result;
}

bool CDialog::Create(QWidget* pParent)
{
    if (pParent)
        setParent(pParent, windowFlags());
    if (!BuildTemplate())
        return false;
    Modal = false;
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose, false);
    AfxCallGuarded([&] { OnInitDialog(); });
    show();
    // A window that takes no focus (a popup under the pointer) leaves the
    // keyboard where it is; any other, opened by the user's command, takes it.
    if (windowFlags() & Qt::WindowDoesNotAcceptFocus || testAttribute(Qt::WA_ShowWithoutActivating))
        return true;
    raise();
    activateWindow();
    return true;
}

void CDialog::DestroyWindow()
{
    if (WindowDestroyed)
        return;
    WindowDestroyed = true;
    hide();
    PostNcDestroy();
}

bool CDialog::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::UpdateData(bool saveAndValidate)
{
    CDataExchange exchange(this, saveAndValidate);
    try {
        DoDataExchange(&exchange);
    } catch (const CDataExchangeFailure&) {
        return false;
    }
    return true;
}

void CDialog::OnOK()
{
    if (!UpdateData(true))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::OnClose()
{
    OnCancel();
}

void CDialog::PostNcDestroy() {}

void CDialog::EndDialog(int result)
{
    if (Modal)
        done(result);
    else
        DestroyWindow();
}

QWidget* CDialog::GetDlgItem(int id) const
{
    const auto it = Controls.find(id);
    return it == Controls.end() ? nullptr : it->second;
}

void CDialog::SetDlgItemText(int id, const QString& text)
{
    SetControlText(GetDlgItem(id), text);
}

QString CDialog::GetDlgItemText(int id) const
{
    return ControlText(GetDlgItem(id));
}

void CDialog::GotoDlgCtrl(QWidget* pControl)
{
    if (pControl)
        pControl->setFocus(Qt::OtherFocusReason);
}

void CDialog::RegisterControl(int id, QWidget* pControl)
{
    Controls[id] = pControl;
    pControl->setProperty("controlId", id);
    if (auto* pButton = qobject_cast<QPushButton*>(pControl))
        connect(pButton, &QPushButton::clicked, this, [this, id] { OnButton(id); });
    if (auto* pRadio = qobject_cast<QRadioButton*>(pControl)) {
        connect(pRadio, &QAbstractButton::toggled, this, [pRadio](bool checked) {
            if (checked)
                MakeTabStopOfGroup(pRadio);
        });
    }
}

void CDialog::OnButton(int id)
{
    AfxCallGuarded([&] {
        if (id == IDOK)
            OnOK();
        else if (id == IDCANCEL)
            OnCancel();
        else
            OnCmdMsg(UINT(id), nullptr);
    });
}

void CDialog::closeEvent(QCloseEvent* event)
{
    event->ignore();
    if (!WindowDestroyed)
        AfxCallGuarded([this] { OnClose(); });
}

void CDialog::accept()
{
    AfxCallGuarded([this] { OnOK(); });
}

void CDialog::reject()
{
    AfxCallGuarded([this] { OnCancel(); });
}
