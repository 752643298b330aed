// The command line: the options answered without a display, refused
// options, start-up without a display, and the file name, even one that
// starts with a dash.

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/CommandLine.h"
#include "doc/BytelonDoc.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class tst_commandline : public QObject {
    Q_OBJECT
private slots:
    void answeredWithoutDisplay_data();
    void answeredWithoutDisplay();
    void fileNamed_data();
    void fileNamed();
};

void tst_commandline::answeredWithoutDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    // The toolkit's platform: xcb fails without a display; offscreen needs none.
    QTest::addColumn<QString>("platform");

    const QString usage = QStringLiteral("Usage: bytelon [OPTION]... [--] [FILE]\n");
    const QString unknown = QStringLiteral("bytelon: unknown option %1 (try bytelon --help)\n");
    const QString xcb = QStringLiteral("xcb");
    QTest::newRow("help") << QStringList{"--help"} << 0 << usage << QString() << xcb;
    QTest::newRow("h") << QStringList{"-h"} << 0 << usage << QString() << xcb;
    QTest::newRow("version") << QStringList{"--version"} << 0 << QStringLiteral("BYTELON 2.0\n") << QString() << xcb;
    QTest::newRow("help-after-a-file-name") << QStringList{"some.bin", "--help"} << 0 << usage << QString() << xcb;
    QTest::newRow("first-option-answers") << QStringList{"--version", "--bogus"} << 0
                                          << QStringLiteral("BYTELON 2.0\n") << QString() << xcb;
    QTest::newRow("unknown-option") << QStringList{"--bogus"} << 2 << QString() << unknown.arg("--bogus") << xcb;
    QTest::newRow("unknown-option-with-value") << QStringList{"--help=all"} << 2 << QString()
                                               << unknown.arg("--help=all") << xcb;
    QTest::newRow("unknown-option-after-a-file-name")
        << QStringList{"some.bin", "--line=4"} << 2 << QString() << unknown.arg("--line=4") << xcb;
    QTest::newRow("file-without-display")
        << QStringList{"some.bin"} << 1 << QString()
        << QStringLiteral("bytelon: no display could be opened (it runs on a graphical desktop: is DISPLAY or "
                          "WAYLAND_DISPLAY set?)\n")
        << xcb;
    QTest::newRow("dash-name-is-not-an-option")
        << QStringList{"-x.bin"} << 2 << QString()
        << QStringLiteral("bytelon: -x.bin is not an option (to open a file of that name: bytelon -- -x.bin)\n")
        << QStringLiteral("offscreen");
}

void tst_commandline::answeredWithoutDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(QString, platform);

    // As over SSH: no display, and (with xcb) a toolkit that cannot start without one.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    // A toolkit that starts asks for the user's runtime folder, and says so when there is none.
    QTemporaryDir runtime;
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(BYTELON_EXECUTABLE), arguments);
    QVERIFY(process.waitForFinished(20000));
    const QString shownOut = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QString shownErr = QString::fromLocal8Bit(process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), status);
    QVERIFY2(out.isEmpty() ? shownOut.isEmpty() : shownOut.startsWith(out), qPrintable(shownOut));
    QCOMPARE(shownErr, err);
    if (arguments.front() == QLatin1String("--help"))
        QVERIFY(shownOut.contains(QLatin1String("--version")) && shownOut.endsWith(QLatin1Char('\n')));
}

void tst_commandline::fileNamed_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("opened");
    QTest::addColumn<int>("toolkitArguments");

    QTest::newRow("plain-name") << QStringList{"plain.bin"} << QStringLiteral("plain.bin") << 2;
    QTest::newRow("toolkit-option-then-name") << QStringList{"-reverse", "plain.bin"} << QStringLiteral("plain.bin") << 3;
    QTest::newRow("dash-name-after-options-end") << QStringList{"--", "-odd-name"} << QStringLiteral("-odd-name") << 1;
    QTest::newRow("option-after-options-end-is-a-name") << QStringList{"--", "--help"} << QStringLiteral("--help") << 1;
    QTest::newRow("first-name-wins") << QStringList{"plain.bin", "--", "-odd-name"} << QStringLiteral("plain.bin") << 2;
    QTest::newRow("no-name") << QStringList{"--"} << QString() << 1;
}

void tst_commandline::fileNamed()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, opened);
    QFETCH(int, toolkitArguments);

    const QStringList commandLine = QStringList{QStringLiteral("bytelon")} + arguments;
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    QVERIFY(!AnswerCommandLine(commandLine, outStream, errStream));
    QVERIFY(out.isEmpty() && err.isEmpty());
    QCOMPARE(ToolkitArgumentCount(commandLine), toolkitArguments);

    CProgram program(10, false);
    for (const QString& name : {QStringLiteral("plain.bin"), QStringLiteral("-odd-name"), QStringLiteral("--help")})
        program.MakeFile(name, name.toLatin1());
    const QString saved = QDir::currentPath();
    QDir::setCurrent(program.Dir());
    program.Arguments = commandLine;
    const bool started = program.Start();
    QDir::setCurrent(saved);
    QVERIFY(started);
    QVERIFY(program.Messages.Texts.isEmpty());
    if (opened.isEmpty()) {
        QCOMPARE(int(program.Documents().size()), 0);
        return;
    }
    QCOMPARE(int(program.Documents().size()), 1);
    QCOMPARE(QFileInfo(program.ActiveDocument()->GetPathName()).fileName(), opened);
    QCOMPARE(CProgram::WorkFileBytes(program.ActiveDocument()), opened.toLatin1());
}

QTEST_MAIN(tst_commandline)
#include "tst_commandline.moc"
