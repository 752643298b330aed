// Cut, Copy and Paste: the private block and the text on the clipboard,
// which of them a paste takes, malformed blocks, and failures.

#include "support/TestSupport.h"

#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "doc/Clipboard.h"
#include "doc/TailFile.h"
#include "framework/File.h"
#include "framework/WaitCursor.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTest>

namespace {

const QString PrivateType = QStringLiteral("application/x-cf-bytelon");

QByteArray PrivateBlock(const QByteArray& bytes)
{
    const quint32 n = quint32(bytes.size());
    QByteArray block;
    block.append(char(n >> 24)).append(char(n >> 16)).append(char(n >> 8)).append(char(n));
    return block + bytes;
}

void PutOnClipboard(const QString& type, const QByteArray& data)
{
    auto* pData = new QMimeData;
    pData->setData(type, data);
    QGuiApplication::clipboard()->setMimeData(pData);
}

QByteArray ClipboardData(const QString& type)
{
    const QMimeData* pData = QGuiApplication::clipboard()->mimeData();
    return pData ? pData->data(type) : QByteArray();
}

}  // namespace

class tst_clipboard : public QObject {
    Q_OBJECT
private slots:
    void init() { QGuiApplication::clipboard()->clear(); }
    void copyPutsPrivateBlockAndText();
    void copyOfLargeSelection();
    void copyFailsWhenMemoryRunsOut();
    void pastePrefersPrivateFormat();
    void paste_data();
    void paste();
    void pasteReplacesSelection();
    void pasteAtEndMakesNoTailFile();
    void pasteFailingPartWayIsUndone();
    void cutDeletesWhatWasCopied();
    void updateHandlers();
};

void tst_clipboard::copyPutsPrivateBlockAndText()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(QByteArray("xx\x41\x00\x42yy", 7));
    SelectBytes(pView, 5, 2);
    QVERIFY(program.Frame()->ExecuteCommand(ID_EDIT_COPY));
    QCOMPARE(ClipboardData(PrivateType), QByteArray("\x00\x00\x00\x03\x41\x00\x42", 7));
    QCOMPARE(ClipboardData("text/plain"), QByteArray("AB"));
    // Copying changes neither the document nor the selection.
    QCOMPARE(program.WorkFileBytes(pView->GetDocument()), QByteArray("xx\x41\x00\x42yy", 7));
    QVERIFY(pView->SelActive);
    QVERIFY(!pView->GetDocument()->IsModified());
    QVERIFY(program.Messages.Texts.isEmpty());
    QCOMPARE(CWaitCursor::Depth(), 0);
}

void tst_clipboard::copyOfLargeSelection()
{
    CProgram program;
    const QByteArray bytes = Pattern(100000);
    CBytelonView* pView = program.OpenBytes(bytes);
    SelectBytes(pView, 1000, 41000);
    QVERIFY(pView->CopySelectionToClipboard());
    QCOMPARE(ClipboardData(PrivateType), PrivateBlock(bytes.mid(1000, 40000)));
    QCOMPARE(ClipboardData("text/plain"), QByteArray(bytes.mid(1000, 40000)).replace('\0', QByteArray()));
}

void tst_clipboard::copyFailsWhenMemoryRunsOut()
{
    CProgram program;
    CBytelonView* pView = program.OpenBytes(Pattern(1000));
    PutOnClipboard("text/plain", "before");
    SelectBytes(pView, 0, 500);
    SetClipboardBlockLimit(400);
    const bool copied = pView->CopySelectionToClipboard();
    SetClipboardBlockLimit(-1);
    QVERIFY(!copied);
    QCOMPARE(program.Messages.Texts, QStringList{"GlobalAlloc() failed"});
    // Nothing changed: the clipboard, the document, the selection.
    QCOMPARE(ClipboardData("text/plain"), QByteArray("before"));
    QCOMPARE(program.WorkFileBytes(pView->GetDocument()), Pattern(1000));
    QVERIFY(pView->SelActive);
    QCOMPARE(CWaitCursor::Depth(), 0);
}

