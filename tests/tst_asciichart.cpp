// The ASCII chart: the file of the 256 byte values, checked, rebuilt on
// request and opened as a document.

#include "support/TestSupport.h"

#include "app/AsciiChartFolder.h"
#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "framework/File.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>

namespace {

const QString Question = QStringLiteral(
    "File \"ASCII Chart\" does not contain the expected data. Do you want BYTELON to reconstruct it?");
const QString OpenFailed = QStringLiteral("Failed to open ASCII Chart");

// A program whose chart lives in its own folder, not beside the test program.
class CChartFixture {
public:
    CChartFixture()
    {
        Directory = Program.Dir() + QStringLiteral("/bin");
        QDir().mkpath(Directory);
        Program.App()->SetAsciiChartDirectory(Directory);
        Path = Directory + QStringLiteral("/ASCII Chart");
    }
    bool Run()
    {
        const bool ran = Program.Frame()->ExecuteCommand(ID_VIEW_ASCII_CHART);
        ProcessEvents();
        return ran;
    }

    CProgram Program;
    QString Directory;
    QString Path;
};

}  // namespace

class tst_asciichart : public QObject {
    Q_OBJECT
private slots:
    void besideTheExecutable();
    void folderChoice_data();
    void folderChoice();
    void userFolderMadeOnFirstUse();
    void firstUse();
    void alteredChart_data();
    void alteredChart();
    void uncreatable();
    void fullDisk();
    void unreadable();
    void secondUseBringsItForward();
};

void tst_asciichart::besideTheExecutable()
{
    CProgram program;
    QCOMPARE(program.App()->AsciiChartPath(), QCoreApplication::applicationDirPath() + QStringLiteral("/ASCII Chart"));
}

void tst_asciichart::folderChoice_data()
{
    QTest::addColumn<QString>("programFolder");
    QTest::addColumn<bool>("withDesktopEntry");
    QTest::addColumn<bool>("inUserFolder");

    QTest::newRow("build-folder") << QStringLiteral("build") << false << false;
    QTest::newRow("installed-under-a-prefix") << QStringLiteral("usr/bin") << true << true;
    QTest::newRow("bin-folder-of-no-installation") << QStringLiteral("tools/bin") << false << false;
    // Tests run as root in CI, where only a folder that is not there cannot be written.
    QTest::newRow("folder-that-cannot-be-written") << QStringLiteral("gone/bin") << false << true;
}

void tst_asciichart::folderChoice()
{
    QFETCH(QString, programFolder);
    QFETCH(bool, withDesktopEntry);
    QFETCH(bool, inUserFolder);

    QTemporaryDir root;
    const QString program = root.path() + QLatin1Char('/') + programFolder;
    if (!programFolder.startsWith(QLatin1String("gone")))
        QVERIFY(QDir().mkpath(program));
    if (withDesktopEntry) {
        QVERIFY(QDir().mkpath(program + QStringLiteral("/../share/applications")));
        WriteFile(program + QStringLiteral("/../share/applications/example.corvane.Bytelon.desktop"), "x");
    }
    const QString user = root.path() + QStringLiteral("/home/.local/share/Corvane Systems/BYTELON");
    QCOMPARE(ChooseAsciiChartFolder(program, user), inUserFolder ? user : program);
}

void tst_asciichart::userFolderMadeOnFirstUse()
{
    QTemporaryDir dataHome;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
    CChartFixture fixture;
    const QString folder = UserAsciiChartFolder();
    fixture.Program.App()->SetAsciiChartDirectory(folder);
    const bool ran = fixture.Run();
    qputenv("XDG_DATA_HOME", saved);
    QVERIFY(ran);
    QCOMPARE(folder, dataHome.path() + QStringLiteral("/Corvane Systems/BYTELON"));
    QVERIFY(fixture.Program.Messages.Texts.isEmpty());
    QCOMPARE(FileBytes(folder + QStringLiteral("/ASCII Chart")), Counting(256));
    QVERIFY(fixture.Program.ActiveDocument());
    QCOMPARE(fixture.Program.ActiveDocument()->GetPathName(), folder + QStringLiteral("/ASCII Chart"));
}

void tst_asciichart::firstUse()
{
    CChartFixture fixture;
    QCOMPARE(fixture.Program.Documents().size(), std::size_t(0));
    QVERIFY(fixture.Run());
    QVERIFY(fixture.Program.Messages.Texts.isEmpty());
    QCOMPARE(FileBytes(fixture.Path), Counting(256));
    CBytelonDoc* pDocument = fixture.Program.ActiveDocument();
    QVERIFY(pDocument);
    QCOMPARE(pDocument->DocLen, 256);
    QCOMPARE(CProgram::WorkFileBytes(pDocument), Counting(256));
    QCOMPARE(QFileInfo(pDocument->GetPathName()).fileName(), QStringLiteral("ASCII Chart"));
}

