#include "view/BytelonView.h"

#include "app/BytelonApp.h"
#include "doc/BytelonDoc.h"
#include "framework/DC.h"
#include "framework/MDIChildWnd.h"
#include "framework/MessageBox.h"
#include "framework/StringTable.h"
#include "res/Resource.h"
#include "view/AccessibleView.h"
#include "view/PreparedDC.h"

#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <new>

namespace {
// The platform's border width, as the caret and frame sizes use it.
constexpr int SystemBorderWidth = 1;
}  // namespace

CBytelonView::CBytelonView()
{
    InstallAccessibleViewFactory();
    CBytelonApp* pApp = BytelonApp();
    HexAddress = pApp ? pApp->HexAddressBase : 1;
    BytesPerLine = pApp ? pApp->CharPerLine : 8;

    LogFont.lfHeight = -MulDiv(10, logicalDpiY(), 72);
    LogFont.lfWeight = FW_NORMAL;
    LogFont.lfPitchAndFamily = FIXED_PITCH;
    LogFont.lfFaceName = QStringLiteral("Courier");

    Font.reset(new (std::nothrow) CFont);
    if (!Font) {
        AfxMessageBox(QStringLiteral("Failed to allocate CFont in CBytelonVIew constructor"));
    } else if (!Font->CreateFontIndirect(&LogFont)) {
        Font.reset();
        AfxMessageBox(QStringLiteral("Failed to CreateFontIndirect() in CBytelonView constructor"));
    }
}

CBytelonView::~CBytelonView()
{
    DestroyView();
}

void CBytelonView::OnDestroy()
{
    // The view focused before this one takes its place.
    if (CBytelonApp* pApp = BytelonApp()) {
        pApp->ReplaceAllViewGoing(this);
        if (pApp->pCurrentView == this) {
            pApp->pCurrentView = pApp->pPreviousView;
            pApp->pPreviousView = nullptr;
        } else if (pApp->pPreviousView == this) {
            pApp->pPreviousView = nullptr;
        }
    }
}

CBytelonDoc* CBytelonView::GetDocument() const
{
    return static_cast<CBytelonDoc*>(CView::GetDocument());
}

void CBytelonView::EndReplaceAllPass()
{
    if (CBytelonDoc* pDocument = GetDocument())
        pDocument->EndReplaceAllPass();
}

int CBytelonView::DocLength() const
{
    const CBytelonDoc* pDocument = GetDocument();
    return pDocument ? pDocument->DocLen : 0;
}

int CBytelonView::AddressX() const
{
    return int(2 * CharWidth);
}

int CBytelonView::HexColumnX() const
{
    return int(float(AddressWidth() + 5) * CharWidth);
}

int CBytelonView::TextPaneX() const
{
    return int(float(AddressWidth() + 3 * BytesPerLine + 5) * CharWidth);
}

int CBytelonView::TextColumnX() const
{
    return int(float(AddressWidth() + 3 * BytesPerLine + 7) * CharWidth);
}

void CBytelonView::OnPrepareDC(CDC* pDC, CPrintInfo* pInfo)
{
    CView::OnPrepareDC(pDC, pInfo);
    pDC->SetMapMode(pDC->IsPrinting() ? MM_LOENGLISH : MM_TEXT);
    pDC->SetBkMode(TRANSPARENT);
    CFontSelection select(pDC, Font.get());
    TEXTMETRIC metrics;
    if (pDC->GetTextMetrics(&metrics) && metrics.tmHeight > 0) {
        LineHeight = metrics.tmHeight;
        CaretHeight = metrics.tmHeight;
        IsTrueType = (metrics.tmPitchAndFamily & TMPF_TRUETYPE) ? 1 : 0;
    }
    // The average of 32 characters keeps the fraction of the cell width.
    const int width = pDC->GetTextExtent(AfxLoadString(IDS_MEASURE_STRING)).width();
    if (width > 0)
        CharWidth = float(width) * 0.03125F;
    YDirection = pDC->IsPrinting() ? -1 : 1;
}

void CBytelonView::SetLinesPerScreen(CDC* pDC)
{
    if (!pDC) {
        AfxMessageBox(QStringLiteral("Error:  pDC==NULL in SetLinesPerScreen()"));
        return;
    }
    QRect client = GetClientRect();
    pDC->DPtoLP(&client);
    int lines = (client.height() - 6) * YDirection / LineHeight - 1;
    if (16384 / BytesPerLine < lines)
        lines = 16384 / BytesPerLine;
    LinesPerScreen = lines < 1 ? 1 : lines;
}