void tst_clipboard::pastePrefersPrivateFormat()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(QByteArray("\x41\x00\x42-", 4));
    SelectBytes(pView, 0, 3);
    QVERIFY(program.Frame()->ExecuteCommand(ID_EDIT_COPY));
    MoveCaretTo(pView, 4);
    QVERIFY(program.Frame()->ExecuteCommand(ID_EDIT_PASTE));
    QCOMPARE(program.WorkFileBytes(pView->GetDocument()), QByteArray("\x41\x00\x42-\x41\x00\x42", 7));
    QCOMPARE(pView->CaretOffset(), 7);
    QVERIFY(pView->GetDocument()->IsModified());
}

void tst_clipboard::paste_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("inserted");
    QTest::newRow("text") << "text/plain" << QByteArray("hello") << QByteArray("hello");
    QTest::newRow("text-up-to-first-zero") << "text/plain" << QByteArray("AB\0CD", 5) << QByteArray("AB");
    QTest::newRow("empty-text") << "text/plain" << QByteArray() << QByteArray();
    QTest::newRow("private-with-zeros") << PrivateType << QByteArray("\0\0\0\3\0A\0", 7) << QByteArray("\0A\0", 3);
    QTest::newRow("private-declaring-zero") << PrivateType << QByteArray("\0\0\0\0abc", 7) << QByteArray();
    QTest::newRow("private-declaring-more-than-present") << PrivateType << QByteArray("\0\0\1\0abc", 7)
                                                         << QByteArray("abc");
    QTest::newRow("private-declaring-fewer-than-present") << PrivateType << QByteArray("\0\0\0\2abc", 7)
                                                          << QByteArray("ab");
    QTest::newRow("private-shorter-than-its-count") << PrivateType << QByteArray("\0\1", 2) << QByteArray();
    QTest::newRow("private-across-chunks") << PrivateType << PrivateBlock(Pattern(40000, 3)) << Pattern(40000, 3);
    QTest::newRow("text-across-chunks") << "text/plain" << QByteArray(40000, 'q') << QByteArray(40000, 'q');
}

void tst_clipboard::paste()
{
    QFETCH(QString, type);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, inserted);
    CProgram program;
    const QByteArray original = Pattern(50000);
    CBytelonView* pView = program.OpenFocused(original);
    MoveCaretTo(pView, 20000);
    PutOnClipboard(type, data);
    QVERIFY(program.Frame()->ExecuteCommand(ID_EDIT_PASTE));
    QByteArray expected = original;
    expected.insert(20000, inserted);
    QCOMPARE(program.WorkFileBytes(pView->GetDocument()), expected);
    QCOMPARE(pView->GetDocument()->DocLen, int(expected.size()));
    const CShownOffsets shown = ShownOffsets(pView);
    QCOMPARE(shown.Caret, (long long)pView->CaretOffset());
    QCOMPARE(shown.Caret, std::min<long long>(20000 + inserted.size(), shown.End));
    QVERIFY(pView->GetDocument()->IsModified());
    QVERIFY(program.Messages.Texts.isEmpty());
    QCOMPARE(CWaitCursor::Depth(), 0);
}

void tst_clipboard::pasteReplacesSelection()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused("0123456789");
    SelectBytes(pView, 7, 2);
    PutOnClipboard("text/plain", "abc");
    QVERIFY(program.Frame()->ExecuteCommand(ID_EDIT_PASTE));
    QCOMPARE(program.WorkFileBytes(pView->GetDocument()), QByteArray("01abc789"));
    QCOMPARE(pView->CaretOffset(), 5);
    QVERIFY(!pView->SelActive);

    // An empty text still deletes the selection.
    SelectBytes(pView, 0, 2);
    PutOnClipboard("text/plain", QByteArray("\0x", 2));
    QVERIFY(program.Frame()->ExecuteCommand(ID_EDIT_PASTE));
    QCOMPARE(program.WorkFileBytes(pView->GetDocument()), QByteArray("abc789"));
    QCOMPARE(pView->CaretOffset(), 0);
}

void tst_clipboard::pasteAtEndMakesNoTailFile()
{
    CProgram program;
    CBytelonView* pView = program.OpenBytes("head");
    MoveCaretTo(pView, 4);
    PutOnClipboard(PrivateType, PrivateBlock("tail"));
    const long before = CTailFile::CreatedCount();
    QVERIFY(program.Frame()->ExecuteCommand(ID_EDIT_PASTE));
    QCOMPARE(CTailFile::CreatedCount(), before);
    QCOMPARE(program.WorkFileBytes(pView->GetDocument()), QByteArray("headtail"));
    MoveCaretTo(pView, 4);
    QVERIFY(program.Frame()->ExecuteCommand(ID_EDIT_PASTE));
    QCOMPARE(CTailFile::CreatedCount(), before + 1);
    QCOMPARE(program.WorkFileBytes(pView->GetDocument()), QByteArray("headtailtail"));
}

