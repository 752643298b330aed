// What a screen reader gets, asked in-process through the toolkit's
// accessibility interfaces: the view's lines as text with its caret and
// selection, the events that follow keys, scrolling and edits, and the
// names of the toolbar buttons, status-bar panes and dialog boxes.

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "framework/Dialog.h"
#include "framework/StatusBar.h"
#include "res/Resource.h"
#include "search/FindDlg.h"
#include "search/ReplaceDlg.h"
#include "view/AccessibleView.h"
#include "view/BytelonView.h"

#include <QAccessible>
#include <QLabel>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace {

// A line of controls, DEL and the upper half, then counting bytes.
const QByteArray Bytes = QByteArray("Hi\x00\x0A\x7F\x80\x81\xFF", 8) + Counting(32);
// Each line as the window shows it from the address on; controls read as their symbols.
const QString Shown = QStringLiteral("00000000   48 69 00 0A 7F 80 81 FF   Hi\u2400\u240A\u2421\u20AC\uFFFD\u00FF\n"
                                     "00000008   00 01 02 03 04 05 06 07   \u2400\u2401\u2402\u2403\u2404\u2405\u2406\u2407\n"
                                     "00000010   08 09 0A 0B 0C 0D 0E 0F   \u2408\u2409\u240A\u240B\u240C\u240D\u240E\u240F");
constexpr int LineLength = 46;  // with its line feed

// An event a view sent: where the cursor went, or what changed where.
struct CHeardEvent {
    QObject* pObject;
    QAccessible::Event Type;
    int Position;
    QString Removed;
    QString Inserted;
};

// The events the views send while it lives.
struct CHeard {
    CHeard()
    {
        SetAccessibleObserver([this](QAccessibleEvent* p) {
            auto* pCursor = dynamic_cast<QAccessibleTextCursorEvent*>(p);
            auto* pUpdate = dynamic_cast<QAccessibleTextUpdateEvent*>(p);
            Events.push_back({p->object(), p->type(),
                              pUpdate ? pUpdate->changePosition() : pCursor ? pCursor->cursorPosition() : -1,
                              pUpdate ? pUpdate->textRemoved() : QString(), pUpdate ? pUpdate->textInserted() : QString()});
        });
    }
    ~CHeard() { SetAccessibleObserver(nullptr); }
    [[nodiscard]] std::vector<CHeardEvent> Of(QObject* pObject, QAccessible::Event type) const
    {
        std::vector<CHeardEvent> found;
        std::copy_if(Events.begin(), Events.end(), std::back_inserter(found),
                     [&](const CHeardEvent& e) { return e.pObject == pObject && e.Type == type; });
        return found;
    }
    std::vector<CHeardEvent> Events;
};

QAccessibleInterface* Interface(QObject* pObject) { return QAccessible::queryAccessibleInterface(pObject); }
QString Name(QObject* pObject) { return Interface(pObject)->text(QAccessible::Name); }
QAccessibleTextInterface* Text(QObject* pObject) { return Interface(pObject)->textInterface(); }
QString AllText(QObject* pObject) { return Text(pObject)->text(0, Text(pObject)->characterCount()); }

QString Selected(QAccessibleTextInterface* pText, int index)
{
    int start = 0, end = 0;
    pText->selection(index, &start, &end);
    return pText->text(start, end);
}

// One key at a time, as typed, the event loop running between keys: Right,
// Down, Home, End, Tab and Delete by their initials (X for Delete), a small
// one with Shift held; any other character is typed.
void Keys(CBytelonView* pView, const QString& keys)
{
    const Qt::Key map[] = {Qt::Key_Right, Qt::Key_Down, Qt::Key_Home, Qt::Key_End, Qt::Key_Tab, Qt::Key_Delete};
    for (const QChar key : keys) {
        const int index = QStringLiteral("RDHETX").indexOf(key.toUpper());
        if (index < 0)
            QTest::keyClick(pView, key.toLatin1());
        else
            QTest::keyClick(pView, map[index], key.isLower() ? Qt::ShiftModifier : Qt::NoModifier);
        ProcessEvents();
    }
}

CBytelonView* OpenEightPerLine(CProgram& program, const QByteArray& bytes)
{
    program.App()->CharPerLine = 8;
    return program.OpenFocused(bytes, 3);
}

}  // namespace

