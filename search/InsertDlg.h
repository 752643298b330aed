#pragma once
// The modal Insert dialog: a byte string typed as text or as hex codes,
// opened with the character that was typed into the view, if any.

#include "framework/Dialog.h"
#include "search/HexAsciiPair.h"

class CInsertDlg : public CDialog {
    Q_OBJECT
public:
    explicit CInsertDlg(QWidget* pParent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;

    CHexAsciiPair Pair;
};
