// The modeless Find and Replace dialogs: their state at opening, the search
// text they share, the commands that open them, Replace, and Replace All
// running from the application's idle processing.

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "framework/File.h"
#include "framework/MDIChildWnd.h"
#include "res/Resource.h"
#include "search/FindDlg.h"
#include "search/ReplaceDlg.h"
#include "view/BytelonView.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpontaneKeyEvent>
#include <QTest>
#include <QWheelEvent>

#include <climits>
#include <memory>
#include <optional>
#include <random>
#include <tuple>

namespace {

const QString EndReached = QStringLiteral("Reached end of document");
const QString DiskFull = QStringLiteral("Disk full while accessing ");

QLineEdit* Edit(CDialog* pDialog, int id)
{
    return pDialog->GetDlgItemAs<QLineEdit>(id);
}

void Click(CDialog* pDialog, int id)
{
    pDialog->GetDlgItemAs<QAbstractButton>(id)->click();
}

bool Checked(CDialog* pDialog, int id)
{
    return pDialog->GetDlgItemAs<QRadioButton>(id)->isChecked();
}

// Types into a hex box as the user would, so the pair follows.
void TypeHex(CDialog* pDialog, int id, const QString& text)
{
    QLineEdit* pEdit = Edit(pDialog, id);
    pEdit->clear();
    QTest::keyClicks(pEdit, text);
    // Emptying the box takes a key too.
    if (text.isEmpty())
        QTest::keyClick(pEdit, Qt::Key_Backspace);
}

// The command as the user gives it, from the document window.
CFindDlg* OpenFind(CProgram& program)
{
    if (CBytelonView* pView = program.App()->pCurrentView)
        Focus(pView);
    program.Frame()->ExecuteCommand(ID_SEARCH_FIND);
    return program.App()->pFindDlg;
}

CReplaceDlg* OpenReplace(CProgram& program)
{
    if (CBytelonView* pView = program.App()->pCurrentView)
        Focus(pView);
    program.Frame()->ExecuteCommand(ID_SEARCH_REPLACE);
    return program.App()->pReplaceDlg;
}

// The Replace dialog with both strings typed in.
CReplaceDlg* OpenReplace(CProgram& program, const QString& findHex, const QString& withHex)
{
    CReplaceDlg* pReplace = OpenReplace(program);
    TypeHex(pReplace, IDC_REPLACE_FIND_HEX, findHex);
    TypeHex(pReplace, IDC_REPLACE_WITH_HEX, withHex);
    return pReplace;
}

template <class T>
int VisibleDialogs()
{
    int count = 0;
    for (QWidget* pWidget : QApplication::topLevelWidgets()) {
        if (qobject_cast<T*>(pWidget) && pWidget->isVisible())
            ++count;
    }
    return count;
}

// Lets the idle steps run until Replace All stops.
bool RunReplaceAll(CProgram& program)
{
    for (int i = 0; i < 2000 && program.App()->ReplaceAllActive; ++i)
        ProcessEvents(1);
    return !program.App()->ReplaceAllActive;
}

// The model of a run of steps from caret: left to right, without overlaps,
// each search going on after the bytes the replacement before inserted;
// only A to Z fold when case is ignored. At most limit steps; their count.
long ModelReplace(QByteArray& bytes, int& caret, const QByteArray& find, const QByteArray& with, bool ignoreCase,
                  long limit = LONG_MAX)
{
    auto fold = [&](char c) { return ignoreCase && c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c; };
    long steps = 0;
    for (int at = caret; steps < limit && at + find.size() <= bytes.size();) {
        int k = 0;
        while (k < find.size() && fold(bytes[at + k]) == fold(find[k]))
            ++k;
        if (k < find.size()) {
            ++at;
            continue;
        }
        bytes.replace(at, int(find.size()), with);
        at += int(with.size());
        caret = at;
        ++steps;
    }
    return steps;
}

// The message the search after the last step gives.
QString EndMessage(const QByteArray& bytes, const QByteArray& find)
{
    return find.size() > bytes.size() ? QStringLiteral("Search string is longer than document") : EndReached;
}

QString Hex(const QByteArray& bytes)
{
    return CHexAsciiPair::HexTextOf(bytes.constData(), int(bytes.size()));
}

// A window's caret, selection and place over its document.
struct CWindowState {
    int Caret = -1, TopOffset = -1, SelActive = -1, SelAnchor = -1, SelEnd = -1;
    bool operator==(const CWindowState& o) const
    {
        return std::tie(Caret, TopOffset, SelActive, SelAnchor, SelEnd)
               == std::tie(o.Caret, o.TopOffset, o.SelActive, o.SelAnchor, o.SelEnd);
    }
};

CWindowState WindowState(const CBytelonView* pView)
{
    if (!pView)
        return {};
    return {pView->CaretOffset(), pView->TopOffset, pView->SelActive, pView->SelAnchor, pView->SelEnd};
}

// What a finished Replace All leaves: the bytes, the windows and the messages.
struct CReplaceAllOutcome {
    QByteArray Bytes;
    int DocLen;
    CWindowState Window, OtherWindow;
    bool Modified;
    QStringList Messages;
    QString Pane;
    bool operator==(const CReplaceAllOutcome& o) const
    {
        return std::tie(Bytes, DocLen, Window, OtherWindow, Modified, Messages, Pane)
               == std::tie(o.Bytes, o.DocLen, o.Window, o.OtherWindow, o.Modified, o.Messages, o.Pane);
    }
};

CReplaceAllOutcome Outcome(CProgram& program, CBytelonView* pView, CBytelonView* pOther = nullptr)
{
    CBytelonDoc* pDocument = pView->GetDocument();
    return {CProgram::WorkFileBytes(pDocument), pDocument->DocLen, WindowState(pView), WindowState(pOther),
            pDocument->IsModified(), program.Messages.Texts, program.PaneText(0)};
}

QString Describe(const CReplaceAllOutcome& outcome)
{
    auto window = [](const CWindowState& w) {
        return QStringLiteral("caret %1 top %2 sel %3 %4-%5")
            .arg(w.Caret).arg(w.TopOffset).arg(w.SelActive).arg(w.SelAnchor).arg(w.SelEnd);
    };
    return QStringLiteral("%1 bytes [%2], %3; other %4; %5; \"%6\"")
        .arg(outcome.DocLen)
        .arg(QString::fromLatin1(outcome.Bytes.left(40).toHex()))
        .arg(window(outcome.Window), window(outcome.OtherWindow), outcome.Messages.join(QLatin1Char('|')),
             outcome.Pane);
}

// Runs the first slice of a pass (streaming) and notes its count, or runs
// the steps (not streaming) up to that count, so both are compared at the same point.
bool ReachSameCount(CProgram& program, bool streaming, long& at)
{
    program.App()->OnIdle(0);
    if (streaming)
        at = program.App()->ReplaceCount;
    for (int i = 0; i < 2000 && program.App()->ReplaceCount < at; ++i)
        program.App()->OnIdle(0);
    return program.App()->ReplaceCount == at;
}

}  // namespace

