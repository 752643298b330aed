// The command table as the user meets it: the two menu bars, the
// accelerators and what they swallow, prompts and tooltips, the default
// rule for commands nobody handles, Close All and the About box.

#include "support/TestSupport.h"

#include "app/AboutDlg.h"
#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "search/FindDlg.h"
#include "framework/MDIChildWnd.h"
#include "framework/Resources.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>
#include <QPushButton>
#include <QTest>

namespace {

// A menu's items as text, "-" for a separator.
QStringList Items(const QMenu* pMenu)
{
    QStringList items;
    for (const QAction* pAction : pMenu->actions())
        items << (pAction->isSeparator() ? QStringLiteral("-") : pAction->text());
    return items;
}

QStringList Titles(const std::vector<QMenu*>& menus)
{
    QStringList titles;
    for (const QMenu* pMenu : menus)
        titles << pMenu->title();
    return titles;
}

// Notes every key press that reaches any widget.
class CKeyWatcher : public QObject {
public:
    CKeyWatcher() { qApp->installEventFilter(this); }
    ~CKeyWatcher() override { qApp->removeEventFilter(this); }
    QList<int> Keys;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::KeyPress && pWatched->isWidgetType())
            Keys << static_cast<QKeyEvent*>(pEvent)->key();
        return false;
    }
};

// Answers like the recorder and notes how many windows the asking document had.
class CWindowCountingRecorder : public CMessageRecorder {
public:
    int Show(const QString& text, UINT type) override
    {
        int windows = 0;
        if (CDocument* pDocument = pProgram->Frame()->GetActiveDocument())
            windows = int(pDocument->GetViews().size());
        WindowsWhenAsked << windows;
        return CMessageRecorder::Show(text, type);
    }
    CProgram* pProgram = nullptr;
    QList<int> WindowsWhenAsked;
};

void MakeWindowActive(CProgram& program, CBytelonView* pView)
{
    program.Frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(program.Frame()));
    program.Frame()->MDIActivate(pView->GetParentFrame());
    Focus(pView);
    QCOMPARE(QApplication::focusWidget(), pView);
}

}  // namespace

class TestCommands : public QObject {
    Q_OBJECT
private slots:
    void menuBars_data();
    void menuBars();
    void menuBarFollowsDocuments();
    void accelerators();
    void undoKeysDoNothing_data();
    void undoKeysDoNothing();
    void equalsKeyTiles_data();
    void equalsKeyTiles();
    void prompts_data();
    void prompts();
    void promptsWhilePointedAt_data();
    void promptsWhilePointedAt();
    void windowKeys_data();
    void windowKeys();
    void commandsNobodyHandlesAreDisabled();
    void closeAll_data();
    void closeAll();
    void closingMainWindowAsksAndCanBeCancelled();
    void aboutBox();
    void droppedFilesOpen();
};

