#pragma once
// Device contexts: drawing and measuring in logical units with a mapping
// mode, over a QPainter when painting, or for measuring and invalidating
// only when made outside painting.

#include "framework/Afx.h"
#include "framework/Font.h"

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QPaintDevice;
class QPainter;
class QWidget;

enum : int { MM_TEXT = 1, MM_LOENGLISH = 4 };
enum : int { TRANSPARENT = 1, OPAQUE = 2 };
enum : int { HORZRES = 8, VERTRES = 10, LOGPIXELSX = 88, LOGPIXELSY = 90 };

struct TEXTMETRIC {
    LONG tmHeight = 0;
    LONG tmAscent = 0;
    LONG tmDescent = 0;
    LONG tmInternalLeading = 0;
    LONG tmExternalLeading = 0;
    LONG tmAveCharWidth = 0;
    LONG tmMaxCharWidth = 0;
    LONG tmWeight = 0;
    BYTE tmItalic = 0;
    BYTE tmPitchAndFamily = 0;
};

class CDC {
public:
    // pPainter may be null: the context then measures and converts, and its
    // inversions invalidate the window instead of drawing.
    CDC(QPaintDevice* pDevice, QPainter* pPainter, bool printing);
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    [[nodiscard]] bool IsPrinting() const { return Printing; }
    [[nodiscard]] QPainter* GetPainter() const { return pPainter; }
    [[nodiscard]] QPaintDevice* GetDevice() const { return pDevice; }

    int SetMapMode(int mode);
    [[nodiscard]] int GetMapMode() const { return MapMode; }
    int SetBkMode(int mode);
    // Device pixels of the logical origin (the page's printable corner).
    void SetViewportOrg(QPoint origin) { ViewportOrg = origin; }

    // Returns the previous font; null stands for the context's default font.
    CFont* SelectObject(CFont* pFont);
    [[nodiscard]] CFont* GetCurrentFont() const { return pFont; }

    [[nodiscard]] bool GetTextMetrics(TEXTMETRIC* pMetrics) const;
    [[nodiscard]] QSize GetTextExtent(const QString& text) const;
    [[nodiscard]] int GetDeviceCaps(int index) const;

    // The drawing operations are virtual so a context can record instead of draw.
    // The text's cell top is at y.
    virtual bool TextOut(int x, int y, const QString& text);
    // One character per cell, cell i starting at x + trunc(i * cellWidth),
    // so a glyph the font lacks cannot shift the cells after it. Blanks are skipped.
    virtual bool TextOutCells(int x, int y, const QString& text, float cellWidth);
    QPoint MoveTo(int x, int y);
    [[nodiscard]] QPoint GetCurrentPosition() const { return CurrentPosition; }
    virtual bool LineTo(int x, int y);
    virtual void InvertRect(const QRect& rect);

    // The logical rectangle that needs drawing.
    [[nodiscard]] QRect GetClipBox() const;
    void SetClipBox(const QRect& deviceRect) { DeviceClip = deviceRect; }

    void LPtoDP(QPoint* pPoints, int count = 1) const;
    void LPtoDP(QRect* pRect) const;
    void DPtoLP(QPoint* pPoints, int count = 1) const;
    void DPtoLP(QRect* pRect) const;

    // A window whose region an inversion outside painting invalidates.
    void SetInvalidateTarget(QWidget* pWidget) { pTarget = pWidget; }

protected:
    [[nodiscard]] double ScaleX() const;
    [[nodiscard]] double ScaleY() const;
    [[nodiscard]] QFont CurrentQFont() const;
    [[nodiscard]] QRect ToDevice(const QRect& rect) const;
    void ApplyFont();

    QPaintDevice* pDevice;
    QPainter* pPainter;
    bool Printing;
    int MapMode = MM_TEXT;
    int BkMode = OPAQUE;
    CFont* pFont = nullptr;
    QPoint ViewportOrg;
    QPoint CurrentPosition;
    QRect DeviceClip;
    QWidget* pTarget = nullptr;
};

// A context for painting a window: its clip box is the region to repaint.
class CPaintDC : public CDC {
public:
    CPaintDC(QWidget* pWindow, QPainter* pPainter, const QRect& updateRect);
    ~CPaintDC() override;
    // True while any window paints: other windows must then be invalidated,
    // not repainted, since Qt cannot paint one widget inside another's paint.
    [[nodiscard]] static bool IsPainting();
};

// A context on a window outside painting: measuring, converting, and inverting
// by invalidation.
class CClientDC : public CDC {
public:
    explicit CClientDC(QWidget* pWindow);
};

// Selects a font into a context and selects the previous one back on leaving.
class CFontSelection {
public:
    CFontSelection(CDC* pDC, CFont* pFont) : pDC(pDC), pOld(pDC->SelectObject(pFont)) {}
    ~CFontSelection() { pDC->SelectObject(pOld); }
    CFontSelection(const CFontSelection&) = delete;
    CFontSelection& operator=(const CFontSelection&) = delete;

private:
    CDC* pDC;
    CFont* pOld;
};
