#include "search/AsciiBox.h"

#include "search/HexAsciiPair.h"

bool CAsciiBox::OnKeyUp(UINT)
{
    if (pOwner)
        pOwner->AsciiToHex();
    return true;
}

void CAsciiBox::OnSetFocus()
{
    SetSel(SelStart, SelEnd);
}
