// The user guide behind F1 and Help Topics, and help mode (Shift+F1): a
// click on a toolbar button, a menu item or a window, or a command's key,
// opens the guide at that section and does nothing else.

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/HelpTopics.h"
#include "app/HelpWindow.h"
#include "app/MainFrame.h"
#include "framework/HelpContext.h"
#include "framework/StatusBar.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>

namespace {

void MakeFrameActive(CProgram& program)
{
    program.Frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(program.Frame()));
}

QToolBar* ToolBar(CProgram& program)
{
    return program.Frame()->findChild<QToolBar*>(QStringLiteral("ToolBar"));
}

// The open menu of the document menu bar that holds the command's item.
QMenu* MenuHolding(CProgram& program, UINT id)
{
    for (QMenu* pMenu : program.Frame()->GetMenus(IDR_BYTELONTYPE)) {
        if (pMenu->actions().contains(program.Frame()->GetCommandAction(id))) {
            pMenu->popup(program.Frame()->mapToGlobal(QPoint(20, 20)));
            QTest::qWait(20);
            return pMenu;
        }
    }
    return nullptr;
}

// Whether the section's heading is within what the help window shows.
bool HeadingShown(const CHelpWindow* pWindow, const QString& anchor)
{
    const QTextBlock heading = pWindow->TopicHeading(anchor);
    if (!heading.isValid())
        return false;
    QTextBrowser* pBrowser = pWindow->Browser();
    const qreal y = pBrowser->document()->documentLayout()->blockBoundingRect(heading).top();
    const int top = pBrowser->verticalScrollBar()->value();
    return y >= top && y < top + pBrowser->viewport()->height();
}

// Counts modal dialogs that open while it lives, closing each.
struct CModalCounter {
    CModalCounter()
    {
        QObject::connect(&Timer, &QTimer::timeout, [this] {
            if (QWidget* pModal = QApplication::activeModalWidget()) {
                ++Seen;
                pModal->close();
            }
        });
        Timer.start(5);
    }
    QTimer Timer;
    int Seen = 0;
};

}  // namespace

class tst_help : public QObject {
    Q_OBJECT
private slots:
    void guideOpens_data();
    void guideOpens();
    void contextHelp_data();
    void contextHelp();
    void everyCommandHasItsSection();
    void guideLinksAndPicturesResolve();
};

void tst_help::guideOpens_data()
{
    QTest::addColumn<bool>("document");
    QTest::addColumn<UINT>("command");
    QTest::addColumn<QString>("topic");
    QTest::newRow("f1-without-document") << false << UINT(0) << QString();
    QTest::newRow("f1-in-document-window") << true << UINT(0) << QStringLiteral("the-document-window");
    QTest::newRow("help-topics-in-document-window") << true << UINT(ID_HELP_FINDER) << QString();
}

void tst_help::guideOpens()
{
    QFETCH(bool, document);
    QFETCH(UINT, command);
    QFETCH(QString, topic);
    CProgram program;
    MakeFrameActive(program);
    if (document)
        program.OpenFocused(Counting(300));
    if (command != 0)
        QVERIFY(program.Frame()->ExecuteCommand(command));
    else
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : program.Frame(), Qt::Key_F1);
    ProcessEvents();

    CHelpWindow* pWindow = CHelpWindow::Find(program.Frame());
    QVERIFY(pWindow);
    QVERIFY(pWindow->isVisible());
    QCOMPARE(pWindow->windowTitle(), QStringLiteral("BYTELON Help"));
    QVERIFY(program.Messages.Texts.isEmpty());
    QCOMPARE(pWindow->CurrentTopic(), topic);
    if (topic.isEmpty()) {
        QCOMPARE(pWindow->Browser()->verticalScrollBar()->value(), 0);
        QCOMPARE(pWindow->Browser()->document()->begin().text(), QStringLiteral("BYTELON User Guide"));
    } else {
        QVERIFY(HeadingShown(pWindow, topic));
    }
}