void CBytelonView::SetWinPos(CDC* pDC)
{
    if (!pDC) {
        AfxMessageBox(QStringLiteral("Error:  pDC==NULL in SetWinPos()"));
        return;
    }
    CMDIChildWnd* pFrame = GetParentFrame();
    if (!pFrame)
        return;
    QPoint content(int(float(AddressWidth() + 4 * BytesPerLine + 9) * CharWidth), 0);
    QPoint origin(0, 0);
    pDC->LPtoDP(&content);
    pDC->LPtoDP(&origin);
    const int scrollBarWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalScrollBar());
    const int width = (content.x() - origin.x()) + 2 * SystemBorderWidth + scrollBarWidth;
    // A maximized window keeps its size, so no resize recounts the lines: as if it had been resized.
    if (!pFrame->SetViewWidth(width))
        OnSize(pFrame->isMinimized() ? SIZE_MINIMIZED : SIZE_MAXIMIZED, viewport()->width(), viewport()->height());
}

void CBytelonView::OnInitialUpdate()
{
    CPreparedDC dc(this);
    SetWinPos(dc);
    SetLinesPerScreen(dc);
    TopOffset = 0;
    ScrollTo(0, -1, dc);
}

void CBytelonView::OnUpdate(CView* pSender, long, void*)
{
    // Another window changed the document: this one's lines, caret and
    // selection are brought back inside it, so nothing is done past its end.
    // The caret stays before its byte, or comes to the new end: where it
    // ends up does not depend on how many edits made the change.
    if (pSender != this) {
        const int docLen = DocLength();
        const int caret = std::min(CaretOffset(), docLen);
        const bool wasEmpty = SelAnchor == SelEnd;
        SelAnchor = std::min(SelAnchor, docLen);
        SelEnd = SelShownEnd = std::min(SelEnd, docLen);
        // A selection that lay wholly past the new end is gone.
        if (!wasEmpty && SelAnchor == SelEnd)
            SelActive = 0;
        CPreparedDC dc(this);
        ScrollTo(TopOffset, -1, dc);
        SetCaretToOffset(caret, dc);
    }
    AccessibleLinesChanged();
    Invalidate(true);
}

void CBytelonView::On_Edit_Select_All()
{
    SelectAll();
}

void CBytelonView::OnUpdate_Edit_Select_All(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(DocLength() > 0);
}

bool CBytelonView::OnCmdMsg(UINT id, CCmdUI* pCmdUI)
{
    return DispatchCommandMap<CBytelonView>(
               this,
               {
                   {ID_EDIT_SELECT_ALL, &CBytelonView::On_Edit_Select_All, &CBytelonView::OnUpdate_Edit_Select_All},
                   {ID_FILE_SAVE_SELECTION_AS, &CBytelonView::On_File_Save_Selection_As,
                    &CBytelonView::OnUpdate_File_Save_Selection_As},
                   {ID_FILE_INSERT_FROM_FILE, &CBytelonView::On_File_Insert_From_File, nullptr},
                   {ID_EDIT_COPY, &CBytelonView::On_Edit_Copy, &CBytelonView::OnUpdate_Edit_Copy},
                   {ID_EDIT_CUT, &CBytelonView::On_Edit_Cut, &CBytelonView::OnUpdate_Edit_Cut},
                   {ID_EDIT_PASTE, &CBytelonView::On_Edit_Paste, &CBytelonView::OnUpdate_Edit_Paste},
                   {ID_EDIT_INSERT, &CBytelonView::On_Edit_Insert, nullptr},
                   {ID_SEARCH_FIND, &CBytelonView::On_Search_Find, &CBytelonView::OnUpdate_Search_Find},
                   {ID_SEARCH_REPLACE, &CBytelonView::On_Search_Replace, &CBytelonView::OnUpdate_Search_Replace},
                   {ID_SEARCH_GOTO, &CBytelonView::GotoAddress, nullptr},
                   {ID_VIEW_FONT, &CBytelonView::Change_Font, nullptr},
                   {ID_VIEW_ADDRESS_BASE_10, &CBytelonView::On_View_Address_Base_10,
                    &CBytelonView::OnUpdate_View_Address_Base_10},
                   {ID_VIEW_ADDRESS_BASE_16, &CBytelonView::On_View_Address_Base_16,
                    &CBytelonView::OnUpdate_View_Address_Base_16},
                   {ID_VIEW_DATA_COLUMNS, &CBytelonView::DataColumns, nullptr},
               },
               id, pCmdUI)
           || CView::OnCmdMsg(id, pCmdUI);
}