class tst_findreplace : public QObject {
    Q_OBJECT
private slots:
    void findDialogOpensAndRemembers();
    void tabOrder_data();
    void tabOrder();
    void findUpSearchesBackwards();
    void findFormatErrorFocusesHexBox();
    void commandsDisabledForEmptyDocument();
    void commandsWhileOpenDoNothing();
    void findNextWithoutViewDoesNothing();
    void exitDeletesOpenDialogs();
    void replaceAll_data();
    void replaceAll();
    void replaceAllWithEmptyFindDoesNothing();
    void replaceInsertsThenSelectsNext();
    void closingStopsReplaceAll();
    void keyInViewEndsThePassAtAStep();
    void failedReplacementStopsReplaceAll();
    void passFailureShowsOneBox_data();
    void passFailureShowsOneBox();
    void shiftNeverExtends_data();
    void shiftNeverExtends();
    void commandMidPassEqualsTheSteps_data();
    void commandMidPassEqualsTheSteps();
    void runEndsWithItsDocument_data();
    void runEndsWithItsDocument();
    void eventMidPassEqualsTheSteps_data();
    void eventMidPassEqualsTheSteps();
    void endingCopiesTheRestInPieces();
    void randomReplaceAllMatchesModel();
};

void tst_findreplace::findDialogOpensAndRemembers()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(QByteArray("xx24yy"));
    CFindDlg* pFind = OpenFind(program);
    QVERIFY(pFind);
    QVERIFY(pFind->isVisible());
    QVERIFY(Checked(pFind, IDC_FIND_DOWN));
    QVERIFY(Checked(pFind, IDC_FIND_CASE_NO));
    QVERIFY(Edit(pFind, IDC_FIND_HEX)->text().isEmpty());
    TypeHex(pFind, IDC_FIND_HEX, QStringLiteral("32 34"));
    Click(pFind, IDC_FIND_NEXT);
    QCOMPARE(Selection(pView), std::pair(2, 4));

    // Choices made now are not kept; the text is.
    pFind->GetDlgItemAs<QRadioButton>(IDC_FIND_UP)->click();
    pFind->GetDlgItemAs<QRadioButton>(IDC_FIND_CASE_YES)->click();
    QPointer<CFindDlg> closed = pFind;
    Click(pFind, IDCANCEL);
    QVERIFY(!program.App()->pFindDlg);
    ProcessEvents();
    QVERIFY(closed.isNull());
    QCOMPARE(program.PaneText(0), QString());
    QCOMPARE(program.App()->SearchHexText, QStringLiteral("32 34"));

    pFind = OpenFind(program);
    QCOMPARE(Edit(pFind, IDC_FIND_HEX)->text(), QStringLiteral("32 34"));
    QCOMPARE(Edit(pFind, IDC_FIND_ASCII)->text(), QStringLiteral("24"));
    // The restored text has the caret at its start, in the text box and, tabbed into, the hex box.
    Edit(pFind, IDC_FIND_ASCII)->setFocus(Qt::ActiveWindowFocusReason);
    QCOMPARE(Edit(pFind, IDC_FIND_ASCII)->cursorPosition(), 0);
    QTest::keyClick(pFind->focusWidget(), Qt::Key_Tab);
    QCOMPARE(pFind->focusWidget(), Edit(pFind, IDC_FIND_HEX));
    QCOMPARE(Edit(pFind, IDC_FIND_HEX)->cursorPosition(), 0);
    QVERIFY(Checked(pFind, IDC_FIND_DOWN) && !Checked(pFind, IDC_FIND_UP));
    QVERIFY(Checked(pFind, IDC_FIND_CASE_NO) && !Checked(pFind, IDC_FIND_CASE_YES));
    // The close box keeps the text as Cancel does.
    TypeHex(pFind, IDC_FIND_HEX, QStringLiteral("79"));
    pFind->close();
    QVERIFY(!program.App()->pFindDlg);
    QCOMPARE(program.App()->SearchHexText, QStringLiteral("79"));

    CReplaceDlg* pReplace = OpenReplace(program);
    QCOMPARE(Edit(pReplace, IDC_REPLACE_FIND_HEX)->text(), QStringLiteral("79"));
    QCOMPARE(Edit(pReplace, IDC_REPLACE_FIND_ASCII)->text(), QStringLiteral("y"));
    QVERIFY(Checked(pReplace, IDC_REPLACE_CASE_NO));
}

void tst_findreplace::tabOrder_data()
{
    QTest::addColumn<UINT>("command");
    QTest::addColumn<int>("chosen");  // a radio button clicked first, or 0
    QTest::addColumn<QList<int>>("stops");
    QTest::newRow("goto-edit-ok-cancel") << UINT(ID_SEARCH_GOTO) << 0 << QList<int>{IDC_ADDRESS, IDOK, IDCANCEL};
    QTest::newRow("columns-edit-ok-cancel") << UINT(ID_VIEW_DATA_COLUMNS) << 0
                                            << QList<int>{IDC_COLUMNS, IDOK, IDCANCEL};
    QTest::newRow("find-on-checked-buttons")
        << UINT(ID_SEARCH_FIND) << 0
        << QList<int>{IDC_FIND_ASCII, IDC_FIND_HEX, IDC_FIND_DOWN, IDC_FIND_CASE_NO, IDCANCEL, IDC_FIND_NEXT};
    QTest::newRow("find-with-up-chosen")
        << UINT(ID_SEARCH_FIND) << int(IDC_FIND_UP)
        << QList<int>{IDC_FIND_ASCII, IDC_FIND_HEX, IDC_FIND_UP, IDC_FIND_CASE_NO, IDCANCEL, IDC_FIND_NEXT};
    QTest::newRow("replace") << UINT(ID_SEARCH_REPLACE) << 0
                             << QList<int>{IDC_REPLACE_FIND_ASCII, IDC_REPLACE_FIND_HEX, IDC_REPLACE_WITH_ASCII,
                                           IDC_REPLACE_WITH_HEX, IDC_REPLACE_CASE_NO, IDC_REPLACE_ALL, IDC_REPLACE,
                                           IDCANCEL, IDC_REPLACE_FIND_NEXT};
}

