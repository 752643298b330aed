// Start-up and shut-down: the order of the start-up steps as the user sees
// it, the settings read, clamped and written back, the About box on one
// start in twenty, the main window's placement and its bars.

#include "support/TestSupport.h"

#include "app/AboutDlg.h"
#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "framework/VirtualKeys.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMessageBox>
#include <QPainter>
#include <QSettings>
#include <QTest>
#include <QToolBar>

namespace {

// The main window's size when no placement is stored.
const QSize DefaultFrameSize(900, 650);

// The first and last columns of a picture that hold ink: pixels far from the background.
std::pair<int, int> InkColumns(const QImage& image, QColor background)
{
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (std::abs(QColor(image.pixel(x, y)).lightness() - background.lightness()) > 64) {
                first = first < 0 ? x : first;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

QVariant StoredValue(const CProgram& program, const QString& key)
{
    QSettings profile(program.ProfileFile(), QSettings::IniFormat);
    return profile.value(key);
}

void StoreValues(const CProgram& program, const QList<QPair<QString, QString>>& values)
{
    QDir().mkpath(QFileInfo(program.ProfileFile()).absolutePath());
    QSettings profile(program.ProfileFile(), QSettings::IniFormat);
    for (const auto& [key, value] : values)
        profile.setValue(key, value);
}

// Closes every About box as it appears and notes what start-up had done by then.
class CAboutWatcher : public QObject {
public:
    explicit CAboutWatcher(CProgram& program) : Program(program) { qApp->installEventFilter(this); }
    ~CAboutWatcher() override { qApp->removeEventFilter(this); }

    int Shown = 0;
    bool FrameVisible = false;
    int Documents = -1;
    int CharPerLine = 0;
    bool VersionWritten = true;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        auto* pAbout = qobject_cast<CAboutDlg*>(pWatched);
        if (pAbout && pEvent->type() == QEvent::Show) {
            ++Shown;
            FrameVisible = Program.Frame() && Program.Frame()->isVisible();
            Documents = int(Program.Documents().size());
            CharPerLine = Program.App()->CharPerLine;
            VersionWritten = StoredValue(Program, QStringLiteral("BYTELON/VersionNumber")).isValid();
            auto* pOk = qobject_cast<QAbstractButton*>(pAbout->GetDlgItem(IDOK));
            QTimer::singleShot(0, pOk, [pOk] { pOk->click(); });
        }
        return false;
    }

private:
    CProgram& Program;
};

// Caps Lock and Num Lock as a platform that reports them has them.
std::optional<bool> capsLock;
std::optional<bool> numLock;
std::optional<bool> ReportedToggles(UINT vk)
{
    return vk == VK_CAPITAL ? capsLock : vk == VK_NUMLOCK ? numLock : std::nullopt;
}

}  // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void startsEmptyWithDefaults();
    void storedSettings_data();
    void storedSettings();
    void unreadableProfileGivesDefaults();
    void settingsChangedDuringTheRunAreWritten();
    void commandLineDocumentUsesBuiltInDisplay();
    void commandLineFileThatCannotBeOpenedEndsStartUp();
    void aboutBoxAtStartUp_data();
    void aboutBoxAtStartUp();
    void placementRoundTrip();
    void recentFilesKeptBetweenRuns();
    void placement_data();
    void placement();
    void statusBarPanes();
    void toolBarButtons();
    void capsAndNumPanes();
    void messageBoxesInDialogColours();
};

void TestStartup::startsEmptyWithDefaults()
{
    CProgram program;
    CBytelonApp* pApp = program.App();
    QVERIFY(program.Frame()->isVisible());
    QCOMPARE(int(program.Documents().size()), 0);
    QVERIFY(program.Frame()->GetMdiArea()->subWindowList().isEmpty());
    QCOMPARE(program.Frame()->GetShownMenu(), UINT(IDR_MAINFRAME));
    QCOMPARE(pApp->CharPerLine, 8);
    QCOMPARE(pApp->HexAddressBase, 1);
    QVERIFY(pApp->ClipboardFormat != 0);
    QCOMPARE(pApp->hCurrentCursor.shape(), Qt::IBeamCursor);
    QCOMPARE(StoredValue(program, QStringLiteral("BYTELON/VersionNumber")).toString(), QStringLiteral("2.0"));
    QVERIFY(program.Frame()->acceptDrops());
    QVERIFY(program.Messages.Texts.isEmpty());

    program.Exit();
    QCOMPARE(StoredValue(program, QStringLiteral("Options/CharPerLine")).toInt(), 8);
    QCOMPARE(StoredValue(program, QStringLiteral("Options/HexAddressBase")).toInt(), 1);
}

