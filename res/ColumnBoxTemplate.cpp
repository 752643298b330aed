#include "res/DialogTemplates.h"

#include "framework/Dialog.h"
#include "framework/Resources.h"
#include "res/Resource.h"
#include "res/TemplateParts.h"

#include <QLabel>

namespace {

void BuildColumnBox(CDialog& dialog)
{
    // No caption, no focus, not activated when shown: the view keeps the keyboard.
    dialog.setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    dialog.setAttribute(Qt::WA_ShowWithoutActivating);
    dialog.setFocusPolicy(Qt::NoFocus);
    SetTemplateFont(dialog);
    dialog.resize(39, 26);

    // The label's thin frame is the box's border; the box sizes it when it opens.
    auto* pLabel = new QLabel(QStringLiteral("Static"), &dialog);
    pLabel->setAlignment(Qt::AlignCenter);
    pLabel->setFrameShape(QFrame::Box);
    pLabel->setLineWidth(1);
    pLabel->setGeometry(0, 0, 28, 19);
    dialog.RegisterControl(IDC_COLUMNBOX_LABEL, pLabel);
}

}  // namespace

void RegisterColumnBoxTemplate()
{
    AfxRegisterDialogTemplate(IDD_COLUMNBOX, BuildColumnBox);
}
