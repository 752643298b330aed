#include "view/GotoDlg.h"

#include "app/BytelonApp.h"
#include "framework/MDIFrameWnd.h"
#include "framework/MessageBox.h"
#include "res/Resource.h"

namespace {
constexpr int MaxAddressChars = 10;
constexpr unsigned long long MaxAddress = 0x7FFFFFFF;
}  // namespace

// Without a parent the main window owns the dialog, as the framework does.
CGotoDlg::CGotoDlg(QWidget* pParent) : CDialog(IDD_GOTO, pParent ? pParent : AfxGetMainWnd()) {}

CGotoDlg::~CGotoDlg() = default;

bool CGotoDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    AddressBox.SubclassDlgItem(IDC_ADDRESS, this);
    AddressBox.LimitText(MaxAddressChars);
    AddressBox.SetFocus();
    return true;
}

unsigned long long CGotoDlg::ReadAddress(const QString& text, bool hex)
{
    // What "%10lx" and "%10lu" read from the zero-padded entry.
    unsigned long long value = 0;
    for (int i = 0; i < text.size() && i < MaxAddressChars; ++i) {
        const char16_t c = text.at(i).unicode();
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        if (digit < 0)
            break;
        value = value * (hex ? 16 : 10) + unsigned(digit);
    }
    return value;
}

void CGotoDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_ADDRESS, AddressText);
    DDV_MaxChars(pDX, AddressText, MaxAddressChars);
    if (!pDX->SaveAndValidate)
        return;
    // An empty entry becomes ten zeros: offset 0.
    while (AddressText.size() < MaxAddressChars)
        AddressText.prepend(QLatin1Char('0'));
    Address = 0;
    const CBytelonApp* pApp = BytelonApp();
    const unsigned long long value = ReadAddress(AddressText, pApp ? pApp->HexAddressBase != 0 : true);
    if (value > MaxAddress) {
        AfxMessageBox(QStringLiteral("Please enter a Hex number between 0 and 7FFFFFFF"));
        pDX->Fail();
    }
    Address = int(value);
}