class tst_accessibility : public QObject {
    Q_OBJECT
private slots:
    void viewReadsAsItsVisibleLines();
    void caretFollowsKeys_data();
    void caretFollowsKeys();
    void scrollingAndEditsSendUpdates();
    void controlsAreNamed();
};

void tst_accessibility::viewReadsAsItsVisibleLines()
{
    CProgram program;
    CBytelonView* pView = OpenEightPerLine(program, Bytes);
    QAccessibleInterface* pInterface = Interface(pView);
    QCOMPARE(pInterface->role(), QAccessible::EditableText);
    QVERIFY(pInterface->state().multiLine && pInterface->state().focused);
    QCOMPARE(Name(pView), QStringLiteral("data.bin"));
    QCOMPARE(pInterface->text(QAccessible::Description), QStringLiteral("Caret address 00000000"));
    QAccessibleTextInterface* pText = pInterface->textInterface();
    QCOMPARE(AllText(pView), Shown);
    int start = 0;
    int end = 0;
    QVERIFY(pText->textAtOffset(LineLength + 20, QAccessible::LineBoundary, &start, &end).startsWith("00000008   00"));
    QCOMPARE(start, LineLength);
    QCOMPARE(pText->textAtOffset(15, QAccessible::WordBoundary, &start, &end), QStringLiteral("69"));
    // Each character lies in the cell the window draws it in, which is the text, not the window.
    for (const int offset : {0, 11, 37, LineLength + 44, 2 * LineLength + 12}) {
        const QPoint center = pText->characterRect(offset).center();
        QCOMPARE(pText->offsetAtPoint(center), offset);
        QVERIFY(!pInterface->childAt(center.x(), center.y()));
    }
    // A reader selects too: bytes 8 and 9 in hex; then it puts the caret on byte 17's character.
    pText->setSelection(0, LineLength + 11, LineLength + 16);
    QCOMPARE(Selection(pView), std::pair(8, 10));
    QCOMPARE(Selected(pText, 0), QStringLiteral("00 01"));
    pText->setCursorPosition(2 * LineLength + 38);
    QCOMPARE(std::pair(pView->CaretOffset(), pView->CaretInText), std::pair(17, 1));
    QVERIFY(!pView->SelActive && pText->selectionCount() == 0);
    // Decimal addresses widen the address and move the columns with it.
    program.Frame()->ExecuteCommand(ID_VIEW_ADDRESS_BASE_10);
    ProcessEvents();
    QVERIFY2(AllText(pView).startsWith(QStringLiteral("0000000008   00 01 02")), qPrintable(AllText(pView)));
    QCOMPARE(pInterface->text(QAccessible::Description), QStringLiteral("Caret address 0000000017"));
}

void tst_accessibility::caretFollowsKeys_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("atCaret");
    QTest::addColumn<QString>("offset");
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<int>("selectionEvents");
    const QStringList none;
    QTest::newRow("right") << "R" << 14 << "69" << "00000001" << none << 0;
    QTest::newRow("down") << "D" << LineLength + 11 << "00" << "00000008" << none << 0;
    QTest::newRow("end-of-line-place") << "E" << 35 << "" << "00000008" << none << 0;
    QTest::newRow("end-then-home") << "EH" << 11 << "48" << "00000000" << none << 0;
    QTest::newRow("tab-to-the-characters") << "T" << 37 << "H" << "00000000" << none << 0;
    QTest::newRow("characters-right-and-down") << "TRD" << LineLength + 38 << "\u2401" << "00000009" << none << 0;
    QTest::newRow("tab-back-to-hex") << "TRT" << 14 << "69" << "00000001" << none << 0;
    // A selection is the text of its cells in the caret's pane, a run per line.
    QTest::newRow("shift-right-selects-hex-cells") << "Rrr" << 20 << "0A" << "00000003" << QStringList{"69 00"} << 2;
    QTest::newRow("selection-as-characters") << "RrrT" << 40 << "\u240A" << "00000003" << QStringList{"i\u2400"} << 3;
    QTest::newRow("selection-over-two-lines")
        << "RrrTd" << LineLength + 40 << "\u2403" << "0000000B"
        << QStringList{"i\u2400\u240A\u2421\u20AC\uFFFD\u00FF", "\u2400\u2401\u2402"} << 4;
}

