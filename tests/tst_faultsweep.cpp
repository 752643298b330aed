// Every operation that writes, run once per write and once per read it
// makes, failing just that one: whatever fails, the document is as it was or
// as the operation completes it, the user's files are untouched unless a
// save completed, and nothing is left behind.

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "doc/Clipboard.h"
#include "framework/DC.h"
#include "framework/File.h"
#include "framework/WaitCursor.h"
#include "res/Resource.h"
#include "search/ReplaceDlg.h"
#include "view/BytelonView.h"
#include "view/PreparedDC.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QRegularExpression>
#include <QTest>

#include <optional>
#include <unistd.h>

namespace {

enum class Op {
    InsertAtStart,
    InsertInMiddle,
    InsertAtEnd,
    Delete,
    ReplaceSelection,
    TypeOverSelection,
    PastePrivate,
    PasteText,
    Cut,
    InsertFromFile,
    ReplaceAll,
    ReplaceAllStepByStep,
    ClearAll,
    Save,
    SaveOverHardLink,
    SaveAs,
    SaveSelectionAs,
    SaveSelectionAsNew,
    Load,
};

// Several pieces of each segment copy (a megabyte at most) and of Replace
// All's blocks; load and save move it in one run.
constexpr int DocSize = 1048576 + 20000;
constexpr int SelLo = 5000;
constexpr int SelHi = 9000;
const QByteArray Marker("\xF1\xF2\xF3", 3);
const QByteArray Replacement("\xE1\xE2\xE3\xE4\xE5", 5);
const QByteArray Inserted("twenty inserted byte");
const QByteArray Typed("QRS");
const QByteArray PastedText("pasted from elsewhere");

QByteArray Spliced(QByteArray bytes, int at, int removed, const QByteArray& with = QByteArray())
{
    return bytes.remove(at, removed).insert(at, with);
}

// The user's file, with a few occurrences for Replace All (no letters, so
// letter case cannot matter).
QByteArray Original()
{
    QByteArray bytes = Pattern(DocSize);
    for (int at : {1000, 400000, 1050000, DocSize - 3})
        bytes.replace(at, 3, Marker);
    return bytes;
}

// What Replace All leaves after each of its steps, the first being none.
QList<QByteArray> ReplaceAllBoundaries(QByteArray bytes)
{
    QList<QByteArray> states{bytes};
    for (qsizetype at = bytes.indexOf(Marker); at >= 0; at = bytes.indexOf(Marker, at + Replacement.size())) {
        bytes.replace(at, Marker.size(), Replacement);
        states << bytes;
    }
    return states;
}

bool Saves(Op op)
{
    return op == Op::Save || op == Op::SaveOverHardLink || op == Op::SaveAs || op == Op::SaveSelectionAs
           || op == Op::SaveSelectionAsNew;
}

// One operation on a fresh copy of the files, with one fault armed.
class CSweep {
public:
    explicit CSweep(Op op) : TheOp(op)
    {
        UserPath = Program.Dir() + QStringLiteral("/user.bin");
        OtherPath = Program.Dir() + QStringLiteral("/other.bin");
        SourcePath = Program.Dir() + QStringLiteral("/insert.bin");
        NewPath = Program.Dir() + QStringLiteral("/new.bin");
        LinkPath = Program.Dir() + QStringLiteral("/link.bin");
        Program.App()->CharPerLine = 16;
    }

    // fault: "write" or "read"; k: the one to fail, counting from 1, or 0 for none.
    // Returns what went wrong, empty when the outcome is sound.
    QStringList Run(const QString& fault, long long k)
    {
        Kind = fault;
        FailAt = k;
        Calls = 0;
        Problems.clear();
        Program.Messages.Texts.clear();
        Program.Messages.Answers.clear();
        ResetFiles();
        pDocument = nullptr;
        pView = nullptr;
        if (TheOp != Op::Load && !OpenUserFile())
            return Problems;
        Before = pDocument ? CProgram::WorkFileBytes(pDocument) : QByteArray();
        const QStringList folderBefore = FolderFiles();
        Execute();
        Disarm();
        // A paint that failed says so once it is over.
        ProcessEvents();
        Check(folderBefore);
        for (CDocument* pEach : Program.Documents())
            pEach->OnCloseDocument();
        ProcessEvents(1);
        if (!Temp.Files().isEmpty())
            Problems << QStringLiteral("temporary files left: ") + Temp.Files().join(QLatin1Char(' '));
        return Problems;
    }

