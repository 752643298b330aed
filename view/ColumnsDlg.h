#pragma once
// Number of Data Columns: asks for the bytes shown per line, 1 to 64.

#include "framework/Dialog.h"

class CColumnsDlg : public CDialog {
    Q_OBJECT
public:
    explicit CColumnsDlg(QWidget* pParent = nullptr);
    ~CColumnsDlg() override;
    void DoDataExchange(CDataExchange* pDX) override;

    // Set by the caller before the dialog runs; the entry after OK.
    int Columns = 0;
};