void tst_accessibility::caretFollowsKeys()
{
    QFETCH(QString, keys);
    QFETCH(int, position);
    QFETCH(QString, atCaret);
    QFETCH(QString, offset);
    QFETCH(QStringList, selected);
    QFETCH(int, selectionEvents);
    CProgram program;
    CBytelonView* pView = OpenEightPerLine(program, Bytes);
    QAccessibleTextInterface* pText = Text(pView);
    CHeard heard;
    Keys(pView, keys);
    QCOMPARE(pText->cursorPosition(), position);
    QCOMPARE(pText->text(position, position + int(atCaret.size())).trimmed(), atCaret);
    QCOMPARE(Interface(pView)->text(QAccessible::Description), QStringLiteral("Caret address ") + offset);
    QStringList runs;
    for (int i = 0; i < pText->selectionCount(); ++i)
        runs << Selected(pText, i);
    QCOMPARE(runs, selected);
    // One caret event per key, the last where the caret stands; a selection
    // event per change of it; nothing else, as the lines did not change.
    const auto moves = heard.Of(pView, QAccessible::TextCaretMoved);
    QCOMPARE(int(moves.size()), int(keys.size()));
    QCOMPARE(moves.back().Position, position);
    const auto selections = heard.Of(pView, QAccessible::TextSelectionChanged);
    QCOMPARE(int(selections.size()), selectionEvents);
    QVERIFY(selections.empty() || selections.back().Position == position);
    QCOMPARE(heard.Events.size(), moves.size() + selections.size());
}

void tst_accessibility::scrollingAndEditsSendUpdates()
{
    CProgram program;
    CBytelonView* pView = OpenEightPerLine(program, Counting(100));
    CBytelonView* pSecond = OpenSecondWindow(program, pView);
    ShowLines(pSecond, 6);
    Focus(pView);
    QCOMPARE(std::pair(Name(pView), Name(pSecond)), std::pair(QStringLiteral("data.bin:1"), QStringLiteral("data.bin:2")));
    CHeard heard;
    // A reader keeps its copy of the text up to date from the updates alone, one per change.
    QString copy = AllText(pView);
    const auto follow = [&](int count, const QString& lastLine) {
        const auto updates = heard.Of(pView, QAccessible::TextUpdated);
        QCOMPARE(int(updates.size()), count);
        const CHeardEvent& update = updates.back();
        QCOMPARE(copy.mid(update.Position, update.Removed.size()), update.Removed);
        copy.replace(update.Position, update.Removed.size(), update.Inserted);
        QCOMPARE(copy, AllText(pView));
        QVERIFY2(copy.endsWith(lastLine), qPrintable(copy));
    };

    // Down from the last row scrolls one line: the first goes, a new last one comes.
    Keys(pView, QStringLiteral("DDD"));
    QCOMPARE(pView->TopOffset, 8);
    follow(1, QStringLiteral("00000018   18 19 1A 1B 1C 1D 1E 1F   \u2418\u2419\u241A\u241B\u241C\u241D\u241E\u241F"));
    QVERIFY(copy.startsWith(QStringLiteral("00000008   08 09")));
    // The caret kept its row, so its place in the text, but stands on another byte.
    const auto moves = heard.Of(pView, QAccessible::TextCaretMoved);
    QCOMPARE(int(moves.size()), 3);
    QCOMPARE(moves.back().Position, 2 * LineLength + 11);

    // A character typed in the text pane goes in through the Insert dialog,
    // whose boxes are named by their labels; both windows hear of it, and of a deletion.
    QStringList boxNames;
    WhenModal([&boxNames](QWidget* pDialog) {
        ProcessEvents(1);  // the typed character arrives in its box
        auto* pAscii = static_cast<CDialog*>(pDialog)->GetDlgItem(IDC_INSERT_ASCII);
        boxNames << Name(pAscii) << Name(static_cast<CDialog*>(pDialog)->GetDlgItem(IDC_INSERT_HEX));
        QTest::keyRelease(pAscii, Qt::Key_Z);
        QTest::keyClick(pAscii, Qt::Key_Return);
    });
    Keys(pView, QStringLiteral("Tz"));
    QCOMPARE(boxNames, QStringList({"Ascii", "Hex"}));
    QCOMPARE(CProgram::WorkFileBytes(pView->GetDocument()).at(24), 'z');
    follow(2, QStringLiteral("00000018   7A 18 19 1A 1B 1C 1D 1E   z\u2418\u2419\u241A\u241B\u241C\u241D\u241E"));
    Keys(pView, QStringLiteral("X"));
    follow(3, QStringLiteral("00000018   7A 19 1A 1B 1C 1D 1E 1F   z\u2419\u241A\u241B\u241C\u241D\u241E\u241F"));
    QCOMPARE(int(heard.Of(pSecond, QAccessible::TextUpdated).size()), 2);
    QVERIFY(AllText(pSecond).contains(QStringLiteral("00000018   7A 19 1A")));

    // The window that becomes active has the focus its reader follows.
    program.Frame()->activateWindow();
    program.Frame()->MDIActivate(pSecond->GetParentFrame());
    ProcessEvents();
    QVERIFY(Interface(pSecond)->state().focused && !Interface(pView)->state().focused);
}

