#include "view/BytelonView.h"

#include "app/BytelonApp.h"
#include "framework/DC.h"
#include "framework/FontDialog.h"
#include "framework/MDIFrameWnd.h"
#include "framework/MessageBox.h"
#include "framework/VirtualKeys.h"
#include "framework/WinApp.h"
#include "view/ColumnsDlg.h"
#include "view/PreparedDC.h"

#include <new>

void CBytelonView::Change_Font()
{
    const int saved = CaretOffset();
    CFontDialog dialog(&LogFont,
                       CF_SCREENFONTS | CF_PRINTERFONTS | CF_INITTOLOGFONTSTRUCT | CF_ANSIONLY | CF_FIXEDPITCHONLY
                           | CF_FORCEFONTEXIST | CF_LIMITSIZE,
                       AfxGetMainWnd());
    dialog.Request.SizeMin = 3;
    dialog.Request.SizeMax = 36;
    dialog.Request.LogPixelsY = logicalDpiY();
    if (dialog.DoModal() == IDOK) {
        // Whole points, the weight chosen, upright, and the rest as a new view has it.
        const LOGFONT chosen = LogFont;
        int pixelsPerInch = 0;
        {
            CClientDC dc(viewport());
            pixelsPerInch = dc.GetDeviceCaps(LOGPIXELSY);
        }
        LogFont = LOGFONT();
        LogFont.lfHeight = -MulDiv(dialog.GetSize() / 10, pixelsPerInch, 72);
        LogFont.lfWeight = chosen.lfWeight;
        LogFont.lfPitchAndFamily = FIXED_PITCH;
        LogFont.lfFaceName = chosen.lfFaceName;

        Font.reset(new (std::nothrow) CFont);
        if (!Font) {
            AfxMessageBox(QStringLiteral("Failed to allocate CFont in Change_Font()"));
            return;
        }
        if (!Font->CreateFontIndirect(&LogFont)) {
            Font.reset();
            AfxMessageBox(QStringLiteral("Failed to CreateFontIndirect() in Change_Font()"));
            return;
        }
        OnInitialUpdate();
        // The caret is made again with the new font's height.
        OnSetFocus();
        {
            CPreparedDC dc(this);
            ScrollTo(saved, 0, dc);
            SetCaretToOffset(saved, dc);
        }
        Invalidate(true);
        UpdateWindow();
    }
    ShiftDown = AfxIsKeyDown(VK_SHIFT) ? 1 : 0;
}

void CBytelonView::SetAddressBase(int hex)
{
    const int saved = CaretOffset();
    if (CBytelonApp* pApp = BytelonApp())
        pApp->HexAddressBase = hex;
    HexAddress = hex;
    CPreparedDC dc(this);
    SetWinPos(dc);
    ScrollTo(saved, 0, dc);
    SetCaretToOffset(saved, dc);
    Invalidate(true);
    UpdateWindow();
}

void CBytelonView::SetBytesPerLine(int n)
{
    if (n <= 1)
        n = 1;
    if (n >= 64)
        n = 64;
    const int saved = CaretOffset();
    BytesPerLine = n;
    if (CBytelonApp* pApp = BytelonApp())
        pApp->CharPerLine = n;
    CPreparedDC dc(this);
    // The resize that follows recounts the lines for the new line length.
    SetWinPos(dc);
    ScrollTo(saved, 0, dc);
    SetCaretToOffset(saved, dc);
    Invalidate(true);
    UpdateWindow();
}

void CBytelonView::DataColumns()
{
    CColumnsDlg dialog;
    dialog.Columns = BytesPerLine;
    if (dialog.DoModal() == IDOK)
        SetBytesPerLine(dialog.Columns);
}

void CBytelonView::On_View_Address_Base_10()
{
    SetAddressBase(0);
}

void CBytelonView::On_View_Address_Base_16()
{
    SetAddressBase(1);
}

void CBytelonView::OnUpdate_View_Address_Base_10(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(true);
    pCmdUI->SetCheck(HexAddress == 0 ? 1 : 0);
}

void CBytelonView::OnUpdate_View_Address_Base_16(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(true);
    pCmdUI->SetCheck(HexAddress);
}
