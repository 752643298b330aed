#include "search/HexBox.h"

#include "app/MainFrame.h"
#include "search/HexAsciiPair.h"

CHexBox::~CHexBox()
{
    SetMainStatusText(0, QString());
}

bool CHexBox::OnChar(UINT ch)
{
    return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F') || (ch >= 'a' && ch <= 'f') || ch == ' '
           || ch == 8;
}

bool CHexBox::OnKeyUp(UINT)
{
    if (pOwner)
        pOwner->HexToAscii();
    return true;
}

void CHexBox::OnSetFocus()
{
    SetSel(SelStart, SelEnd);
}
