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

void BuildColumns(CDialog& dialog)
{
    dialog.setWindowTitle(QStringLiteral("Number of Data Columns"));
    dialog.setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    auto* pLayout = new QGridLayout(&dialog);

    auto* pPrompt = new QLabel(QStringLiteral("Number of Data Columns:"), &dialog);
    pPrompt->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    pLayout->addWidget(pPrompt, 0, 0);

    // Created first of the controls that take the focus: the first tab stop.
    auto* pColumns = new QLineEdit(&dialog);
    AfxSetUpperCaseStyle(pColumns);
    pColumns->setFixedWidth(pColumns->fontMetrics().horizontalAdvance(QStringLiteral("00000")));
    dialog.RegisterControl(IDC_COLUMNS, pColumns);
    pLayout->addWidget(pColumns, 0, 1, Qt::AlignLeft);

    auto* pOk = new QPushButton(QStringLiteral("OK"), &dialog);
    pOk->setDefault(true);
    dialog.RegisterControl(IDOK, pOk);
    auto* pCancel = new QPushButton(QStringLiteral("&Cancel"), &dialog);
    pCancel->setAutoDefault(false);
    dialog.RegisterControl(IDCANCEL, pCancel);
    pLayout->addWidget(pCancel, 1, 0);
    pLayout->addWidget(pOk, 1, 1);

    pColumns->setFocus();
}

}  // namespace

void RegisterColumnsTemplate()
{
    AfxRegisterDialogTemplate(IDD_COLUMNS, BuildColumns);
}
