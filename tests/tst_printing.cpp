// Printing and preview: pages of framed lines, checked in the PDF they make.

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "doc/BytelonDoc.h"
#include "framework/DC.h"
#include "framework/PrintDialog.h"
#include "framework/PrintInfo.h"
#include "res/Resource.h"
#include "view/BytelonView.h"

#include <QFile>
#include <QPageSize>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

namespace {

// Prints into a PDF file instead of showing a dialog.
class CPdfPrintDialog : public CPrintDialogService {
public:
    bool Run(const CPrintDialogRequest& request) override
    {
        Requests.push_back(request);
        if (!Confirm)
            return false;
        if (!request.PrintSetupOnly) {
            ToPdf(*request.pPrinter);
            if (FromPage > 0) {
                request.pPrinter->setPrintRange(QPrinter::PageRange);
                request.pPrinter->setFromTo(FromPage, ToPage);
            }
        }
        return true;
    }
    void RunPreview(QPrinter& printer, const std::function<void(QPrinter*)>& paint) override
    {
        ++Previews;
        ToPdf(printer);
        paint(&printer);
    }
    void ToPdf(QPrinter& printer) const
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(OutputPath);
        if (TinyPage) {
            printer.setFullPage(true);
            printer.setPageSize(QPageSize(QSizeF(1.0, 1.0), QPageSize::Inch, QString(), QPageSize::ExactMatch));
        }
    }

    std::vector<CPrintDialogRequest> Requests;
    QString OutputPath;
    bool Confirm = true;
    bool TinyPage = false;
    int FromPage = 0;
    int ToPage = 0;
    int Previews = 0;
};

// The text of each page of a PDF, as laid out on the page.
QStringList PdfPages(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// The addresses that start the data lines of a page.
QStringList Addresses(const QString& page)
{
    static const QRegularExpression line(QStringLiteral("^\\s*([0-9A-F]{8}|[0-9]{10})\\s"));
    QStringList addresses;
    for (const QString& text : page.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = line.match(text);
        if (match.hasMatch())
            addresses << match.captured(1);
    }
    return addresses;
}

QString Hex8(long long offset)
{
    return QStringLiteral("%1").arg(offset, 8, 16, QLatin1Char('0')).toUpper();
}

class CPrintFixture {
public:
    explicit CPrintFixture(int bytesPerLine = 8, int hex = 1)
    {
        Service.OutputPath = Program.Dir() + QStringLiteral("/out.pdf");
        AfxSetPrintDialogService(&Service);
        Program.App()->CharPerLine = bytesPerLine;
        Program.App()->HexAddressBase = hex;
    }
    ~CPrintFixture() { AfxSetPrintDialogService(nullptr); }
    CPrintFixture(const CPrintFixture&) = delete;
    CPrintFixture& operator=(const CPrintFixture&) = delete;

    QStringList Print(UINT command = ID_FILE_PRINT)
    {
        QFile::remove(Service.OutputPath);
        Program.Frame()->ExecuteCommand(command);
        return PdfPages(Service.OutputPath);
    }

    CProgram Program;
    CPdfPrintDialog Service;
};

// The data lines of a full page, found by printing a long document.
int MeasuredLinesPerPage(int bytesPerLine)
{
    CPrintFixture fixture(bytesPerLine);
    fixture.Program.OpenBytes(Counting(20000));
    const QStringList pages = fixture.Print();
    return pages.size() > 1 ? int(Addresses(pages.first()).size()) : 0;
}

}  // namespace

class tst_printing : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void pageCount_data();
    void pageCount();
    void pagesStartWhereTheyShould();
    void radix_data();
    void radix();
    void captions();
    void characters();
    void screenLayoutRestored();
    void emptyDocumentRefused();
    void cancelledDialogPrintsNothing();
    void previewShowsThePrintedPages();
    void interactivePreview();
    void moreThan65535Pages();
    void pageShorterThanItsMargins();
    void unwritableOutput();
    void printSetup();
    void commandsNeedADocument();
    void pageGeometry_data();
    void pageGeometry();

private:
    int LinesPerPage = 0;
};

void tst_printing::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QFAIL("pdftotext (poppler-utils) is needed to read the printed pages");
    LinesPerPage = MeasuredLinesPerPage(8);
    QVERIFY(LinesPerPage > 10);
}

