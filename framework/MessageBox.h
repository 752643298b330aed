#pragma once
// Every message box of the program goes through one replaceable service, so
// tests can read the texts and script the answers.

#include "framework/Afx.h"

#include <QString>

class CMessageBoxService {
public:
    virtual ~CMessageBoxService() = default;
    // Returns IDOK, IDCANCEL, IDYES or IDNO.
    virtual int Show(const QString& text, UINT type) = 0;
};

// Installs a service; nullptr restores the interactive one. Not owned.
void AfxSetMessageBoxService(CMessageBoxService* pService);
[[nodiscard]] CMessageBoxService* AfxGetMessageBoxService();
// Without a screen the interactive service prints the text and takes the
// neutral answer; a test that answers boxes itself turns real boxes back on.
void AfxShowBoxesWithoutScreen(bool show);
// Whether a box shown now can be seen and answered: not without a screen,
// unless boxes are shown there all the same.
[[nodiscard]] bool AfxCanShowBoxes();

int AfxMessageBox(const QString& text, UINT type = MB_OK);
// The answer that changes nothing: Cancel, No, or OK for a box without a choice.
[[nodiscard]] int AfxNeutralAnswer(UINT type);
// The text comes from the string table.
int AfxMessageBox(UINT idString, UINT type = MB_OK);
