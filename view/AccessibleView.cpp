#include "view/AccessibleView.h"

#include "doc/BytelonDoc.h"
#include "framework/MDIChildWnd.h"
#include "view/BytelonView.h"
#include "view/PreparedDC.h"

#include <QAccessible>
#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace {

const QString Gap = QStringLiteral("   ");

std::function<void(QAccessibleEvent*)>& Observer()
{
    static std::function<void(QAccessibleEvent*)> observer;
    return observer;
}

bool Listening()
{
    return QAccessible::isActive() || Observer();
}

void Send(QAccessibleEvent& event)
{
    if (Observer())
        Observer()(&event);
    QAccessible::updateAccessibility(&event);
}

QAccessibleInterface* ViewFactory(const QString& className, QObject* pObject)
{
    if (className == QLatin1String(CBytelonView::staticMetaObject.className()))
        return new CAccessibleView(static_cast<CBytelonView*>(pObject));
    return nullptr;
}

// The lines the window shows, in the layout of CTextLayout; busy when an
// operation holds the work file.
QString VisibleLines(const CBytelonView* pView, bool& busy)
{
    busy = false;
    const int rows = std::max(1, pView->LastDataRow() + 1);
    const int top = pView->TopOffset;
    const int docLen = pView->DocLength();
    std::unique_ptr<unsigned char[]> buffer;
    if (docLen > top) {
        const CBytelonView::CLineRead read = pView->ReadLineBytes(top, rows * pView->BytesPerLine, buffer);
        busy = read == CBytelonView::CLineRead::Busy;
        // A work file that cannot be read shows no lines on the screen either.
        if (read != CBytelonView::CLineRead::Done)
            return QString();
    }
    QString text;
    CBytelonView::CLineTexts line;
    for (int r = 0; r < rows; ++r) {
        const int index = r * pView->BytesPerLine;
        pView->FormatLine((long long)top + index, buffer ? buffer.get() + index : nullptr, docLen,
                          CBytelonView::CCharacterForm::Speech, line);
        if (r > 0)
            text += QLatin1Char('\n');
        text += line.Address + Gap + line.Hex + Gap + line.Characters;
    }
    return text;
}

}  // namespace

void InstallAccessibleViewFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(ViewFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

void SetAccessibleObserver(std::function<void(QAccessibleEvent*)> observer)
{
    Observer() = std::move(observer);
    // The observer starts from what the views show now.
    for (QWidget* pWidget : QApplication::allWidgets()) {
        if (auto* pView = qobject_cast<CBytelonView*>(pWidget)) {
            if (auto* pInterface = dynamic_cast<CAccessibleView*>(QAccessible::queryAccessibleInterface(pView)))
                pInterface->Resync();
        }
    }
}

void CBytelonView::AccessibleLinesChanged()
{
    ++LinesVersion;
    AccessibleStateChanged();
}

void CBytelonView::AccessibleStateChanged()
{
    // Nothing is read or sent while no reader listens.
    if (AccessibleAnnouncePending || !Listening())
        return;
    AccessibleAnnouncePending = true;
    // Once the event that made the change is handled: a key makes several
    // moves on its way, and a reader hears where it ended.
    QTimer::singleShot(0, this, [this] {
        AccessibleAnnouncePending = false;
        auto* pInterface = dynamic_cast<CAccessibleView*>(QAccessible::queryAccessibleInterface(this));
        // An operation holding the work file (behind a message box) lets its lines be read after it.
        if (pInterface && !pInterface->Announce())
            QTimer::singleShot(100, this, [this] { AccessibleStateChanged(); });
    });
}

CAccessibleView::CAccessibleView(CBytelonView* pView) : QAccessibleWidget(pView, QAccessible::EditableText)
{
    // The toolkit makes interfaces whether or not a reader listens: the
    // lines are read only once one does.
    if (Listening())
        Resync();
}

void CAccessibleView::Resync()
{
    HeardKnown = true;
    HeardLines = Lines();
    HeardCursor = cursorPosition();
    HeardCaret = View()->CaretOffset();
    HeardSelections = Selections();
    HeardName = text(QAccessible::Name);
}

CBytelonView* CAccessibleView::View() const
{
    return static_cast<CBytelonView*>(widget());
}

CTextLayout CAccessibleView::Layout() const
{
    return CTextLayout(View()->AddressWidth(), View()->BytesPerLine);
}

QAccessible::Role CAccessibleView::role() const
{
    return QAccessible::EditableText;
}

QAccessible::State CAccessibleView::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

QString CAccessibleView::text(QAccessible::Text t) const
{
    const CBytelonView* pView = View();
    if (!pView)
        return QString();
    switch (t) {
    case QAccessible::Name: {
        // The window's caption: the document, and which of its windows.
        const CMDIChildWnd* pFrame = pView->GetParentFrame();
        QString caption = pFrame ? pFrame->windowTitle() : QString();
        caption.replace(QLatin1String("[*]"), pFrame && pFrame->isWindowModified() ? QStringLiteral("*") : QString());
        if (caption.isEmpty() && pView->GetDocument())
            caption = pView->GetDocument()->GetTitle();
        return caption;
    }
    case QAccessible::Description:
        return QStringLiteral("Caret address %1").arg(pView->CaretAddressText().trimmed());
    case QAccessible::Value: return Lines();
    default: return QAccessibleWidget::text(t);
    }
}

void* CAccessibleView::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessibleInterface* CAccessibleView::childAt(int x, int y) const
{
    const CBytelonView* pView = View();
    if (pView && pView->viewport()->rect().contains(pView->viewport()->mapFromGlobal(QPoint(x, y))))
        return nullptr;
    return QAccessibleWidget::childAt(x, y);
}

const QString& CAccessibleView::Lines() const
{
    const CBytelonView* pView = View();
    if (pView && (!LinesRead || LinesTextVersion != pView->AccessibleLinesVersion())) {
        bool busy = false;
        QString lines = VisibleLines(pView, busy);
        if (!busy) {
            LinesText = std::move(lines);
            LinesTextVersion = pView->AccessibleLinesVersion();
            LinesRead = true;
        }
    }
    return LinesText;
}

int CAccessibleView::characterCount() const
{
    return int(Lines().size());
}

QString CAccessibleView::text(int startOffset, int endOffset) const
{
    const QString& lines = Lines();
    startOffset = std::clamp(startOffset, 0, int(lines.size()));
    endOffset = std::clamp(endOffset, startOffset, int(lines.size()));
    return lines.mid(startOffset, endOffset - startOffset);
}

int CAccessibleView::cursorPosition() const
{
    const CBytelonView* pView = View();
    if (!pView)
        return 0;
    const int position = Layout().Position({pView->CaretRow, pView->CaretColumn, pView->CaretInText});
    return std::min(position, characterCount());
}

std::vector<std::pair<int, int>> CAccessibleView::Selections() const
{
    const CBytelonView* pView = View();
    if (!pView || !pView->SelActive)
        return {};
    auto runs = Layout().Runs(pView->TopOffset, pView->LastDataRow() + 1, std::min(pView->SelAnchor, pView->SelEnd),
                              std::max(pView->SelAnchor, pView->SelEnd), pView->CaretInText);
    // Lines that could not be read hold no selection either.
    const int count = characterCount();
    runs.erase(std::remove_if(runs.begin(), runs.end(), [count](const auto& run) { return run.second > count; }),
               runs.end());
    return runs;
}

int CAccessibleView::selectionCount() const
{
    return int(Selections().size());
}

void CAccessibleView::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    const auto runs = Selections();
    const bool valid = selectionIndex >= 0 && selectionIndex < int(runs.size());
    *startOffset = valid ? runs[std::size_t(selectionIndex)].first : 0;
    *endOffset = valid ? runs[std::size_t(selectionIndex)].second : 0;
}

void CAccessibleView::MoveCaret(int position, int anchorPosition)
{
    CBytelonView* pView = View();
    if (!pView)
        return;
    const CTextLayout layout = Layout();
    const int lastRow = std::max(0, pView->LastDataRow());
    auto offsetOf = [&](const CTextCell& cell) {
        return pView->TopOffset + std::min(cell.Row, lastRow) * pView->BytesPerLine + cell.Column;
    };
    const CTextCell cell = layout.CellAt(position, pView->CaretInText);
    CPreparedDC dc(pView);
    pView->InvertRange(pView->SelAnchor, pView->SelEnd, dc);
    pView->SelActive = 0;
    pView->CaretInText = cell.InText;
    pView->SetCaretToOffset(offsetOf(cell), dc);
    if (anchorPosition >= 0) {
        pView->SelAnchor = std::min(offsetOf(layout.CellAt(anchorPosition, cell.InText)), pView->DocLength());
        pView->SelEnd = pView->SelShownEnd = pView->CaretOffset();
        pView->SelActive = 1;
        pView->InvertRange(pView->SelAnchor, pView->SelEnd, dc);
    }
}

