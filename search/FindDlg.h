#pragma once
// The modeless Find dialog, owned by the application object: searches the
// view that last had the focus, up or down, with or without letter case.

#include "framework/Dialog.h"
#include "search/HexAsciiPair.h"

class CFindDlg : public CDialog {
    Q_OBJECT
public:
    // Creates the window; says so when that fails (see Created).
    CFindDlg();
    ~CFindDlg() override;

    [[nodiscard]] bool Created() const { return WindowCreated; }

    void DoDataExchange(CDataExchange* pDX) override;
    bool OnInitDialog() override;
    void OnCancel() override;
    void OnClose() override;
    void PostNcDestroy() override;
    bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override;

    void OnFindNext();

    CHexAsciiPair Pair;
    // 0 "Up", 1 "Down".
    int Direction = 1;
    // 0 "Yes", 1 "No": passed to the search as IgnoreCase.
    int CaseChoice = 1;

private:
    void SaveSearchText();

    bool WindowCreated = false;
};
