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

void BuildFind(CDialog& dialog)
{
    dialog.setWindowTitle(QStringLiteral("Find"));
    SetTemplateFont(dialog);
    auto* pLayout = new QGridLayout(&dialog);
    auto* pEntries = new QGridLayout;
    AddEntryPairRows(dialog, &dialog, pEntries, 0, IDC_FIND_ASCII, IDC_FIND_HEX);
    pLayout->addLayout(pEntries, 0, 0, 1, 2);
    pLayout->addWidget(RadioPair(dialog, QStringLiteral("Direction"), IDC_FIND_UP, QStringLiteral("&Up"),
                                 QStringLiteral("&Down")),
                       1, 0);
    pLayout->addWidget(RadioPair(dialog, QStringLiteral("Case Sensitive"), IDC_FIND_CASE_YES, QStringLiteral("&Yes"),
                                 QStringLiteral("&No")),
                       1, 1);
    // Tab order "&Cancel" then "Find &Next"; the default button stands on top.
    auto* pButtons = new QVBoxLayout;
    QPushButton* pCancel = AddPushButton(dialog, nullptr, IDCANCEL, QStringLiteral("&Cancel"));
    AddPushButton(dialog, pButtons, IDC_FIND_NEXT, QStringLiteral("Find &Next"), true);
    pButtons->addWidget(pCancel);
    pButtons->addStretch();
    pLayout->addLayout(pButtons, 0, 2, 2, 1);
}

}  // namespace

void RegisterFindTemplate()
{
    AfxRegisterDialogTemplate(IDD_FIND, BuildFind);
}