void TestCommands::menuBars_data()
{
    QTest::addColumn<UINT>("menu");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("items");

    const QStringList help{"&Help Topics", "-", "&About BYTELON..."};
    QTest::newRow("no-document-file") << UINT(IDR_MAINFRAME) << 0 << "&File"
                                      << QStringList{"&New\tCtrl+N", "&Open...\tCtrl+O", "-", "P&rint Setup...",
                                                     "-", "Recent File", "-", "E&xit"};
    QTest::newRow("no-document-view") << UINT(IDR_MAINFRAME) << 1 << "&View"
                                      << QStringList{"&Toolbar", "&Status Bar", "-", "&ASCII Chart"};
    QTest::newRow("no-document-help") << UINT(IDR_MAINFRAME) << 2 << "&Help" << help;
    QTest::newRow("document-file") << UINT(IDR_BYTELONTYPE) << 0 << "&File"
                                   << QStringList{"&New\tCtrl+N", "&Open...\tCtrl+O", "&Close", "&Save\tCtrl+S",
                                                  "Save &As...", "-", "Save Se&lection As...",
                                                  "&Insert From File...", "-", "&Print...\tCtrl+P",
                                                  "Print Pre&view", "P&rint Setup...", "-", "Recent File", "-",
                                                  "E&xit"};
    QTest::newRow("document-edit") << UINT(IDR_BYTELONTYPE) << 1 << "&Edit"
                                   << QStringList{"&Insert ...\tCtrl+I", "-", "Cu&t\tCtrl+X", "&Copy\tCtrl+C",
                                                  "&Paste\tCtrl+V", "-", "&Select all\tCtrl+A", "C&lear all"};
    QTest::newRow("document-search") << UINT(IDR_BYTELONTYPE) << 2 << "&Search"
                                     << QStringList{"&Find...\tCtrl+F", "&Replace...\tCtrl+R",
                                                    "&Goto Address...\tCtrl+G", "-", "&Compare files"};
    QTest::newRow("document-view") << UINT(IDR_BYTELONTYPE) << 3 << "&View"
                                   << QStringList{"&Toolbar", "&Status Bar", "-", "&Font", "-",
                                                  "Address base 1&0\tCtrl+D", "Address base 1&6\tCtrl+H",
                                                  "&Data Columns...", "-", "&ASCII Chart"};
    QTest::newRow("document-window") << UINT(IDR_BYTELONTYPE) << 4 << "&Window"
                                     << QStringList{"&Cascade", "&Tile =", "&Tile ||", "&Duplicate Window",
                                                    "&Arrange Icons", "-", "Close &All"};
    QTest::newRow("document-help") << UINT(IDR_BYTELONTYPE) << 5 << "&Help" << help;
}

void TestCommands::menuBars()
{
    QFETCH(UINT, menu);
    QFETCH(int, index);
    QFETCH(QString, title);
    QFETCH(QStringList, items);

    CProgram program;
    const std::vector<QMenu*> menus = program.Frame()->GetMenus(menu);
    QCOMPARE(int(menus.size()), menu == IDR_MAINFRAME ? 3 : 6);
    QMenu* pMenu = menus[std::size_t(index)];
    QCOMPARE(pMenu->title(), title);
    QCOMPARE(Items(pMenu), items);
}

void TestCommands::menuBarFollowsDocuments()
{
    CProgram program;
    CMainFrame* pFrame = program.Frame();
    auto shownTitles = [pFrame] {
        QStringList titles;
        for (QAction* pAction : pFrame->menuBar()->actions())
            titles << pAction->text();
        return titles;
    };
    QCOMPARE(shownTitles(), (QStringList{"&File", "&View", "&Help"}));
    QCOMPARE(pFrame->windowTitle(), QStringLiteral("BYTELON"));

    QVERIFY(program.OpenBytes(QByteArray(10, 'x'), QStringLiteral("shown.bin")));
    QCOMPARE(pFrame->GetShownMenu(), UINT(IDR_BYTELONTYPE));
    QCOMPARE(shownTitles(), Titles(pFrame->GetMenus(IDR_BYTELONTYPE)));
    QCOMPARE(pFrame->windowTitle(), QStringLiteral("BYTELON - shown.bin"));

    // A maximized window's title stands once in the caption, in brackets.
    CMDIChildWnd* pChild = pFrame->MDIGetActive();
    pChild->showMaximized();
    QCOMPARE(pFrame->windowTitle(), QStringLiteral("BYTELON - [shown.bin]"));
    pChild->showNormal();
    QCOMPARE(pFrame->windowTitle(), QStringLiteral("BYTELON - shown.bin"));

    QVERIFY(pFrame->ExecuteCommand(ID_FILE_CLOSE));
    ProcessEvents();
    QCOMPARE(pFrame->GetShownMenu(), UINT(IDR_MAINFRAME));
    QCOMPARE(shownTitles(), (QStringList{"&File", "&View", "&Help"}));
    QCOMPARE(pFrame->windowTitle(), QStringLiteral("BYTELON"));
}

