// Display options: the font, the address radix and the bytes per line of a
// view, the defaults they leave for later views, and the View menu's checks.

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "framework/FontDialog.h"
#include "framework/MDIChildWnd.h"
#include "res/Resource.h"
#include "view/BytelonView.h"
#include "view/PreparedDC.h"

#include <QAction>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QLineEdit>
#include <QListView>
#include <QMdiArea>
#include <QMenu>
#include <QProxyStyle>
#include <QScrollBar>
#include <QSettings>
#include <QStringListModel>
#include <QStyle>
#include <QStyleOptionMenuItem>
#include <QTest>

#include <optional>

namespace {

// The frame holds one line exactly: content, two borders and a scroll bar.
int ExpectedViewWidth(CBytelonView* pView)
{
    const int scrollBar =
        pView->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, pView->verticalScrollBar());
    return int(float(pView->AddressWidth() + 4 * pView->BytesPerLine + 9) * pView->CharWidth) + 2 + scrollBar;
}

// Where the caret stands for the offset when its line is centred, as far as the ends allow.
int CentredTop(CBytelonView* pView, int offset)
{
    const int n = pView->BytesPerLine;
    int top = n * (offset / n - pView->LinesPerScreen / 2);
    const int docLen = pView->DocLength();
    const int lastTop = n * ((docLen - 1) / n + 1) - pView->BytesPerScreen();
    top = std::min(top, lastTop);
    return std::max(top, 0);
}

// Answers the font dialog with one choice, or cancels it.
class CFontScript : public CFontDialogService {
public:
    CFontScript() { AfxSetFontDialogService(this); }
    ~CFontScript() override { AfxSetFontDialogService(nullptr); }
    CFontScript(const CFontScript&) = delete;
    CFontScript& operator=(const CFontScript&) = delete;

    bool Run(CFontDialogRequest& request) override
    {
        Seen = request;
        SeenLogFont = request.pLogFont ? *request.pLogFont : LOGFONT();
        if (!Choice)
            return false;
        *request.pLogFont = *Choice;
        request.PointSize = Tenths;
        return true;
    }

    std::optional<LOGFONT> Choice;
    int Tenths = 0;
    std::optional<CFontDialogRequest> Seen;
    LOGFONT SeenLogFont;
};

// Notes how a style is asked to draw each menu item.
class CMenuItemRecorder : public QProxyStyle {
public:
    void drawControl(ControlElement element, const QStyleOption* pOption, QPainter* pPainter,
                     const QWidget* pWidget) const override
    {
        if (const auto* pItem = qstyleoption_cast<const QStyleOptionMenuItem*>(pOption);
            pItem && element == CE_MenuItem)
            Items << *pItem;
        QProxyStyle::drawControl(element, pOption, pPainter, pWidget);
    }
    mutable QList<QStyleOptionMenuItem> Items;
};

}  // namespace

class tst_display : public QObject {
    Q_OBJECT
private slots:
    void fontChoice_data();
    void fontChoice();
    void fontCancelled();
    void interactiveFontDialog();
    void bytesPerLineLimits_data();
    void bytesPerLineLimits();
    void radixSwitchKeepsCaretByteCentred();
    void settingsBelongToTheirWindow();
    void checkMarks();
    void maximizedWindowStaysMaximized_data();
    void maximizedWindowStaysMaximized();
};

void tst_display::fontChoice_data()
{
    QTest::addColumn<int>("weight");
    QTest::addColumn<int>("italic");
    QTest::addColumn<int>("tenths");
    QTest::addRow("bold-kept") << 700 << 0 << 140;
    QTest::addRow("italic-dropped") << 400 << 1 << 145;
    QTest::addRow("bold-italic-stays-bold-upright") << 700 << 1 << 120;
}

