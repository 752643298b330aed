#include "framework/View.h"

#include "framework/AfxRes.h"
#include "framework/DC.h"
#include "framework/Document.h"
#include "framework/MDIChildWnd.h"
#include "framework/PrintInfo.h"
#include "framework/StatusBar.h"
#include "framework/VirtualKeys.h"

#include <QApplication>
#include <QRegion>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

CView::CView()
{
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    viewport()->setPalette(palette);
    viewport()->setAutoFillBackground(true);
    viewport()->setMouseTracking(true);
    QScrollBar* pBar = verticalScrollBar();
    pBar->setRange(0, 0);
    pBar->setTracking(false);
    connect(pBar, &QAbstractSlider::actionTriggered, this, &CView::OnScrollAction);
    connect(pBar, &QAbstractSlider::sliderReleased, this, &CView::OnScrollReleased);
    connect(&CaretTimer, &QTimer::timeout, this, &CView::ToggleCaretBlink);
}

CView::~CView()
{
    DestroyView();
}

void CView::DestroyView()
{
    if (Destroyed)
        return;
    Destroyed = true;
    CaretTimer.stop();
    OnDestroy();
    if (pDocument)
        pDocument->RemoveView(this);
}

void CView::OnDestroy() {}

CMDIChildWnd* CView::GetParentFrame() const
{
    for (QWidget* p = parentWidget(); p; p = p->parentWidget()) {
        if (auto* pFrame = dynamic_cast<CMDIChildWnd*>(p))
            return pFrame;
    }
    return nullptr;
}

void CView::OnInitialUpdate()
{
    OnUpdate(nullptr, 0, nullptr);
}

void CView::OnUpdate(CView*, long, void*)
{
    Invalidate(true);
}

void CView::OnPrepareDC(CDC*, CPrintInfo* pInfo)
{
    // A view that has not counted its pages prints one.
    if (pInfo && pInfo->GetMaxPage() == CPrintInfo::UnknownPageCount)
        pInfo->Continuing = pInfo->CurPage == 1;
}

bool CView::OnPreparePrinting(CPrintInfo*)
{
    return false;
}

void CView::OnBeginPrinting(CDC*, CPrintInfo*) {}

void CView::OnPrint(CDC* pDC, CPrintInfo*)
{
    OnDraw(pDC);
}

void CView::OnEndPrinting(CDC*, CPrintInfo*) {}

void CView::OnKeyDown(UINT) {}
void CView::OnKeyUp(UINT) {}
void CView::OnChar(UINT) {}
void CView::OnSetFocus() {}
void CView::OnKillFocus() {}
void CView::OnLButtonDown(QPoint) {}
void CView::OnMouseMove(QPoint) {}
void CView::OnLButtonUp(QPoint) {}

bool CView::OnSetCursor()
{
    return false;
}

void CView::OnVScroll(UINT, UINT) {}
void CView::OnMouseWheel(Qt::KeyboardModifiers, QPoint, QPoint) {}
void CView::OnSize(UINT, int, int) {}

bool CView::OnCmdMsg(UINT id, CCmdUI* pCmdUI)
{
    return DispatchCommandMap<CView>(this,
                                     {
                                         {ID_FILE_PRINT, &CView::OnFilePrint, nullptr},
                                         {ID_FILE_PRINT_PREVIEW, &CView::OnFilePrintPreview, nullptr},
                                     },
                                     id, pCmdUI);
}

void CView::Invalidate(bool)
{
    viewport()->update();
}

void CView::InvalidateRect(const QRect& rect, bool)
{
    viewport()->update(rect);
}

void CView::UpdateWindow()
{
    if (!viewport()->isVisible())
        return;
    // Paints what is invalid now, not the whole window: Qt keeps the pending
    // regions with the top-level window until its update request is handled.
    if (!CPaintDC::IsPainting())
        QCoreApplication::sendPostedEvents(viewport()->window(), QEvent::UpdateRequest);
}

QRect CView::GetClientRect() const
{
    return viewport()->rect();
}

QRect CView::GetWindowRect() const
{
    return QRect(mapToGlobal(QPoint(0, 0)), size());
}

void CView::ScrollWindow(int dx, int dy, const QRect& clip)
{
    // The caret is drawn over the content: the moved copy of it is repainted away.
    const bool caretShown = CaretExists && CaretVisible;
    viewport()->scroll(dx, dy, clip);
    if (caretShown) {
        viewport()->update(CaretRect().translated(dx, dy));
        viewport()->update(CaretRect());
    }
}