void tst_printing::pageCount_data()
{
    QTest::addColumn<int>("extra");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("lastPageLines");
    QTest::newRow("exactly-one-page") << 0 << 1 << -1;
    QTest::newRow("one-byte-more") << 1 << 2 << 1;
    QTest::newRow("one-line-short") << -8 << 1 << -2;
}

void tst_printing::pageCount()
{
    QFETCH(int, extra);
    QFETCH(int, pages);
    QFETCH(int, lastPageLines);
    CPrintFixture fixture;
    fixture.Program.OpenBytes(Counting(LinesPerPage * 8 + extra));
    const QStringList printed = fixture.Print();
    QCOMPARE(printed.size(), pages);
    // -1: a full page; -2: one line short of it.
    const int expectedLines = lastPageLines == -1 ? LinesPerPage : lastPageLines == -2 ? LinesPerPage - 1 : lastPageLines;
    QCOMPARE(Addresses(printed.last()).size(), expectedLines);
    if (pages == 2)
        QCOMPARE(Addresses(printed.last()).first(), Hex8(LinesPerPage * 8));
}

void tst_printing::pagesStartWhereTheyShould()
{
    CPrintFixture fixture;
    fixture.Program.OpenBytes(Counting(3 * LinesPerPage * 8 - 20));
    const QStringList printed = fixture.Print();
    QCOMPARE(printed.size(), 3);
    for (int page = 0; page < 3; ++page)
        QCOMPARE(Addresses(printed[page]).first(), Hex8((long long)page * LinesPerPage * 8));
    QCOMPARE(Addresses(printed[2]).last(), Hex8(3 * LinesPerPage * 8 - 24));

    // The same page alone, chosen in the print dialog.
    fixture.Service.FromPage = 3;
    fixture.Service.ToPage = 3;
    const QStringList third = fixture.Print();
    QCOMPARE(third.size(), 1);
    QCOMPARE(third.first(), printed[2]);
}

void tst_printing::radix_data()
{
    QTest::addColumn<int>("hex");
    QTest::addColumn<QString>("hexHeader");
    QTest::addColumn<QString>("textHeader");
    QTest::addColumn<QStringList>("addresses");
    QTest::newRow("decimal") << 0 << QStringLiteral("8 9 10 11 12 13 14 15") << QStringLiteral("0123456789012345")
                             << QStringList{QStringLiteral("0000000000"), QStringLiteral("0000000016"),
                                            QStringLiteral("0000000032"), QStringLiteral("0000000048"),
                                            QStringLiteral("0000000064"), QStringLiteral("0000000080"),
                                            QStringLiteral("0000000096")};
    QTest::newRow("hexadecimal") << 1 << QStringLiteral("8 9 A B C D E F") << QStringLiteral("0123456789ABCDEF")
                                 << QStringList{QStringLiteral("00000000"), QStringLiteral("00000010"),
                                                QStringLiteral("00000020"), QStringLiteral("00000030"),
                                                QStringLiteral("00000040"), QStringLiteral("00000050"),
                                                QStringLiteral("00000060")};
}

void tst_printing::radix()
{
    QFETCH(int, hex);
    QFETCH(QString, hexHeader);
    QFETCH(QString, textHeader);
    QFETCH(QStringList, addresses);
    CPrintFixture fixture(16, hex);
    fixture.Program.OpenBytes(Counting(100));
    const QStringList printed = fixture.Print();
    QCOMPARE(printed.size(), 1);
    const QString& page = printed.first();
    // The text extraction joins the header's double blanks.
    QVERIFY2(page.simplified().contains(hexHeader), qPrintable(page));
    QVERIFY(page.contains(textHeader));
    QCOMPARE(Addresses(page), addresses);
}

