#include "res/DialogTemplates.h"

#include "framework/Dialog.h"
#include "framework/Resources.h"
#include "res/Resource.h"
#include "res/TemplateParts.h"

#include <QGridLayout>
#include <QHBoxLayout>

namespace {

void BuildInsert(CDialog& dialog)
{
    dialog.setWindowTitle(QStringLiteral("Insert"));
    SetTemplateFont(dialog);
    auto* pLayout = new QGridLayout(&dialog);
    AddEntryPairRows(dialog, &dialog, pLayout, 0, IDC_INSERT_ASCII, IDC_INSERT_HEX);
    auto* pButtons = new QHBoxLayout;
    pButtons->addStretch();
    AddPushButton(dialog, pButtons, IDOK, QStringLiteral("OK"), true);
    AddPushButton(dialog, pButtons, IDCANCEL, QStringLiteral("&Cancel"));
    pLayout->addLayout(pButtons, 2, 0, 1, 2);
}

}  // namespace

void RegisterInsertTemplate()
{
    AfxRegisterDialogTemplate(IDD_INSERT, BuildInsert);
}