void tst_findreplace::tabOrder()
{
    QFETCH(UINT, command);
    QFETCH(int, chosen);
    QFETCH(QList<int>, stops);
    CProgram program;
    CBytelonView* pView = program.OpenFocused(QByteArray("xx24yy"));
    // Tab from the first stop round to it again, with the real key.
    QList<int> seen;
    auto walk = [&seen, &stops, chosen](QWidget* pModal) {
        auto* pDialog = qobject_cast<CDialog*>(pModal);
        QVERIFY(pDialog);
        if (chosen)
            pDialog->GetDlgItemAs<QRadioButton>(chosen)->click();
        pDialog->GetDlgItem(stops.front())->setFocus(Qt::TabFocusReason);
        for (int i = 0; i <= stops.size(); ++i) {
            QWidget* pFocus = pDialog->focusWidget();
            seen << (pFocus ? pFocus->property("controlId").toInt() : -1);
            QTest::keyClick(pFocus, Qt::Key_Tab);
        }
    };
    if (command == ID_SEARCH_FIND || command == ID_SEARCH_REPLACE) {
        Focus(pView);
        QVERIFY(program.Frame()->ExecuteCommand(command));
        CDialog* pDialog = command == ID_SEARCH_FIND ? static_cast<CDialog*>(program.App()->pFindDlg)
                                                     : static_cast<CDialog*>(program.App()->pReplaceDlg);
        QVERIFY(pDialog);
        walk(pDialog);
    } else {
        WhenModal([&walk](QWidget* pModal) {
            walk(pModal);
            QTest::keyClick(pModal, Qt::Key_Escape);
        });
        QVERIFY(program.Frame()->ExecuteCommand(command));
    }
    QCOMPARE(seen, stops + QList<int>{stops.front()});
}

void tst_findreplace::findUpSearchesBackwards()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(QByteArray("ab.AB.ab"));
    PlaceCaret(pView, 8);
    CFindDlg* pFind = OpenFind(program);
    TypeHex(pFind, IDC_FIND_HEX, QStringLiteral("41 42"));
    pFind->GetDlgItemAs<QRadioButton>(IDC_FIND_UP)->click();
    Click(pFind, IDC_FIND_NEXT);
    QCOMPARE(Selection(pView), std::pair(8, 6));
    // Case sensitive: only the capitals match.
    pFind->GetDlgItemAs<QRadioButton>(IDC_FIND_CASE_YES)->click();
    Click(pFind, IDC_FIND_NEXT);
    QCOMPARE(Selection(pView), std::pair(5, 3));
    Click(pFind, IDC_FIND_NEXT);
    QCOMPARE(program.Messages.Texts, QStringList{QStringLiteral("Reached top of document")});
}

void tst_findreplace::findFormatErrorFocusesHexBox()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(QByteArray("AB"));
    CFindDlg* pFind = OpenFind(program);
    QLineEdit* pHex = Edit(pFind, IDC_FIND_HEX);
    pHex->setText(QStringLiteral("4142"));
    Edit(pFind, IDC_FIND_ASCII)->setFocus();
    Click(pFind, IDC_FIND_NEXT);
    QCOMPARE(program.Messages.Texts,
             QStringList{QStringLiteral("Hex Edit box format error.\nCorrect format example:  32 34 68 67")});
    QCOMPARE(pFind->focusWidget(), pHex);
    QVERIFY(!pView->SelActive);
}

void tst_findreplace::commandsDisabledForEmptyDocument()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(QByteArray());
    for (UINT id : {ID_SEARCH_FIND, ID_SEARCH_REPLACE}) {
        QVERIFY(!MenuItemEnabled(program, id));
        program.Frame()->ExecuteCommand(id);
    }
    QVERIFY(!program.App()->pFindDlg);
    QVERIFY(!program.App()->pReplaceDlg);

    CBytelonView* pFull = program.OpenBytes(QByteArray("a"), QStringLiteral("full.bin"));
    Focus(pFull);
    QVERIFY(MenuItemEnabled(program, ID_SEARCH_FIND));
}

void tst_findreplace::commandsWhileOpenDoNothing()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(QByteArray("abc"));
    CFindDlg* pFind = OpenFind(program);
    CReplaceDlg* pReplace = OpenReplace(program);
    TypeHex(pFind, IDC_FIND_HEX, QStringLiteral("61"));
    Focus(pView);
    QCOMPARE(OpenFind(program), pFind);
    QCOMPARE(OpenReplace(program), pReplace);
    QCOMPARE(VisibleDialogs<CFindDlg>(), 1);
    QCOMPARE(VisibleDialogs<CReplaceDlg>(), 1);
    QCOMPARE(Edit(pFind, IDC_FIND_HEX)->text(), QStringLiteral("61"));
}

void tst_findreplace::findNextWithoutViewDoesNothing()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(QByteArray("abc"));
    CFindDlg* pFind = OpenFind(program);
    CReplaceDlg* pReplace = OpenReplace(program);
    TypeHex(pFind, IDC_FIND_HEX, QStringLiteral("61"));
    TypeHex(pReplace, IDC_REPLACE_FIND_HEX, QStringLiteral("61"));
    pView->GetDocument()->OnCloseDocument();
    ProcessEvents();
    QVERIFY(!program.App()->pCurrentView);
    Click(pFind, IDC_FIND_NEXT);
    for (int id : {IDC_REPLACE_FIND_NEXT, IDC_REPLACE, IDC_REPLACE_ALL})
        Click(pReplace, id);
    ProcessEvents();
    QVERIFY(program.Messages.Texts.isEmpty());
    QVERIFY(!program.App()->ReplaceAllActive);
}

void tst_findreplace::exitDeletesOpenDialogs()
{
    CProgram program;
    program.OpenFocused(QByteArray("abc"));
    QPointer<CFindDlg> pFind = OpenFind(program);
    QPointer<CReplaceDlg> pReplace = OpenReplace(program);
    QVERIFY(pFind && pReplace);
    program.Exit();
    QVERIFY(pFind.isNull());
    QVERIFY(pReplace.isNull());
}