void TestStartup::storedSettings_data()
{
    QTest::addColumn<QString>("charPerLine");
    QTest::addColumn<QString>("hexAddressBase");
    QTest::addColumn<int>("expectedCharPerLine");
    QTest::addColumn<int>("expectedHexAddressBase");

    QTest::newRow("char-per-line-16") << "16" << "1" << 16 << 1;
    QTest::newRow("char-per-line-0-is-1") << "0" << "1" << 1 << 1;
    QTest::newRow("char-per-line-negative-is-1") << "-7" << "1" << 1 << 1;
    QTest::newRow("char-per-line-1") << "1" << "1" << 1 << 1;
    QTest::newRow("char-per-line-64") << "64" << "1" << 64 << 1;
    QTest::newRow("char-per-line-65-is-64") << "65" << "1" << 64 << 1;
    QTest::newRow("char-per-line-100-is-64") << "100" << "1" << 64 << 1;
    QTest::newRow("char-per-line-not-a-number") << "eight" << "1" << 8 << 1;
    QTest::newRow("char-per-line-too-big-to-read") << "99999999999" << "1" << 8 << 1;
    QTest::newRow("char-per-line-empty") << "" << "1" << 8 << 1;
    QTest::newRow("radix-0-is-decimal") << "8" << "0" << 8 << 0;
    QTest::newRow("radix-5-is-hex-unclamped") << "8" << "5" << 8 << 5;
    QTest::newRow("radix-negative-unclamped") << "8" << "-1" << 8 << -1;
    QTest::newRow("radix-not-a-number") << "8" << "hex" << 8 << 1;
    QTest::newRow("both-stored") << "32" << "0" << 32 << 0;
}

void TestStartup::storedSettings()
{
    QFETCH(QString, charPerLine);
    QFETCH(QString, hexAddressBase);
    QFETCH(int, expectedCharPerLine);
    QFETCH(int, expectedHexAddressBase);

    CProgram program(10, false);
    StoreValues(program, {{QStringLiteral("Options/CharPerLine"), charPerLine},
                          {QStringLiteral("Options/HexAddressBase"), hexAddressBase}});
    QVERIFY(program.Start());
    QCOMPARE(program.App()->CharPerLine, expectedCharPerLine);
    QCOMPARE(program.App()->HexAddressBase, expectedHexAddressBase);

    // Views opened after start-up take the stored values.
    CBytelonView* pView = program.OpenBytes(QByteArray(100, 'x'));
    QVERIFY(pView);
    QCOMPARE(pView->BytesPerLine, expectedCharPerLine);
    QCOMPARE(pView->HexAddress != 0, expectedHexAddressBase != 0);
    QCOMPARE(pView->AddressWidth(), expectedHexAddressBase != 0 ? 8 : 10);

    // What is written back at exit is the value in use, clamped.
    program.Exit();
    QCOMPARE(StoredValue(program, QStringLiteral("Options/CharPerLine")).toString(),
             QString::number(expectedCharPerLine));
    QCOMPARE(StoredValue(program, QStringLiteral("Options/HexAddressBase")).toString(),
             QString::number(expectedHexAddressBase));
}

void TestStartup::unreadableProfileGivesDefaults()
{
    CProgram program(10, false);
    QDir().mkpath(QFileInfo(program.ProfileFile()).absolutePath());
    WriteFile(program.ProfileFile(), QByteArray("\x00\xff\xfe[Options\nCharPerLine==\x01\x02\n[[[\nX=\n\xc3", 36));

    QVERIFY(program.Start());
    QCOMPARE(program.App()->CharPerLine, 8);
    QCOMPARE(program.App()->HexAddressBase, 1);
    QCOMPARE(program.Frame()->size(), DefaultFrameSize);
    QVERIFY(program.Messages.Texts.isEmpty());
}