void TestCommands::accelerators()
{
    CProgram program;
    const std::vector<std::pair<QKeySequence, UINT>> expected{
        {QKeySequence(Qt::CTRL | Qt::Key_A), ID_EDIT_SELECT_ALL},
        {QKeySequence(Qt::CTRL | Qt::Key_C), ID_EDIT_COPY},
        {QKeySequence(Qt::CTRL | Qt::Key_D), ID_VIEW_ADDRESS_BASE_10},
        {QKeySequence(Qt::CTRL | Qt::Key_F), ID_SEARCH_FIND},
        {QKeySequence(Qt::CTRL | Qt::Key_G), ID_SEARCH_GOTO},
        {QKeySequence(Qt::CTRL | Qt::Key_H), ID_VIEW_ADDRESS_BASE_16},
        {QKeySequence(Qt::CTRL | Qt::Key_I), ID_EDIT_INSERT},
        {QKeySequence(Qt::CTRL | Qt::Key_N), ID_FILE_NEW},
        {QKeySequence(Qt::CTRL | Qt::Key_O), ID_FILE_OPEN},
        {QKeySequence(Qt::CTRL | Qt::Key_P), ID_FILE_PRINT},
        {QKeySequence(Qt::CTRL | Qt::Key_R), ID_SEARCH_REPLACE},
        {QKeySequence(Qt::CTRL | Qt::Key_S), ID_FILE_SAVE},
        {QKeySequence(Qt::CTRL | Qt::Key_V), ID_EDIT_PASTE},
        {QKeySequence(Qt::CTRL | Qt::Key_X), ID_EDIT_CUT},
        {QKeySequence(Qt::CTRL | Qt::Key_Z), ID_EDIT_UNDO},
        {QKeySequence(Qt::ALT | Qt::Key_Backspace), ID_EDIT_UNDO},
        {QKeySequence(Qt::SHIFT | Qt::Key_Delete), ID_EDIT_CUT},
        {QKeySequence(Qt::CTRL | Qt::Key_Insert), ID_EDIT_COPY},
        {QKeySequence(Qt::SHIFT | Qt::Key_Insert), ID_EDIT_PASTE},
        {QKeySequence(Qt::Key_F1), ID_HELP},
        {QKeySequence(Qt::SHIFT | Qt::Key_F1), ID_CONTEXT_HELP},
        {QKeySequence(Qt::Key_F6), ID_NEXT_PANE},
        {QKeySequence(Qt::SHIFT | Qt::Key_F6), ID_PREV_PANE},
        {QKeySequence(Qt::Key_Equal), ID_WINDOW_TILE_HORZ},
    };
    const auto& table = program.Frame()->GetAccelerators();
    QCOMPARE(table.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QCOMPARE(table[i].first, expected[i].first);
        QCOMPARE(table[i].second, expected[i].second);
    }
}

void TestCommands::undoKeysDoNothing_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("swallowed");

    QTest::newRow("ctrl-z") << int(Qt::Key_Z) << int(Qt::ControlModifier) << true;
    QTest::newRow("alt-backspace") << int(Qt::Key_Backspace) << int(Qt::AltModifier) << true;
    // Without its modifier the key is the view's own.
    QTest::newRow("plain-z-reaches-the-view") << int(Qt::Key_Z) << int(Qt::NoModifier) << false;
}

void TestCommands::undoKeysDoNothing()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, swallowed);

    CProgram program;
    const QByteArray bytes("undo must not change a byte");
    CBytelonView* pView = program.OpenBytes(bytes);
    QVERIFY(pView);
    MakeWindowActive(program, pView);
    if (QTest::currentTestFailed())
        return;
    CBytelonDoc* pDocument = pView->GetDocument();

    CKeyWatcher watcher;
    QTest::keyClick(pView, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    ProcessEvents();

    QCOMPARE(watcher.Keys.contains(key), !swallowed);
    QVERIFY(CProgram::WorkFileBytes(pDocument) == bytes);
    QCOMPARE(pDocument->DocLen, bytes.size());
    QVERIFY(!pDocument->IsModified());
    QVERIFY(program.Messages.Texts.isEmpty());
    QVERIFY(program.Documents().size() == 1);
    QVERIFY(!MenuItemEnabled(program, ID_EDIT_UNDO));
}

void TestCommands::equalsKeyTiles_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("tiles");

    QTest::newRow("equals-tiles") << int(Qt::Key_Equal) << int(Qt::NoModifier) << true;
    QTest::newRow("shift-plus-does-not") << int(Qt::Key_Plus) << int(Qt::ShiftModifier) << false;
    QTest::newRow("ctrl-equals-does-not") << int(Qt::Key_Equal) << int(Qt::ControlModifier) << false;
}

