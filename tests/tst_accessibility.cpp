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
#include <QLineEdit>
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

// The events the views send while it lives, as (object, type, position, removed, inserted).
struct CHeard {
    using CEvent = std::tuple<QObject*, QAccessible::Event, int, QString, QString>;
    CHeard()
    {
        SetAccessibleObserver([this](QAccessibleEvent* p) {
            auto* pUpdate = p->type() == QAccessible::TextUpdated ? static_cast<QAccessibleTextUpdateEvent*>(p) : nullptr;
            Events.emplace_back(p->object(), p->type(),
                                pUpdate ? pUpdate->changePosition()
                                        : static_cast<QAccessibleTextCursorEvent*>(p)->cursorPosition(),
                                pUpdate ? pUpdate->textRemoved() : QString(), pUpdate ? pUpdate->textInserted() : QString());
        });
    }
    ~CHeard() { SetAccessibleObserver(nullptr); }
    [[nodiscard]] std::vector<CEvent> Of(QObject* pObject, QAccessible::Event type) const
    {
        std::vector<CEvent> found;
        std::copy_if(Events.begin(), Events.end(), std::back_inserter(found), [&](const CEvent& e) {
            return std::get<0>(e) == pObject && std::get<1>(e) == type;
        });
        return found;
    }
    std::vector<CEvent> Events;
};

QAccessibleInterface* Interface(QObject* pObject)
{
    return QAccessible::queryAccessibleInterface(pObject);
}

QString Name(QObject* pObject)
{
    return Interface(pObject)->text(QAccessible::Name);
}

QAccessibleTextInterface* Text(QObject* pObject)
{
    return Interface(pObject)->textInterface();
}

QString AllText(QObject* pObject)
{
    return Text(pObject)->text(0, Text(pObject)->characterCount());
}

QString Selected(QAccessibleTextInterface* pText, int index)
{
    int start = 0;
    int end = 0;
    pText->selection(index, &start, &end);
    return pText->text(start, end);
}

// One key at a time, as typed: the event loop runs between keys.
void Keys(CBytelonView* pView, const QString& keys, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const Qt::Key map[] = {Qt::Key_Right, Qt::Key_Down, Qt::Key_Home, Qt::Key_End, Qt::Key_Tab};
    for (const QChar key : keys) {
        QTest::keyClick(pView, map[QStringLiteral("RDHET").indexOf(key)], modifiers);
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
    void selectionIsATextSelection();
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
    // Decimal addresses widen the address and move the columns with it.
    program.Frame()->ExecuteCommand(ID_VIEW_ADDRESS_BASE_10);
    ProcessEvents();
    QVERIFY(AllText(pView).startsWith(QStringLiteral("0000000000   48 69 00")));
    QCOMPARE(pInterface->text(QAccessible::Description), QStringLiteral("Caret address 0000000000"));
}

void tst_accessibility::caretFollowsKeys_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("atCaret");
    QTest::addColumn<QString>("offset");
    QTest::newRow("right") << "R" << 14 << "69" << "00000001";
    QTest::newRow("down") << "D" << LineLength + 11 << "00" << "00000008";
    QTest::newRow("end-of-line-place") << "E" << 35 << "" << "00000008";
    QTest::newRow("end-then-home") << "EH" << 11 << "48" << "00000000";
    QTest::newRow("tab-to-the-characters") << "T" << 37 << "H" << "00000000";
    QTest::newRow("characters-right-and-down") << "TRD" << LineLength + 38 << "\u2401" << "00000009";
    QTest::newRow("tab-back-to-hex") << "TRT" << 14 << "69" << "00000001";
}