void TestStartup::settingsChangedDuringTheRunAreWritten()
{
    CProgram program;
    program.App()->CharPerLine = 24;
    program.App()->HexAddressBase = 0;
    program.Exit();
    QCOMPARE(StoredValue(program, QStringLiteral("Options/CharPerLine")).toInt(), 24);
    QCOMPARE(StoredValue(program, QStringLiteral("Options/HexAddressBase")).toInt(), 0);
}

void TestStartup::commandLineDocumentUsesBuiltInDisplay()
{
    CProgram program(10, false);
    StoreValues(program, {{QStringLiteral("Options/CharPerLine"), QStringLiteral("16")},
                          {QStringLiteral("Options/HexAddressBase"), QStringLiteral("0")}});
    const QByteArray bytes = QByteArray("command line file").repeated(20);
    const QString path = program.MakeFile(QStringLiteral("named.bin"), bytes);
    program.Arguments << path;
    QVERIFY(program.Start());

    QCOMPARE(int(program.Documents().size()), 1);
    auto* pFirst = static_cast<CBytelonDoc*>(program.Documents().front());
    QCOMPARE(pFirst->GetPathName(), QFileInfo(path).canonicalFilePath());
    QCOMPARE(CProgram::WorkFileBytes(pFirst), bytes);
    CBytelonView* pView = CProgram::ViewOf(pFirst);
    QCOMPARE(pView->BytesPerLine, 8);
    QVERIFY(pView->HexAddress != 0);
    QCOMPARE(program.Frame()->GetShownMenu(), UINT(IDR_BYTELONTYPE));

    CBytelonView* pLater = program.OpenBytes(bytes, QStringLiteral("later.bin"));
    QCOMPARE(pLater->BytesPerLine, 16);
    QCOMPARE(pLater->HexAddress, 0);
    // The first view keeps what it was built with.
    QCOMPARE(pView->BytesPerLine, 8);
}

void TestStartup::commandLineFileThatCannotBeOpenedEndsStartUp()
{
    CProgram program(10, false);
    program.Arguments << program.Dir() + QStringLiteral("/no such file.bin");
    QVERIFY(!program.Start());
    QCOMPARE(program.Messages.Texts.size(), 1);
    QVERIFY2(program.Messages.Texts.front().contains(QStringLiteral("no such file.bin")),
             qPrintable(program.Messages.Texts.front()));
    QCOMPARE(int(program.Documents().size()), 0);
}

void TestStartup::aboutBoxAtStartUp_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<bool>("commandLineFile");
    QTest::addColumn<int>("expectedShown");

    QTest::newRow("second-0") << 0 << false << 1;
    QTest::newRow("second-20") << 20 << false << 1;
    QTest::newRow("second-40-with-command-line-file") << 40 << true << 1;
    QTest::newRow("second-1") << 1 << false << 0;
    QTest::newRow("second-19") << 19 << false << 0;
    QTest::newRow("second-30-with-command-line-file") << 30 << true << 0;
    QTest::newRow("second-59") << 59 << false << 0;
}

void TestStartup::aboutBoxAtStartUp()
{
    QFETCH(int, seconds);
    QFETCH(bool, commandLineFile);
    QFETCH(int, expectedShown);

    CProgram program(seconds, false);
    StoreValues(program, {{QStringLiteral("Options/CharPerLine"), QStringLiteral("16")}});
    if (commandLineFile)
        program.Arguments << program.MakeFile(QStringLiteral("named.bin"), QByteArray(10, 'n'));
    CAboutWatcher watcher(program);
    QVERIFY(program.Start());
    ProcessEvents();

    QCOMPARE(watcher.Shown, expectedShown);
    if (expectedShown == 0)
        return;
    // The box comes after the main window and any command-line document are
    // up, and before the version is written and the settings are read.
    QVERIFY(watcher.FrameVisible);
    QCOMPARE(watcher.Documents, commandLineFile ? 1 : 0);
    QVERIFY(!watcher.VersionWritten);
    QCOMPARE(watcher.CharPerLine, 8);
    QCOMPARE(program.App()->CharPerLine, 16);
    QCOMPARE(StoredValue(program, QStringLiteral("BYTELON/VersionNumber")).toString(), QStringLiteral("2.0"));
}

