#pragma once
// The hex view: one per document window. Shows the document as lines of an
// address, BytesPerLine bytes in hexadecimal and the same bytes as
// characters; owns the window's caret, selection, font and layout, and
// carries the edit, clipboard and search operations that act at its caret.

#include "framework/Font.h"
#include "framework/View.h"

#include <QPoint>
#include <QString>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>

class CBytelonDoc;
class CDC;
class CFile;
class CPrintInfo;

class CBytelonView : public CView {
    Q_OBJECT
public:
    CBytelonView();
    ~CBytelonView() override;

    [[nodiscard]] CBytelonDoc* GetDocument() const;

    // Framework hooks.
    void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr) override;
    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, long hint, void* pHint) override;
    void OnDraw(CDC* pDC) override;
    bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override;
    bool OnPreparePrinting(CPrintInfo* pInfo) override;
    void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) override;
    void OnPrint(CDC* pDC, CPrintInfo* pInfo) override;
    void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) override;

    // Window messages.
    void OnKeyDown(UINT vk) override;
    void OnKeyUp(UINT vk) override;
    void OnChar(UINT ch) override;
    void OnSetFocus() override;
    void OnKillFocus() override;
    void OnLButtonDown(QPoint point) override;
    void OnMouseMove(QPoint point) override;
    void OnLButtonUp(QPoint point) override;
    bool OnSetCursor() override;
    void OnVScroll(UINT code, UINT position) override;
    void OnMouseWheel(Qt::KeyboardModifiers modifiers, QPoint angleDelta, QPoint pixelDelta) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnDestroy() override;

    // Geometry.
    void SetLinesPerScreen(CDC* pDC);
    void SetWinPos(CDC* pDC);
    [[nodiscard]] int AddressWidth() const { return HexAddress ? 8 : 10; }
    [[nodiscard]] int AddressX() const;
    [[nodiscard]] int HexColumnX() const;
    [[nodiscard]] int TextPaneX() const;
    [[nodiscard]] int TextColumnX() const;
    // Exact once the caret is kept in the data, which puts it at DocLen at most.
    [[nodiscard]] int CaretOffset() const { return int(std::min<long long>(CaretPosition(), INT_MAX)); }
    // The same sum in 64 bits: past the largest offset while a move is clamped.
    [[nodiscard]] long long CaretPosition() const
    {
        return (long long)TopOffset + (long long)CaretRow * BytesPerLine + CaretColumn;
    }
    [[nodiscard]] int BytesPerScreen() const { return LinesPerScreen * BytesPerLine; }
    [[nodiscard]] int LastDataRow() const;
    [[nodiscard]] int LastByteColumn() const;
    // The same for a document docLen bytes long, as an edit under way lays
    // the window out for a length the document does not have yet.
    [[nodiscard]] int LastDataRow(int docLen) const;
    [[nodiscard]] int LastByteColumn(int docLen) const;
    [[nodiscard]] int DocLength() const;

    // Rendering.
    void Draw(CDC* pDC, int first, int lines, int yTop, int xLeft);
    // How a byte appears in the text column, on the screen and on paper,
    // and to a screen reader, which cannot speak a control character.
    [[nodiscard]] static QChar ScreenCharacter(unsigned char byte);
    [[nodiscard]] static QChar PrintCharacter(unsigned char byte);
    [[nodiscard]] static QChar SpokenCharacter(unsigned char byte);
    enum class CCharacterForm { Screen, Paper, Speech };
    // A line as it is drawn: the address, the hex cells (two digits and a
    // blank each, the last blank dropped) and the characters.
    struct CLineTexts {
        QString Address;
        QString Hex;
        QString Characters;
    };
    // The line whose first byte is at address, its bytes from pBytes on;
    // the places of bytes at or past docLen stay blank.
    void FormatLine(long long address, const unsigned char* pBytes, int docLen, CCharacterForm form,
                    CLineTexts& texts) const;
    enum class CLineRead { Done, Busy, OpenFailed, SeekFailed, NoMemory };
    // Reads count bytes from pos of the work file into a screen buffer it
    // makes. Busy: an operation holds the work file, try again after it.
    [[nodiscard]] CLineRead ReadLineBytes(int pos, int count, std::unique_ptr<unsigned char[]>& buffer) const;

    // Assistive technology: the lines shown changed (their bytes or their
    // layout), or the caret, the selection or the focus may have; readers
    // are told what changed once the current event is handled.
    void AccessibleLinesChanged();
    void AccessibleStateChanged();
    [[nodiscard]] unsigned AccessibleLinesVersion() const { return LinesVersion; }
    // The caret's offset as status-bar pane 1 shows it.
    [[nodiscard]] QString CaretAddressText() const;

    // Scrolling.
    void UpdateScrollBar();
    void UpdateScrollBar(int docLen);
    // mode < 0: the offset's line at the top; 0: in the middle; > 0: the offset last on screen.
    void ScrollTo(int offset, int mode, CDC* pDC);
    // Over a document docLen bytes long (see LastDataRow).
    void ScrollTo(int offset, int mode, CDC* pDC, int docLen);
    void LineUp(CDC* pDC);
    void LineDown(CDC* pDC);
    void PageUp(CDC* pDC);
    void PageDown(CDC* pDC);
    void ScrollToTop(CDC* pDC);
    void ScrollToBottom(CDC* pDC);

    // Caret placement and selection display.
    void KeepCaretInData();
    void KeepCaretInData(int docLen);
    void SetCaretToOffset(int offset, CDC* pDC);
    void SetCaretToOffset(int offset, CDC* pDC, int docLen);
    void CaretHome(CDC* pDC);
    void CaretToLastLineEnd(CDC* pDC);
    void PlaceCaret(CDC* pDC);
    void ShowCaretAddress();
    // Whether this view's caret is the one the caret-address pane shows.
    [[nodiscard]] bool OwnsCaretAddress() const;
    void InvertRange(int from, int to, CDC* pDC);

    // Selection.
    void SyncSelectionWithShift(CDC* pDC);
    void ExtendSelection(CDC* pDC);
    void UpdateSelEnd(const QPoint* pPoint, CDC* pDC);
    void ShowSelEnd(CDC* pDC);
    void SelectAll();

    // Keyboard movement.
    void CaretLineStart(CDC* pDC);
    void CaretLineEnd(CDC* pDC);
    void CaretRowUp(CDC* pDC);
    void CaretRowDown(CDC* pDC);
    void CaretLeft(CDC* pDC);
    void CaretRight(CDC* pDC);
    void CaretUp(CDC* pDC);
    void CaretDown(CDC* pDC);

    // Mouse.
    void SetCaretFromPoint(QPoint point, CDC* pDC);
    // The value a release at logical x would give the rule being dragged.
    [[nodiscard]] int DraggedBytesPerLine(int x) const;
    [[nodiscard]] int DraggedAddressBase(int x) const;
    // Introspection for tests: a drag beyond the window is scrolling the view.
    [[nodiscard]] bool IsAutoScrolling() const { return AutoScrollTimerId != 0; }

    // Display options.
    void Change_Font();
    void SetAddressBase(int hex);
    void SetBytesPerLine(int n);
    void DataColumns();

    // Goto Address.
    void GotoAddress();

    // A Replace All running over this window's document ends at the last
    // step it found: every operation that reads or changes the document, the
    // caret or the selection calls this first, whatever set it going.
    void EndReplaceAllPass();

    // Editing. Each returns false after reporting its failure.
    bool CopyFileSegment(CFile& source, const QString& sourceName, int sourcePos, CFile& dest,
                         const QString& destName, int destPos, int XferLen);
    // How many bytes the last CopyFileSegment put in place from its
    // destination position on, whether or not it then failed.
    int SegmentBytesWritten = 0;
    bool DeleteTheSelection(CDC* pDC);
    bool ReplaceSelectionWithString(const char* data, int count);
    // The window and caret as replacing `replaced` bytes at p with count
    // bytes leaves them, the document being at its new length already.
    void ShowReplacement(int p, int replaced, int count, CDC* pDC);
    // Backspace and Delete: the byte before or at the caret, or the selection.
    void DeleteByteBeforeCaret(CDC* pDC);
    void DeleteByteAtCaret(CDC* pDC);
    // Whether the last CopyFileSegment may have written to its destination before it failed.
    [[nodiscard]] bool SegmentWriteBegan() const { return SegmentWriteStarted; }
    bool PromptForFileName(bool open, QString& pathName);
    void RunInsertDialog(char ch);
    void On_File_Insert_From_File();
    void On_File_Save_Selection_As();
    void OnUpdate_File_Save_Selection_As(CCmdUI* pCmdUI);

    // Clipboard.
    bool CopySelectionToClipboard();
    void On_Edit_Copy();
    void On_Edit_Cut();
    void On_Edit_Paste();
    void OnUpdate_Edit_Copy(CCmdUI* pCmdUI);
    void OnUpdate_Edit_Cut(CCmdUI* pCmdUI);
    void OnUpdate_Edit_Paste(CCmdUI* pCmdUI);

    // Search: 0 when an occurrence was found and selected, 1 otherwise.
    // With Shift held an active selection keeps its anchor, unless the
    // search is a step of Replace All, which never extends a selection.
    enum class EShift { Extends, Ignored };
    int FindNext(const char* pBytes, int count, int IgnoreCase, EShift shift = EShift::Extends);
    int FindPrevious(const char* pBytes, int count, int IgnoreCase);
    // Selects from p1 to p2 with the caret at p2, each end brought to the
    // middle of the window, in a document docLen bytes long; extend: an
    // active selection keeps its anchor.
    void SelectOccurrence(int p1, int p2, bool extend, int docLen);
    // The window as a step of Replace All leaves it: its search selected the
    // found bytes at `at`, and its replacement put the inserted ones in their
    // place. The document has its new length already.
    void ShowReplaceAllStep(int at, int found, int inserted);

    // Printing.
    void PrintPage(CDC* pDC, CPrintInfo* pInfo);
    // The lines of a page pageHeight hundredths of an inch high, in the current LineHeight.
    [[nodiscard]] int LinesPerPage(int pageHeight) const;

    // Command handlers.
    void On_Edit_Select_All();
    void OnUpdate_Edit_Select_All(CCmdUI* pCmdUI);
    void On_Edit_Insert();
    void On_Search_Find();
    void OnUpdate_Search_Find(CCmdUI* pCmdUI);
    void On_Search_Replace();
    void OnUpdate_Search_Replace(CCmdUI* pCmdUI);
    void On_View_Address_Base_10();
    void On_View_Address_Base_16();
    void OnUpdate_View_Address_Base_10(CCmdUI* pCmdUI);
    void OnUpdate_View_Address_Base_16(CCmdUI* pCmdUI);

    // View state, as the design names it.
    int IsTrueType = 0;
    int ScrollBarOn = 0;
    int HexAddress;
    int ShownHexAddress = 1;
    int TopOffset = 0;
    int BottomOffset = 0;
    int SelAnchor = 0;
    int SelEnd = 0;
    int SelShownEnd = 0;
    int YDirection = 1;
    int SelActive = 0;
    int MouseDown = 0;
    int CaretRow = 0;
    int CaretColumn = 0;
    int ShownCaretRow = -1;
    int ShownCaretColumn = -1;
    int CaretInText = 0;
    int ShownCaretInText = 1;
    int CaretHeight = 5;
    int LinesPerScreen = 10;
    int BytesPerLine;
    int LineHeight = 18;
    int HexRuleX = 0;
    int TextRuleX = 0;
    int RuleDrag = 0;
    int PageNumber = 0;
    float CharWidth = 15.0F;
    int CtrlDown = 0;
    int ShiftDown = 0;
    std::unique_ptr<CFont> Font;
    LOGFONT LogFont;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void ShiftedRowMove(int edgeColumn, void (CBytelonView::*move)(CDC*), int saved, CDC* pDC);

    // What the wheel has turned short of a whole line, in WheelUnit units
    // (a line is WheelUnit); 0 after a change of direction or of device.
    int WheelRemainder = 0;
    int WheelUnit = 0;

    // One step of the drag beyond the window's top or bottom edge.
    void AutoScrollStep();
    void StopAutoScroll();
    int AutoScrollTimerId = 0;
    int AutoScrollDirection = 0;
    QPoint AutoScrollCursor;

    // The page frame and captions of a printed page.
    void DrawPageFrame(CDC* pDC, int yTop, int lines, int xLeft, int rightX);

    // A paint whose work file cannot be read reports it once, until a paint succeeds again.
    bool DrawFailureReported = false;

    // Whether the last CopyFileSegment may have written to its destination
    // before it failed: a move inside one file cannot then be taken back.
    bool SegmentWriteStarted = false;

    unsigned LinesVersion = 0;
    bool AccessibleAnnouncePending = false;
};
