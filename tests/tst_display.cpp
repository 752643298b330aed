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
#include <QScrollBar>
#include <QSettings>
#include <QStyle>
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
    if (!QFontDatabase::styles(QStringLiteral("DejaVu Sans Mono")).contains(QStringLiteral("Bold Oblique")))
        QSKIP("DejaVu Sans Mono Bold Oblique is not installed (package fonts-dejavu-extra)");
    CProgram program;
    AfxSetFontDialogService(nullptr);
    CBytelonView* pView = program.OpenFocused(Counting(1000));
    bool monospacedOnly = false;
    bool effectsShown = true;
    QFont initial;
    WhenModal([&](QWidget* pModal) {
        auto* pDialog = qobject_cast<QFontDialog*>(pModal);
        if (!pDialog) {
            pModal->close();
            return;
        }
        monospacedOnly = pDialog->testOption(QFontDialog::MonospacedFonts);
        effectsShown = false;
        for (QCheckBox* pBox : pDialog->findChildren<QCheckBox*>())
            effectsShown = effectsShown || pBox->isVisibleTo(pDialog);
        initial = pDialog->currentFont();
        QFont choice(QStringLiteral("DejaVu Sans Mono"));
        choice.setPointSize(48);
        choice.setBold(true);
        choice.setItalic(true);
        pDialog->setCurrentFont(choice);
        pDialog->accept();
    });
    QVERIFY(program.Frame()->ExecuteCommand(ID_VIEW_FONT));
    QVERIFY(monospacedOnly);
    QVERIFY(!effectsShown);
    // It opened on the view's 10-point font.
    QCOMPARE(qRound(initial.pointSizeF()), 10);
    // 48 points is more than the 36 allowed; bold stays, italic goes.
    QCOMPARE(pView->LogFont.lfHeight, -MulDiv(36, pView->logicalDpiY(), 72));
    QCOMPARE(pView->LogFont.lfWeight, 700);
    QCOMPARE(int(pView->LogFont.lfItalic), 0);
    QCOMPARE(pView->LogFont.lfFaceName, QStringLiteral("DejaVu Sans Mono"));
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
}

QTEST_MAIN(tst_display)
#include "tst_display.moc"