void TestStartup::placementRoundTrip()
{
    CProgram program;
    QCOMPARE(program.Frame()->size(), DefaultFrameSize);
    program.Frame()->move(37, 29);
    program.Frame()->resize(713, 487);
    ProcessEvents();
    program.Exit();
    QCOMPARE(StoredValue(program, QStringLiteral("Options/X")).toInt(), 37);
    QCOMPARE(StoredValue(program, QStringLiteral("Options/Y")).toInt(), 29);
    QCOMPARE(StoredValue(program, QStringLiteral("Options/CX")).toInt(), 713);
    QCOMPARE(StoredValue(program, QStringLiteral("Options/CY")).toInt(), 487);

    QVERIFY(program.Start());
    CMainFrame* pFrame = program.Frame();
    QCOMPARE(pFrame->X, 37);
    QCOMPARE(pFrame->CY, 487);
    QCOMPARE(pFrame->frameGeometry().topLeft(), QPoint(37, 29));
    QCOMPARE(pFrame->size(), QSize(713, 487));
}

void TestStartup::recentFilesKeptBetweenRuns()
{
    CProgram program;
    QStringList opened;
    for (int i = 1; i <= 5; ++i) {
        const QString path = program.MakeFile(QStringLiteral("recent%1.bin").arg(i), QByteArray(i, 'r'));
        QVERIFY(program.Open(path));
        opened.prepend(QFileInfo(path).canonicalFilePath());
    }
    const QStringList expected = opened.mid(0, 4);
    QCOMPARE(program.App()->GetRecentFiles(), expected);
    program.Exit();
    for (int i = 0; i < 4; ++i)
        QCOMPARE(StoredValue(program, QStringLiteral("Recent File List/File%1").arg(i + 1)).toString(), expected[i]);

    QVERIFY(program.Start());
    QCOMPARE(program.App()->GetRecentFiles(), expected);
    // Choosing an entry opens it; an entry whose file is gone is reported and dropped.
    QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_MRU_FILE1 + 2));
    QCOMPARE(program.ActiveDocument()->DocLen, 3);
    QVERIFY(QFile::remove(expected[3]));
    QVERIFY(program.Frame()->ExecuteCommand(ID_FILE_MRU_FILE4));
    QCOMPARE(program.Messages.Texts.size(), 1);
    QVERIFY(!program.App()->GetRecentFiles().contains(expected[3]));
    QCOMPARE(int(program.Documents().size()), 1);
}

void TestStartup::placement_data()
{
    QTest::addColumn<QString>("x");
    QTest::addColumn<QString>("y");
    QTest::addColumn<QString>("cx");
    QTest::addColumn<QString>("cy");
    QTest::addColumn<QString>("placed");  // as stored, fitted into the screen, or the default

    QTest::newRow("stored") << "10" << "20" << "500" << "400" << "as-stored";
    QTest::newRow("width-0-means-none-stored") << "10" << "20" << "0" << "400" << "default";
    QTest::newRow("negative-width") << "10" << "20" << "-5" << "400" << "default";
    QTest::newRow("height-0") << "10" << "20" << "500" << "0" << "default";
    QTest::newRow("width-unreadable") << "10" << "20" << "wide" << "400" << "default";
    QTest::newRow("far-off-every-screen") << "-90000" << "-90000" << "500" << "400" << "default";
    QTest::newRow("size-2147483647") << "0" << "0" << "2147483647" << "2147483647" << "fitted";
    QTest::newRow("x-2147483647") << "2147483647" << "20" << "500" << "400" << "default";
    QTest::newRow("y-2147483647") << "10" << "2147483647" << "500" << "400" << "default";
    QTest::newRow("x-minus-2147483648-width-2147483647") << "-2147483648" << "0" << "2147483647" << "400"
                                                         << "default";
    QTest::newRow("partly-beyond-the-screen") << "-100" << "-50" << "500" << "400" << "fitted";
    QTest::newRow("wider-than-the-screen") << "10" << "20" << "30000" << "400" << "fitted";
}