void tst_asciichart::alteredChart_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("answer");
    QByteArray changed = Counting(256);
    changed[0x41] = 'x';
    QByteArray lastChanged = Counting(256);
    lastChanged[255] = 0;
    for (const auto& [name, content] : {std::pair<const char*, QByteArray>{"255-bytes", Counting(256).left(255)},
                                        {"257-bytes", Counting(256) + 'X'},
                                        {"byte-41-changed", changed},
                                        {"last-byte-changed", lastChanged},
                                        {"empty", QByteArray()}}) {
        QTest::addRow("%s-no", name) << content << int(IDNO);
        QTest::addRow("%s-yes", name) << content << int(IDYES);
    }
}

void tst_asciichart::alteredChart()
{
    QFETCH(QByteArray, content);
    QFETCH(int, answer);
    CChartFixture fixture;
    WriteFile(fixture.Path, content);
    fixture.Program.Messages.Answers.push_back(answer);
    QVERIFY(fixture.Run());
    if (answer == IDNO) {
        QCOMPARE(fixture.Program.Messages.Texts, (QStringList{Question, QStringLiteral("Operation Canceled")}));
        QCOMPARE(FileBytes(fixture.Path), content);
        QCOMPARE(fixture.Program.Documents().size(), std::size_t(0));
    } else {
        QCOMPARE(fixture.Program.Messages.Texts, QStringList{Question});
        QCOMPARE(FileBytes(fixture.Path), Counting(256));
        QVERIFY(fixture.Program.ActiveDocument());
        QCOMPARE(CProgram::WorkFileBytes(fixture.Program.ActiveDocument()), Counting(256));
    }
}

void tst_asciichart::uncreatable()
{
    CChartFixture fixture;
    fixture.Program.App()->SetAsciiChartDirectory(fixture.Directory + QStringLiteral("/missing"));
    QVERIFY(fixture.Run());
    QCOMPARE(fixture.Program.Messages.Texts, QStringList{OpenFailed});
    QCOMPARE(fixture.Program.Documents().size(), std::size_t(0));

    // A folder where the chart should be: the rebuild is offered and fails.
    fixture.Program.Messages.Texts.clear();
    fixture.Program.App()->SetAsciiChartDirectory(fixture.Directory);
    QVERIFY(QDir().mkpath(fixture.Path));
    fixture.Program.Messages.Answers.push_back(IDYES);
    QVERIFY(fixture.Run());
    QCOMPARE(fixture.Program.Messages.Texts, (QStringList{Question, OpenFailed}));
    QCOMPARE(fixture.Program.Documents().size(), std::size_t(0));
}

void tst_asciichart::fullDisk()
{
    CChartFixture fixture;
    const QString path = fixture.Path;
    CFile::SetWriteFault([path](const QString& target, std::int64_t, UINT) { return target == path; });
    const bool ran = fixture.Run();
    CFile::SetWriteFault(nullptr);
    QVERIFY(ran);
    // A chart that could not be written whole is not opened.
    QCOMPARE(fixture.Program.Messages.Texts, QStringList{OpenFailed});
    QCOMPARE(fixture.Program.Documents().size(), std::size_t(0));
}

void tst_asciichart::unreadable()
{
    CChartFixture fixture;
    WriteFile(fixture.Path, Counting(256));
    CFile lock;
    QVERIFY(lock.Open(fixture.Path, CFile::modeRead | CFile::shareExclusive));
    QVERIFY(fixture.Run());
    QCOMPARE(fixture.Program.Messages.Texts, QStringList{OpenFailed});
    QCOMPARE(fixture.Program.Documents().size(), std::size_t(0));
    lock.Close();
    QVERIFY(fixture.Run());
    QCOMPARE(fixture.Program.Documents().size(), std::size_t(1));
}

void tst_asciichart::secondUseBringsItForward()
{
    CChartFixture fixture;
    QVERIFY(fixture.Run());
    CBytelonDoc* pChart = fixture.Program.ActiveDocument();
    QVERIFY(pChart);
    fixture.Program.OpenBytes(QByteArray("other"), QStringLiteral("other.bin"));
    QVERIFY(fixture.Program.ActiveDocument() != pChart);
    QVERIFY(fixture.Run());
    QVERIFY(fixture.Program.Messages.Texts.isEmpty());
    QCOMPARE(fixture.Program.Documents().size(), std::size_t(2));
    QCOMPARE(fixture.Program.ActiveDocument(), pChart);
    QCOMPARE(pChart->GetViews().size(), std::size_t(1));
}

QTEST_MAIN(tst_asciichart)
#include "tst_asciichart.moc"