void tst_accessibility::controlsAreNamed()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(Counting(40));
    std::map<QString, QAccessibleInterface*> buttons;
    for (QToolButton* pButton : program.Frame()->findChild<QToolBar*>()->findChildren<QToolButton*>()) {
        if (pButton->defaultAction()) {
            QVERIFY2(!Name(pButton).isEmpty() && !Name(pButton).contains(QLatin1Char('\t')), qPrintable(Name(pButton)));
            buttons[Name(pButton)] = Interface(pButton);
        }
    }
    QCOMPARE(int(buttons.size()), 18);
    QCOMPARE(buttons.at("New")->text(QAccessible::Accelerator), QStringLiteral("Ctrl+N"));
    QCOMPARE(buttons.at("Copy")->actionInterface()->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
             QStringList("Ctrl+C"));
    QVERIFY(buttons.at("Columns")->text(QAccessible::Accelerator).isEmpty());
    // Pressed by a reader, a button runs its command.
    QCOMPARE(buttons.at("Decimal Addresses")->role(), QAccessible::CheckBox);
    buttons.at("Decimal Addresses")->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    ProcessEvents();
    QCOMPARE(pView->HexAddress, 0);

    CStatusBar* pBar = program.Frame()->GetStatusBar();
    QStringList paneNames;
    for (int i = 0; i < pBar->GetCount(); ++i)
        paneNames << Name(pBar->GetPane(i));
    QCOMPARE(paneNames, QStringList({"Message", "Caret address", "Caps Lock", "Num Lock"}));
    QCOMPARE(Interface(pBar->GetPane(1))->text(QAccessible::Description), program.PaneText(1));

    // The Find and Replace boxes by their labels, the radio groups by their frames, Goto's box by its prompt.
    QStringList names;
    const auto nameOf = [&names](QWidget* pDialog, int id, bool group = false) {
        QAccessibleInterface* pBox = Interface(static_cast<CDialog*>(pDialog)->GetDlgItem(id));
        names << (group ? pBox->parent() : pBox)->text(QAccessible::Name);
    };
    QTest::keyClick(pView, Qt::Key_F, Qt::ControlModifier);
    CFindDlg* pFind = program.App()->pFindDlg;
    QVERIFY(pFind);
    for (const int id : {IDC_FIND_ASCII, IDC_FIND_HEX})
        nameOf(pFind, id);
    nameOf(pFind, IDC_FIND_UP, true);
    nameOf(pFind, IDC_FIND_CASE_NO, true);
    QCOMPARE(Interface(pFind->GetDlgItem(IDC_FIND_UP))->parent()->role(), QAccessible::Grouping);
    pFind->close();
    Focus(pView);
    QTest::keyClick(pView, Qt::Key_R, Qt::ControlModifier);
    QVERIFY(program.App()->pReplaceDlg);
    nameOf(program.App()->pReplaceDlg, IDC_REPLACE_WITH_HEX);
    nameOf(program.App()->pReplaceDlg, IDC_REPLACE_WITH_HEX, true);
    program.App()->pReplaceDlg->close();
    Focus(pView);
    WhenModal([&nameOf](QWidget* pDialog) {
        nameOf(pDialog, IDC_ADDRESS);
        QTest::keyClick(static_cast<CDialog*>(pDialog)->GetDlgItem(IDC_ADDRESS), Qt::Key_Escape);
    });
    QTest::keyClick(pView, Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(names, QStringList({"Ascii", "Hex", "Direction", "Case Sensitive", "Hex", "Replace With:", "Goto Address"}));
}

QTEST_MAIN(tst_accessibility)
#include "tst_accessibility.moc"