void TestStartup::placement()
{
    QFETCH(QString, x);
    QFETCH(QString, y);
    QFETCH(QString, cx);
    QFETCH(QString, cy);
    QFETCH(QString, placed);

    CProgram program(10, false);
    StoreValues(program, {{QStringLiteral("Options/X"), x},
                          {QStringLiteral("Options/Y"), y},
                          {QStringLiteral("Options/CX"), cx},
                          {QStringLiteral("Options/CY"), cy}});
    QVERIFY(program.Start());
    const QRect frame = program.Frame()->frameGeometry();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    if (placed == QLatin1String("as-stored")) {
        QCOMPARE(frame.topLeft(), QPoint(x.toInt(), y.toInt()));
        QCOMPARE(program.Frame()->size(), QSize(cx.toInt(), cy.toInt()));
    } else if (placed == QLatin1String("fitted")) {
        // No larger than the screen's free area, and all of it on that area
        // (the stored rectangle, as the window's own size at the frame's corner).
        const QSize size = program.Frame()->size();
        QCOMPARE(size, QSize(std::min(cx.toLongLong(), (long long)area.width()),
                             std::min(cy.toLongLong(), (long long)area.height())));
        QVERIFY2(area.contains(QRect(frame.topLeft(), size)),
                 qPrintable(QStringLiteral("%1,%2").arg(frame.x()).arg(frame.y())));
    } else {
        // The window keeps a default placement that can be seen and used.
        QCOMPARE(program.Frame()->size(), DefaultFrameSize);
        QVERIFY2(area.intersects(frame), qPrintable(QStringLiteral("%1,%2").arg(frame.x()).arg(frame.y())));
    }
}

void TestStartup::statusBarPanes()
{
    CProgram program;
    CStatusBar& bar = program.Frame()->StatusBar;
    QCOMPARE(program.Frame()->GetStatusBar(), &bar);
    QCOMPARE(bar.GetCount(), 4);
    QCOMPARE(bar.GetPaneText(0), QStringLiteral("For Help, press F1"));
    QCOMPARE(bar.GetPaneText(1), QString());
    QCOMPARE(bar.GetPaneText(2), QStringLiteral("CAP"));
    QCOMPARE(bar.GetPaneText(3), QStringLiteral("NUM"));
    // Pane 1 is exactly as wide as a ten-digit address in the bar's font.
    const int tenDigits = qRound(QFontMetricsF(bar.font()).horizontalAdvance(QStringLiteral("1555555555")));
    QCOMPARE(bar.GetPaneWidth(1), tenDigits);
    QVERIFY(bar.GetPaneWidth(1) >= QFontMetrics(bar.GetPane(1)->font()).horizontalAdvance(QStringLiteral("2147483647")));
    // It keeps that width whatever it shows.
    bar.SetPaneText(1, QStringLiteral("12"));
    QCOMPARE(bar.GetPaneWidth(1), tenDigits);

    // A decimal caret offset shows all ten digits whole: the ink the pane
    // shows spans as much as the same text drawn with room to spare.
    CBytelonView* pView = program.OpenFocused(Counting(1000));
    program.Frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(program.Frame()));
    Focus(pView);
    QTest::keyClick(pView, Qt::Key_D, Qt::ControlModifier);
    MoveCaretTo(pView, 514);
    QLabel* pPane = bar.GetPane(1);
    QCOMPARE(pPane->text(), QStringLiteral("0000000514 "));
    const QColor background = pPane->palette().color(pPane->backgroundRole());
    const std::pair<int, int> shown = InkColumns(pPane->grab(pPane->contentsRect()).toImage(), background);
    QImage room(pPane->contentsRect().size() * 2, QImage::Format_RGB32);
    room.fill(background);
    {
        QPainter painter(&room);
        painter.setFont(pPane->font());
        painter.setPen(pPane->palette().color(pPane->foregroundRole()));
        painter.drawText(room.rect(), Qt::AlignLeft | Qt::AlignVCenter, pPane->text());
    }
    const std::pair<int, int> whole = InkColumns(room, background);
    QVERIFY(whole.first >= 0 && shown.first >= 0);
    QCOMPARE(shown.second - shown.first, whole.second - whole.first);
    // The panes lie left to right in index order.
    QVERIFY(bar.isVisible());
    for (int i = 1; i < bar.GetCount(); ++i)
        QVERIFY(bar.GetPane(i - 1)->geometry().right() < bar.GetPane(i)->geometry().left());
}