void CView::SetScrollRange(int minPos, int maxPos, bool)
{
    InScrollAction = true;
    QScrollBar* pBar = verticalScrollBar();
    const bool wasShown = pBar->maximum() > pBar->minimum();
    pBar->setRange(minPos, maxPos);
    InScrollAction = false;
    // Showing or hiding the bar resizes the client area now, not later, as the
    // platform the design targets does.
    if (wasShown != (maxPos > minPos)) {
        QEvent layout(QEvent::LayoutRequest);
        QCoreApplication::sendEvent(this, &layout);
    }
}

void CView::SetScrollPage(int page)
{
    InScrollAction = true;
    verticalScrollBar()->setPageStep(qMax(1, page));
    InScrollAction = false;
}

void CView::SetScrollPos(int pos, bool)
{
    InScrollAction = true;
    QScrollBar* pBar = verticalScrollBar();
    pBar->setValue(qBound(pBar->minimum(), pos, pBar->maximum()));
    pBar->setSliderPosition(pBar->value());
    InScrollAction = false;
}

int CView::GetScrollPos() const
{
    return verticalScrollBar()->value();
}

void CView::SetCapture()
{
    // The press already grabs the pointer for the view until the release.
    Captured = true;
}

void CView::ReleaseCapture()
{
    Captured = false;
}

void CView::SetCursor(const QCursor& cursor)
{
    viewport()->setCursor(cursor);
}

bool CView::HasFocus() const
{
    return hasFocus();
}

void CView::CreateSolidCaret(int width, int height)
{
    if (CaretExists)
        viewport()->update(CaretRect());
    CaretExists = true;
    CaretVisible = false;
    CaretSize = QSize(qMax(1, width), qMax(1, height));
}

void CView::SetCaretPos(QPoint position)
{
    if (position == CaretPos)
        return;
    if (CaretExists && CaretVisible)
        viewport()->update(CaretRect());
    CaretPos = position;
    CaretBlinkOn = true;
    if (CaretExists && CaretVisible)
        viewport()->update(CaretRect());
}

void CView::ShowCaret()
{
    if (!CaretExists || CaretVisible)
        return;
    CaretVisible = true;
    CaretBlinkOn = true;
    const int flash = QApplication::cursorFlashTime();
    if (flash > 0)
        CaretTimer.start(flash / 2);
    viewport()->update(CaretRect());
}

void CView::HideCaret()
{
    if (!CaretExists || !CaretVisible)
        return;
    CaretVisible = false;
    CaretTimer.stop();
    viewport()->update(CaretRect());
}

void CView::DestroyCaret()
{
    HideCaret();
    CaretExists = false;
}

QRect CView::CaretRect() const
{
    return QRect(CaretPos, CaretSize);
}

void CView::ToggleCaretBlink()
{
    CaretBlinkOn = !CaretBlinkOn;
    viewport()->update(CaretRect());
}

void CView::paintEvent(QPaintEvent* event)
{
    if (Destroyed || !pDocument)
        return;
    if (CStatusBar::IsRepaintingPane()) {
        // Painted once the operation that is showing its progress is over.
        const QRegion region = event->region();
        QMetaObject::invokeMethod(this, [this, region] { viewport()->update(region); }, Qt::QueuedConnection);
        return;
    }
    QPainter painter(viewport());
    // Regions far apart (the line a scroll uncovered, the caret's old and new
    // places) are drawn as separate bands, so a paint draws only what is
    // invalid rather than everything between. Bands do not overlap, so no
    // pixel is drawn or inverted twice.
    for (const QRect& band : PaintBands(event->region())) {
        painter.save();
        painter.setClipRect(band, Qt::IntersectClip);
        AfxCallGuarded([&] {
            CPaintDC dc(viewport(), &painter, band);
            OnPrepareDC(&dc);
            OnDraw(&dc);
        });
        painter.restore();
    }
    if (CaretExists && CaretVisible && CaretBlinkOn && hasFocus()) {
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter.fillRect(CaretRect(), Qt::black);
    }
}

