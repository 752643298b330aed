#include "res/DialogTemplates.h"

#include "framework/Dialog.h"
#include "framework/Edit.h"
#include "framework/Resources.h"
#include "res/Resource.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// A group box of two radio buttons with consecutive identifiers.
QGroupBox* RadioGroup(CDialog& dialog, const QString& title, int firstId, const QString& first,
                      const QString& second)
{
    auto* pGroup = new QGroupBox(title, &dialog);
    auto* pLayout = new QVBoxLayout(pGroup);
    auto* pFirst = new QRadioButton(first, pGroup);
    auto* pSecond = new QRadioButton(second, pGroup);
    dialog.RegisterControl(firstId, pFirst);
    dialog.RegisterControl(firstId + 1, pSecond);
    pLayout->addWidget(pFirst);
    pLayout->addWidget(pSecond);
    return pGroup;
}

void BuildFind(CDialog& dialog)
{
    dialog.setWindowTitle(QStringLiteral("Find"));
    auto* pLayout = new QGridLayout(&dialog);

    // Created in tab order: the text box is the first tab stop.
    auto* pAscii = new QLineEdit(&dialog);
    auto* pHex = new QLineEdit(&dialog);
    AfxSetUpperCaseStyle(pHex);
    pAscii->setMinimumWidth(320);
    pHex->setMinimumWidth(320);
    dialog.RegisterControl(IDC_FIND_ASCII, pAscii);
    dialog.RegisterControl(IDC_FIND_HEX, pHex);
    pLayout->addWidget(new QLabel(QStringLiteral("Ascii:"), &dialog), 0, 0);
    pLayout->addWidget(pAscii, 0, 1, 1, 2);
    pLayout->addWidget(new QLabel(QStringLiteral("Hex:"), &dialog), 1, 0);
    pLayout->addWidget(pHex, 1, 1, 1, 2);

    pLayout->addWidget(RadioGroup(dialog, QStringLiteral("Direction"), IDC_FIND_UP, QStringLiteral("&Up"),
                                  QStringLiteral("&Down")),
                       2, 1);
    pLayout->addWidget(RadioGroup(dialog, QStringLiteral("Case Sensitive"), IDC_FIND_CASE_YES,
                                  QStringLiteral("&Yes"), QStringLiteral("&No")),
                       2, 2);

    auto* pButtons = new QVBoxLayout;
    auto* pFindNext = new QPushButton(QStringLiteral("Find &Next"), &dialog);
    pFindNext->setDefault(true);
    auto* pCancel = new QPushButton(QStringLiteral("&Cancel"), &dialog);
    dialog.RegisterControl(IDC_FIND_NEXT, pFindNext);
    dialog.RegisterControl(IDCANCEL, pCancel);
    pButtons->addWidget(pFindNext);
    pButtons->addWidget(pCancel);
    pButtons->addStretch();
    pLayout->addLayout(pButtons, 0, 3, 3, 1);
}

}  // namespace

void RegisterFindTemplate()
{
    AfxRegisterDialogTemplate(IDD_FIND, BuildFind);
}