void TestCommands::equalsKeyTiles()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, tiles);

    CProgram program;
    QVERIFY(program.OpenBytes(QByteArray(500, 'a'), QStringLiteral("a.bin")));
    QVERIFY(program.OpenBytes(QByteArray(500, 'b'), QStringLiteral("b.bin")));
    CBytelonView* pView = program.OpenBytes(QByteArray(500, 'c'), QStringLiteral("c.bin"));
    QVERIFY(pView);
    QVERIFY(program.Frame()->ExecuteCommand(ID_WINDOW_CASCADE));
    MakeWindowActive(program, pView);
    if (QTest::currentTestFailed())
        return;
    QMdiArea* pArea = program.Frame()->GetMdiArea();
    const auto windows = pArea->subWindowList(QMdiArea::CreationOrder);
    QCOMPARE(windows.size(), 3);
    QList<QRect> before;
    for (QMdiSubWindow* pWindow : windows)
        before << pWindow->geometry();

    CKeyWatcher watcher;
    QTest::keyClick(pView, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    ProcessEvents();

    QList<QRect> after;
    for (QMdiSubWindow* pWindow : windows)
        after << pWindow->geometry();
    if (!tiles) {
        QCOMPARE(after, before);
        return;
    }
    // Full-width tiles one over the other, filling the client area; the key typed nothing.
    QVERIFY(!watcher.Keys.contains(key));
    const QRect area = pArea->viewport()->rect();
    int top = 0;
    for (const QRect& rect : after) {
        QCOMPARE(rect.left(), 0);
        QCOMPARE(rect.width(), area.width());
        QCOMPARE(rect.top(), top);
        top = rect.bottom() + 1;
    }
    QCOMPARE(top, area.height());
    QVERIFY(program.Messages.Texts.isEmpty());
}

void TestCommands::prompts_data()
{
    QTest::addColumn<UINT>("id");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("tip");

    QTest::newRow("32773-find") << UINT(32773) << "Invoke dialog box to search by content" << "Find";
    QTest::newRow("32774-goto") << UINT(32774) << "Invoke dialog box to goto an address within file" << "Goto";
    QTest::newRow("32775-save-selection") << UINT(32775) << "Save the selection as a file" << "";
    QTest::newRow("32776-insert-file") << UINT(32776) << "Insert a file at the caret position" << "";
    QTest::newRow("32777-insert") << UINT(32777) << "Invoke dialog box for inserting data" << "Insert";
    QTest::newRow("32781-replace") << UINT(32781) << "Invoke dialog box to replace contents" << "Replace";
    QTest::newRow("32783-compare") << UINT(32783) << "Compare files, find first discrepancy" << "";
    QTest::newRow("32784-font") << UINT(32784) << "Change font" << "Font";
    QTest::newRow("32786-close-all") << UINT(32786) << "Close all documents" << "";
    QTest::newRow("32787-base-10") << UINT(32787) << "Show addresses in base 10" << "Decimal Addresses";
    QTest::newRow("32788-base-16") << UINT(32788) << "Show addresses in base 16" << "Hex Addresses";
    QTest::newRow("32793-columns") << UINT(32793) << "Invokes dialog box to set number of Data Columns" << "Columns";
    QTest::newRow("32794-chart") << UINT(32794) << "View ASCII Chart" << "ASCII Chart";
    QTest::newRow("32801-select-all") << UINT(32801) << "Select all" << "Select all";
    QTest::newRow("57633-clear-all") << UINT(57633) << "Clear document" << "";
    QTest::newRow("57634-copy") << UINT(57634) << "Copy the selection and put it on the Clipboard" << "Copy";
    QTest::newRow("57635-cut") << UINT(57635) << "Cut the selection and put it on the Clipboard" << "Cut";
    QTest::newRow("57637-paste") << UINT(57637) << "Insert Clipboard contents" << "Paste";
    QTest::newRow("57600-new") << UINT(57600) << "Create a new document" << "New";
    QTest::newRow("57601-open") << UINT(57601) << "Open an existing document" << "Open";
    QTest::newRow("57602-close") << UINT(57602) << "Close the active document" << "";
    QTest::newRow("57603-save") << UINT(57603) << "Save the active document" << "Save";
    QTest::newRow("57604-save-as") << UINT(57604) << "Save the active document with a new name" << "";
    QTest::newRow("57606-print-setup") << UINT(57606) << "Change the printer and printing options" << "";
    QTest::newRow("57607-print") << UINT(57607) << "Print the active document" << "Print";
    QTest::newRow("57609-preview") << UINT(57609) << "Display full pages" << "";
    QTest::newRow("57616-recent-file") << UINT(57616) << "Open this document" << "";
    QTest::newRow("57664-about") << UINT(57664) << "Display program information, version number and copyright"
                                 << "About";
    QTest::newRow("57665-exit") << UINT(57665) << "Quit the application; prompts to save documents" << "";
    QTest::newRow("57667-help-topics") << UINT(57667) << "List Help topics" << "Help Topics";
    QTest::newRow("57669-context-help") << UINT(57669) << "Display help for clicked on buttons, menus and windows"
                                        << "Help";
    QTest::newRow("57670-help") << UINT(57670) << "Display help for current task or command" << "";
    QTest::newRow("57648-duplicate") << UINT(57648) << "Open another window for the active document" << "";
    QTest::newRow("57649-arrange") << UINT(57649) << "Arrange icons at the bottom of the window" << "";
    QTest::newRow("57650-cascade") << UINT(57650) << "Arrange windows so they overlap" << "";
    QTest::newRow("57651-tile-horizontally") << UINT(57651) << "Arrange windows as non-overlapping tiles over and under"
                                             << "";
    QTest::newRow("57652-tile-vertically") << UINT(57652) << "Arrange windows as non-overlapping tiles side by side"
                                           << "";
    QTest::newRow("59392-toolbar") << UINT(59392) << "Show or hide the toolbar" << "";
    QTest::newRow("59393-status-bar") << UINT(59393) << "Show or hide the status bar" << "";
}

