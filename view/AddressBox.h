#pragma once
// The Goto Address entry: takes only the digits of the address radix last
// chosen in any view, and Backspace.

#include "framework/Edit.h"

class CAddressBox : public CEdit {
    Q_OBJECT
public:
    bool OnChar(UINT ch) override;
};
