// The modeless Find and Replace dialogs: their state at opening, the search
// text they share, the commands that open them, Replace, and Replace All
// running from the application's idle processing.

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "framework/File.h"
#include "res/Resource.h"
#include "search/FindDlg.h"
#include "search/ReplaceDlg.h"
#include "view/BytelonView.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTest>

namespace {

const QString EndReached = QStringLiteral("Reached end of document");

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

}  // namespace

class tst_findreplace : public QObject {
    Q_OBJECT
private slots:
    void findDialogOpensAndRemembers();
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
    void failedReplacementStopsReplaceAll();
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
    QTest::addColumn<QByteArray>("result");
    QTest::addColumn<QString>("status");
    QTest::newRow("byte-doubled") << QByteArray("aaa") << "61" << "61 61" << false << QByteArray("aaaaaa")
                                  << "Replaced 3";
    QTest::newRow("no-occurrence") << QByteArray("xyz") << "61" << "62" << false << QByteArray("xyz")
                                   << "Replaced 0";
    QTest::newRow("case-ignored-at-opening") << QByteArray("aAa") << "61" << "62" << false
                                             << QByteArray("bbb") << "Replaced 3";
    QTest::newRow("case-sensitive") << QByteArray("aAa") << "61" << "62" << true << QByteArray("bAb")
                                    << "Replaced 2";
    QTest::newRow("removing") << QByteArray("xaxax") << "61" << "" << false << QByteArray("xxx")
                              << "Replaced 2";
    QTest::newRow("longer-string-at-the-end") << QByteArray("..abcab") << "61 62" << "2D" << false
                                              << QByteArray("..-c-") << "Replaced 2";
}

void tst_findreplace::replaceAll()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, find);
    QFETCH(QString, replace);
    QFETCH(bool, caseYes);
    QFETCH(QByteArray, result);
    QFETCH(QString, status);
    CProgram program;
    CBytelonView* pView = program.OpenFocused(document);
    PlaceCaret(pView, 2);
    CReplaceDlg* pReplace = OpenReplace(program, find, replace);
    if (caseYes)
        pReplace->GetDlgItemAs<QRadioButton>(IDC_REPLACE_CASE_YES)->click();
    Click(pReplace, IDC_REPLACE_ALL);
    QCOMPARE(program.PaneText(0), QStringLiteral("Replaced 0"));
    QVERIFY(program.App()->ReplaceAllActive);
    QVERIFY(RunReplaceAll(program));
    QCOMPARE(CProgram::WorkFileBytes(pView->GetDocument()), result);
    QCOMPARE(pView->GetDocument()->DocLen, int(result.size()));
    QCOMPARE(program.PaneText(0), status);
    QCOMPARE(program.Messages.Texts, QStringList{EndReached});
    QCOMPARE(program.App()->ReplaceCount, 0L);
    if (result == document)
        QCOMPARE(pView->CaretOffset(), 0);
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
    QByteArray document;
    for (int i = 0; i < 50; ++i)
        document += "xa";
    CBytelonView* pView = program.OpenFocused(document);
    CReplaceDlg* pReplace = OpenReplace(program, QStringLiteral("61"), QStringLiteral("62"));
    Click(pReplace, IDC_REPLACE_ALL);
    // Two steps, as two idle passes would run them.
    program.App()->OnIdle(0);
    program.App()->OnIdle(0);
    QCOMPARE(program.App()->ReplaceCount, 2L);
    QCOMPARE(program.PaneText(0), QStringLiteral("Replaced 2"));
    Click(pReplace, IDCANCEL);
    QVERIFY(!program.App()->ReplaceAllActive);
    QCOMPARE(program.App()->ReplaceCount, 0L);
    ProcessEvents();
    program.App()->OnIdle(0);
    QCOMPARE(program.PaneText(0), QString());
    QByteArray expected = document;
    expected[1] = 'b';
    expected[3] = 'b';
    QCOMPARE(CProgram::WorkFileBytes(pView->GetDocument()), expected);
    QVERIFY(program.Messages.Texts.isEmpty());
}

void tst_findreplace::failedReplacementStopsReplaceAll()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(QByteArray("xaxaxa"));
    CReplaceDlg* pReplace = OpenReplace(program, QStringLiteral("61"), QStringLiteral("62 62"));
    Click(pReplace, IDC_REPLACE_ALL);
    program.App()->OnIdle(0);
    // The disk fills up: nothing more can be written.
    CFile::SetWriteFault([](const QString&, std::int64_t, UINT) { return true; });
    program.App()->OnIdle(0);
    CFile::SetWriteFault(nullptr);
    QVERIFY(!program.Messages.Texts.isEmpty());
    QVERIFY(!program.App()->ReplaceAllActive);
    const int messages = int(program.Messages.Texts.size());
    ProcessEvents();
    program.App()->OnIdle(0);
    QCOMPARE(int(program.Messages.Texts.size()), messages);
    // Every occurrence is either still there or wholly replaced.
    const QByteArray bytes = CProgram::WorkFileBytes(pView->GetDocument());
    QCOMPARE(pView->GetDocument()->DocLen, int(bytes.size()));
    QVERIFY2(bytes == "xbbxaxa" || bytes == "xbbxbbxa", bytes.constData());
}

QTEST_MAIN(tst_findreplace)
#include "tst_findreplace.moc"