void TestCommands::prompts()
{
    QFETCH(UINT, id);
    QFETCH(QString, status);
    QFETCH(QString, tip);

    CProgram program;
    QAction* pAction = program.Frame()->GetCommandAction(id);
    QCOMPARE(pAction->statusTip(), status);
    if (!tip.isEmpty())
        QCOMPARE(pAction->toolTip(), tip);
    else
        QVERIFY(!pAction->toolTip().contains(QLatin1Char('\n')));

    // Resting on the item shows its status text over pane 0, as a menu does it.
    QVERIFY(pAction->showStatusText(program.Frame()));
    QCOMPARE(program.Frame()->StatusBar.currentMessage(), status);
    QVERIFY(!program.Frame()->StatusBar.GetPane(0)->isVisible());
    QVERIFY(program.Frame()->StatusBar.GetPane(1)->isVisible());
}

void TestCommands::promptsWhilePointedAt_data()
{
    QTest::addColumn<bool>("document");
    QTest::addColumn<int>("menu");  // index in the menu bar, or -1 for the toolbar
    QTest::addColumn<UINT>("id");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("prompt");
    QTest::newRow("cut-greyed") << true << 1 << UINT(ID_EDIT_CUT) << false
                                << "Cut the selection and put it on the Clipboard";
    QTest::newRow("copy-greyed") << true << 1 << UINT(ID_EDIT_COPY) << false
                                 << "Copy the selection and put it on the Clipboard";
    QTest::newRow("paste-greyed") << true << 1 << UINT(ID_EDIT_PASTE) << false << "Insert Clipboard contents";
    QTest::newRow("save-selection-greyed") << true << 0 << UINT(ID_FILE_SAVE_SELECTION_AS) << false
                                           << "Save the selection as a file";
    QTest::newRow("recent-file-placeholder") << false << 0 << UINT(ID_FILE_MRU_FILE1) << false << "Open this document";
    QTest::newRow("select-all") << true << 1 << UINT(ID_EDIT_SELECT_ALL) << true << "Select all";
    QTest::newRow("find-button") << true << -1 << UINT(ID_SEARCH_FIND) << true
                                 << "Invoke dialog box to search by content";
}

