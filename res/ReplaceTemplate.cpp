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

// A group box with a text box and a hex box, in that tab order.
QGroupBox* EntryGroup(CDialog& dialog, const QString& title, int asciiId, int hexId)
{
    auto* pGroup = new QGroupBox(title, &dialog);
    auto* pLayout = new QGridLayout(pGroup);
    auto* pAscii = new QLineEdit(pGroup);
    auto* pHex = new QLineEdit(pGroup);
    AfxSetUpperCaseStyle(pHex);
    pAscii->setMinimumWidth(320);
    pHex->setMinimumWidth(320);
    dialog.RegisterControl(asciiId, pAscii);
    dialog.RegisterControl(hexId, pHex);
    pLayout->addWidget(new QLabel(QStringLiteral("Ascii:"), pGroup), 0, 0);
    pLayout->addWidget(pAscii, 0, 1);
    pLayout->addWidget(new QLabel(QStringLiteral("Hex:"), pGroup), 1, 0);
    pLayout->addWidget(pHex, 1, 1);
    return pGroup;
}

void BuildReplace(CDialog& dialog)
{
    dialog.setWindowTitle(QStringLiteral("Replace"));
    auto* pLayout = new QGridLayout(&dialog);

    // Created in tab order: the "Find What:" text box is the first tab stop.
    pLayout->addWidget(EntryGroup(dialog, QStringLiteral("Find What:"), IDC_REPLACE_FIND_ASCII,
                                  IDC_REPLACE_FIND_HEX),
                       0, 0);
    pLayout->addWidget(EntryGroup(dialog, QStringLiteral("Replace With:"), IDC_REPLACE_WITH_ASCII,
                                  IDC_REPLACE_WITH_HEX),
                       1, 0);

    auto* pCase = new QGroupBox(QStringLiteral("Case Sensitive"), &dialog);
    auto* pCaseLayout = new QHBoxLayout(pCase);
    auto* pYes = new QRadioButton(QStringLiteral("&Yes"), pCase);
    auto* pNo = new QRadioButton(QStringLiteral("&No"), pCase);
    dialog.RegisterControl(IDC_REPLACE_CASE_YES, pYes);
    dialog.RegisterControl(IDC_REPLACE_CASE_NO, pNo);
    pCaseLayout->addWidget(pYes);
    pCaseLayout->addWidget(pNo);
    pCaseLayout->addStretch();
    pLayout->addWidget(pCase, 2, 0);

    auto* pButtons = new QVBoxLayout;
    auto* pReplaceAll = new QPushButton(QStringLiteral("Replace &All"), &dialog);
    auto* pReplace = new QPushButton(QStringLiteral("&Replace"), &dialog);
    auto* pCancel = new QPushButton(QStringLiteral("&Cancel"), &dialog);
    auto* pFindNext = new QPushButton(QStringLiteral("Find &Next"), &dialog);
    pFindNext->setDefault(true);
    dialog.RegisterControl(IDC_REPLACE_ALL, pReplaceAll);
    dialog.RegisterControl(IDC_REPLACE, pReplace);
    dialog.RegisterControl(IDCANCEL, pCancel);
    dialog.RegisterControl(IDC_REPLACE_FIND_NEXT, pFindNext);
    pButtons->addWidget(pFindNext);
    pButtons->addWidget(pReplace);
    pButtons->addWidget(pReplaceAll);
    pButtons->addWidget(pCancel);
    pButtons->addStretch();
    pLayout->addLayout(pButtons, 0, 1, 3, 1);
}

}  // namespace

void RegisterReplaceTemplate()
{
    AfxRegisterDialogTemplate(IDD_REPLACE, BuildReplace);
}
