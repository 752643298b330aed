#include "framework/DC.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QWidget>

#include <cmath>

CDC::CDC(QPaintDevice* pDevice, QPainter* pPainter, bool printing)
    : pDevice(pDevice), pPainter(pPainter), Printing(printing)
{
    if (pDevice)
        DeviceClip = QRect(0, 0, pDevice->width(), pDevice->height());
}

CDC::~CDC() = default;

int CDC::SetMapMode(int mode)
{
    const int old = MapMode;
    MapMode = mode;
    ApplyFont();
    return old;
}

int CDC::SetBkMode(int mode)
{
    const int old = BkMode;
    BkMode = mode;
    if (pPainter)
        pPainter->setBackgroundMode(mode == TRANSPARENT ? Qt::TransparentMode : Qt::OpaqueMode);
    return old;
}

CFont* CDC::SelectObject(CFont* pNewFont)
{
    CFont* old = pFont;
    pFont = (pNewFont && pNewFont->IsCreated()) ? pNewFont : nullptr;
    ApplyFont();
    return old;
}

void CDC::ApplyFont()
{
    if (pPainter)
        pPainter->setFont(CurrentQFont());
}

double CDC::ScaleX() const
{
    if (MapMode == MM_LOENGLISH && pDevice)
        return pDevice->logicalDpiX() / 100.0;
    return 1.0;
}

double CDC::ScaleY() const
{
    if (MapMode == MM_LOENGLISH && pDevice)
        return pDevice->logicalDpiY() / 100.0;
    return 1.0;
}

QFont CDC::CurrentQFont() const
{
    if (pFont)
        return pFont->MakeQFont(ScaleY());
    if (auto* pWidget = dynamic_cast<QWidget*>(pDevice))
        return pWidget->font();
    return QFont();
}

bool CDC::GetTextMetrics(TEXTMETRIC* pMetrics) const
{
    if (!pMetrics)
        return false;
    const QFont font = CurrentQFont();
    const QFontMetricsF metrics(font, pDevice);
    const double sy = ScaleY();
    const double sx = ScaleX();
    pMetrics->tmHeight = LONG(std::lround(metrics.height() / sy));
    pMetrics->tmAscent = LONG(std::lround(metrics.ascent() / sy));
    pMetrics->tmDescent = LONG(std::lround(metrics.descent() / sy));
    pMetrics->tmInternalLeading = 0;
    pMetrics->tmExternalLeading = LONG(std::lround(metrics.leading() / sy));
    pMetrics->tmAveCharWidth = LONG(std::lround(metrics.averageCharWidth() / sx));
    pMetrics->tmMaxCharWidth = LONG(std::lround(metrics.maxWidth() / sx));
    pMetrics->tmWeight = font.weight();
    pMetrics->tmItalic = font.italic() ? 1 : 0;
    const QFontInfo info(font);
    BYTE pitch = info.fixedPitch() ? 0 : TMPF_FIXED_PITCH;  // the bit is set for variable pitch
    if (QFontDatabase::isScalable(info.family(), info.styleName()))
        pitch |= TMPF_VECTOR | TMPF_TRUETYPE;
    pMetrics->tmPitchAndFamily = pitch;
    return true;
}

QSize CDC::GetTextExtent(const QString& text) const
{
    const QFontMetricsF metrics(CurrentQFont(), pDevice);
    return QSize(int(std::lround(metrics.horizontalAdvance(text) / ScaleX())),
                 int(std::lround(metrics.height() / ScaleY())));
}

int CDC::GetDeviceCaps(int index) const
{
    if (!pDevice)
        return 0;
    switch (index) {
    case HORZRES: return pDevice->width();
    case VERTRES: return pDevice->height();
    case LOGPIXELSX: return pDevice->logicalDpiX();
    case LOGPIXELSY: return pDevice->logicalDpiY();
    default: return 0;
    }
}

bool CDC::TextOut(int x, int y, const QString& text)
{
    if (!pPainter)
        return false;
    QPoint p(x, y);
    LPtoDP(&p);
    const QFontMetricsF metrics(pPainter->font(), pDevice);
    pPainter->drawText(QPointF(p.x(), p.y() + metrics.ascent()), text);
    return true;
}

bool CDC::TextOutCells(int x, int y, const QString& text, float cellWidth)
{
    if (!pPainter)
        return false;
    const QFontMetricsF metrics(pPainter->font(), pDevice);
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char(' '))
            continue;
        QPoint p(x + int(float(i) * cellWidth), y);
        LPtoDP(&p);
        pPainter->drawText(QPointF(p.x(), p.y() + metrics.ascent()), QString(c));
    }
    return true;
}