void TestCommands::promptsWhilePointedAt()
{
    QFETCH(bool, document);
    QFETCH(int, menu);
    QFETCH(UINT, id);
    QFETCH(bool, enabled);
    QFETCH(QString, prompt);
    QGuiApplication::clipboard()->clear();
    CProgram program;
    CMainFrame* pFrame = program.Frame();
    if (document) {
        CBytelonView* pView = program.OpenFocused(Counting(100));
        // The Find dialog leaves the message pane empty when it closes.
        QVERIFY(pFrame->ExecuteCommand(ID_SEARCH_FIND));
        QTest::keyClick(program.App()->pFindDlg, Qt::Key_Escape);
        ProcessEvents();
        MakeWindowActive(program, pView);
        QCOMPARE(program.PaneText(0), QString());
    }
    CStatusBar& bar = pFrame->StatusBar;
    QAction* pAction = pFrame->GetCommandAction(id);
    if (menu < 0) {
        QWidget* pButton = pFrame->ToolBar.widgetForAction(pAction);
        QTest::mouseMove(pButton, pButton->rect().center());
        QCOMPARE(bar.currentMessage(), prompt);
        QTest::mouseMove(pFrame->GetMdiArea(), QPoint(5, 5));
    } else {
        QMenu* pMenu = pFrame->GetMenus(document ? IDR_BYTELONTYPE : IDR_MAINFRAME)[std::size_t(menu)];
        pMenu->popup(pFrame->mapToGlobal(QPoint(20, 20)));
        QVERIFY(QTest::qWaitForWindowExposed(pMenu));
        QCOMPARE(pAction->isEnabled(), enabled);
        QTest::mouseMove(pMenu, pMenu->actionGeometry(pAction).center());
        QCOMPARE(bar.currentMessage(), prompt);
        QTest::keyClick(pMenu, Qt::Key_Escape);
        ProcessEvents();
    }
    // Once nothing is pointed at, the idle prompt.
    QCOMPARE(bar.currentMessage(), QString());
    QVERIFY(bar.GetPane(0)->isVisible());
    QCOMPARE(program.PaneText(0), QStringLiteral("For Help, press F1"));
}

void TestCommands::windowKeys_data()
{
    QTest::addColumn<QKeyCombination>("key");
    QTest::addColumn<QStringList>("after");  // the windows then, the active one first
    // In turn as the windows lie: the next is the one under the newest, the previous the undermost.
    QTest::newRow("ctrl-f6-next") << QKeyCombination(Qt::ControlModifier, Qt::Key_F6)
                                  << QStringList{"b.bin", "a.bin", "c.bin"};
    QTest::newRow("ctrl-shift-f6-previous") << QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_F6)
                                            << QStringList{"a.bin", "b.bin", "c.bin"};
    QTest::newRow("ctrl-f4-closes") << QKeyCombination(Qt::ControlModifier, Qt::Key_F4)
                                    << QStringList{"b.bin", "a.bin"};
}

void TestCommands::windowKeys()
{
    QFETCH(QKeyCombination, key);
    QFETCH(QStringList, after);
    CProgram program;
    program.OpenBytes(Counting(10), QStringLiteral("a.bin"));
    program.OpenBytes(Counting(10), QStringLiteral("b.bin"));
    CBytelonView* pLast = program.OpenBytes(Counting(10), QStringLiteral("c.bin"));
    MakeWindowActive(program, pLast);
    QTest::keyClick(pLast, key.key(), key.keyboardModifiers());
    ProcessEvents();
    QStringList windows;
    if (CMDIChildWnd* pActive = program.Frame()->MDIGetActive())
        windows << pActive->windowTitle();
    for (CMDIChildWnd* pChild : program.Frame()->GetChildFrames()) {
        if (pChild != program.Frame()->MDIGetActive())
            windows << pChild->windowTitle();
    }
    QCOMPARE(windows, after);
    QVERIFY(program.Messages.Texts.isEmpty());
}

