#include "res/DialogTemplates.h"

#include "framework/Dialog.h"
#include "framework/Resources.h"
#include "res/Resource.h"
#include "res/TemplateParts.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

void BuildRecovery(CDialog& dialog)
{
    dialog.setWindowTitle(QStringLiteral("Recover Documents"));
    SetTemplateFont(dialog);
    auto* pLayout = new QVBoxLayout(&dialog);
    pLayout->addWidget(new QLabel(QStringLiteral("BYTELON ended without closing these documents, and their "
                                                 "changes were not saved:"),
                                  &dialog));
    auto* pList = new QTreeWidget(&dialog);
    pList->setColumnCount(3);
    pList->setHeaderLabels({QStringLiteral("Document"), QStringLiteral("Size"), QStringLiteral("Last changed")});
    pList->setRootIsDecorated(false);
    pList->setSelectionMode(QAbstractItemView::NoSelection);
    pList->setFocusPolicy(Qt::NoFocus);
    pList->header()->setStretchLastSection(false);
    pList->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    pList->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    pList->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    pList->setMinimumWidth(pList->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 90);
    dialog.RegisterControl(IDC_RECOVERY_LIST, pList);
    pLayout->addWidget(pList);
    pLayout->addWidget(new QLabel(QStringLiteral("Recover opens them with their changes; Discard deletes the "
                                                 "changes; Decide Later keeps them until BYTELON starts again."),
                                  &dialog));
    auto* pButtons = new QHBoxLayout;
    pButtons->addStretch();
    AddPushButton(dialog, pButtons, IDOK, QStringLiteral("&Recover"), true)->setFocus();
    AddPushButton(dialog, pButtons, IDC_RECOVERY_DISCARD, QStringLiteral("&Discard"));
    AddPushButton(dialog, pButtons, IDCANCEL, QStringLiteral("Decide &Later"));
    pLayout->addLayout(pButtons);
}

}  // namespace

void RegisterRecoveryTemplate()
{
    AfxRegisterDialogTemplate(IDD_RECOVERY, BuildRecovery);
}
