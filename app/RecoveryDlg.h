#pragma once
// The question at start-up about the documents an ended program left
// unsaved: Recover (the default), Discard, or Decide Later (Escape), for
// all of them at once.

#include "framework/Dialog.h"

#include <QString>

#include <vector>

class CRecoveryDlg : public CDialog {
    Q_OBJECT
public:
    // One line of the list.
    struct CEntry {
        QString Document;
        QString Size;
        QString Changed;
    };
    explicit CRecoveryDlg(std::vector<CEntry> entries);

    bool OnInitDialog() override;
    bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override;
    // IDOK: recover; IDC_RECOVERY_DISCARD: discard; IDCANCEL: decide later.
    int DoModal() override;

    // The list as text, one document a line, for where no box can be shown.
    [[nodiscard]] QString ListText() const;

private:
    std::vector<CEntry> Entries;
};