void TestCommands::commandsNobodyHandlesAreDisabled()
{
    CProgram program;
    QVERIFY(MenuItemEnabled(program, ID_WINDOW_CLOSE_ALL));
    QVERIFY(MenuItemEnabled(program, ID_APP_ABOUT));
    QVERIFY(MenuItemEnabled(program, ID_FILE_NEW));
    QVERIFY(MenuItemEnabled(program, ID_FILE_OPEN));
    QVERIFY(MenuItemEnabled(program, ID_APP_EXIT));
    QVERIFY(!MenuItemEnabled(program, ID_FILE_SAVE));
    QVERIFY(!MenuItemEnabled(program, ID_FILE_CLOSE));

    QVERIFY(program.OpenBytes(QByteArray(40, 'z')));
    QVERIFY(MenuItemEnabled(program, ID_FILE_SAVE));
    QVERIFY(MenuItemEnabled(program, ID_FILE_CLOSE));
    for (UINT id : {UINT(ID_EDIT_UNDO), UINT(ID_NEXT_PANE), UINT(ID_PREV_PANE)}) {
        QVERIFY2(!MenuItemEnabled(program, id), qPrintable(QString::number(id)));
        QVERIFY(!program.Frame()->ExecuteCommand(id));
    }
    QVERIFY(program.Messages.Texts.isEmpty());
}

void TestCommands::closeAll_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("unmodified-close-silently") << "unmodified";
    QTest::newRow("two-modified-one-cancelled") << "two-modified";
    QTest::newRow("one-document-two-windows-asks-at-second") << "two-windows";
    QTest::newRow("two-windows-cancelled-keeps-one") << "two-windows-cancel";
}

void TestCommands::closeAll()
{
    QFETCH(QString, kind);

    CPrivateTempDir temp;
    CProgram program;
    CWindowCountingRecorder recorder;
    recorder.pProgram = &program;
    AfxSetMessageBoxService(&recorder);

    CBytelonView* pA = program.OpenBytes(QByteArray(100, 'a'), QStringLiteral("a.bin"));
    QVERIFY(pA);
    CBytelonDoc* pDocA = pA->GetDocument();
    const QString workA = pDocA->WorkFileName;
    if (kind == QLatin1String("unmodified") || kind == QLatin1String("two-modified")) {
        CBytelonView* pB = program.OpenBytes(QByteArray(100, 'b'), QStringLiteral("b.bin"));
        QVERIFY(program.OpenBytes(QByteArray(100, 'c'), QStringLiteral("c.bin")));
        if (kind == QLatin1String("two-modified")) {
            pDocA->SetModifiedFlag(true);
            pB->GetDocument()->SetModifiedFlag(true);
            recorder.Answers = {IDCANCEL, IDNO};
        }
    } else {
        QVERIFY(program.Frame()->ExecuteCommand(ID_WINDOW_NEW));
        ProcessEvents();
        QCOMPARE(pDocA->GetViews().size(), std::size_t(2));
        pDocA->SetModifiedFlag(true);
        recorder.Answers = {kind == QLatin1String("two-windows") ? IDNO : IDCANCEL};
    }

    QVERIFY(program.Frame()->ExecuteCommand(ID_WINDOW_CLOSE_ALL));
    ProcessEvents();
    AfxSetMessageBoxService(&program.Messages);

    if (kind == QLatin1String("unmodified")) {
        QVERIFY(recorder.Texts.isEmpty());
        QVERIFY(program.Documents().empty());
        QVERIFY(temp.Files().isEmpty());
    } else if (kind == QLatin1String("two-modified")) {
        // The cancelled one stays, the walk goes on and closes the others.
        QCOMPARE(recorder.Texts, (QStringList{"Save changes to a.bin?", "Save changes to b.bin?"}));
        QCOMPARE(program.Documents(), std::vector<CDocument*>{pDocA});
        QCOMPARE(pDocA->GetViews().size(), std::size_t(1));
        QVERIFY(pDocA->IsModified());
        QCOMPARE(temp.Files(), DocumentFiles(workA));
    } else {
        // The first window closes without a word; the last one asks.
        QCOMPARE(recorder.Texts, QStringList{"Save changes to a.bin?"});
        QCOMPARE(recorder.WindowsWhenAsked, QList<int>{1});
        if (kind == QLatin1String("two-windows")) {
            QVERIFY(program.Documents().empty());
            QVERIFY(temp.Files().isEmpty());
        } else {
            QCOMPARE(program.Documents(), std::vector<CDocument*>{pDocA});
            QCOMPARE(pDocA->GetViews().size(), std::size_t(1));
            QCOMPARE(program.Frame()->GetMdiArea()->subWindowList().size(), 1);
        }
    }
}

