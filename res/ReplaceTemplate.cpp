#include "res/DialogTemplates.h"

#include "framework/Dialog.h"
#include "framework/Resources.h"
#include "res/Resource.h"
#include "res/TemplateParts.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QGroupBox* EntryGroup(CDialog& dialog, const QString& title, int asciiId, int hexId)
{
    auto* pGroup = new QGroupBox(title, &dialog);
    AddEntryPairRows(dialog, pGroup, new QGridLayout(pGroup), 0, asciiId, hexId);
    return pGroup;
}

void BuildReplace(CDialog& dialog)
{
    dialog.setWindowTitle(QStringLiteral("Replace"));
    SetTemplateFont(dialog);
    auto* pLayout = new QGridLayout(&dialog);
    // Made in tab order: the "Find What:" text box is the first tab stop.
    pLayout->addWidget(EntryGroup(dialog, QStringLiteral("Find What:"), IDC_REPLACE_FIND_ASCII, IDC_REPLACE_FIND_HEX),
                       0, 0);
    pLayout->addWidget(
        EntryGroup(dialog, QStringLiteral("Replace With:"), IDC_REPLACE_WITH_ASCII, IDC_REPLACE_WITH_HEX), 1, 0);
    pLayout->addWidget(RadioPair(dialog, QStringLiteral("Case Sensitive"), IDC_REPLACE_CASE_YES,
                                 QStringLiteral("&Yes"), QStringLiteral("&No"), true),
                       2, 0);
    // Tab order "Replace &All", "&Replace", "&Cancel", "Find &Next"; the
    // default button stands on top.
    QPushButton* pReplaceAll = AddPushButton(dialog, nullptr, IDC_REPLACE_ALL, QStringLiteral("Replace &All"));
    QPushButton* pReplace = AddPushButton(dialog, nullptr, IDC_REPLACE, QStringLiteral("&Replace"));
    QPushButton* pCancel = AddPushButton(dialog, nullptr, IDCANCEL, QStringLiteral("&Cancel"));
    auto* pButtons = new QVBoxLayout;
    AddPushButton(dialog, pButtons, IDC_REPLACE_FIND_NEXT, QStringLiteral("Find &Next"), true);
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
