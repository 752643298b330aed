#include "res/DialogTemplates.h"

#include "framework/Dialog.h"
#include "framework/Resources.h"
#include "res/Resource.h"
#include "res/TemplateParts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* Text(QWidget* pParent, const QString& text)
{
    auto* pLabel = new QLabel(text, pParent);
    pLabel->setTextInteractionFlags(Qt::NoTextInteraction);
    return pLabel;
}

void BuildAbout(CDialog& dialog)
{
    dialog.setWindowTitle(QStringLiteral("About BYTELON"));
    SetTemplateFont(dialog);
    auto* pLayout = new QGridLayout(&dialog);
    pLayout->setHorizontalSpacing(16);

    auto* pIcon = new QLabel(&dialog);
    pIcon->setPixmap(AfxLoadIcon(IDR_MAINFRAME).pixmap(32, 32));
    pLayout->addWidget(pIcon, 0, 0, Qt::AlignTop);

    auto* pHeader = new QVBoxLayout;
    pHeader->addWidget(Text(&dialog, QStringLiteral("BYTELON Version 2.0, the binary file editor")));
    pHeader->addWidget(Text(&dialog, QStringLiteral("Corvane Systems writes tools for people who work with data,")));
    pHeader->addWidget(Text(&dialog, QStringLiteral("and builds file converters and recovery utilities to order.")));
    pLayout->addLayout(pHeader, 0, 1, 1, 2);

    auto* pNotice = Text(&dialog, QStringLiteral(
        "NOTICE:\n"
        "Changing the bytes of a file can make it unusable for the\n"
        "programs that read it, with unpredictable and undesirable\n"
        "results.  Keep a copy of every file before you edit it.\n"
        "You use this software entirely at your own risk.  It is\n"
        "provided as is, without warranty of any kind, express or\n"
        "implied, including fitness for a particular purpose.\n"
        "It may not be resold, or bundled with or used in a\n"
        "commercial product, without written permission."));
    pLayout->addWidget(pNotice, 1, 1, 1, 2);

    auto* pLogoColumn = new QVBoxLayout;
    auto* pLogo = new QPushButton(QStringLiteral("CORVANE"), &dialog);
    pLogo->setAutoDefault(false);
    dialog.RegisterControl(IDC_LOGO, pLogo);
    pLogoColumn->addWidget(pLogo, 0, Qt::AlignHCenter);
    pLogoColumn->addWidget(Text(&dialog, QStringLiteral("Click logo for")), 0, Qt::AlignHCenter);
    pLogoColumn->addWidget(Text(&dialog, QStringLiteral("cheap thrill.")), 0, Qt::AlignHCenter);
    pLogoColumn->addStretch();
    pLayout->addLayout(pLogoColumn, 2, 0);

    auto* pContact = new QVBoxLayout;
    pContact->addWidget(Text(&dialog, QStringLiteral("Corvane Systems")));
    pContact->addWidget(Text(&dialog, QStringLiteral("Telephone:  +1 555 0142 0100")));
    pContact->addWidget(Text(&dialog, QStringLiteral("Fax:  +1 555 0142 0101")));
    pContact->addWidget(Text(&dialog, QStringLiteral("E-mail:  bytelon@corvane.example")));
    pContact->addWidget(Text(&dialog, QStringLiteral("Web:  https://corvane.example/bytelon")));
    pContact->addWidget(Text(&dialog, QStringLiteral("Friendly feedback is welcome.")));
    pContact->addWidget(Text(&dialog, QStringLiteral("No solicitations please.")));
    pLayout->addLayout(pContact, 2, 1);

    auto* pBottom = new QHBoxLayout;
    pBottom->addWidget(Text(&dialog, QStringLiteral("Qt is a trademark of The Qt Company Ltd.")));
    pBottom->addStretch();
    AddPushButton(dialog, pBottom, IDOK, QStringLiteral("OK"), true);
    pLayout->addLayout(pBottom, 3, 0, 1, 3);
}

}  // namespace

void RegisterAboutTemplate()
{
    AfxRegisterDialogTemplate(IDD_ABOUTBOX, BuildAbout);
}