void TestCommands::closingMainWindowAsksAndCanBeCancelled()
{
    CProgram program;
    CBytelonView* pView = program.OpenBytes(QByteArray(10, 'm'), QStringLiteral("kept.bin"));
    QVERIFY(pView);
    pView->GetDocument()->SetModifiedFlag(true);
    program.Messages.Answers = {IDCANCEL};
    QVERIFY(!program.Frame()->close());
    ProcessEvents();
    QCOMPARE(program.Messages.Texts, QStringList{"Save changes to kept.bin?"});
    QVERIFY(program.Frame() && program.Frame()->isVisible());
    QCOMPARE(program.Documents().size(), std::size_t(1));

    program.Messages.Answers = {IDNO};
    QVERIFY(program.Frame()->close());
    ProcessEvents();
    QVERIFY(program.Documents().empty());
}

void TestCommands::aboutBox()
{
    CProgram program;
    QString caption;
    QStringList texts;
    QSize logoSize;
    QString logoCaption;
    bool okIsDefault = false;
    UINT templateId = 0;
    QColor background;
    WhenModal([&](QWidget* pModal) {
        auto* pAbout = qobject_cast<CAboutDlg*>(pModal);
        if (!pAbout)
            return;
        caption = pAbout->windowTitle();
        templateId = pAbout->GetTemplateId();
        for (const QLabel* pLabel : pAbout->findChildren<QLabel*>())
            texts << pLabel->text();
        if (QPushButton* pLogo = pAbout->Logo.GetButton()) {
            logoCaption = pLogo->text();
            logoSize = pLogo->size();
        }
        background = pAbout->palette().color(QPalette::Window);
        auto* pOk = qobject_cast<QPushButton*>(pAbout->GetDlgItem(IDOK));
        okIsDefault = pOk && pOk->isDefault() && pOk->text() == QLatin1String("OK");
        if (pOk)
            pOk->click();
    });
    QVERIFY(program.Frame()->ExecuteCommand(ID_APP_ABOUT));

    QCOMPARE(caption, QStringLiteral("About BYTELON"));
    QCOMPARE(templateId, UINT(IDD_ABOUTBOX));
    QVERIFY(okIsDefault);
    QCOMPARE(logoCaption, QStringLiteral("CORVANE"));
    // The logo button takes the size of its normal image.
    QCOMPARE(logoSize, AfxLoadBitmap(QStringLiteral("CORVANEU")).size());
    QVERIFY(!AfxLoadBitmap(QStringLiteral("CORVANED")).isNull());
    QVERIFY(!AfxLoadBitmap(QStringLiteral("CORVANEF")).isNull());
    QCOMPARE(background, QColor(192, 192, 192));
    const QString all = texts.join(QLatin1Char('\n'));
    for (const char* expected : {"2.0", "NOTICE:", "Click logo for", "cheap thrill.", "Friendly feedback is welcome.",
                                 "No solicitations please.", "Corvane Systems"})
        QVERIFY2(all.contains(QLatin1String(expected)), expected);
}

void TestCommands::droppedFilesOpen()
{
    CProgram program;
    const QString first = program.MakeFile(QStringLiteral("first.bin"), QByteArray("abc"));
    const QString second = program.MakeFile(QStringLiteral("second.bin"), QByteArray("defg"));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
    CMainFrame* pFrame = program.Frame();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pFrame, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pFrame, &drop);
    ProcessEvents();
    QStringList opened;
    for (CDocument* pDocument : program.Documents())
        opened << pDocument->GetTitle() + QLatin1Char('=')
                      + QString::number(static_cast<CBytelonDoc*>(pDocument)->DocLen);
    opened.sort();
    QCOMPARE(opened, (QStringList{QStringLiteral("first.bin=3"), QStringLiteral("second.bin=4")}));
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