void tst_printing::captions()
{
    CPrintFixture fixture;
    CBytelonView* pView = fixture.Program.OpenBytes(Counting(LinesPerPage * 8 + 1), QStringLiteral("named.bin"));
    const QString path = pView->GetDocument()->GetPathName();
    const QStringList printed = fixture.Print();
    QCOMPARE(printed.size(), 2);
    for (int page = 0; page < 2; ++page) {
        QVERIFY2(printed[page].contains(path), qPrintable(printed[page]));
        QVERIFY(printed[page].contains(QStringLiteral("page %1").arg(page + 1)));
        // The caption sits above the header line, the page number below the last line.
        const QStringList lines = printed[page].split(QLatin1Char('\n'));
        int pathLine = -1, headerLine = -1, pageLine = -1;
        for (int i = 0; i < lines.size(); ++i) {
            if (lines[i].contains(path))
                pathLine = i;
            if (lines[i].contains(QStringLiteral("Address")))
                headerLine = i;
            if (lines[i].contains(QStringLiteral("page %1").arg(page + 1)))
                pageLine = i;
        }
        QVERIFY(pathLine < headerLine);
        QVERIFY(headerLine < pageLine);
    }
    QCOMPARE(pView->PageNumber, 2);
}

void tst_printing::characters()
{
    CPrintFixture fixture;
    fixture.Program.OpenBytes(QByteArray("A\nB\xE9" "C\x01\x7F", 7));
    const QString page = fixture.Print().value(0);
    QVERIFY2(page.contains(QStringLiteral("41 0A 42 E9 43 01 7F")), qPrintable(page));
    QVERIFY2(page.contains(QStringLiteral("A.B\u00E9C.")), qPrintable(page));
}

void tst_printing::screenLayoutRestored()
{
    CPrintFixture fixture;
    CBytelonView* pView = fixture.Program.OpenBytes(Counting(5000));
    ProcessEvents();
    const int lineHeight = pView->LineHeight;
    const float charWidth = pView->CharWidth;
    const int hexRule = pView->HexRuleX;
    const int caretHeight = pView->CaretHeight;
    const int lines = pView->LinesPerScreen;
    QCOMPARE(pView->YDirection, 1);
    QVERIFY(!fixture.Print().isEmpty());
    // The job left the printer's values behind ...
    QCOMPARE(pView->YDirection, -1);
    QVERIFY(pView->LineHeight != lineHeight || pView->CharWidth != charWidth);
    // ... and the repaint it asked for brings back the screen's.
    ProcessEvents();
    QCOMPARE(pView->YDirection, 1);
    QCOMPARE(pView->LineHeight, lineHeight);
    QCOMPARE(pView->CharWidth, charWidth);
    QCOMPARE(pView->HexRuleX, hexRule);
    QCOMPARE(pView->CaretHeight, caretHeight);
    QCOMPARE(pView->LinesPerScreen, lines);
}

void tst_printing::emptyDocumentRefused()
{
    CPrintFixture fixture;
    fixture.Program.OpenBytes(QByteArray());
    QVERIFY(fixture.Print().isEmpty());
    QVERIFY(fixture.Print(ID_FILE_PRINT_PREVIEW).isEmpty());
    QVERIFY(fixture.Service.Requests.empty());
    QCOMPARE(fixture.Service.Previews, 0);
    QVERIFY(!QFile::exists(fixture.Service.OutputPath));
    QVERIFY(fixture.Program.Messages.Texts.isEmpty());
}

void tst_printing::cancelledDialogPrintsNothing()
{
    CPrintFixture fixture;
    fixture.Program.OpenBytes(Counting(100));
    fixture.Service.Confirm = false;
    QVERIFY(fixture.Print().isEmpty());
    QCOMPARE(fixture.Service.Requests.size(), std::size_t(1));
    QVERIFY(!fixture.Service.Requests.front().PrintSetupOnly);
    QVERIFY(!QFile::exists(fixture.Service.OutputPath));
}

void tst_printing::previewShowsThePrintedPages()
{
    CPrintFixture fixture;
    fixture.Program.OpenBytes(Counting(2 * LinesPerPage * 8 + 100));
    const QStringList printed = fixture.Print();
    const QStringList previewed = fixture.Print(ID_FILE_PRINT_PREVIEW);
    QCOMPARE(fixture.Service.Previews, 1);
    // Preview asks no print dialog.
    QCOMPARE(fixture.Service.Requests.size(), std::size_t(1));
    QCOMPARE(previewed.size(), 3);
    QCOMPARE(previewed, printed);
}

