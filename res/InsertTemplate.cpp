#include "res/DialogTemplates.h"

#include "framework/Dialog.h"
#include "framework/Edit.h"
#include "framework/Resources.h"
#include "res/Resource.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

void BuildInsert(CDialog& dialog)
{
    dialog.setWindowTitle(QStringLiteral("Insert"));
    auto* pLayout = new QGridLayout(&dialog);

    // Created in tab order: the text box is the first tab stop.
    auto* pAscii = new QLineEdit(&dialog);
    auto* pHex = new QLineEdit(&dialog);
    AfxSetUpperCaseStyle(pHex);
    pAscii->setMinimumWidth(320);
    pHex->setMinimumWidth(320);
    dialog.RegisterControl(IDC_INSERT_ASCII, pAscii);
    dialog.RegisterControl(IDC_INSERT_HEX, pHex);
    pLayout->addWidget(new QLabel(QStringLiteral("Ascii:"), &dialog), 0, 0);
    pLayout->addWidget(pAscii, 0, 1);
    pLayout->addWidget(new QLabel(QStringLiteral("Hex:"), &dialog), 1, 0);
    pLayout->addWidget(pHex, 1, 1);

    auto* pButtons = new QHBoxLayout;
    pButtons->addStretch();
    auto* pOk = new QPushButton(QStringLiteral("OK"), &dialog);
    pOk->setDefault(true);
    auto* pCancel = new QPushButton(QStringLiteral("&Cancel"), &dialog);
    dialog.RegisterControl(IDOK, pOk);
    dialog.RegisterControl(IDCANCEL, pCancel);
    pButtons->addWidget(pOk);
    pButtons->addWidget(pCancel);
    pLayout->addLayout(pButtons, 2, 0, 1, 2);
}

}  // namespace

void RegisterInsertTemplate()
{
    AfxRegisterDialogTemplate(IDD_INSERT, BuildInsert);
}
