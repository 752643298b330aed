#pragma once
// A document window's content: the program's views derive from this. It
// turns Qt's events into the class library's message handlers, owns the
// vertical scroll bar and draws the caret.

#include "framework/Afx.h"
#include "framework/CmdTarget.h"

#include <QAbstractScrollArea>
#include <QPoint>
#include <QRect>
#include <QTimer>

#include <vector>

class CDC;
class CDocument;
class CMDIChildWnd;
class CPrintInfo;
class QPrinter;

// Scroll-bar codes of the vertical scroll message.
enum : UINT {
    SB_LINEUP = 0,
    SB_LINEDOWN = 1,
    SB_PAGEUP = 2,
    SB_PAGEDOWN = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_TOP = 6,
    SB_BOTTOM = 7,
    SB_ENDSCROLL = 8,
};
enum : UINT { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };

class CView : public QAbstractScrollArea, public CCmdTarget {
    Q_OBJECT
public:
    CView();
    ~CView() override;

    [[nodiscard]] CDocument* GetDocument() const { return pDocument; }
    [[nodiscard]] CMDIChildWnd* GetParentFrame() const;

    // The window is going away: called once, when its frame closes or the
    // view is deleted, whichever comes first. Detaches it from the document.
    void DestroyView();
    [[nodiscard]] bool IsDestroyed() const { return Destroyed; }

    // Framework hooks.
    virtual void OnInitialUpdate();
    virtual void OnUpdate(CView* pSender, long hint, void* pHint);
    virtual void OnDraw(CDC* pDC) = 0;
    virtual void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr);
    virtual bool OnPreparePrinting(CPrintInfo* pInfo);
    virtual void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo);
    virtual void OnPrint(CDC* pDC, CPrintInfo* pInfo);
    virtual void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo);
    // Shows the print dialog for a real print job; false when cancelled.
    bool DoPreparePrinting(CPrintInfo* pInfo);
    // The Print and Print Preview commands: the print loop on this view.
    void OnFilePrint();
    void OnFilePrintPreview();

    // Window messages.
    virtual void OnKeyDown(UINT vk);
    virtual void OnKeyUp(UINT vk);
    virtual void OnChar(UINT ch);
    virtual void OnSetFocus();
    virtual void OnKillFocus();
    virtual void OnLButtonDown(QPoint point);
    virtual void OnMouseMove(QPoint point);
    virtual void OnLButtonUp(QPoint point);
    // The pointer is over the client area; true when the view set the cursor.
    virtual bool OnSetCursor();
    virtual void OnVScroll(UINT code, UINT position);
    // The wheel turned over the window: angleDelta in eighths of a degree
    // (120 a notch), pixelDelta the distance moved where the platform
    // measures one (touchpads), else null. Positive is away from the user.
    virtual void OnMouseWheel(Qt::KeyboardModifiers modifiers, QPoint angleDelta, QPoint pixelDelta);
    virtual void OnSize(UINT type, int cx, int cy);
    // The window is being destroyed; the document is still attached.
    virtual void OnDestroy();

    // Window services, in client (device) coordinates.
    void Invalidate(bool erase = true);
    void InvalidateRect(const QRect& rect, bool erase = true);
    void UpdateWindow();
    [[nodiscard]] QRect GetClientRect() const;
    // The window rectangle in screen coordinates.
    [[nodiscard]] QRect GetWindowRect() const;
    // Moves the pixels inside clip by dy and invalidates what is uncovered.
    void ScrollWindow(int dx, int dy, const QRect& clip);
    void SetScrollRange(int minPos, int maxPos, bool redraw = true);
    void SetScrollPos(int pos, bool redraw = true);
    // The share of the range one page stands for: sets the thumb's length.
    void SetScrollPage(int page);
    [[nodiscard]] int GetScrollPos() const;
    void SetCapture();
    void ReleaseCapture();
    void SetCursor(const QCursor& cursor);
    [[nodiscard]] bool HasFocus() const;

    // The caret, drawn by the view over its content while it has the focus.
    void CreateSolidCaret(int width, int height);
    void SetCaretPos(QPoint position);
    [[nodiscard]] QPoint GetCaretPos() const { return CaretPos; }
    void ShowCaret();
    void HideCaret();
    void DestroyCaret();
    // Introspection for tests: whether a caret exists and is being shown.
    [[nodiscard]] bool IsCaretShown() const { return CaretExists && CaretVisible; }

    bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    friend class CDocument;
    friend class CMultiDocTemplate;
    // One pass of the print loop: OnBeginPrinting, each page, OnEndPrinting.
    void PrintPages(QPrinter& printer, CPrintInfo& info);
    void OnScrollAction(int action);
    void OnScrollReleased();
    [[nodiscard]] QRect CaretRect() const;
    // The vertically separate bands of a region to repaint, top to bottom.
    [[nodiscard]] static std::vector<QRect> PaintBands(const QRegion& region);
    void ToggleCaretBlink();

    CDocument* pDocument = nullptr;
    bool Destroyed = false;
    bool InScrollAction = false;
    bool Captured = false;
    bool CaretExists = false;
    bool CaretVisible = false;
    bool CaretBlinkOn = true;
    int CaretHideCount = 0;
    QSize CaretSize;
    QPoint CaretPos;
    QTimer CaretTimer;
};
