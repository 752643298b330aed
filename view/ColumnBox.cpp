#include "view/ColumnBox.h"

#include "app/BytelonApp.h"
#include "framework/MessageBox.h"
#include "res/Resource.h"

#include <QLabel>

namespace {
bool creationFails = false;

// COLORREF 00E0FFFF: red FF, green FF, blue E0.
const QColor BoxColour(255, 255, 224);
constexpr int BoxWidth = 30;
constexpr int BoxHeight = 15;
}  // namespace

void CColumnBox::SetCreationFailsForTesting(bool fail)
{
    creationFails = fail;
}

CColumnBox::CColumnBox(QWidget* pParent) : CDialog(IDD_COLUMNBOX, pParent), Brush(BoxColour)
{
    Created = !creationFails && Create(pParent);
    if (!Created)
        AfxMessageBox(QStringLiteral("Couldn't create CColumnBox"));
}

CColumnBox::~CColumnBox()
{
    CBytelonApp* pApp = BytelonApp();
    if (pApp && pApp->pColumnBox == this)
        pApp->pColumnBox = nullptr;
}

void CColumnBox::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    if (!Label)
        Label = GetDlgItemAs<QLabel>(IDC_COLUMNBOX_LABEL);
}

bool CColumnBox::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The box and its label share the background.
    QPalette colours = palette();
    colours.setBrush(QPalette::Window, Brush);
    setPalette(colours);
    setAutoFillBackground(true);
    if (Label) {
        Label->setPalette(colours);
        Label->setAutoFillBackground(true);
    }
    CBytelonApp* pApp = BytelonApp();
    const int x = pApp ? pApp->ColumnBoxX : 0;
    const int y = pApp ? pApp->ColumnBoxY : 0;
    // Centred under the press point, just below the pointer.
    setGeometry(x - 13, y + 10, BoxWidth, BoxHeight);
    if (Label)
        Label->setGeometry(0, 0, BoxWidth, BoxHeight);
    show();
    return true;
}

void CColumnBox::SetLabelText(const QString& text)
{
    if (Label)
        Label->setText(text);
}

void CColumnBox::PostNcDestroy()
{
    CBytelonApp* pApp = BytelonApp();
    if (pApp && pApp->pColumnBox == this)
        pApp->pColumnBox = nullptr;
    delete this;
}