void CAccessibleView::setCursorPosition(int position)
{
    MoveCaret(position, -1);
}

void CAccessibleView::addSelection(int startOffset, int endOffset)
{
    // The view holds one selection: a new one takes the place of the old.
    MoveCaret(endOffset, startOffset);
}

void CAccessibleView::setSelection(int, int startOffset, int endOffset)
{
    MoveCaret(endOffset, startOffset);
}

void CAccessibleView::removeSelection(int)
{
    MoveCaret(cursorPosition(), -1);
}

QRect CAccessibleView::characterRect(int offset) const
{
    const CBytelonView* pView = View();
    if (!pView || offset < 0 || offset >= characterCount())
        return QRect();
    const int length = Layout().LineLength();
    const int row = offset / length;
    const int cell = 2 + offset % length;
    const int x = int(float(cell) * pView->CharWidth);
    const int y = (row + 1) * pView->LineHeight + 5;
    const QRect rect(x, y, int(float(cell + 1) * pView->CharWidth) - x, pView->LineHeight);
    return QRect(pView->viewport()->mapToGlobal(rect.topLeft()), rect.size());
}

int CAccessibleView::offsetAtPoint(const QPoint& point) const
{
    const CBytelonView* pView = View();
    if (!pView || pView->LineHeight <= 0 || pView->CharWidth <= 0)
        return -1;
    const QPoint at = pView->viewport()->mapFromGlobal(point);
    const int length = Layout().LineLength();
    const int row = (at.y() - 5) / pView->LineHeight - 1;
    const int cell = int(float(at.x()) / pView->CharWidth) - 2;
    if (at.y() < 5 || row < 0 || cell < 0 || cell >= length - 1)
        return -1;
    const int offset = row * length + cell;
    return offset < characterCount() ? offset : -1;
}

void CAccessibleView::scrollToSubstring(int, int)
{
    // Every line of the text is on the screen already.
}

QString CAccessibleView::attributes(int offset, int* startOffset, int* endOffset) const
{
    // One font and colour throughout.
    *startOffset = *endOffset = offset;
    return QString();
}

bool CAccessibleView::Announce()
{
    CBytelonView* pView = View();
    if (!pView)
        return true;
    const QString& lines = Lines();
    // A reader that has just come reads what is shown afresh.
    if (!HeardKnown) {
        Resync();
        return LinesRead && LinesTextVersion == pView->AccessibleLinesVersion();
    }
    if (lines != HeardLines) {
        // Only what differs, so a reader need not take in the whole window again.
        int start = 0;
        while (start < lines.size() && start < HeardLines.size() && lines[start] == HeardLines[start])
            ++start;
        int oldEnd = int(HeardLines.size());
        int newEnd = int(lines.size());
        while (oldEnd > start && newEnd > start && HeardLines[oldEnd - 1] == lines[newEnd - 1]) {
            --oldEnd;
            --newEnd;
        }
        QAccessibleTextUpdateEvent event(pView, start, HeardLines.mid(start, oldEnd - start),
                                         lines.mid(start, newEnd - start));
        event.setCursorPosition(cursorPosition());
        HeardLines = lines;
        Send(event);
    }
    const auto selections = Selections();
    if (selections != HeardSelections) {
        HeardSelections = selections;
        QAccessibleTextSelectionEvent event(pView, selections.empty() ? -1 : selections.front().first,
                                            selections.empty() ? -1 : selections.back().second);
        event.setCursorPosition(cursorPosition());
        Send(event);
    }
    // The same place in the text may hold another byte after a scroll.
    const int cursor = cursorPosition();
    if (cursor != HeardCursor || pView->CaretOffset() != HeardCaret) {
        HeardCursor = cursor;
        HeardCaret = pView->CaretOffset();
        QAccessibleTextCursorEvent event(pView, cursor);
        Send(event);
    }
    const QString name = text(QAccessible::Name);
    if (name != HeardName) {
        HeardName = name;
        QAccessibleEvent event(pView, QAccessible::NameChanged);
        Send(event);
    }
    return LinesRead && LinesTextVersion == pView->AccessibleLinesVersion();
}
