#include "view/BytelonView.h"

#include "framework/Afx.h"
#include "view/GotoDlg.h"
#include "view/PreparedDC.h"

void CBytelonView::GotoAddress()
{
    EndReplaceAllPass();
    CGotoDlg dialog;
    if (dialog.DoModal() != IDOK)
        return;
    CPreparedDC dc(this);
    // DocLen itself is the place after the last byte.
    int address = dialog.Address;
    if (address > DocLength())
        address = DocLength();
    SyncSelectionWithShift(dc);
    ScrollTo(address, 0, dc);
    SetCaretToOffset(address, dc);
    ExtendSelection(dc);
}