void tst_display::fontChoice()
{
    QFETCH(int, weight);
    QFETCH(int, italic);
    QFETCH(int, tenths);
    CProgram program;
    CFontScript script;
    CBytelonView* pView = program.OpenFocused(Counting(10000), 10);
    MoveCaretTo(pView, 4003);
    const int lineHeight = pView->LineHeight;
    const int dpi = pView->logicalDpiY();

    LOGFONT choice;
    choice.lfFaceName = QStringLiteral("DejaVu Sans Mono");
    choice.lfHeight = -MulDiv(tenths, dpi, 720);
    choice.lfWeight = weight;
    choice.lfItalic = BYTE(italic);
    choice.lfUnderline = 1;
    choice.lfCharSet = 2;
    script.Choice = choice;
    script.Tenths = tenths;
    QVERIFY(program.Frame()->ExecuteCommand(ID_VIEW_FONT));

    // The dialog opened on the view's font, fixed-pitch only, 3 to 36 points, no effects.
    QVERIFY(script.Seen);
    QCOMPARE(script.SeenLogFont.lfFaceName, QStringLiteral("Courier"));
    QCOMPARE(script.SeenLogFont.lfHeight, -MulDiv(10, dpi, 72));
    QVERIFY(script.Seen->Flags & CF_FIXEDPITCHONLY);
    QVERIFY(script.Seen->Flags & CF_INITTOLOGFONTSTRUCT);
    QVERIFY(script.Seen->Flags & CF_LIMITSIZE);
    QVERIFY(!(script.Seen->Flags & CF_EFFECTS));
    QCOMPARE(script.Seen->SizeMin, 3);
    QCOMPARE(script.Seen->SizeMax, 36);

    // Whole points, the weight kept, upright, no effects, fixed pitch.
    QCOMPARE(pView->LogFont.lfHeight, -MulDiv(tenths / 10, dpi, 72));
    QCOMPARE(pView->LogFont.lfWeight, weight);
    QCOMPARE(int(pView->LogFont.lfItalic), 0);
    QCOMPARE(int(pView->LogFont.lfUnderline), 0);
    QCOMPARE(int(pView->LogFont.lfCharSet), 0);
    QCOMPARE(int(pView->LogFont.lfPitchAndFamily), int(FIXED_PITCH));
    QCOMPARE(pView->LogFont.lfFaceName, QStringLiteral("DejaVu Sans Mono"));
    QVERIFY(pView->Font);
    {
        CPreparedDC dc(pView);
        TEXTMETRIC metrics;
        QVERIFY(dc->GetTextMetrics(&metrics));
        QCOMPARE(int(metrics.tmWeight), weight);
        QCOMPARE(int(metrics.tmItalic), 0);
    }

    // Laid out again for the bigger font, the caret's byte in the middle.
    QVERIFY(pView->LineHeight > lineHeight);
    QCOMPARE(pView->width(), ExpectedViewWidth(pView));
    QCOMPARE(pView->CaretOffset(), 4003);
    QCOMPARE(pView->TopOffset, CentredTop(pView, 4003));
    QCOMPARE(pView->CaretHeight, pView->LineHeight);
    QVERIFY(pView->IsCaretShown());
    QVERIFY(program.Messages.Texts.isEmpty());
}

void tst_display::fontCancelled()
{
    CProgram program;
    CFontScript script;
    CBytelonView* pView = program.OpenFocused(Counting(10000), 10);
    MoveCaretTo(pView, 4003);
    const LOGFONT before = pView->LogFont;
    const int top = pView->TopOffset;
    const int width = pView->width();
    const int lineHeight = pView->LineHeight;
    QVERIFY(program.Frame()->ExecuteCommand(ID_VIEW_FONT));
    QVERIFY(script.Seen);
    QCOMPARE(pView->LogFont.lfHeight, before.lfHeight);
    QCOMPARE(pView->LogFont.lfWeight, before.lfWeight);
    QCOMPARE(pView->LogFont.lfFaceName, before.lfFaceName);
    QCOMPARE(pView->LineHeight, lineHeight);
    QCOMPARE(pView->TopOffset, top);
    QCOMPARE(pView->width(), width);
    QCOMPARE(pView->CaretOffset(), 4003);
}