void tst_findreplace::replaceAll_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replace");
    QTest::addColumn<bool>("caseYes");
    QTest::addColumn<int>("blockSize");
    QTest::addColumn<QByteArray>("result");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("message");
    const QString tooLong = QStringLiteral("Search string is longer than document");
    QTest::newRow("byte-doubled") << QByteArray("aaa") << "61" << "61 61" << false << 0 << QByteArray("aaaaaa")
                                  << "Replaced 3" << EndReached;
    QTest::newRow("no-occurrence") << QByteArray("xyz") << "61" << "62" << false << 0 << QByteArray("xyz")
                                   << "Replaced 0" << EndReached;
    QTest::newRow("case-ignored-at-opening") << QByteArray("aAa") << "61" << "62" << false << 0
                                             << QByteArray("bbb") << "Replaced 3" << EndReached;
    QTest::newRow("case-sensitive") << QByteArray("aAa") << "61" << "62" << true << 0 << QByteArray("bAb")
                                    << "Replaced 2" << EndReached;
    QTest::newRow("removing") << QByteArray("xaxax") << "61" << "" << false << 0 << QByteArray("xxx")
                              << "Replaced 2" << EndReached;
    QTest::newRow("longer-string-at-the-end") << QByteArray("..abcab") << "61 62" << "2D" << false << 0
                                              << QByteArray("..-c-") << "Replaced 2" << EndReached;
    QTest::newRow("removing-everything") << QByteArray("abab") << "61 62" << "" << false << 0 << QByteArray()
                                         << "Replaced 2" << tooLong;
    QTest::newRow("longer-than-the-document") << QByteArray("ab") << "61 62 63" << "78" << false << 0
                                              << QByteArray("ab") << "Replaced 0" << tooLong;
    QTest::newRow("replacement-holds-the-string") << QByteArray("abxab") << "61 62" << "61 62 61 62" << false
                                                  << 3 << QByteArray("ababxabab") << "Replaced 2" << EndReached;
    QTest::newRow("adjacent-and-overlapping") << QByteArray("aaaaa") << "61 61" << "2D" << false << 2
                                              << QByteArray("--a") << "Replaced 2" << EndReached;
    QTest::newRow("first-and-last-bytes") << QByteArray("Zmiddlez") << "7A" << "31 32" << false << 0
                                          << QByteArray("12middle12") << "Replaced 2" << EndReached;
    QTest::newRow("letters-fold-nothing-else") << QByteArray("Ab\xC9\xE9[{aB") << "61 42" << "2E" << false << 0
                                               << QByteArray(".\xC9\xE9[{.") << "Replaced 2" << EndReached;
    QTest::newRow("across-block-boundaries") << QByteArray("..abc..abc.abc") << "61 62 63" << "58" << false << 4
                                             << QByteArray("..X..X.X") << "Replaced 3" << EndReached;
    // The window shows lines 8 to 23: the caret must still land after "aa".
    QTest::newRow("replacement-ending-below-the-window")
        << QByteArray(23, 'x') + 'a' << "61" << "61 61" << false << 0 << QByteArray(23, 'x') + "aa" << "Replaced 1"
        << EndReached;
    // Deleting the occurrence empties the last line: the window comes up a
    // line before the replacement goes in.
    QTest::newRow("deletion-empties-the-last-line")
        << QByteArray(23, 'x') + "ax" << "61" << "62" << false << 0 << QByteArray(23, 'x') + "bx" << "Replaced 1"
        << EndReached;
    QTest::newRow("many-blocks-shrinking")
        << QByteArray("xyz").repeated(40) << "79 7A" << "" << false << 5 << QByteArray(40, 'x') << "Replaced 40"
        << EndReached;
}

// Each row runs as streaming passes in small blocks and slices, and again as
// the design's steps one at a time: the same bytes, view and messages.
void tst_findreplace::replaceAll()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, find);
    QFETCH(QString, replace);
    QFETCH(bool, caseYes);
    QFETCH(int, blockSize);
    QFETCH(QByteArray, result);
    QFETCH(QString, status);
    QFETCH(QString, message);
    std::vector<CReplaceAllOutcome> outcomes;
    for (bool streaming : {true, false}) {
        CProgram program;
        ReplaceAllInSmallBlocks(program, blockSize, 1);
        ReplaceAllStreaming(program, streaming);
        CBytelonView* pView = program.OpenFocused(document, 2);
        PlaceCaret(pView, std::min(2, int(document.size())));
        CReplaceDlg* pReplace = OpenReplace(program, find, replace);
        if (caseYes)
            pReplace->GetDlgItemAs<QRadioButton>(IDC_REPLACE_CASE_YES)->click();
        Click(pReplace, IDC_REPLACE_ALL);
        QCOMPARE(program.PaneText(0), QStringLiteral("Replaced 0"));
        QVERIFY(program.App()->ReplaceAllActive);
        QVERIFY(RunReplaceAll(program));
        outcomes.push_back(Outcome(program, pView));
        QCOMPARE(program.App()->ReplaceCount, 0L);
        QCOMPARE(program.App()->pCurrentView, pView);
    }
    const CReplaceAllOutcome& outcome = outcomes[0];
    QCOMPARE(outcome.Bytes, result);
    QCOMPARE(outcome.DocLen, int(result.size()));
    QCOMPARE(outcome.Pane, status);
    QCOMPARE(outcome.Messages, QStringList{message});
    QCOMPARE(outcome.Modified, result != document);
    if (result == document)
        QCOMPARE(outcome.Window.Caret, 0);
    QVERIFY2(outcomes[0] == outcomes[1], qPrintable(Describe(outcomes[0]) + " / " + Describe(outcomes[1])));
}

void tst_findreplace::replaceAllWithEmptyFindDoesNothing()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(QByteArray("aaa"));
    PlaceCaret(pView, 2);
    CReplaceDlg* pReplace = OpenReplace(program);
    TypeHex(pReplace, IDC_REPLACE_WITH_HEX, QStringLiteral("62"));
    Click(pReplace, IDC_REPLACE_ALL);
    QVERIFY(!program.App()->ReplaceAllActive);
    ProcessEvents();
    QVERIFY(program.Messages.Texts.isEmpty());
    QVERIFY(!program.PaneText(0).startsWith(QStringLiteral("Replaced")));
    QCOMPARE(pView->CaretOffset(), 2);
    QCOMPARE(CProgram::WorkFileBytes(pView->GetDocument()), QByteArray("aaa"));
}

void tst_findreplace::replaceInsertsThenSelectsNext()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(QByteArray("xaxa"));
    CReplaceDlg* pReplace = OpenReplace(program, QStringLiteral("61"), QStringLiteral("62 62"));
    Click(pReplace, IDC_REPLACE);
    QCOMPARE(CProgram::WorkFileBytes(pView->GetDocument()), QByteArray("bbxaxa"));
    QVERIFY(pView->SelActive);
    QCOMPARE(Selection(pView), std::pair(3, 4));
    // With the occurrence selected, Replace replaces it.
    Click(pReplace, IDC_REPLACE);
    QCOMPARE(CProgram::WorkFileBytes(pView->GetDocument()), QByteArray("bbxbbxa"));
    QCOMPARE(Selection(pView), std::pair(6, 7));
    QVERIFY(program.Messages.Texts.isEmpty());
}

