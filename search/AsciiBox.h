#pragma once
// The text box of an entry pair: every release of a key regenerates the
// pair's hex box from it.

#include "framework/Edit.h"

class CHexAsciiPair;

class CAsciiBox : public CEdit {
    Q_OBJECT
public:
    CAsciiBox() = default;

    bool OnKeyUp(UINT vk) override;
    void OnSetFocus() override;

    // The selection restored when the box gains the focus.
    int SelStart = 0;
    int SelEnd = 0;
    CHexAsciiPair* pOwner = nullptr;
};