    // What the run without a fault did.
    long long Reads = 0;
    long long Writes = 0;
    QStringList NormalMessages;

private:
    void ResetFiles()
    {
        QFile::remove(LinkPath);
        WriteFile(UserPath, Original());
        // A second name makes a save write the file in place.
        if (TheOp == Op::SaveOverHardLink)
            QVERIFY(::link(QFile::encodeName(UserPath).constData(), QFile::encodeName(LinkPath).constData()) == 0);
        WriteFile(OtherPath, Pattern(1000, 5));
        WriteFile(SourcePath, Pattern(40000, 4));
        QFile::remove(NewPath);
        Files.clear();
        for (const QString& path : {UserPath, OtherPath, SourcePath, NewPath, LinkPath})
            Files[path] = QFile::exists(path) ? FileBytes(path) : QByteArray("<absent>");
        auto* pData = new QMimeData;
        if (TheOp == Op::PastePrivate) {
            const QByteArray bytes = Pattern(40000, 3);
            QByteArray block(4, '\0');
            block[2] = char(bytes.size() >> 8);
            block[3] = char(bytes.size() & 0xFF);
            pData->setData(BytelonClipboardMimeType(), block + bytes);
        } else {
            pData->setText(QString::fromLatin1(PastedText));
        }
        QGuiApplication::clipboard()->setMimeData(pData);
    }

    bool OpenUserFile()
    {
        pDocument = Program.Open(UserPath);
        if (!pDocument) {
            Problems << QStringLiteral("the user's file did not open");
            return false;
        }
        pView = CProgram::ViewOf(pDocument);
        Focus(pView);
        switch (TheOp) {
        case Op::InsertInMiddle:
        case Op::PastePrivate:
        case Op::InsertFromFile: MoveCaretTo(pView, DocSize / 2); break;
        case Op::InsertAtEnd: MoveCaretTo(pView, DocSize); break;
        case Op::Delete:
        case Op::ReplaceSelection:
        case Op::TypeOverSelection:
        case Op::PasteText:
        case Op::Cut:
        case Op::SaveSelectionAs:
        case Op::SaveSelectionAsNew: SelectBytes(pView, SelLo, SelHi); break;
        case Op::Save:
        case Op::SaveOverHardLink:
            // Something to save.
            MoveCaretTo(pView, 0);
            pView->ReplaceSelectionWithString("edit", 4);
            break;
        default: break;
        }
        return true;
    }

    void Arm()
    {
        // A paint reads too, but how often one comes during the operation is a
        // matter of timing: only the operation's own calls are counted and failed.
        auto fail = [this](const QString&, std::int64_t, UINT) {
            if (CPaintDC::IsPainting())
                return false;
            return ++Calls == FailAt;
        };
        if (Kind == QLatin1String("write"))
            CFile::SetWriteFault(fail);
        else
            CFile::SetReadFault(fail);
        Activity.emplace();
    }

    void Disarm()
    {
        CFile::SetWriteFault(nullptr);
        CFile::SetReadFault(nullptr);
        if (Activity) {
            Reads = Kind == QLatin1String("read") ? Calls : Activity->Reads();
            Writes = Kind == QLatin1String("write") ? Calls : Activity->Writes();
            Activity.reset();
        }
    }