void tst_printing::interactivePreview()
{
    CProgram program;
    program.OpenBytes(Counting(2 * LinesPerPage * 8 + 100));
    int pageCount = -1;
    WhenModal([&](QWidget* pDialog) {
        if (auto* pPreview = pDialog->findChild<QPrintPreviewWidget*>())
            pageCount = pPreview->pageCount();
        pDialog->close();
    });
    program.Frame()->ExecuteCommand(ID_FILE_PRINT_PREVIEW);
    QCOMPARE(pageCount, 3);
}

void tst_printing::moreThan65535Pages()
{
    // One byte per line keeps the document small for that many pages.
    const int lines = MeasuredLinesPerPage(1);
    QVERIFY(lines > 10);
    CPrintFixture fixture(1);
    const long long length = 65536LL * lines + 1;
    fixture.Program.OpenBytes(Counting(int(length)));
    fixture.Service.FromPage = 65537;
    fixture.Service.ToPage = 65537;
    const QStringList printed = fixture.Print();
    QCOMPARE(printed.size(), 1);
    QCOMPARE(Addresses(printed.first()), QStringList{Hex8(length - 1)});
    QVERIFY(printed.first().contains(QStringLiteral("page 65537")));
}

void tst_printing::pageShorterThanItsMargins()
{
    CPrintFixture fixture;
    fixture.Service.TinyPage = true;
    fixture.Program.OpenBytes(Counting(20));
    // Every page still holds one line.
    const QStringList printed = fixture.Print();
    QCOMPARE(printed.size(), 3);
    QVERIFY(fixture.Program.Messages.Texts.isEmpty());
}

void tst_printing::unwritableOutput()
{
    CPrintFixture fixture;
    fixture.Service.OutputPath = fixture.Program.Dir() + QStringLiteral("/missing/out.pdf");
    CBytelonView* pView = fixture.Program.OpenBytes(Counting(100));
    fixture.Program.Frame()->ExecuteCommand(ID_FILE_PRINT);
    QCOMPARE(fixture.Program.Messages.Texts, QStringList{QStringLiteral("The print job could not be started.")});
    QCOMPARE(pView->YDirection, 1);
}

void tst_printing::printSetup()
{
    CPrintFixture fixture;
    // It belongs to the application: it works with no document open.
    QVERIFY(fixture.Program.Frame()->ExecuteCommand(ID_FILE_PRINT_SETUP));
    QCOMPARE(fixture.Service.Requests.size(), std::size_t(1));
    QVERIFY(fixture.Service.Requests.front().PrintSetupOnly);
    QCOMPARE(fixture.Service.Requests.front().pPrinter, fixture.Program.App()->GetPrinter());
}

void tst_printing::commandsNeedADocument()
{
    CPrintFixture fixture;
    QVERIFY(!fixture.Program.Frame()->ExecuteCommand(ID_FILE_PRINT));
    QVERIFY(!fixture.Program.Frame()->ExecuteCommand(ID_FILE_PRINT_PREVIEW));
    QVERIFY(fixture.Service.Requests.empty());
    fixture.Program.OpenBytes(Counting(10));
    QVERIFY(CommandEnabled(fixture.Program, ID_FILE_PRINT));
}

void tst_printing::pageGeometry_data()
{
    QTest::addColumn<QSizeF>("inches");
    QTest::addColumn<int>("bytesPerLine");
    QTest::newRow("letter-centred") << QSizeF(8.5, 11) << 16;
    QTest::newRow("narrower-than-the-block") << QSizeF(4, 6) << 16;
}