void tst_findreplace::closingStopsReplaceAll()
{
    CProgram program;
    ReplaceAllInSmallBlocks(program, 8, 1);
    QByteArray document;
    for (int i = 0; i < 50; ++i)
        document += "xa";
    CBytelonView* pView = program.OpenFocused(document);
    CReplaceDlg* pReplace = OpenReplace(program, QStringLiteral("61"), QStringLiteral("62"));
    Click(pReplace, IDC_REPLACE_ALL);
    // Two slices of one block each, as two idle passes would run them.
    program.App()->OnIdle(0);
    program.App()->OnIdle(0);
    QCOMPARE(program.App()->ReplaceCount, 8L);
    QCOMPARE(program.PaneText(0), QStringLiteral("Replaced 8"));
    // Views still show the document as it was.
    QCOMPARE(CProgram::WorkFileBytes(pView->GetDocument()), document);
    Click(pReplace, IDCANCEL);
    QVERIFY(!program.App()->ReplaceAllActive);
    QCOMPARE(program.App()->ReplaceCount, 0L);
    ProcessEvents();
    program.App()->OnIdle(0);
    QCOMPARE(program.PaneText(0), QString());
    QByteArray expected = document;
    int caret = 0;
    ModelReplace(expected, caret, "a", "b", true, 8);
    QCOMPARE(CProgram::WorkFileBytes(pView->GetDocument()), expected);
    QCOMPARE(pView->GetDocument()->DocLen, int(expected.size()));
    QCOMPARE(pView->CaretOffset(), caret);
    QVERIFY(pView->GetDocument()->IsModified());
    QVERIFY(program.Messages.Texts.isEmpty());
}

void tst_findreplace::keyInViewEndsThePassAtAStep()
{
    CProgram program;
    ReplaceAllInSmallBlocks(program, 8, 1);
    const QByteArray document = QByteArray("xa").repeated(50);
    CBytelonView* pView = program.OpenFocused(document);
    CReplaceDlg* pReplace = OpenReplace(program, QStringLiteral("61"), QStringLiteral("62"));
    Click(pReplace, IDC_REPLACE_ALL);
    program.App()->OnIdle(0);
    const long steps = program.App()->ReplaceCount;
    QVERIFY(steps > 0);
    // The keys reach the view only once the steps found so far are made.
    QByteArray model = document;
    int caret = 0;
    ModelReplace(model, caret, "a", "b", true, steps);
    QTest::keyClick(pView, Qt::Key_Right);
    QCOMPARE(CProgram::WorkFileBytes(pView->GetDocument()), model);
    QTest::keyClick(pView, Qt::Key_Right);
    QCOMPARE(pView->CaretOffset(), caret + 2);
    // The run goes on from the caret, past the occurrence the keys skipped.
    QVERIFY(RunReplaceAll(program));
    caret += 2;
    ModelReplace(model, caret, "a", "b", true);
    QCOMPARE(CProgram::WorkFileBytes(pView->GetDocument()), model);
    QCOMPARE(program.Messages.Texts, QStringList{EndReached});
}

void tst_findreplace::failedReplacementStopsReplaceAll()
{
    CPrivateTempDir temp;
    CProgram program;
    ReplaceAllInSmallBlocks(program, 4, 1);
    CBytelonView* pView = program.OpenFocused(QByteArray("xaxaxaxaxaxa"));
    CReplaceDlg* pReplace = OpenReplace(program, QStringLiteral("61"), QStringLiteral("62 62"));
    Click(pReplace, IDC_REPLACE_ALL);
    program.App()->OnIdle(0);
    QCOMPARE(program.App()->ReplaceCount, 2L);
    // The disk fills up: nothing more can be written.
    CFile::SetWriteFault([](const QString&, std::int64_t, UINT) { return true; });
    program.App()->OnIdle(0);
    CFile::SetWriteFault(nullptr);
    QCOMPARE(program.Messages.Texts.size(), 1);
    QVERIFY(program.Messages.Texts[0].startsWith(DiskFull));
    QVERIFY(!program.App()->ReplaceAllActive);
    const int messages = int(program.Messages.Texts.size());
    ProcessEvents();
    program.App()->OnIdle(0);
    QCOMPARE(int(program.Messages.Texts.size()), messages);
    // The document is as it was before the pass, and the count says so.
    QCOMPARE(CProgram::WorkFileBytes(pView->GetDocument()), QByteArray("xaxaxaxaxaxa"));
    QCOMPARE(pView->GetDocument()->DocLen, 12);
    QCOMPARE(program.PaneText(0), QStringLiteral("Replaced 0"));
    QVERIFY(!pView->GetDocument()->IsModified());
    QCOMPARE(temp.Files().size(), 2);  // the work file and its record alone
}

void tst_findreplace::passFailureShowsOneBox_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<bool>("byKey");  // the failure comes as a key in the window ends the pass
    QTest::addColumn<QString>("message");  // %1: the file named, the work file or one beside it
    const QString diskFull = QStringLiteral("Disk full while accessing %1.");
    QTest::newRow("disk-full-while-searching") << "disk-full" << false << diskFull;
    QTest::newRow("disk-full-as-a-key-ends-the-pass") << "disk-full" << true << diskFull;
    QTest::newRow("file-size-limit") << "file-size-limit" << false << diskFull;
    QTest::newRow("read-error") << "read-error" << false
                                << "A hardware I/O error was reported while accessing %1.";
    QTest::newRow("no-descriptors") << "no-descriptors" << false
                                    << "%1 could not be opened because there are too many open files.";
}