void tst_accessibility::caretFollowsKeys()
{
    QFETCH(QString, keys);
    QFETCH(int, position);
    QFETCH(QString, atCaret);
    QFETCH(QString, offset);
    CProgram program;
    CBytelonView* pView = OpenEightPerLine(program, Bytes);
    QAccessibleTextInterface* pText = Text(pView);
    CHeard heard;
    Keys(pView, keys);
    QCOMPARE(pText->cursorPosition(), position);
    QCOMPARE(pText->text(position, position + int(atCaret.size())).trimmed(), atCaret);
    QCOMPARE(Interface(pView)->text(QAccessible::Description), QStringLiteral("Caret address ") + offset);
    // One caret event per key, the last where the caret stands; the lines did not change.
    const auto moves = heard.Of(pView, QAccessible::TextCaretMoved);
    QCOMPARE(int(moves.size()), int(keys.size()));
    QCOMPARE(std::get<2>(moves.back()), position);
    QVERIFY(heard.Of(pView, QAccessible::TextUpdated).empty());
}

void tst_accessibility::selectionIsATextSelection()
{
    CProgram program;
    CBytelonView* pView = OpenEightPerLine(program, Bytes);
    QAccessibleTextInterface* pText = Text(pView);
    CHeard heard;
    Keys(pView, QStringLiteral("R"));
    Keys(pView, QStringLiteral("RR"), Qt::ShiftModifier);
    QCOMPARE(pText->selectionCount(), 1);
    QCOMPARE(Selected(pText, 0), QStringLiteral("69 00"));
    const auto selections = heard.Of(pView, QAccessible::TextSelectionChanged);
    QCOMPARE(int(selections.size()), 2);
    QCOMPARE(std::get<2>(selections.back()), pText->cursorPosition());
    // In the text pane the same bytes are their characters; over two lines, two runs.
    Keys(pView, QStringLiteral("T"));
    QCOMPARE(Selected(pText, 0), QStringLiteral("i\u2400"));
    Keys(pView, QStringLiteral("D"), Qt::ShiftModifier);
    QCOMPARE(pText->selectionCount(), 2);
    QCOMPARE(Selected(pText, 0), QStringLiteral("i\u2400\u240A\u2421\u20AC\uFFFD\u00FF"));
    QCOMPARE(Selected(pText, 1), QStringLiteral("\u2400\u2401\u2402"));
    // A reader selects too: bytes 8 and 9 in hex; then it puts the caret on byte 17's character.
    pText->setSelection(0, LineLength + 11, LineLength + 16);
    QCOMPARE(Selection(pView), std::pair(8, 10));
    QCOMPARE(Selected(pText, 0), QStringLiteral("00 01"));
    pText->setCursorPosition(2 * LineLength + 38);
    QCOMPARE(std::pair(pView->CaretOffset(), pView->CaretInText), std::pair(17, 1));
    QVERIFY(!pView->SelActive && pText->selectionCount() == 0);
}

