#include "view/BytelonView.h"

#include "view/PreparedDC.h"

// The search selected the occurrence in the document as it then was; the
// replacement deleted it and inserted the new bytes in its place.
void CBytelonView::ShowReplaceAllStep(int at, int found, int inserted)
{
    const int length = DocLength();
    SelectOccurrence(at, at + found, false, length - inserted + found);
    SelActive = 0;
    CPreparedDC dc(this);
    ShowReplacement(at, found, inserted, dc);
}