void tst_help::contextHelp_data()
{
    QTest::addColumn<QString>("enter");
    QTest::addColumn<QString>("click");
    QTest::addColumn<UINT>("command");
    QTest::addColumn<QString>("topic");
    QTest::newRow("toolbar-find") << "shift-f1" << "toolbar" << UINT(ID_SEARCH_FIND) << "find";
    QTest::newRow("toolbar-cut-greyed") << "shift-f1" << "toolbar" << UINT(ID_EDIT_CUT) << "cut";
    QTest::newRow("help-button-then-toolbar-replace") << "button" << "toolbar" << UINT(ID_SEARCH_REPLACE)
                                                     << "replace";
    QTest::newRow("menu-copy-greyed") << "shift-f1" << "menu" << UINT(ID_EDIT_COPY) << "copy";
    QTest::newRow("menu-goto") << "shift-f1" << "menu" << UINT(ID_SEARCH_GOTO) << "goto-address";
    QTest::newRow("key-ctrl-g") << "shift-f1" << "ctrl-g" << UINT(ID_SEARCH_GOTO) << "goto-address";
    QTest::newRow("document-window") << "shift-f1" << "view" << UINT(0) << "the-document-window";
    QTest::newRow("status-bar") << "shift-f1" << "status-bar" << UINT(0) << "the-status-bar";
    // Esc leaves help mode: the next click is an ordinary one.
    QTest::newRow("escape-then-toolbar-find") << "shift-f1-escape" << "toolbar" << UINT(ID_SEARCH_FIND)
                                             << QString();
}

