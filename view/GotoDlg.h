#pragma once
// Goto Address: asks for a document offset in the current address radix.

#include "framework/Dialog.h"
#include "view/AddressBox.h"

#include <QString>

class CGotoDlg : public CDialog {
    Q_OBJECT
public:
    explicit CGotoDlg(QWidget* pParent = nullptr);
    ~CGotoDlg() override;
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnInitDialog() override;

    // The entry as the user reads the value of at most ten digits, stopping at
    // the first character that is not a digit of the radix.
    [[nodiscard]] static unsigned long long ReadAddress(const QString& text, bool hex);

    CAddressBox AddressBox;
    QString AddressText;
    // The offset asked for; valid after OK.
    int Address = 0;
};