// Each failure of a pass is answered the way the user answers it, with a
// key on the real box: one box saying what went wrong, then the run is over
// and the document is as it was before the pass.
void tst_findreplace::passFailureShowsOneBox()
{
    QFETCH(QString, failure);
    QFETCH(bool, byKey);
    QFETCH(QString, message);
    CPrivateTempDir temp;
    CProgram program;
    ReplaceAllInSmallBlocks(program, 4096, 2);
    QByteArray document = Pattern(65536);
    for (int at = 50; at < document.size(); at += 100)
        document[at] = 'A';
    CBytelonView* pView = program.OpenFocused(document, 6);
    CBytelonDoc* pDocument = pView->GetDocument();
    const QString workFile = pDocument->WorkFileName;
    CReplaceDlg* pReplace = OpenReplace(program, QStringLiteral("41"), Hex(QByteArray(250, 'Z')));
    std::optional<CResourceLimit> sizeLimit;
    if (failure == QLatin1String("file-size-limit")) {
        sizeLimit.emplace(RLIMIT_FSIZE, rlim_t(document.size() + 20000));
        QVERIFY(sizeLimit->Set);
    }
    Click(pReplace, IDC_REPLACE_ALL);
    program.App()->OnIdle(0);
    QVERIFY(program.App()->ReplaceCount > 0);
    {
        CRealBoxes boxes(program);
        std::optional<CWriteFaultGuard> diskFull;
        std::optional<CReadFaultGuard> readError;
        std::optional<CDescriptorsTaken> descriptors;
        if (failure == QLatin1String("disk-full"))
            diskFull.emplace([&](const QString& path, std::int64_t, UINT) { return path != workFile; });
        else if (failure == QLatin1String("read-error"))
            readError.emplace([&](const QString& path, std::int64_t, UINT) { return path == workFile; });
        else if (failure == QLatin1String("no-descriptors"))
            descriptors.emplace();
        if (byKey)
            QTest::keyClick(pView, Qt::Key_Right);
        for (int i = 0; i < 100 && program.App()->ReplaceAllActive && boxes.Texts.isEmpty(); ++i)
            program.App()->OnIdle(0);
        descriptors.reset();
        diskFull.reset();
        readError.reset();
        sizeLimit.reset();
        ProcessEvents();
        program.App()->OnIdle(0);
        // Without descriptors the windows cannot paint either, as the box
        // takes the focus from them: that is their own failure to report.
        if (failure == QLatin1String("no-descriptors"))
            boxes.Texts.removeAll(QStringLiteral("Draw() could not open WorkFIle"));
        QVERIFY2(boxes.Texts.size() == 1, qPrintable(boxes.Texts.join(QLatin1Char('|'))));
        const int name = int(message.indexOf(QLatin1String("%1")));
        const QRegularExpression expected(
            QRegularExpression::anchoredPattern(QRegularExpression::escape(message.left(name))
                                                + QRegularExpression::escape(temp.Path()) + "/BYT[^/]+"
                                                + QRegularExpression::escape(message.mid(name + 2))));
        QVERIFY2(expected.match(boxes.Texts[0]).hasMatch(), qPrintable(boxes.Texts[0]));
    }
    QVERIFY(!program.App()->ReplaceAllActive);
    QCOMPARE(program.PaneText(0), QStringLiteral("Replaced 0"));
    QVERIFY(CProgram::WorkFileBytes(pDocument) == document);
    QCOMPARE(pDocument->DocLen, int(document.size()));
    QVERIFY(!pDocument->IsModified());
    // The key reached the window showing the document as it was.
    QCOMPARE(pView->CaretOffset(), byKey ? 1 : 0);
    QCOMPARE(temp.Files(), DocumentFiles(workFile));
}

void tst_findreplace::shiftNeverExtends_data()
{
    QTest::addColumn<bool>("streaming");
    QTest::addColumn<bool>("typed");  // Shift goes down typing a capital into the replacement mid-run
    QTest::newRow("held-at-each-step") << false << false;
    QTest::newRow("held-during-a-pass") << true << false;
    QTest::newRow("typing-a-capital-into-the-replacement") << true << true;
}

// Shift has no say in Replace All: no byte but the occurrences changes.
void tst_findreplace::shiftNeverExtends()
{
    QFETCH(bool, streaming);
    QFETCH(bool, typed);
    CProgram program;
    ReplaceAllInSmallBlocks(program, 16, 1);
    ReplaceAllStreaming(program, streaming);
    const QByteArray document = QByteArray("..a.....a..").repeated(20);
    CBytelonView* pView = program.OpenFocused(document, 4);
    CReplaceDlg* pReplace = OpenReplace(program, QStringLiteral("61"), QStringLiteral("62"));
    SetShiftHeld(!typed);
    Click(pReplace, IDC_REPLACE_ALL);
    program.App()->OnIdle(0);
    const long before = program.App()->ReplaceCount;
    QByteArray model = document;
    int caret = 0;
    ModelReplace(model, caret, "a", "b", true, before);
    QByteArray with = "b";
    if (typed) {
        SetShiftHeld(true);
        // A box's text comes with the caret at its start.
        QTest::keyClick(Edit(pReplace, IDC_REPLACE_WITH_ASCII), Qt::Key_End);
        QTest::keyClick(Edit(pReplace, IDC_REPLACE_WITH_ASCII), 'C', Qt::ShiftModifier);
        with = "bC";
    }
    QVERIFY(RunReplaceAll(program));
    SetShiftHeld(false);
    ModelReplace(model, caret, "a", with, true);
    QCOMPARE(CProgram::WorkFileBytes(pView->GetDocument()), model);
    QCOMPARE(program.Messages.Texts, QStringList{EndReached});
}

void tst_findreplace::commandMidPassEqualsTheSteps_data()
{
    QTest::addColumn<QString>("route");
    QTest::newRow("paste-through-the-command-table") << "command-table";
    QTest::newRow("paste-from-a-menu-item-without-input") << "menu-item";
    QTest::newRow("find-next-pressed-without-input") << "find-dialog";
}

// An edit or search between two slices, however it is set going, comes
// after the steps found so far, as it would between two steps.
void tst_findreplace::commandMidPassEqualsTheSteps()
{
    QFETCH(QString, route);
    std::vector<CReplaceAllOutcome> outcomes;
    long at = 0;
    for (bool streaming : {true, false}) {
        CProgram program;
        ReplaceAllInSmallBlocks(program, 16, 1);
        ReplaceAllStreaming(program, streaming);
        CBytelonView* pView = program.OpenFocused(QByteArray("xa.yy.").repeated(30), 5);
        CFindDlg* pFind = OpenFind(program);
        // Found across an occurrence, which the steps then leave alone.
        TypeHex(pFind, IDC_FIND_HEX, QStringLiteral("2E 78 61"));
        CReplaceDlg* pReplace = OpenReplace(program, QStringLiteral("61"), QStringLiteral("62 62 62"));
        QGuiApplication::clipboard()->setText(QStringLiteral("PASTED"));
        Click(pReplace, IDC_REPLACE_ALL);
        QVERIFY(ReachSameCount(program, streaming, at));
        if (route == QLatin1String("command-table"))
            program.Frame()->ExecuteCommand(ID_EDIT_PASTE);
        else if (route == QLatin1String("menu-item"))
            program.Frame()->GetCommandAction(ID_EDIT_PASTE)->trigger();
        else
            Click(pFind, IDC_FIND_NEXT);
        QVERIFY(RunReplaceAll(program));
        outcomes.push_back(Outcome(program, pView));
    }
    QVERIFY(at > 0);
    QVERIFY2(outcomes[0] == outcomes[1], qPrintable(Describe(outcomes[0]) + " / " + Describe(outcomes[1])));
    if (route != QLatin1String("find-dialog"))
        QVERIFY(outcomes[0].Bytes.contains("PASTED"));
}