void tst_display::interactiveFontDialog()
{
    // scripts/deps.sh installs the face (fonts-dejavu-extra); without it the dialog falls back to Book.
    const QString family = QStringLiteral("DejaVu Sans Mono");
    if (!QFontDatabase::styles(family).contains(QStringLiteral("Bold Oblique")))
        QSKIP("DejaVu Sans Mono Bold Oblique is not installed (package fonts-dejavu-extra)");
    CProgram program;
    AfxSetFontDialogService(nullptr);
    CBytelonView* pView = program.OpenFocused(Counting(1000));
    QVERIFY(pView->Font);
    const QString drawnFamily = QFontInfo(pView->Font->MakeQFont(1.0)).family();
    QStringList families;
    QStringList sizes;
    bool effectsShown = true;
    QString sample;
    QFont initial;
    WhenModal([&](QWidget* pModal) {
        auto* pDialog = qobject_cast<QFontDialog*>(pModal);
        if (!pDialog) {
            pModal->close();
            return;
        }
        const auto lists = pDialog->findChildren<QListView*>();
        QCOMPARE(lists.size(), 3);
        families = qobject_cast<QStringListModel*>(lists.front()->model())->stringList();
        sizes = qobject_cast<QStringListModel*>(lists.back()->model())->stringList();
        effectsShown = false;
        for (QCheckBox* pBox : pDialog->findChildren<QCheckBox*>())
            effectsShown = effectsShown || pBox->isVisibleTo(pDialog);
        if (auto* pSample = pDialog->findChild<QLineEdit*>(QStringLiteral("qt_fontDialog_sampleEdit"));
            pSample && pSample->isVisibleTo(pDialog) && pSample->height() >= pSample->fontMetrics().height())
            sample = pSample->text();
        initial = pDialog->currentFont();
        QFont choice(family);
        choice.setPointSize(48);
        choice.setBold(true);
        choice.setItalic(true);
        pDialog->setCurrentFont(choice);
        pDialog->accept();
    });
    QVERIFY(program.Frame()->ExecuteCommand(ID_VIEW_FONT));
    // Fixed-pitch families only, no effects, a sample to read.
    QVERIFY(!families.isEmpty());
    for (const QString& listed : families)
        QVERIFY2(QFontDatabase::isFixedPitch(listed), qPrintable(listed));
    QVERIFY(!effectsShown);
    QVERIFY(!sample.isEmpty());
    // Sizes from 3 to 36 points.
    QVERIFY(!sizes.isEmpty());
    for (const QString& size : sizes)
        QVERIFY2(size.toInt() >= 3 && size.toInt() <= 36, qPrintable(size));
    // It opened on the family the view draws with, upright, at 10 points.
    QCOMPARE(initial.family(), drawnFamily);
    QVERIFY(!initial.italic());
    QCOMPARE(initial.weight(), QFont::Normal);
    QCOMPARE(qRound(initial.pointSizeF()), 10);
    // 48 points is more than the 36 allowed; bold stays, italic goes.
    QCOMPARE(pView->LogFont.lfHeight, -MulDiv(36, pView->logicalDpiY(), 72));
    QCOMPARE(pView->LogFont.lfWeight, 700);
    QCOMPARE(int(pView->LogFont.lfItalic), 0);
    QCOMPARE(pView->LogFont.lfFaceName, family);
}

void tst_display::bytesPerLineLimits_data()
{
    QTest::addColumn<int>("asked");
    QTest::addColumn<int>("expected");
    QTest::addRow("zero-gives-one") << 0 << 1;
    QTest::addRow("negative-gives-one") << -5 << 1;
    QTest::addRow("two-hundred-gives-sixty-four") << 200 << 64;
    QTest::addRow("sixty-four") << 64 << 64;
    QTest::addRow("sixteen") << 16 << 16;
}

void tst_display::bytesPerLineLimits()
{
    QFETCH(int, asked);
    QFETCH(int, expected);
    CProgram program;
    CBytelonView* pView = program.OpenFocused(Counting(5000), 12);
    MoveCaretTo(pView, 2222);
    pView->SetBytesPerLine(asked);
    ProcessEvents();
    QCOMPARE(pView->BytesPerLine, expected);
    QCOMPARE(program.App()->CharPerLine, expected);
    QCOMPARE(pView->width(), ExpectedViewWidth(pView));
    QCOMPARE(pView->CaretOffset(), 2222);
    QCOMPARE(pView->TopOffset, CentredTop(pView, 2222));
    QCOMPARE(pView->TopOffset % expected, 0);
    QVERIFY(program.Messages.Texts.isEmpty());
}