void tst_clipboard::pasteFailingPartWayIsUndone()
{
    CProgram program;
    const QByteArray original = Pattern(30000);
    CBytelonView* pView = program.OpenBytes(original);
    CBytelonDoc* pDocument = pView->GetDocument();
    MoveCaretTo(pView, 100);
    PutOnClipboard(PrivateType, PrivateBlock(Pattern(40000, 1)));
    bool failed = false;
    // The pasted bytes' second chunk does not reach the disk.
    CFile::SetWriteFault([&](const QString& path, std::int64_t pos, UINT) {
        if (failed || path != pDocument->WorkFileName || pos != 100 + 16384)
            return false;
        failed = true;
        return true;
    });
    QVERIFY(program.Frame()->ExecuteCommand(ID_EDIT_PASTE));
    CFile::SetWriteFault(nullptr);
    QVERIFY(failed);
    QCOMPARE(program.Messages.Texts.size(), 1);
    QVERIFY(program.Messages.Texts[0].startsWith("Disk full while accessing"));
    QCOMPARE(program.WorkFileBytes(pDocument), original);
    QCOMPARE(pDocument->DocLen, 30000);
    QVERIFY(!pDocument->IsModified());
    QVERIFY(!pDocument->WorkFile.IsOpen());
}

void tst_clipboard::cutDeletesWhatWasCopied()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused("abcdef");
    SelectBytes(pView, 1, 4);
    QVERIFY(program.Frame()->ExecuteCommand(ID_EDIT_CUT));
    QCOMPARE(ClipboardData(PrivateType), PrivateBlock("bcd"));
    QCOMPARE(program.WorkFileBytes(pView->GetDocument()), QByteArray("aef"));
    QCOMPARE(pView->CaretOffset(), 1);
    QVERIFY(!pView->SelActive);

    // A Cut whose copy fails deletes nothing.
    SelectBytes(pView, 0, 2);
    SetClipboardBlockLimit(3);
    QVERIFY(program.Frame()->ExecuteCommand(ID_EDIT_CUT));
    SetClipboardBlockLimit(-1);
    QCOMPARE(program.Messages.Texts, QStringList{"GlobalAlloc() failed"});
    QCOMPARE(program.WorkFileBytes(pView->GetDocument()), QByteArray("aef"));
    QCOMPARE(ClipboardData(PrivateType), PrivateBlock("bcd"));
}

void tst_clipboard::updateHandlers()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused("abcdef");
    QVERIFY(!CommandEnabled(program, ID_EDIT_COPY));
    QVERIFY(!CommandEnabled(program, ID_EDIT_CUT));
    QVERIFY(!CommandEnabled(program, ID_EDIT_PASTE));
    SelectBytes(pView, 2, 2);  // active, if empty
    QVERIFY(CommandEnabled(program, ID_EDIT_COPY));
    QVERIFY(CommandEnabled(program, ID_EDIT_CUT));

    auto* pImage = new QMimeData;
    pImage->setImageData(QImage(2, 2, QImage::Format_RGB32));
    QGuiApplication::clipboard()->setMimeData(pImage);
    QVERIFY(!CommandEnabled(program, ID_EDIT_PASTE));
    PutOnClipboard("text/plain", "t");
    QVERIFY(CommandEnabled(program, ID_EDIT_PASTE));
    PutOnClipboard(PrivateType, PrivateBlock("p"));
    QVERIFY(CommandEnabled(program, ID_EDIT_PASTE));

    // Pasting with nothing pastable does nothing at all.
    QGuiApplication::clipboard()->clear();
    MoveCaretTo(pView, 3);
    pView->On_Edit_Paste();
    QCOMPARE(program.WorkFileBytes(pView->GetDocument()), QByteArray("abcdef"));
    QVERIFY(!pView->GetDocument()->IsModified());
    QVERIFY(program.Messages.Texts.isEmpty());
}

QTEST_MAIN(tst_clipboard)
#include "tst_clipboard.moc"