void tst_findreplace::runEndsWithItsDocument_data()
{
    QTest::addColumn<bool>("closeCommand");  // else the window's close box
    QTest::newRow("closed-by-the-close-command") << true;
    QTest::newRow("closed-by-its-window") << false;
}

// Closing the document mid-run ends the run: the next document opened
// while the dialog is up is left alone.
void tst_findreplace::runEndsWithItsDocument()
{
    QFETCH(bool, closeCommand);
    CProgram program;
    ReplaceAllInSmallBlocks(program, 8, 1);
    const QByteArray document = QByteArray("xa").repeated(50);
    program.OpenFocused(document);
    CReplaceDlg* pReplace = OpenReplace(program, QStringLiteral("61"), QStringLiteral("62"));
    Click(pReplace, IDC_REPLACE_ALL);
    program.App()->OnIdle(0);
    QVERIFY(program.App()->ReplaceCount > 0);
    // The steps so far made the document modified: it is not saved.
    program.Messages.Answers.push_back(IDNO);
    if (closeCommand)
        program.Frame()->ExecuteCommand(ID_FILE_CLOSE);
    else
        program.Frame()->MDIGetActive()->close();
    ProcessEvents();
    QVERIFY(program.Documents().empty());
    CBytelonView* pNext = program.OpenBytes(document, QStringLiteral("next.bin"));
    Focus(pNext);
    for (int i = 0; i < 20; ++i)
        ProcessEvents(1);
    QVERIFY(!program.App()->ReplaceAllActive);
    QCOMPARE(CProgram::WorkFileBytes(pNext->GetDocument()), document);
    QVERIFY(!pNext->GetDocument()->IsModified());
    QVERIFY(program.App()->pReplaceDlg);
}

void tst_findreplace::eventMidPassEqualsTheSteps_data()
{
    QTest::addColumn<QString>("event");
    QTest::addColumn<bool>("endsThePass");
    QTest::newRow("wheel-down-past-occurrences") << "wheel-down" << true;
    QTest::newRow("wheel-up-over-replacements") << "wheel-up" << true;
    QTest::newRow("window-made-shorter") << "shorter" << true;
    QTest::newRow("key-released-in-the-window") << "key-release" << false;
    QTest::newRow("a-tooltip-closing") << "tooltip" << false;
}