void tst_display::radixSwitchKeepsCaretByteCentred()
{
    CProgram program;
    CBytelonView* pView = program.OpenFocused(Counting(1000), 10);
    MoveCaretTo(pView, 403);
    QCOMPARE(pView->TopOffset, 400);
    const QPoint before = pView->GetCaretPos();

    QTest::keyClick(pView, Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(pView->HexAddress, 0);
    QCOMPARE(program.App()->HexAddressBase, 0);
    QCOMPARE(pView->CaretOffset(), 403);
    QCOMPARE(pView->TopOffset, CentredTop(pView, 403));
    QCOMPARE(pView->width(), ExpectedViewWidth(pView));
    // Same byte, new place: the columns moved right by two cells.
    const int row = (403 - pView->TopOffset) / 8;
    const QPoint expected(int(float(pView->HexColumnX()) + (9 - 0.5F) * pView->CharWidth) - 1,
                          (row + 1) * pView->LineHeight + 5);
    QCOMPARE(pView->GetCaretPos(), expected);
    QVERIFY(pView->GetCaretPos().x() > before.x());
    QCOMPARE(program.PaneText(1), QStringLiteral("0000000403 "));

    QTest::keyClick(pView, Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(pView->HexAddress, 1);
    QCOMPARE(pView->CaretOffset(), 403);
    QCOMPARE(program.PaneText(1), QStringLiteral("00000193 "));
}

void tst_display::settingsBelongToTheirWindow()
{
    CProgram program;
    CBytelonView* pFirst = program.OpenBytes(Counting(300), QStringLiteral("first.bin"));
    CBytelonView* pSecond = program.OpenBytes(Counting(300), QStringLiteral("second.bin"));
    Focus(pFirst);
    pFirst->SetAddressBase(0);
    pFirst->SetBytesPerLine(16);
    QCOMPARE(pSecond->HexAddress, 1);
    QCOMPARE(pSecond->BytesPerLine, 8);

    // A window opened afterwards takes the last choices, on a new document or the same one.
    CBytelonView* pThird = program.OpenBytes(Counting(300), QStringLiteral("third.bin"));
    QCOMPARE(pThird->HexAddress, 0);
    QCOMPARE(pThird->BytesPerLine, 16);
    Focus(pSecond);
    QVERIFY(program.Frame()->ExecuteCommand(ID_WINDOW_NEW));
    ProcessEvents();
    CBytelonView* pFourth = CProgram::ViewOf(pSecond->GetDocument(), 1);
    QCOMPARE(pFourth->HexAddress, 0);
    QCOMPARE(pFourth->BytesPerLine, 16);
    QCOMPARE(pSecond->BytesPerLine, 8);

    // Written at exit.
    const QString profile = program.ProfileFile();
    program.Exit();
    QSettings settings(profile, QSettings::IniFormat);
    QCOMPARE(settings.value(QStringLiteral("Options/CharPerLine")).toInt(), 16);
    QCOMPARE(settings.value(QStringLiteral("Options/HexAddressBase")).toInt(), 0);
}

void tst_display::checkMarks()
{
    CProgram program;
    CBytelonView* pHex = program.OpenBytes(Counting(100), QStringLiteral("hex.bin"));
    CBytelonView* pDecimal = program.OpenBytes(Counting(100), QStringLiteral("decimal.bin"));
    CMainFrame* pFrame = program.Frame();
    QAction* pBase10 = pFrame->GetCommandAction(ID_VIEW_ADDRESS_BASE_10);
    QAction* pBase16 = pFrame->GetCommandAction(ID_VIEW_ADDRESS_BASE_16);
    Focus(pDecimal);
    pFrame->MDIActivate(pDecimal->GetParentFrame());
    QVERIFY(pFrame->ExecuteCommand(ID_VIEW_ADDRESS_BASE_10));
    QCOMPARE(pDecimal->HexAddress, 0);

    auto marks = [&] {
        pFrame->UpdateCommandUI(pBase10);
        pFrame->UpdateCommandUI(pBase16);
        return QPair<bool, bool>(pBase10->isChecked(), pBase16->isChecked());
    };
    QCOMPARE(marks(), qMakePair(true, false));
    QVERIFY(pBase10->isEnabled() && pBase16->isEnabled());

    pFrame->MDIActivate(pHex->GetParentFrame());
    Focus(pHex);
    QCOMPARE(pFrame->GetActiveView(), pHex);
    QCOMPARE(marks(), qMakePair(false, true));

    // The menu draws the marks: its radix items carry no picture, which a
    // style would draw in the mark's place.
    CMenuItemRecorder recorder;
    QMenu* pViewMenu = pFrame->GetMenus(IDR_BYTELONTYPE)[3];
    pViewMenu->setStyle(&recorder);
    pViewMenu->popup(pFrame->mapToGlobal(QPoint(20, 20)));
    QVERIFY(QTest::qWaitForWindowExposed(pViewMenu));
    pViewMenu->grab();
    pViewMenu->hide();
    pViewMenu->setStyle(nullptr);
    for (const auto& [itemText, checked] : {std::pair(pBase10->text(), false), std::pair(pBase16->text(), true)}) {
        // A structured binding cannot be captured in C++17: a plain copy can.
        const QString text = itemText;
        const auto drawn = std::find_if(recorder.Items.begin(), recorder.Items.end(),
                                        [&text](const QStyleOptionMenuItem& item) { return item.text == text; });
        QVERIFY2(drawn != recorder.Items.end(), qPrintable(text));
        QVERIFY(drawn->icon.isNull());
        QVERIFY(drawn->checkType != QStyleOptionMenuItem::NotCheckable);
        QCOMPARE(drawn->checked, checked);
    }
}

void tst_display::maximizedWindowStaysMaximized_data()
{
    QTest::addColumn<UINT>("command");  // the radix key when 0
    QTest::newRow("data-columns") << UINT(ID_VIEW_DATA_COLUMNS);
    QTest::newRow("font") << UINT(ID_VIEW_FONT);
    QTest::newRow("address-base") << UINT(0);
}

void tst_display::maximizedWindowStaysMaximized()
{
    QFETCH(UINT, command);
    CProgram program;
    CFontScript script;
    CBytelonView* pView = program.OpenFocused(Counting(5000), 10);
    CMDIChildWnd* pFrame = pView->GetParentFrame();
    const QPoint restoredAt = pFrame->pos();
    pFrame->showMaximized();
    const QRect area = pFrame->mdiArea()->viewport()->rect();
    if (command == ID_VIEW_DATA_COLUMNS) {
        WhenModal([](QWidget* pModal) {
            auto* pEntry = qobject_cast<QLineEdit*>(pModal->focusWidget());
            QVERIFY(pEntry);
            pEntry->selectAll();
            QTest::keyClicks(pEntry, QStringLiteral("16"));
            QTest::keyClick(pEntry, Qt::Key_Return);
        });
        QVERIFY(program.Frame()->ExecuteCommand(command));
        QCOMPARE(pView->BytesPerLine, 16);
    } else if (command == ID_VIEW_FONT) {
        LOGFONT choice;
        choice.lfFaceName = QStringLiteral("DejaVu Sans Mono");
        choice.lfHeight = -MulDiv(14, pView->logicalDpiY(), 72);
        script.Choice = choice;
        script.Tenths = 140;
        QVERIFY(program.Frame()->ExecuteCommand(command));
        QCOMPARE(pView->LogFont.lfFaceName, choice.lfFaceName);
    } else {
        QTest::keyClick(pView, Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(pView->HexAddress, 0);
    }
    ProcessEvents();
    // Still maximized and filling the area, with no band beside it.
    QVERIFY(pFrame->isMaximized());
    QCOMPARE(pFrame->geometry(), area);
    // Restored, it is where it was, as wide as its new lines need.
    pFrame->showNormal();
    ProcessEvents();
    QCOMPARE(pFrame->pos(), restoredAt);
    QCOMPARE(pView->width(), ExpectedViewWidth(pView));
}

QTEST_MAIN(tst_display)
#include "tst_display.moc"