void TestStartup::toolBarButtons()
{
    CProgram program;
    QToolBar& toolBar = program.Frame()->ToolBar;
    QVERIFY(toolBar.isVisible());
    QCOMPARE(program.Frame()->toolBarArea(&toolBar), Qt::TopToolBarArea);
    QCOMPARE(toolBar.allowedAreas(), Qt::AllToolBarAreas);
    QVERIFY(toolBar.isMovable());
    QCOMPARE(toolBar.iconSize(), QSize(16, 15));

    const QList<UINT> expected{ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_PRINT, 0,
                               ID_EDIT_INSERT, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, 0,
                               ID_SEARCH_FIND, ID_SEARCH_REPLACE, ID_SEARCH_GOTO, 0,
                               ID_VIEW_FONT, 0,
                               ID_VIEW_ADDRESS_BASE_10, ID_VIEW_ADDRESS_BASE_16, ID_VIEW_DATA_COLUMNS, 0,
                               ID_VIEW_ASCII_CHART, 0,
                               ID_APP_ABOUT, ID_CONTEXT_HELP};
    QList<UINT> buttons;
    for (QAction* pAction : toolBar.actions()) {
        buttons << (pAction->isSeparator() ? 0 : pAction->data().toUInt());
        if (!pAction->isSeparator())
            QVERIFY2(!pAction->icon().isNull(), qPrintable(QString::number(pAction->data().toUInt())));
    }
    QCOMPARE(buttons, expected);
    // Each button is the command's one action, so menu and button agree.
    QCOMPARE(toolBar.actions().front(), program.Frame()->GetCommandAction(ID_FILE_NEW));
}

void TestStartup::capsAndNumPanes()
{
    CProgram program;
    CStatusBar& bar = program.Frame()->StatusBar;
    // Here nothing reports the keys: the panes stay plain labels.
    QCOMPARE(bar.GetPaneText(2), QStringLiteral("CAP"));
    QCOMPARE(bar.GetPaneText(3), QStringLiteral("NUM"));
    QVERIFY(!bar.GetPane(2)->isEnabled());
    QVERIFY(!bar.GetPane(3)->isEnabled());

    // Where the platform reports them, the panes follow the keys once the key is handled.
    AfxSetKeyToggleProvider(ReportedToggles);
    for (const auto& [caps, num] : {std::pair(true, false), std::pair(false, true), std::pair(false, false)}) {
        capsLock = caps;
        numLock = num;
        QTest::keyClick(program.Frame(), caps ? Qt::Key_CapsLock : Qt::Key_NumLock);
        ProcessEvents();
        QCOMPARE(bar.GetPaneText(2), caps ? QStringLiteral("CAP") : QString());
        QCOMPARE(bar.GetPaneText(3), num ? QStringLiteral("NUM") : QString());
        QVERIFY(bar.GetPane(2)->isEnabled());
    }
    AfxSetKeyToggleProvider(nullptr);
}

void TestStartup::messageBoxesInDialogColours()
{
    CProgram program;
    AfxSetMessageBoxService(nullptr);  // the one a user sees
    AfxShowBoxesWithoutScreen(true);
    QPalette colours;
    QString caption;
    WhenModal([&](QWidget* pBox) {
        colours = pBox->palette();
        caption = pBox->windowTitle();
        if (auto* pMessageBox = qobject_cast<QMessageBox*>(pBox))
            pMessageBox->button(QMessageBox::Yes)->click();
    });
    const int answer = AfxMessageBox(QStringLiteral("Are you sure you want to Clear All?"), MB_YESNO);
    AfxShowBoxesWithoutScreen(false);
    AfxSetMessageBoxService(&program.Messages);
    QCOMPARE(answer, IDYES);
    QCOMPARE(caption, QStringLiteral("BYTELON"));
    QCOMPARE(colours.color(QPalette::Window), QColor(192, 192, 192));
    QCOMPARE(colours.color(QPalette::WindowText), QColor(Qt::black));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
