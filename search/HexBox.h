#pragma once
// The hex box of an entry pair: takes only hex digits, blanks and
// backspace; every release of a key reparses it and regenerates the pair's
// text box. Its end clears the message pane.

#include "framework/Edit.h"

class CHexAsciiPair;

class CHexBox : public CEdit {
    Q_OBJECT
public:
    CHexBox() = default;
    ~CHexBox() override;

    bool OnChar(UINT ch) override;
    bool OnKeyUp(UINT vk) override;
    void OnSetFocus() override;

    // The selection restored when the box gains the focus.
    int SelStart = 0;
    int SelEnd = 0;
    CHexAsciiPair* pOwner = nullptr;
};