// The wheel and a new size move the window, and the caret with it, which is
// where the next step searches (back over replacements that hold the search
// string, or on past occurrences): they end the pass first, so the run comes
// out as the steps'. What moves nothing leaves the pass running.
void tst_findreplace::eventMidPassEqualsTheSteps()
{
    QFETCH(QString, event);
    QFETCH(bool, endsThePass);
    const QByteArray document = QByteArray("xxxxxxxxa.......").repeated(40);
    std::vector<CReplaceAllOutcome> outcomes;
    long at = 0;
    for (bool streaming : {true, false}) {
        CProgram program;
        ReplaceAllInSmallBlocks(program, 64, 1);
        ReplaceAllStreaming(program, streaming);
        CBytelonView* pView = program.OpenFocused(document, 12);
        CReplaceDlg* pReplace = OpenReplace(program, QStringLiteral("61"), QStringLiteral("61 62"));
        Click(pReplace, IDC_REPLACE_ALL);
        QVERIFY(ReachSameCount(program, streaming, at));
        if (event.startsWith(QLatin1String("wheel"))) {
            const QPoint angle(0, event == QLatin1String("wheel-down") ? -360 : 120);
            const QPointF where(pView->viewport()->width() / 2.0, pView->viewport()->height() / 2.0);
            QWheelEvent wheel(where, pView->viewport()->mapToGlobal(where), QPoint(), angle, Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QSpontaneKeyEvent::setSpontaneous(&wheel);
            qApp->notify(pView->viewport(), &wheel);
        } else if (event == QLatin1String("shorter")) {
            ShowLines(pView, 3);
        } else if (event == QLatin1String("key-release")) {
            QTest::keyRelease(pView, Qt::Key_Shift);
        } else {
            QLabel tip(QStringLiteral("a tip"), nullptr, Qt::ToolTip);
            tip.show();
            tip.close();
        }
        // A pass still running has shown none of its steps.
        if (streaming)
            QCOMPARE(CProgram::WorkFileBytes(pView->GetDocument()) == document, !endsThePass);
        QVERIFY(RunReplaceAll(program));
        outcomes.push_back(Outcome(program, pView));
    }
    QVERIFY(at > 0);
    QVERIFY2(outcomes[0] == outcomes[1], qPrintable(Describe(outcomes[0]) + " / " + Describe(outcomes[1])));
}

// Ending a pass early copies the bytes it did not reach in pieces, saying
// how far it is after each.
void tst_findreplace::endingCopiesTheRestInPieces()
{
    CProgram program;
    ReplaceAllInSmallBlocks(program, 4096, 1);
    ReplaceAllCopyPieces(program, 16384);
    QByteArray document = Pattern(300000);
    document.replace(10, 3, "ABC");
    CBytelonView* pView = program.OpenFocused(document, 6);
    CReplaceDlg* pReplace = OpenReplace(program, QStringLiteral("41 42 43"), QStringLiteral("78"));
    Click(pReplace, IDC_REPLACE_ALL);
    program.App()->OnIdle(0);
    QCOMPARE(program.App()->ReplaceCount, 1L);
    QStringList shown;
    QObject listening;
    QObject::connect(&program.Frame()->StatusBar, &CStatusBar::paneTextChanged, &listening,
                     [&](int pane, const QString& text) {
                         if (pane == 0)
                             shown << text;
                     });
    const CFile::CActivity copying;
    QTest::keyClick(pView, Qt::Key_Right);
    const int pieces = (300000 - 4096) / 16384;
    QVERIFY2(copying.Writes() >= pieces, qPrintable(QString::number(copying.Writes())));
    QVERIFY2(shown.size() >= pieces, qPrintable(shown.join(QLatin1Char('|'))));
    QCOMPARE(shown.first(), QStringLiteral("Replacing, 0K"));
    QCOMPARE(shown.value(shown.size() - 2), QStringLiteral("Replacing, %1K").arg((300000 - 4094 + 10) / 1024));
    QCOMPARE(shown.last(), QStringLiteral("Replaced 1"));
    QCOMPARE(CProgram::WorkFileBytes(pView->GetDocument()), QByteArray(document).replace(10, 3, "x"));
}

// Replace All in random blocks and slices while the user, between slices,
// changes a string, presses Replace All again, closes the dialog or the disk
// fills up; a second window on the document has its caret somewhere. The
// bytes are checked against the model; then the same actions, at the same
// counts, are replayed on the design's steps one at a time, and the bytes,
// both windows and the messages must come out the same.
void tst_findreplace::randomReplaceAllMatchesModel()
{
    struct CAction {
        long At;  // ReplaceCount when it happens
        int Kind;  // 0 replacement text, 1 search text, 2 Replace All again, 3 close
        QByteArray Text;
    };
    const CRandomRuns runs = RandomRuns(20261207, 25, 60);
    for (int run = 0; run < runs.Seeds; ++run) {
        const unsigned seed = runs.FirstSeed + unsigned(run);
        std::mt19937 random(seed);
        auto below = [&](int n) { return n <= 0 ? 0 : int(random() % unsigned(n)); };
        const QByteArray alphabet("aAbB\0\xC9\xE9", 7);
        auto text = [&](int least, int most) {
            QByteArray bytes;
            for (int n = least + below(most - least + 1); n > 0; --n)
                bytes += alphabet[below(4) ? below(4) : below(int(alphabet.size()))];
            return bytes;
        };
        const int blockSize = 1 + below(24);
        const int blocksPerSlice = 1 + below(3);
        const QByteArray document = text(0, 300);
        // Replace is not offered for an empty document.
        if (document.isEmpty())
            continue;
        const QByteArray firstFind = text(1, 3);
        const QByteArray firstWith = below(3) ? text(0, 4) : firstFind + text(0, 2);
        const bool ignoreCase = below(2);
        // Often on the last line, where a shrinking run moves it most.
        const int otherCaret = below(2) ? std::max(0, int(document.size()) - below(9)) : below(int(document.size()) + 1);
        std::vector<CAction> actions;
        std::vector<CReplaceAllOutcome> outcomes;
        QString where = QStringLiteral("seed %1").arg(seed);
        bool diskFilled = false;
        for (bool streaming : {true, false}) {
            CPrivateTempDir temp;
            CProgram program;
            ReplaceAllInSmallBlocks(program, blockSize, blocksPerSlice);
            ReplaceAllStreaming(program, streaming);
            CBytelonView* pView = program.OpenFocused(document, 3);
            CBytelonView* pOther = OpenSecondWindow(program, pView);
            Focus(pOther);
            MoveCaretTo(pOther, otherCaret);
            Focus(pView);
            QByteArray find = firstFind;
            QByteArray with = firstWith;
            CReplaceDlg* pReplace = OpenReplace(program, Hex(find), Hex(with));
            if (!ignoreCase)
                pReplace->GetDlgItemAs<QRadioButton>(IDC_REPLACE_CASE_YES)->click();
            Click(pReplace, IDC_REPLACE_ALL);
            QByteArray model = document;
            int caret = 0;
            long done = 0;  // steps of the run that the model has made
            // The model where the running pass began: a failing pass goes back there.
            QByteArray passModel = model;
            long passDone = 0;
            auto act = [&](const CAction& action) {
                done += ModelReplace(model, caret, find, with, ignoreCase, action.At - done);
                if (action.Kind <= 1) {
                    QByteArray& changed = action.Kind == 0 ? with : find;
                    if (changed != action.Text) {
                        passModel = model;
                        passDone = done;
                    }
                    changed = action.Text;
                    TypeHex(pReplace, action.Kind == 0 ? IDC_REPLACE_WITH_HEX : IDC_REPLACE_FIND_HEX, Hex(changed));
                } else if (action.Kind == 2) {
                    Click(pReplace, IDC_REPLACE_ALL);
                    caret = 0;
                    done = 0;
                    passModel = model;
                    passDone = 0;
                } else {
                    Click(pReplace, IDCANCEL);
                }
            };
            if (streaming) {
                for (int step = 0; step < runs.Steps && !diskFilled; ++step) {
                    where = QStringLiteral("seed %1 step %2").arg(seed).arg(step);
                    program.App()->OnIdle(0);
                    if (!program.App()->ReplaceAllActive)
                        break;
                    const int kind = below(24);
                    if (kind <= 3) {
                        actions.push_back({program.App()->ReplaceCount, kind,
                                           kind == 0 ? text(0, 4) : kind == 1 ? text(1, 3) : QByteArray()});
                        act(actions.back());
                        if (kind == 3)
                            break;
                    } else if (kind == 4) {
                        // Writes fail from some byte on.
                        const int after = below(8);
                        auto written = std::make_shared<int>(0);
                        CWriteFaultGuard fault([=](const QString&, std::int64_t, UINT count) {
                            *written += int(count);
                            return *written > after;
                        });
                        program.App()->OnIdle(0);
                        diskFilled = !program.App()->ReplaceAllActive && !program.Messages.Texts.isEmpty()
                                     && program.Messages.Texts.back().startsWith(DiskFull);
                    }
                }
            } else {
                for (const CAction& action : actions) {
                    for (int i = 0; i < 2000 && program.App()->ReplaceCount < action.At; ++i)
                        program.App()->OnIdle(0);
                    QVERIFY2(program.App()->ReplaceAllActive && program.App()->ReplaceCount == action.At,
                             qPrintable(where));
                    act(action);
                }
            }
            if (diskFilled) {
                // The pass that met the full disk left the document as it found it.
                QVERIFY2(program.Messages.Texts.size() == 1, qPrintable(where));
                QVERIFY2(program.PaneText(0) == QStringLiteral("Replaced %1").arg(passDone), qPrintable(where));
                model = passModel;
            } else if (program.App()->pReplaceDlg) {
                QVERIFY2(RunReplaceAll(program), qPrintable(where));
                done += ModelReplace(model, caret, find, with, ignoreCase);
                QVERIFY2(program.Messages.Texts == QStringList{EndMessage(model, find)}, qPrintable(where));
            }
            QVERIFY2(CProgram::WorkFileBytes(pView->GetDocument()) == model, qPrintable(where));
            QVERIFY2(pView->GetDocument()->DocLen == model.size(), qPrintable(where));
            QVERIFY2(!program.App()->ReplaceAllActive && program.App()->ReplaceCount == 0, qPrintable(where));
            QVERIFY2(temp.Files().size() == 2, qPrintable(where));
            outcomes.push_back(Outcome(program, pView, pOther));
            if (diskFilled)
                break;
        }
        if (!diskFilled)
            QVERIFY2(outcomes[0] == outcomes[1],
                     qPrintable(where + ": " + Describe(outcomes[0]) + " / " + Describe(outcomes[1])));
    }
}

QTEST_MAIN(tst_findreplace)
#include "tst_findreplace.moc"
