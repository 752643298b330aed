#include "app/MainFrame.h"

#include "app/BytelonApp.h"
#include "framework/DC.h"
#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/MDIChildWnd.h"
#include "framework/StringTable.h"
#include "framework/View.h"
#include "res/Resource.h"
#include "view/ColumnBox.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace {
const UINT Indicators[] = {0, 0, ID_INDICATOR_CAPS, ID_INDICATOR_NUM};
const QString Options = QStringLiteral("Options");
}  // namespace

void SetMainStatusText(int pane, const QString& text, bool update)
{
    if (CMDIFrameWnd* pFrame = AfxGetMainWnd()) {
        if (CStatusBar* pBar = pFrame->GetStatusBar())
            pBar->SetPaneText(pane, text, update);
    }
}

CMainFrame::CMainFrame() : StatusBar(this), ToolBar(this)
{
    CWinApp* pApp = AfxGetApp();
    X = pApp->GetProfileInt(Options, QStringLiteral("X"), 0);
    Y = pApp->GetProfileInt(Options, QStringLiteral("Y"), 0);
    CX = pApp->GetProfileInt(Options, QStringLiteral("CX"), 0);
    CY = pApp->GetProfileInt(Options, QStringLiteral("CY"), 0);
}

CMainFrame::~CMainFrame()
{
    if (CWinApp* pApp = AfxGetApp()) {
        pApp->WriteProfileInt(Options, QStringLiteral("X"), X);
        pApp->WriteProfileInt(Options, QStringLiteral("Y"), Y);
        pApp->WriteProfileInt(Options, QStringLiteral("CX"), CX);
        pApp->WriteProfileInt(Options, QStringLiteral("CY"), CY);
    }
}

int CMainFrame::OnCreate()
{
    if (CMDIFrameWnd::OnCreate() == -1)
        return -1;

    ToolBar.setObjectName(QStringLiteral("ToolBar"));
    ToolBar.setWindowTitle(QStringLiteral("Toolbar"));
    if (!LoadToolBar(&ToolBar, IDR_MAINFRAME))
        return -1;
    ToolBar.setMovable(true);
    ToolBar.setFloatable(true);
    ToolBar.setAllowedAreas(Qt::AllToolBarAreas);
    addToolBar(Qt::TopToolBarArea, &ToolBar);

    StatusBar.setObjectName(QStringLiteral("StatusBar"));
    if (!StatusBar.SetIndicators(Indicators, int(std::size(Indicators))))
        return -1;
    SetStatusBar(&StatusBar);
    StatusBar.SetPaneName(1, QStringLiteral("Caret address"));
    StatusBar.SetPaneText(0, AfxLoadString(AFX_IDS_IDLEMESSAGE));
    // Pane 1 holds a ten-digit caret address.
    {
        CClientDC dc(&StatusBar);
        StatusBar.SetPaneInfo(1, 0, SBPS_NORMAL, dc.GetTextExtent(QStringLiteral("1555555555")).width());
    }

    if (const std::optional<QRect> placement = StoredPlacement()) {
        // The stored size is the window's own size, which the platform's frame then surrounds.
        move(placement->topLeft());
        resize(placement->size());
    } else {
        resize(900, 650);
    }
    return 0;
}

std::optional<QRect> CMainFrame::StoredPlacement() const
{
    if (CX <= 0 || CY <= 0)
        return std::nullopt;
    // Stored numbers may be anything: the edges are summed in 64 bits.
    const long long left = X;
    const long long top = Y;
    const long long right = left + CX;
    const long long bottom = top + CY;
    for (const QScreen* pScreen : QGuiApplication::screens()) {
        const QRect area = pScreen->availableGeometry();
        if (area.isEmpty())
            continue;
        const long long areaRight = (long long)area.x() + area.width();
        const long long areaBottom = (long long)area.y() + area.height();
        if (right <= area.x() || left >= areaRight || bottom <= area.y() || top >= areaBottom)
            continue;
        // On the first screen it reaches, no larger than the free area and all on it.
        const int width = int(std::min<long long>(CX, area.width()));
        const int height = int(std::min<long long>(CY, area.height()));
        return QRect(int(std::clamp<long long>(left, area.x(), areaRight - width)),
                     int(std::clamp<long long>(top, area.y(), areaBottom - height)), width, height);
    }
    // A rectangle left on a screen that is gone would put the window out of reach.
    return std::nullopt;
}

void CMainFrame::OnSize(UINT type, int cx, int cy)
{
    // A minimised or maximised window keeps the rectangle it had before.
    if (type == 0 && !isMinimized() && !isMaximized() && !isFullScreen()) {
        CX = cx;
        CY = cy;
    }
}

void CMainFrame::OnMove(int x, int y)
{
    if (!isMinimized() && !isMaximized() && !isFullScreen()) {
        X = x;
        Y = y;
    }
}

void CMainFrame::OnClose()
{
    CBytelonApp* pApp = BytelonApp();
    if (pApp && pApp->pColumnBox) {
        CColumnBox* pBox = pApp->pColumnBox;
        pApp->pColumnBox = nullptr;
        pBox->DestroyWindow();
    }
    CMDIFrameWnd::OnClose();
}

void CMainFrame::On_Window_Close_All()
{
    // Each window is closed as if by its close box; the walk takes the next
    // document and view before each close, so it survives windows that go.
    for (const auto& pTemplate : AfxGetApp()->GetDocTemplates()) {
        const auto documents = pTemplate->GetDocuments();
        for (CDocument* pDocument : documents) {
            const auto& open = pTemplate->GetDocuments();
            if (std::find(open.begin(), open.end(), pDocument) == open.end())
                continue;
            const auto views = pDocument->GetViews();
            for (CView* pView : views) {
                if (CMDIChildWnd* pFrame = pView->GetParentFrame())
                    pFrame->close();
            }
        }
    }
}

bool CMainFrame::OnCmdMsg(UINT id, CCmdUI* pCmdUI)
{
    return DispatchCommandMap<CMainFrame>(this, {{ID_WINDOW_CLOSE_ALL, &CMainFrame::On_Window_Close_All, nullptr}},
                                          id, pCmdUI)
           || CMDIFrameWnd::OnCmdMsg(id, pCmdUI);
}
