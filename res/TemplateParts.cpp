#include "res/TemplateParts.h"

#include "framework/Dialog.h"
#include "framework/Edit.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// A label in front of a box, which assistive technology names the box by.
QLabel* LabelFor(QWidget* pBox, const QString& text, QWidget* pParent)
{
    auto* pLabel = new QLabel(text, pParent);
    pLabel->setBuddy(pBox);
    QString name = text;
    name.remove(QLatin1Char('&'));
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    pBox->setAccessibleName(name);
    return pLabel;
}

}  // namespace

void SetTemplateFont(CDialog& dialog)
{
    dialog.setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
}

QPushButton* AddPushButton(CDialog& dialog, QBoxLayout* pLayout, int id, const QString& text, bool isDefault)
{
    auto* pButton = new QPushButton(text, &dialog);
    pButton->setDefault(isDefault);
    pButton->setAutoDefault(isDefault);
    dialog.RegisterControl(id, pButton);
    if (pLayout)
        pLayout->addWidget(pButton);
    return pButton;
}

void AddEntryPairRows(CDialog& dialog, QWidget* pParent, QGridLayout* pLayout, int row, int asciiId, int hexId)
{
    auto* pAscii = new QLineEdit(pParent);
    auto* pHex = new QLineEdit(pParent);
    AfxSetUpperCaseStyle(pHex);
    const int width = pAscii->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 48;
    pAscii->setMinimumWidth(width);
    pHex->setMinimumWidth(width);
    dialog.RegisterControl(asciiId, pAscii);
    dialog.RegisterControl(hexId, pHex);
    pLayout->addWidget(LabelFor(pAscii, QStringLiteral("Ascii:"), pParent), row, 0);
    pLayout->addWidget(pAscii, row, 1);
    pLayout->addWidget(LabelFor(pHex, QStringLiteral("Hex:"), pParent), row + 1, 0);
    pLayout->addWidget(pHex, row + 1, 1);
}

QGroupBox* RadioPair(CDialog& dialog, const QString& title, int firstId, const QString& first,
                     const QString& second, bool sideBySide)
{
    auto* pGroup = new QGroupBox(title, &dialog);
    QBoxLayout* pLayout = sideBySide ? static_cast<QBoxLayout*>(new QHBoxLayout(pGroup))
                                     : static_cast<QBoxLayout*>(new QVBoxLayout(pGroup));
    auto* pFirst = new QRadioButton(first, pGroup);
    auto* pSecond = new QRadioButton(second, pGroup);
    dialog.RegisterControl(firstId, pFirst);
    dialog.RegisterControl(firstId + 1, pSecond);
    pLayout->addWidget(pFirst);
    pLayout->addWidget(pSecond);
    if (sideBySide)
        pLayout->addStretch();
    return pGroup;
}

QLineEdit* BuildPromptDialog(CDialog& dialog, const QString& prompt, int editId)
{
    SetTemplateFont(dialog);
    auto* pLayout = new QGridLayout(&dialog);
    // Made before the buttons: the first tab stop, with the focus at the start.
    auto* pEdit = new QLineEdit(&dialog);
    QLabel* pPrompt = LabelFor(pEdit, prompt, &dialog);
    pPrompt->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    pLayout->addWidget(pPrompt, 0, 0);
    AfxSetUpperCaseStyle(pEdit);
    dialog.RegisterControl(editId, pEdit);
    pLayout->addWidget(pEdit, 0, 1, Qt::AlignLeft);
    // Tab order edit, OK, Cancel; on the row "&Cancel" stands left of "OK".
    auto* pButtons = new QHBoxLayout;
    QPushButton* pOk = AddPushButton(dialog, nullptr, IDOK, QStringLiteral("OK"), true);
    AddPushButton(dialog, pButtons, IDCANCEL, QStringLiteral("&Cancel"));
    pButtons->addWidget(pOk);
    pLayout->addLayout(pButtons, 1, 0, 1, 2);
    return pEdit;
}
