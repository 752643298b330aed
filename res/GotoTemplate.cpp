#include "res/DialogTemplates.h"

#include "framework/Dialog.h"
#include "framework/Edit.h"
#include "framework/Resources.h"
#include "res/Resource.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

void BuildGoto(CDialog& dialog)
{
    dialog.setWindowTitle(QStringLiteral("Goto Address"));
    dialog.setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    auto* pLayout = new QGridLayout(&dialog);

    auto* pPrompt = new QLabel(QStringLiteral("Goto Address:"), &dialog);
    pPrompt->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    pLayout->addWidget(pPrompt, 0, 0);

    // Created first of the controls that take the focus: the first tab stop.
    auto* pAddress = new QLineEdit(&dialog);
    AfxSetUpperCaseStyle(pAddress);
    pAddress->setMinimumWidth(pAddress->fontMetrics().horizontalAdvance(QStringLiteral("DDDDDDDDDDDD")));
    dialog.RegisterControl(IDC_ADDRESS, pAddress);
    pLayout->addWidget(pAddress, 0, 1);

    auto* pOk = new QPushButton(QStringLiteral("OK"), &dialog);
    pOk->setDefault(true);
    dialog.RegisterControl(IDOK, pOk);
    auto* pCancel = new QPushButton(QStringLiteral("&Cancel"), &dialog);
    pCancel->setAutoDefault(false);
    dialog.RegisterControl(IDCANCEL, pCancel);
    pLayout->addWidget(pCancel, 1, 0);
    pLayout->addWidget(pOk, 1, 1);

    pAddress->setFocus();
}

}  // namespace

void RegisterGotoTemplate()
{
    AfxRegisterDialogTemplate(IDD_GOTO, BuildGoto);
}
