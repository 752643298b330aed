#pragma once
// The hex view as assistive technology reads it: a text of the lines the
// window shows, each as the screen shows it, with the caret in the pane
// that holds it and the selection as text selections. Only the visible
// lines are exposed, as a terminal does, so every offset fits an int.
// Readers hear of caret moves, selection changes and changed lines.

#include "view/TextLayout.h"

#include <QAccessibleWidget>

#include <functional>
#include <utility>
#include <vector>

class CBytelonView;

// Gives every view the interface below; installed once, before the first view.
void InstallAccessibleViewFactory();

// Introspection for tests. The toolkit drops every event until a reader
// has activated it, which nothing can do on a platform without a desktop;
// while an observer is set the views announce as if a reader listened, and
// it sees each event they send.
void SetAccessibleObserver(std::function<void(QAccessibleEvent*)> observer);

class CAccessibleView : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit CAccessibleView(CBytelonView* pView);

    [[nodiscard]] QAccessible::Role role() const override;
    [[nodiscard]] QAccessible::State state() const override;
    // The name says which document, the description where the caret is.
    [[nodiscard]] QString text(QAccessible::Text t) const override;
    void* interface_cast(QAccessible::InterfaceType type) override;
    // A point on the lines is the text itself, not the window it is drawn in.
    [[nodiscard]] QAccessibleInterface* childAt(int x, int y) const override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    [[nodiscard]] int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    [[nodiscard]] int cursorPosition() const override;
    void setCursorPosition(int position) override;
    [[nodiscard]] QString text(int startOffset, int endOffset) const override;
    [[nodiscard]] int characterCount() const override;
    [[nodiscard]] QRect characterRect(int offset) const override;
    [[nodiscard]] int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    [[nodiscard]] QString attributes(int offset, int* startOffset, int* endOffset) const override;

    // Sends readers the events for what changed since they were last told;
    // false when the lines could not be read yet and a later try is needed.
    bool Announce();
    // Takes what the view shows now as what readers know.
    void Resync();

private:
    [[nodiscard]] CBytelonView* View() const;
    [[nodiscard]] CTextLayout Layout() const;
    // The visible lines, read again once they have changed.
    [[nodiscard]] const QString& Lines() const;
    [[nodiscard]] std::vector<std::pair<int, int>> Selections() const;
    // Puts the caret at a position as a click there would; with an anchor
    // position, selects from there to the caret.
    void MoveCaret(int position, int anchorPosition);

    mutable QString LinesText;
    mutable unsigned LinesTextVersion = 0;
    mutable bool LinesRead = false;

    // What readers were last told, once one listens.
    bool HeardKnown = false;
    QString HeardLines;
    int HeardCursor = -1;
    int HeardCaret = -1;
    std::vector<std::pair<int, int>> HeardSelections;
    QString HeardName;
};