std::vector<QRect> CView::PaintBands(const QRegion& region)
{
    std::vector<QRect> rects(region.begin(), region.end());
    std::sort(rects.begin(), rects.end(), [](const QRect& a, const QRect& b) { return a.top() < b.top(); });
    std::vector<QRect> bands;
    for (const QRect& rect : rects) {
        if (!bands.empty() && rect.top() <= bands.back().bottom() + 1)
            bands.back() = bands.back().united(rect);
        else
            bands.push_back(rect);
    }
    // A united band may now reach the next one: join them too.
    std::vector<QRect> merged;
    for (const QRect& band : bands) {
        if (!merged.empty() && band.top() <= merged.back().bottom() + 1)
            merged.back() = merged.back().united(band);
        else
            merged.push_back(band);
    }
    return merged;
}

void CView::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    AfxCallGuarded([&] {
        if (const UINT vk = VirtualKeyFromQt(event->key()))
            OnKeyDown(vk);
        const Qt::KeyboardModifiers modifiers = event->modifiers();
        const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
        const bool alt = modifiers.testFlag(Qt::AltModifier);
        if (alt && !ctrl)
            return;  // a menu key, not a character
        const QString text = event->text();
        for (const QChar c : text) {
            UINT ch = c.unicode();
            if (ctrl && !alt) {
                // Ctrl with a letter types that letter's control character.
                if (c.isLetter() && ch < 128)
                    ch = UINT(c.toUpper().unicode()) & 0x1F;
                else if (ch >= 0x20)
                    continue;
            }
            if (ch < 256)
                OnChar(ch);
        }
    });
}

void CView::keyReleaseEvent(QKeyEvent* event)
{
    event->accept();
    if (event->isAutoRepeat())
        return;
    AfxCallGuarded([&] {
        if (const UINT vk = VirtualKeyFromQt(event->key()))
            OnKeyUp(vk);
    });
}

void CView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    AfxCallGuarded([&] { OnSetFocus(); });
}

void CView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    AfxCallGuarded([&] { OnKillFocus(); });
}

void CView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    AfxCallGuarded([&] { OnLButtonDown(event->position().toPoint()); });
}

void CView::mouseMoveEvent(QMouseEvent* event)
{
    AfxCallGuarded([&] {
        if (viewport()->rect().contains(event->position().toPoint()))
            OnSetCursor();
        OnMouseMove(event->position().toPoint());
    });
}

void CView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    AfxCallGuarded([&] { OnLButtonUp(event->position().toPoint()); });
}

void CView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    AfxCallGuarded([&] {
        const QSize size = viewport()->size();
        UINT type = SIZE_RESTORED;
        if (CMDIChildWnd* pFrame = GetParentFrame())
            type = pFrame->isMinimized() ? SIZE_MINIMIZED : pFrame->isMaximized() ? SIZE_MAXIMIZED : SIZE_RESTORED;
        OnSize(type, size.width(), size.height());
    });
}

void CView::wheelEvent(QWheelEvent* event)
{
    // The view scrolls itself; a turn it does not use goes to no other window.
    event->accept();
    AfxCallGuarded([&] { OnMouseWheel(event->modifiers(), event->angleDelta(), event->pixelDelta()); });
}

void CView::scrollContentsBy(int, int)
{
    // The view moves itself when it handles the scroll codes.
}

bool CView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Enter)
        AfxCallGuarded([&] { OnSetCursor(); });
    return QAbstractScrollArea::viewportEvent(event);
}

bool CView::event(QEvent* event)
{
    // A turn over the scroll bar that the bar leaves alone reaches the view
    // here, where the scroll area would drop it.
    if (event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QAbstractScrollArea::event(event);
}

bool CView::focusNextPrevChild(bool)
{
    // Tab is a key of the view, not a focus move.
    return false;
}

void CView::OnScrollAction(int action)
{
    if (InScrollAction)
        return;
    QScrollBar* pBar = verticalScrollBar();
    UINT code;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
    case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
    case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
    case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
    case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
    case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
    case QAbstractSlider::SliderMove: code = SB_THUMBTRACK; break;
    default: return;
    }
    const int position = pBar->sliderPosition();
    // The view decides where the bar goes; the bar's own step is undone.
    if (code != SB_THUMBTRACK)
        pBar->setSliderPosition(pBar->value());
    else if (!pBar->isSliderDown())
        pBar->setSliderPosition(pBar->value());
    AfxCallGuarded([&] { OnVScroll(code, UINT(position)); });
}

void CView::OnScrollReleased()
{
    QScrollBar* pBar = verticalScrollBar();
    const int position = pBar->sliderPosition();
    pBar->setSliderPosition(pBar->value());
    AfxCallGuarded([&] { OnVScroll(SB_THUMBPOSITION, UINT(position)); });
}
