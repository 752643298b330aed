#include "view/AddressBox.h"

#include "app/BytelonApp.h"

bool CAddressBox::OnChar(UINT ch)
{
    // Qt reports the Delete key with this character; it is an editing key, not a character.
    if (ch == 0x7F || ch == 8 || (ch >= '0' && ch <= '9'))
        return true;
    const CBytelonApp* pApp = BytelonApp();
    const bool hex = pApp ? pApp->HexAddressBase != 0 : true;
    return hex && ((ch >= 'A' && ch <= 'F') || (ch >= 'a' && ch <= 'f'));
}
