#include "res/DialogTemplates.h"

#include "framework/Dialog.h"
#include "framework/Resources.h"
#include "res/Resource.h"
#include "res/TemplateParts.h"

#include <QLineEdit>

namespace {

void BuildColumns(CDialog& dialog)
{
    dialog.setWindowTitle(QStringLiteral("Number of Data Columns"));
    QLineEdit* pColumns = BuildPromptDialog(dialog, QStringLiteral("Number of Data Columns:"), IDC_COLUMNS);
    pColumns->setFixedWidth(pColumns->fontMetrics().horizontalAdvance(QStringLiteral("00000")));
    pColumns->setFocus();
}

}  // namespace

void RegisterColumnsTemplate()
{
    AfxRegisterDialogTemplate(IDD_COLUMNS, BuildColumns);
}
