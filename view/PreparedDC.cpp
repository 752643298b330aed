#include "view/PreparedDC.h"

#include "view/BytelonView.h"

CPreparedDC::CPreparedDC(CBytelonView* pView) : DC(pView->viewport()), pOldFont(nullptr)
{
    pView->OnPrepareDC(&DC);
    pOldFont = DC.SelectObject(pView->Font.get());
}

CPreparedDC::~CPreparedDC()
{
    DC.SelectObject(pOldFont);
}
