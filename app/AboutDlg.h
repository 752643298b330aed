#pragma once
// The About box: product, version, notice, contact lines and the logo button.

#include "framework/BitmapButton.h"
#include "framework/Dialog.h"

class CAboutDlg : public CDialog {
    Q_OBJECT
public:
    CAboutDlg();
    bool OnInitDialog() override;

    CBitmapButton Logo;
};
