#include "res/DialogTemplates.h"

#include "framework/Dialog.h"
#include "framework/Resources.h"
#include "res/Resource.h"
#include "res/TemplateParts.h"

#include <QLineEdit>

namespace {

void BuildGoto(CDialog& dialog)
{
    dialog.setWindowTitle(QStringLiteral("Goto Address"));
    QLineEdit* pAddress = BuildPromptDialog(dialog, QStringLiteral("Goto Address:"), IDC_ADDRESS);
    pAddress->setMinimumWidth(pAddress->fontMetrics().horizontalAdvance(QStringLiteral("DDDDDDDDDDDD")));
    pAddress->setFocus();
}

}  // namespace

void RegisterGotoTemplate()
{
    AfxRegisterDialogTemplate(IDD_GOTO, BuildGoto);
}