    void Execute()
    {
        CMainFrame* pFrame = Program.Frame();
        switch (TheOp) {
        case Op::InsertAtStart:
        case Op::InsertInMiddle:
        case Op::InsertAtEnd:
        case Op::ReplaceSelection:
            Arm();
            pView->ReplaceSelectionWithString(Inserted.constData(), int(Inserted.size()));
            break;
        case Op::Delete: {
            Arm();
            CPreparedDC dc(pView);
            pView->DeleteTheSelection(dc);
            break;
        }
        case Op::TypeOverSelection:
            // Armed once the dialog is up: only the replacement counts.
            WhenModal([this](QWidget* pDialog) {
                auto* pHex = static_cast<CDialog*>(pDialog)->GetDlgItemAs<QLineEdit>(IDC_INSERT_HEX);
                pHex->setText(CHexAsciiPair::HexTextOf(Typed.constData(), int(Typed.size())));
                Arm();
                QTest::keyClick(pHex, Qt::Key_Return);
            });
            QTest::keyClick(pView, Qt::Key_A);
            break;
        case Op::PastePrivate:
        case Op::PasteText: Arm(); pFrame->ExecuteCommand(ID_EDIT_PASTE); break;
        case Op::Cut: Arm(); pFrame->ExecuteCommand(ID_EDIT_CUT); break;
        case Op::InsertFromFile:
            Program.FileDialogs.Paths.push_back(SourcePath);
            Arm();
            pFrame->ExecuteCommand(ID_FILE_INSERT_FROM_FILE);
            break;
        case Op::ReplaceAll:
        case Op::ReplaceAllStepByStep: {
            // Several blocks and slices of a pass, or the steps one by one.
            ReplaceAllInSmallBlocks(Program, 262144, 2);
            ReplaceAllStreaming(Program, TheOp == Op::ReplaceAll);
            CBytelonApp* pApp = Program.App();
            if (!pApp->pReplaceDlg)
                pFrame->ExecuteCommand(ID_SEARCH_REPLACE);
            CReplaceDlg* pReplace = pApp->pReplaceDlg;
            pReplace->GetDlgItemAs<QLineEdit>(IDC_REPLACE_FIND_HEX)->setText(QStringLiteral("F1 F2 F3"));
            pReplace->GetDlgItemAs<QLineEdit>(IDC_REPLACE_WITH_HEX)->setText(QStringLiteral("E1 E2 E3 E4 E5"));
            Focus(pView);
            // Paints still pending would read inside the run or not, as timing has it.
            pView->UpdateWindow();
            pReplace->GetDlgItemAs<QAbstractButton>(IDC_REPLACE_ALL)->click();
            Arm();
            for (int i = 0; i < 1000 && pApp->ReplaceAllActive; ++i)
                pApp->OnIdle(0);
            break;
        }
        case Op::ClearAll:
            Program.Messages.Answers.push_back(IDYES);
            Arm();
            pFrame->ExecuteCommand(ID_EDIT_CLEAR_ALL);
            break;
        case Op::Save:
        case Op::SaveOverHardLink: Arm(); pFrame->ExecuteCommand(ID_FILE_SAVE); break;
        case Op::SaveAs:
        case Op::SaveSelectionAs:
        case Op::SaveSelectionAsNew:
            Program.FileDialogs.Paths.push_back(TheOp == Op::SaveSelectionAsNew ? NewPath : OtherPath);
            Arm();
            pFrame->ExecuteCommand(TheOp == Op::SaveAs ? UINT(ID_FILE_SAVE_AS) : UINT(ID_FILE_SAVE_SELECTION_AS));
            break;
        case Op::Load:
            Arm();
            pDocument = Program.Open(UserPath);
            break;
        }
    }

    // The document's bytes when the operation has completed; for Replace
    // All, after each step.
    [[nodiscard]] QList<QByteArray> Completed() const
    {
        switch (TheOp) {
        case Op::InsertAtStart: return {Spliced(Before, 0, 0, Inserted)};
        case Op::InsertInMiddle: return {Spliced(Before, DocSize / 2, 0, Inserted)};
        case Op::InsertAtEnd: return {Spliced(Before, DocSize, 0, Inserted)};
        case Op::Delete:
        case Op::Cut: return {Spliced(Before, SelLo, SelHi - SelLo)};
        case Op::ReplaceSelection: return {Spliced(Before, SelLo, SelHi - SelLo, Inserted)};
        case Op::TypeOverSelection: return {Spliced(Before, SelLo, SelHi - SelLo, Typed)};
        case Op::PastePrivate: return {Spliced(Before, DocSize / 2, 0, Pattern(40000, 3))};
        case Op::PasteText: return {Spliced(Before, SelLo, SelHi - SelLo, PastedText)};
        case Op::InsertFromFile: return {Spliced(Before, DocSize / 2, 0, Pattern(40000, 4))};
        case Op::ReplaceAll:
        case Op::ReplaceAllStepByStep: return ReplaceAllBoundaries(Before);
        case Op::ClearAll: return {QByteArray()};
        case Op::Load: return {Original()};
        default: return {Before};
        }
    }