// The layout of a printed page against the formulas, in 0.01 inch with y up.
void tst_printing::pageGeometry()
{
    QFETCH(QSizeF, inches);
    QFETCH(int, bytesPerLine);
    CPrintFixture fixture(bytesPerLine);
    const int length = 20000;
    CBytelonView* pView = fixture.Program.OpenBytes(Counting(length), QStringLiteral("geometry.bin"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fixture.Service.OutputPath);
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(inches, QPageSize::Inch, QString(), QPageSize::ExactMatch));

    // The formulas' inputs, measured on the printer as the design measures them.
    CRecordingDC measure(&printer);
    measure.SetMapMode(MM_LOENGLISH);
    QPoint corner(printer.width(), printer.height());
    measure.DPtoLP(&corner);
    const int pageWidth = corner.x();
    const int pageHeight = -corner.y();
    QCOMPARE(pageWidth, qRound(inches.width() * 100));
    int lineHeight = 0;
    float cw = 0;
    {
        CFontSelection select(&measure, pView->Font.get());
        TEXTMETRIC metrics;
        QVERIFY(measure.GetTextMetrics(&metrics));
        lineHeight = metrics.tmHeight;
        cw = float(measure.GetTextExtent(QStringLiteral("12345678901234567890123456789012")).width()) / 32.0F;
    }
    LOGFONT captionDescription;
    captionDescription.lfHeight = 16;
    captionDescription.lfWeight = FW_NORMAL;
    captionDescription.lfFaceName = QStringLiteral("Courier");
    CFont captionFont;
    QVERIFY(captionFont.CreateFontIndirect(&captionDescription));
    CFontSelection caption(&measure, &captionFont);

    const int lines = std::min((pageHeight - 100) / lineHeight - 1, 16384 / bytesPerLine);
    const int xLeft = std::max(0, (pageWidth - int(float(8 + 4 * bytesPerLine + 10) * cw)) / 2);
    const int hexX = xLeft + int(float(8 + 5) * cw);
    const int textX = xLeft + int(float(8 + 3 * bytesPerLine + 7) * cw);
    const int rightX = int(float(bytesPerLine + 2) * cw + float(textX));
    const int top = -50 + 5;
    const int bottom = -(50 + (lines + 1) * lineHeight) - 5;
    const int centre = (rightX + xLeft) / 2;
    if (inches.width() > 8)
        QVERIFY(xLeft > 0);

    // Page 2, through the view's side of the print loop.
    CRecordingDC dc(&printer);
    CPrintInfo info;
    pView->OnBeginPrinting(&dc, &info);
    QCOMPARE(info.GetMaxPage(), (length - 1) / (lines * bytesPerLine) + 1);
    info.CurPage = 2;
    pView->OnPrepareDC(&dc, &info);
    QRect drawable(0, 0, dc.GetDeviceCaps(HORZRES), dc.GetDeviceCaps(VERTRES));
    dc.DPtoLP(&drawable);
    info.DrawRect = drawable;
    pView->OnPrint(&dc, &info);

    const std::vector<QLine> frameAndRules{
        QLine(xLeft, top, rightX, top),       QLine(rightX, top, rightX, bottom),
        QLine(rightX, bottom, xLeft, bottom), QLine(xLeft, bottom, xLeft, top),
        QLine(hexX + int(-1.5F * cw), top, hexX + int(-1.5F * cw), bottom),
        QLine(textX + int(-1.5F * cw), top, textX + int(-1.5F * cw), bottom)};
    for (const QLine& line : frameAndRules)
        QVERIFY2(std::find(dc.Lines.begin(), dc.Lines.end(), line) != dc.Lines.end(),
                 qPrintable(QStringLiteral("no line %1,%2 %3,%4").arg(line.x1()).arg(line.y1()).arg(line.x2()).arg(line.y2())));
    const QString path = pView->GetDocument()->GetPathName();
    QCOMPARE(dc.TextsAt(top + 25), QStringList{path});
    QCOMPARE(dc.TextsAt(bottom - 10), QStringList{QStringLiteral("page 2")});
    for (const CRecordingDC::CText& text : dc.Texts) {
        if (text.Text == path || text.Text == QStringLiteral("page 2"))
            QCOMPARE(text.At.x(), centre - measure.GetTextExtent(text.Text).width() / 2);
    }
    // Every line of the page, its address at the left of the centred block.
    for (int r = 0; r < lines; ++r) {
        const QStringList row = dc.TextsAt(-(50 + (r + 1) * lineHeight));
        QCOMPARE(row.value(0), Hex8((long long)(lines + r) * bytesPerLine));
    }
    QVERIFY(dc.TextsAt(-(50 + (lines + 1) * lineHeight)).isEmpty());
    for (const CRecordingDC::CText& text : dc.Texts) {
        if (text.Text == Hex8((long long)lines * bytesPerLine))
            QCOMPARE(text.At.x(), xLeft + int(2 * cw));
    }
}

QTEST_MAIN(tst_printing)
#include "tst_printing.moc"
