#include "search/InsertDlg.h"

#include "app/BytelonApp.h"
#include "framework/MessageBox.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

CInsertDlg::CInsertDlg(QWidget* pParent) : CDialog(IDD_INSERT, pParent) {}

bool CInsertDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    Pair.AttachControls(IDC_INSERT_ASCII, IDC_INSERT_HEX, this);
    CBytelonApp* pApp = BytelonApp();
    const char ch = pApp ? pApp->InsertInitialChar : 0;
    if (ch == 0)
        return true;
    const bool inText = !pApp->pCurrentView || pApp->pCurrentView->CaretInText == 1;
    CEdit& box = inText ? static_cast<CEdit&>(Pair.AsciiBox) : static_cast<CEdit&>(Pair.HexBox);
    // The character may arrive before or after the box restores its selection
    // on gaining the focus; either way the caret ends up just after it.
    if (inText) {
        Pair.AsciiBox.SelStart = Pair.AsciiBox.SelEnd = 1;
    } else {
        Pair.HexBox.SelStart = Pair.HexBox.SelEnd = 1;
        box.SetFocus();
    }
    // Posted, so it is handled as a typed character once the dialog runs.
    const QString text(QChar(char16_t((unsigned char)ch)));
    QCoreApplication::postEvent(box.GetControl(), new QKeyEvent(QEvent::KeyPress, 0, Qt::NoModifier, text));
    return inText;
}

void CInsertDlg::OnOK()
{
    if (Pair.HexToAscii()) {
        AfxMessageBox(IDS_HEX_FORMAT_ERROR);
        Pair.HexBox.SetFocus();
        return;
    }
    CDialog::OnOK();
}