    void Check(const QStringList& folderBefore)
    {
        if (FailAt > 0 && Calls < FailAt)
            Problems << QStringLiteral("the fault was never reached (%1 %2s)").arg(Calls).arg(Kind);
        if (FailAt == 0)
            NormalMessages = Program.Messages.Texts;
        else if (Program.Messages.Texts == NormalMessages)
            Problems << QStringLiteral("no message");
        CheckDocument();
        CheckUserFiles(folderBefore);
        if (CWaitCursor::Depth() != 0)
            Problems << QStringLiteral("wait cursor left on");
    }

    void CheckDocument()
    {
        const auto documents = Program.Documents();
        if (TheOp == Op::Load && documents.empty()) {
            if (FailAt == 0)
                Problems << QStringLiteral("the file did not load");
            return;
        }
        if (documents.size() != 1 || documents.front() != pDocument) {
            Problems << QStringLiteral("%1 documents open").arg(documents.size());
            return;
        }
        if (pDocument->WorkFile.IsOpen())
            Problems << QStringLiteral("work file left open");
        const QByteArray bytes = CProgram::WorkFileBytes(pDocument);
        const QList<QByteArray> completed = Completed();
        const bool asBefore = TheOp != Op::Load && bytes == Before;
        if (FailAt == 0 ? !completed.contains(bytes) || (completed.size() > 1 && bytes != completed.last())
                        : !asBefore && !completed.contains(bytes))
            Problems << QStringLiteral("bytes neither before nor completed (%1 bytes)").arg(bytes.size());
        if (pDocument->DocLen != bytes.size())
            Problems << QStringLiteral("DocLen %1, work file %2").arg(pDocument->DocLen).arg(bytes.size());
        const bool differs = bytes != FileBytes(pDocument->GetPathName());
        if (pDocument->IsModified() != differs)
            Problems << QStringLiteral("modified %1 but %2 the file on disk")
                            .arg(pDocument->IsModified())
                            .arg(differs ? "differs from" : "equals");
    }

    void CheckUserFiles(const QStringList& folderBefore)
    {
        // The bytes a completed save puts in each file it writes.
        QMap<QString, QByteArray> saved;
        const QByteArray selection = Before.mid(SelLo, SelHi - SelLo);
        const bool documentSaved = pDocument && !pDocument->IsModified();
        if ((TheOp == Op::Save || TheOp == Op::SaveOverHardLink) && documentSaved)
            saved[UserPath] = Before;
        if (TheOp == Op::SaveOverHardLink && documentSaved)
            saved[LinkPath] = Before;
        if (TheOp == Op::SaveAs && documentSaved && pDocument->GetPathName() == OtherPath)
            saved[OtherPath] = Before;
        if (TheOp == Op::SaveSelectionAs)
            saved[OtherPath] = selection;
        if (TheOp == Op::SaveSelectionAsNew)
            saved[NewPath] = selection;
        for (auto it = Files.cbegin(); it != Files.cend(); ++it) {
            const QByteArray now = QFile::exists(it.key()) ? FileBytes(it.key()) : QByteArray("<absent>");
            if (now == it.value() || (saved.contains(it.key()) && now == saved[it.key()]))
                continue;
            Problems << QStringLiteral("%1 changed (%2 bytes)").arg(QFileInfo(it.key()).fileName()).arg(now.size());
        }
        if (FailAt == 0 && Saves(TheOp) && saved.isEmpty())
            Problems << QStringLiteral("the save did not complete");
        QStringList folderAfter = FolderFiles();
        if (saved.contains(NewPath) && FileBytes(NewPath) == saved[NewPath])
            folderAfter.removeAll(QFileInfo(NewPath).fileName());
        if (folderAfter != folderBefore)
            Problems << QStringLiteral("files left beside the user's: ") + folderAfter.join(QLatin1Char(' '));
    }