QPoint CDC::MoveTo(int x, int y)
{
    const QPoint old = CurrentPosition;
    CurrentPosition = QPoint(x, y);
    return old;
}

bool CDC::LineTo(int x, int y)
{
    QPoint from = CurrentPosition;
    QPoint to(x, y);
    CurrentPosition = to;
    if (!pPainter)
        return false;
    LPtoDP(&from);
    LPtoDP(&to);
    // The end point itself is not drawn, as on the platform the design targets.
    if (from.x() == to.x()) {
        if (from.y() == to.y())
            return true;
        const int step = to.y() > from.y() ? 1 : -1;
        to.ry() -= step;
    } else if (from.y() == to.y()) {
        const int step = to.x() > from.x() ? 1 : -1;
        to.rx() -= step;
    }
    pPainter->drawLine(from, to);
    return true;
}

QRect CDC::ToDevice(const QRect& rect) const
{
    QPoint a = rect.topLeft();
    QPoint b(rect.left() + rect.width(), rect.top() + rect.height());
    LPtoDP(&a);
    LPtoDP(&b);
    return QRect(QPoint(qMin(a.x(), b.x()), qMin(a.y(), b.y())),
                 QSize(std::abs(b.x() - a.x()), std::abs(b.y() - a.y())));
}

void CDC::InvertRect(const QRect& rect)
{
    const QRect device = ToDevice(rect);
    if (device.isEmpty())
        return;
    if (pPainter) {
        const QPainter::CompositionMode old = pPainter->compositionMode();
        pPainter->setCompositionMode(QPainter::RasterOp_NotDestination);
        pPainter->fillRect(device, Qt::black);
        pPainter->setCompositionMode(old);
    } else if (pTarget) {
        pTarget->update(device);
    }
}

QRect CDC::GetClipBox() const
{
    QRect r = DeviceClip;
    DPtoLP(&r);
    return r;
}

void CDC::LPtoDP(QPoint* pPoints, int count) const
{
    const double sx = ScaleX();
    const double sy = ScaleY();
    for (int i = 0; i < count; ++i) {
        QPoint& p = pPoints[i];
        if (MapMode == MM_LOENGLISH)
            p = QPoint(int(std::lround(p.x() * sx)), int(std::lround(-p.y() * sy))) + ViewportOrg;
        else
            p += ViewportOrg;
    }
}

void CDC::LPtoDP(QRect* pRect) const
{
    QPoint pts[2] = {pRect->topLeft(), QPoint(pRect->left() + pRect->width(), pRect->top() + pRect->height())};
    LPtoDP(pts, 2);
    *pRect = QRect(pts[0], QSize(pts[1].x() - pts[0].x(), pts[1].y() - pts[0].y()));
}

void CDC::DPtoLP(QPoint* pPoints, int count) const
{
    const double sx = ScaleX();
    const double sy = ScaleY();
    for (int i = 0; i < count; ++i) {
        QPoint p = pPoints[i] - ViewportOrg;
        if (MapMode == MM_LOENGLISH)
            p = QPoint(int(std::lround(p.x() / sx)), int(std::lround(-p.y() / sy)));
        pPoints[i] = p;
    }
}

void CDC::DPtoLP(QRect* pRect) const
{
    QPoint pts[2] = {pRect->topLeft(), QPoint(pRect->left() + pRect->width(), pRect->top() + pRect->height())};
    DPtoLP(pts, 2);
    *pRect = QRect(pts[0], QSize(pts[1].x() - pts[0].x(), pts[1].y() - pts[0].y()));
}

namespace {
int paintDepth = 0;
}

CPaintDC::CPaintDC(QWidget* pWindow, QPainter* pPainter, const QRect& updateRect)
    : CDC(pWindow, pPainter, false)
{
    DeviceClip = updateRect;
    pTarget = pWindow;
    ++paintDepth;
}

CPaintDC::~CPaintDC()
{
    --paintDepth;
}

bool CPaintDC::IsPainting()
{
    return paintDepth > 0;
}

CClientDC::CClientDC(QWidget* pWindow) : CDC(pWindow, nullptr, false)
{
    pTarget = pWindow;
    if (pWindow)
        DeviceClip = pWindow->rect();
}
