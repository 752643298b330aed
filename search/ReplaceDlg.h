#pragma once
// The modeless Replace dialog, owned by the application object: finds,
// replaces the selection, or arms Replace All, which the application's idle
// processing then carries out one occurrence at a time.

#include "framework/Dialog.h"
#include "search/HexAsciiPair.h"

class CReplaceDlg : public CDialog {
    Q_OBJECT
public:
    // Creates the window; says so when that fails (see Created).
    CReplaceDlg();
    ~CReplaceDlg() override;

    [[nodiscard]] bool Created() const { return WindowCreated; }

    void DoDataExchange(CDataExchange* pDX) override;
    bool OnInitDialog() override;
    void OnCancel() override;
    void OnClose() override;
    void PostNcDestroy() override;
    bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override;

    void OnFindNext();
    void OnReplace();
    void OnReplaceAll();

    CHexAsciiPair FindPair;
    CHexAsciiPair ReplacePair;
    // 0 "Yes", 1 "No": passed to the search as IgnoreCase.
    int CaseChoice = 1;

private:
    // Parses both hex boxes; false after reporting a format error.
    bool ValidateEntries();
    void SaveEntryTexts();

    bool WindowCreated = false;
};