    [[nodiscard]] QStringList FolderFiles() const
    {
        return QDir(Program.Dir()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    Op TheOp;
    CPrivateTempDir Temp;
    CProgram Program;
    QString UserPath;
    QString OtherPath;
    QString SourcePath;
    QString NewPath;
    QString LinkPath;
    QMap<QString, QByteArray> Files;
    CBytelonDoc* pDocument = nullptr;
    CBytelonView* pView = nullptr;
    QByteArray Before;
    QString Kind;
    long long FailAt = 0;
    long long Calls = 0;
    std::optional<CFile::CActivity> Activity;
    QStringList Problems;
};

}  // namespace

class tst_faultsweep : public QObject {
    Q_OBJECT
private slots:
    void sweep_data();
    void sweep();
};

void tst_faultsweep::sweep_data()
{
    QTest::addColumn<int>("op");
    QTest::addColumn<QString>("fault");
    const std::pair<Op, const char*> ops[] = {
        {Op::InsertAtStart, "insert-at-start"},
        {Op::InsertInMiddle, "insert-in-middle"},
        {Op::InsertAtEnd, "insert-at-end"},
        {Op::Delete, "delete-selection"},
        {Op::ReplaceSelection, "replace-selection"},
        {Op::TypeOverSelection, "type-over-selection"},
        {Op::PastePrivate, "paste-private-block"},
        {Op::PasteText, "paste-text-over-selection"},
        {Op::Cut, "cut"},
        {Op::InsertFromFile, "insert-from-file"},
        {Op::ReplaceAll, "replace-all"},
        {Op::ReplaceAllStepByStep, "replace-all-step-by-step"},
        {Op::ClearAll, "clear-all"},
        {Op::Save, "save"},
        {Op::SaveOverHardLink, "save-over-a-hard-linked-file"},
        {Op::SaveAs, "save-as-over-another-file"},
        {Op::SaveSelectionAs, "save-selection-as-over-a-file"},
        {Op::SaveSelectionAsNew, "save-selection-as-new-file"},
        {Op::Load, "load"},
    };
    for (const auto& [op, name] : ops) {
        for (const char* fault : {"write", "read"})
            QTest::addRow("%s/%s", name, fault) << int(op) << QString::fromLatin1(fault);
    }
}

void tst_faultsweep::sweep()
{
    QFETCH(int, op);
    QFETCH(QString, fault);
    CSweep sweep{Op(op)};
    const QStringList normal = sweep.Run(fault, 0);
    QVERIFY2(normal.isEmpty(), qPrintable(normal.join(QStringLiteral("; "))));
    const long long runs = fault == QLatin1String("write") ? sweep.Writes : sweep.Reads;
    // Every operation here writes; not all of them read.
    QVERIFY2(runs > 0 || fault == QLatin1String("read"), "the operation made no write");
    qInfo("%lld runs, one per %s", runs, qPrintable(fault));
    // Each kind of problem with the runs that showed it, "k 2-8, 10".
    QMap<QString, QList<long long>> failures;
    for (long long k = 1; k <= runs; ++k) {
        for (const QString& problem : sweep.Run(fault, k))
            failures[QString(problem).replace(QRegularExpression(QStringLiteral("\\d+")), QStringLiteral("#"))] << k;
    }
    QStringList report;
    for (auto it = failures.cbegin(); it != failures.cend(); ++it) {
        QStringList ranges;
        const QList<long long>& ks = it.value();
        for (qsizetype i = 0; i < ks.size();) {
            qsizetype j = i;
            while (j + 1 < ks.size() && ks[j + 1] == ks[j] + 1)
                ++j;
            ranges << (i == j ? QString::number(ks[i]) : QStringLiteral("%1-%2").arg(ks[i]).arg(ks[j]));
            i = j + 1;
        }
        report << QStringLiteral("%1 %2 of %3: %4").arg(fault, ranges.join(QLatin1Char(','))).arg(runs).arg(it.key());
    }
    QVERIFY2(report.isEmpty(), qPrintable(report.join(QLatin1Char('\n'))));
}

QTEST_MAIN(tst_faultsweep)
#include "tst_faultsweep.moc"