void tst_accessibility::scrollingAndEditsSendUpdates()
{
    CProgram program;
    CBytelonView* pView = OpenEightPerLine(program, Counting(100));
    CBytelonView* pSecond = OpenSecondWindow(program, pView);
    ShowLines(pSecond, 6);
    Focus(pView);
    QCOMPARE(Name(pView), QStringLiteral("data.bin:1"));
    QCOMPARE(Name(pSecond), QStringLiteral("data.bin:2"));
    CHeard heard;
    // A reader keeps its copy of the text up to date from the updates alone.
    QString copy = AllText(pView);
    auto follow = [&copy](const CHeard::CEvent& update) {
        const auto& [pObject, type, position, removed, inserted] = update;
        QCOMPARE(copy.mid(position, removed.size()), removed);
        copy.replace(position, removed.size(), inserted);
    };

    // Down from the last row scrolls one line: the first goes, a new last one comes.
    Keys(pView, QStringLiteral("DDD"));
    QCOMPARE(pView->TopOffset, 8);
    auto updates = heard.Of(pView, QAccessible::TextUpdated);
    QCOMPARE(int(updates.size()), 1);
    follow(updates[0]);
    QCOMPARE(copy, AllText(pView));
    QVERIFY(copy.startsWith(QStringLiteral("00000008   08 09")));
    QVERIFY(copy.endsWith(QStringLiteral("00000018   18 19 1A 1B 1C 1D 1E 1F   \u2418\u2419\u241A\u241B\u241C\u241D\u241E\u241F")));
    // The caret kept its row, so its place in the text, but stands on another byte.
    const auto moves = heard.Of(pView, QAccessible::TextCaretMoved);
    QCOMPARE(int(moves.size()), 3);
    QCOMPARE(std::get<2>(moves.back()), 2 * LineLength + 11);

    // A byte typed in the text pane goes in through the Insert dialog, whose
    // boxes are named by their labels; both windows hear of it.
    QStringList boxNames;
    WhenModal([&boxNames](QWidget* pDialog) {
        ProcessEvents(1);  // the typed character arrives in its box
        auto* pAscii = static_cast<CDialog*>(pDialog)->GetDlgItem(IDC_INSERT_ASCII);
        boxNames << Name(pAscii) << Name(static_cast<CDialog*>(pDialog)->GetDlgItem(IDC_INSERT_HEX));
        QTest::keyRelease(pAscii, Qt::Key_Z);
        QTest::keyClick(pAscii, Qt::Key_Return);
    });
    Keys(pView, QStringLiteral("T"));
    QTest::keyClick(pView, Qt::Key_Z);
    ProcessEvents();
    QCOMPARE(boxNames, QStringList({QStringLiteral("Ascii"), QStringLiteral("Hex")}));
    QCOMPARE(CProgram::WorkFileBytes(pView->GetDocument()).at(24), 'z');
    updates = heard.Of(pView, QAccessible::TextUpdated);
    QCOMPARE(int(updates.size()), 2);
    follow(updates[1]);
    QCOMPARE(copy, AllText(pView));
    QVERIFY(copy.endsWith(QStringLiteral("00000018   7A 18 19 1A 1B 1C 1D 1E   z\u2418\u2419\u241A\u241B\u241C\u241D\u241E")));
    QCOMPARE(int(heard.Of(pSecond, QAccessible::TextUpdated).size()), 1);
    QVERIFY(AllText(pSecond).contains(QStringLiteral("00000018   7A 18 19")));

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

    // The Find and Replace boxes by their labels, the radio groups by their frames.
    QTest::keyClick(pView, Qt::Key_F, Qt::ControlModifier);
    CFindDlg* pFind = program.App()->pFindDlg;
    QVERIFY(pFind);
    QCOMPARE(Name(pFind->GetDlgItem(IDC_FIND_ASCII)), QStringLiteral("Ascii"));
    QCOMPARE(Name(pFind->GetDlgItem(IDC_FIND_HEX)), QStringLiteral("Hex"));
    QAccessibleInterface* pDirection = Interface(pFind->GetDlgItem(IDC_FIND_UP))->parent();
    QCOMPARE(std::pair(pDirection->role(), pDirection->text(QAccessible::Name)),
             std::pair(QAccessible::Grouping, QStringLiteral("Direction")));
    QCOMPARE(Interface(pFind->GetDlgItem(IDC_FIND_CASE_NO))->parent()->text(QAccessible::Name), "Case Sensitive");
    pFind->close();
    Focus(pView);
    QTest::keyClick(pView, Qt::Key_R, Qt::ControlModifier);
    CReplaceDlg* pReplace = program.App()->pReplaceDlg;
    QVERIFY(pReplace);
    QCOMPARE(Name(pReplace->GetDlgItem(IDC_REPLACE_WITH_HEX)), QStringLiteral("Hex"));
    QCOMPARE(Interface(pReplace->GetDlgItem(IDC_REPLACE_WITH_HEX))->parent()->text(QAccessible::Name), "Replace With:");
    pReplace->close();
    Focus(pView);
    // And Goto's box by its prompt.
    QString gotoName;
    WhenModal([&gotoName](QWidget* pDialog) {
        QWidget* pBox = static_cast<CDialog*>(pDialog)->GetDlgItem(IDC_ADDRESS);
        gotoName = Name(pBox);
        QTest::keyClick(pBox, Qt::Key_Escape);
    });
    QTest::keyClick(pView, Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(gotoName, QStringLiteral("Goto Address"));
}

QTEST_MAIN(tst_accessibility)
#include "tst_accessibility.moc"