void tst_help::contextHelp()
{
    QFETCH(QString, enter);
    QFETCH(QString, click);
    QFETCH(UINT, command);
    QFETCH(QString, topic);
    CProgram program;
    MakeFrameActive(program);
    CBytelonView* pView = program.OpenFocused(Counting(300), 8);
    MoveCaretTo(pView, 20);
    program.Frame()->UpdateAllCommandUI();
    CModalCounter modals;

    if (enter == QLatin1String("button"))
        QTest::mouseClick(ToolBar(program)->widgetForAction(program.Frame()->GetCommandAction(ID_CONTEXT_HELP)),
                          Qt::LeftButton);
    else
        QTest::keyClick(pView, Qt::Key_F1, Qt::ShiftModifier);
    QVERIFY(QApplication::overrideCursor());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WhatsThisCursor);
    if (enter == QLatin1String("shift-f1-escape")) {
        QTest::keyClick(pView, Qt::Key_Escape);
        QVERIFY(!QApplication::overrideCursor());
    }

    if (click == QLatin1String("toolbar")) {
        QWidget* pButton = ToolBar(program)->widgetForAction(program.Frame()->GetCommandAction(command));
        QVERIFY(pButton);
        QTest::mouseClick(pButton, Qt::LeftButton);
    } else if (click == QLatin1String("menu")) {
        QMenu* pMenu = MenuHolding(program, command);
        QVERIFY(pMenu && pMenu->isVisible());
        QAction* pItem = program.Frame()->GetCommandAction(command);
        QTest::mouseClick(pMenu, Qt::LeftButton, Qt::NoModifier, pMenu->actionGeometry(pItem).center());
        QVERIFY(!pMenu->isVisible());
    } else if (click == QLatin1String("ctrl-g")) {
        QTest::keyClick(pView, Qt::Key_G, Qt::ControlModifier);
    } else if (click == QLatin1String("view")) {
        QTest::mouseClick(pView->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4 * pView->LineHeight));
    } else {
        QTest::mouseClick(program.Frame()->GetStatusBar(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    }
    ProcessEvents();

    QVERIFY(!QApplication::overrideCursor());
    CHelpWindow* pWindow = CHelpWindow::Find(program.Frame());
    if (topic.isEmpty()) {
        // Out of help mode, the button did its own work.
        QVERIFY(!pWindow || !pWindow->isVisible());
        QVERIFY(program.App()->pFindDlg);
        return;
    }
    QVERIFY(pWindow && pWindow->isVisible());
    QCOMPARE(pWindow->CurrentTopic(), topic);
    QVERIFY(HeadingShown(pWindow, topic));
    // The command itself did not run, nor did the click reach the view.
    QCOMPARE(modals.Seen, 0);
    QVERIFY(!program.App()->pFindDlg);
    QVERIFY(!program.App()->pReplaceDlg);
    QCOMPARE(pView->CaretOffset(), 20);
    QVERIFY(program.Messages.Texts.isEmpty());
}

void tst_help::everyCommandHasItsSection()
{
    CProgram program;
    program.Frame()->ExecuteCommand(ID_HELP_FINDER);
    CHelpWindow* pWindow = CHelpWindow::Find(program.Frame());
    QVERIFY(pWindow);
    std::vector<DWORD> contexts{HID_BASE_RESOURCE + IDR_BYTELONTYPE, HID_BASE_RESOURCE + IDD_INSERT,
                                HID_BASE_RESOURCE + IDD_FIND,        HID_BASE_RESOURCE + IDD_REPLACE,
                                HID_BASE_RESOURCE + IDD_GOTO,        HID_BASE_RESOURCE + IDD_COLUMNS,
                                HID_BASE_CONTROL + AFX_IDW_TOOLBAR,  HID_BASE_CONTROL + AFX_IDW_STATUS_BAR,
                                HID_BASE_COMMAND + AFX_IDM_FIRST_MDICHILD};
    QList<QAction*> items = ToolBar(program)->actions();
    for (UINT menu : {UINT(IDR_MAINFRAME), UINT(IDR_BYTELONTYPE)}) {
        for (QMenu* pMenu : program.Frame()->GetMenus(menu))
            items += pMenu->actions();
    }
    for (const auto& [key, id] : program.Frame()->GetAccelerators())
        contexts.push_back(HID_BASE_COMMAND + id);
    for (const QAction* pItem : items) {
        if (const UINT id = pItem->data().toUInt())
            contexts.push_back(HID_BASE_COMMAND + id);
    }
    QVERIFY(contexts.size() > 60);
    for (DWORD context : contexts) {
        const QString topic = HelpTopic(context);
        QVERIFY2(!topic.isEmpty() && pWindow->TopicHeading(topic).isValid(),
                 qPrintable(QStringLiteral("context %1: section '%2'").arg(context, 0, 16).arg(topic)));
    }
}

void tst_help::guideLinksAndPicturesResolve()
{
    CProgram program;
    program.Frame()->ExecuteCommand(ID_HELP_FINDER);
    CHelpWindow* pWindow = CHelpWindow::Find(program.Frame());
    QVERIFY(pWindow);
    QTextBrowser* pBrowser = pWindow->Browser();
    int links = 0;
    int pictures = 0;
    for (QTextBlock block = pBrowser->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isImageFormat()) {
                const QString name = format.toImageFormat().name();
                const QVariant data = pBrowser->loadResource(QTextDocument::ImageResource, QUrl(name));
                const QImage image = data.typeId() == QMetaType::QByteArray ? QImage::fromData(data.toByteArray())
                                                                             : data.value<QImage>();
                QVERIFY2(!image.isNull(), qPrintable(name));
                ++pictures;
            } else if (format.isAnchor() && format.anchorHref().startsWith(QLatin1Char('#'))) {
                QVERIFY2(pWindow->TopicHeading(format.anchorHref().mid(1)).isValid(),
                         qPrintable(format.anchorHref()));
                ++links;
            }
        }
    }
    QVERIFY(pictures >= 6);
    QVERIFY(links > 100);

    // A click on the contents' link lands on its section.
    QTextCursor link = pBrowser->document()->find(QStringLiteral("Data Columns"));
    QVERIFY(link.charFormat().anchorHref() == QStringLiteral("#data-columns"));
    link.setPosition(link.selectionStart() + 2);
    QTest::mouseClick(pBrowser->viewport(), Qt::LeftButton, Qt::NoModifier, pBrowser->cursorRect(link).center());
    QCOMPARE(pWindow->CurrentTopic(), QStringLiteral("data-columns"));
    QVERIFY(HeadingShown(pWindow, QStringLiteral("data-columns")));
}

QTEST_MAIN(tst_help)
#include "tst_help.moc"
