// Makes the pictures of the README and the user guide from the program
// itself, running offscreen: a document window, the Find dialog over it, a
// column rule being dragged, and the Insert, Replace and Goto Address
// dialogs. Each window gets a title bar drawn by the style, as a desktop
// would frame it.
//
//   bytelon_screenshots <folder>     writes document.png, find.png,
//                                    columnbox.png, insert.png, replace.png
//                                    and goto.png there

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "res/Resource.h"
#include "search/FindDlg.h"
#include "search/ReplaceDlg.h"
#include "view/BytelonView.h"
#include "view/ColumnBox.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QSet>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTest>
#include <QTextStream>

namespace {

// Bigger than this, a picture is too heavy for the README.
constexpr qint64 MostBytes = 100 * 1024;

// The window's pixels under a title bar and inside a one-pixel border.
QImage Framed(QWidget* pWindow)
{
    const QImage content = pWindow->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QStyleOptionTitleBar option;
    option.initFrom(pWindow);
    option.text = pWindow->windowTitle();
    option.icon = pWindow->windowIcon();
    option.state |= QStyle::State_Active;
    option.titleBarState = Qt::WindowActive;
    option.titleBarFlags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    option.subControls = QStyle::SC_TitleBarLabel | QStyle::SC_TitleBarSysMenu | QStyle::SC_TitleBarCloseButton;
    const int titleHeight = pWindow->style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, pWindow);
    QImage image(content.width() + 2, content.height() + titleHeight + 2, QImage::Format_RGB32);
    image.fill(Qt::darkGray);
    QPainter painter(&image);
    option.rect = QRect(1, 1, content.width(), titleHeight);
    pWindow->style()->drawComplexControl(QStyle::CC_TitleBar, &option, &painter, pWindow);
    painter.drawImage(1, 1 + titleHeight, content);
    return image;
}

// The picture with another over it, shadowed, at a place of the first.
QImage WithOver(QImage image, const QImage& over, QPoint at)
{
    QPainter painter(&image);
    painter.fillRect(QRect(at + QPoint(4, 4), over.size()), QColor(0, 0, 0, 60));
    painter.drawImage(at, over);
    return image;
}

// Types into the dialog's entry box of that identifier, as the user would.
void TypeInto(CDialog* pDialog, int id, const QString& text)
{
    auto* pEntry = pDialog->GetDlgItemAs<QLineEdit>(id);
    if (!pEntry)
        return;
    pEntry->setFocus();
    QTest::keyClicks(pEntry, text);
    ProcessEvents();
}

// Stored with a palette when the picture has few enough colours: smaller, and exact.
bool Save(const QImage& image, const QString& path, QTextStream& err)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height() && colours.size() <= 256; ++y) {
        const auto* pLine = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            colours.insert(pLine[x]);
    }
    const QImage stored = colours.size() <= 256
                              ? image.convertToFormat(QImage::Format_Indexed8, QList<QRgb>(colours.begin(), colours.end()),
                                                      Qt::ThresholdDither)
                              : image;
    if (!stored.save(path, "PNG", 0)) {
        err << "cannot write " << path << "\n";
        return false;
    }
    const qint64 size = QFileInfo(path).size();
    if (size >= MostBytes) {
        err << path << " is " << size << " bytes, more than " << MostBytes << "\n";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "Usage: bytelon_screenshots <folder>\n";
        return 2;
    }
    const QString folder = QFile::decodeName(argv[1]);

    CProgram program;
    program.Frame()->resize(760, 540);
    program.App()->CharPerLine = 16;
    // A real file to look at: the program's own icon, a PNG.
    QFile icon(QStringLiteral(":/bitmaps/Bytelon.png"));
    CBytelonView* pView =
        icon.open(QIODevice::ReadOnly) ? program.OpenBytes(icon.readAll(), QStringLiteral("Bytelon.png")) : nullptr;
    if (!pView) {
        err << "cannot open the picture's document\n";
        return 1;
    }
    Focus(pView);
    // The image header chunk, selected.
    SelectBytes(pView, 12, 33);
    ProcessEvents();
    if (!Save(Framed(program.Frame()), folder + QStringLiteral("/document.png"), err))
        return 1;

    Focus(pView);
    program.Frame()->ExecuteCommand(ID_SEARCH_FIND);
    CFindDlg* pFind = program.App()->pFindDlg;
    auto* pText = pFind ? pFind->GetDlgItemAs<QLineEdit>(IDC_FIND_ASCII) : nullptr;
    if (!pText) {
        err << "no Find dialog\n";
        return 1;
    }
    pText->setFocus();
    QTest::keyClicks(pText, QStringLiteral("IDAT"));
    ProcessEvents();
    const QImage shot = Framed(program.Frame());
    const QImage dialog = Framed(pFind);
    // Over the middle of the document window, as the dialog opens on a desktop.
    const QPoint centre((shot.width() - dialog.width()) / 2 + 80, (shot.height() - dialog.height()) / 2 + 60);
    if (!Save(WithOver(shot, dialog, centre), folder + QStringLiteral("/find.png"), err))
        return 1;
    pFind->DestroyWindow();
    ProcessEvents();

    // The rule between the hex and text columns dragged two bytes to the right.
    Focus(pView);
    QWidget* pViewport = pView->viewport();
    const QPoint press(pView->TextRuleX, 3 * pView->LineHeight);
    QMouseEvent hover(QEvent::MouseMove, press, pViewport->mapToGlobal(press), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(pViewport, &hover);
    QTest::mousePress(pViewport, Qt::LeftButton, Qt::NoModifier, press);
    const QPoint dragged = press + QPoint(int(7.5 * pView->CharWidth), 0);
    QTest::mouseMove(pViewport, dragged);
    ProcessEvents();
    CColumnBox* pBox = program.App()->pColumnBox;
    if (!pBox) {
        err << "no column box\n";
        return 1;
    }
    {
        const QImage frame = Framed(program.Frame());
        const QImage box = pBox->grab().toImage().convertToFormat(QImage::Format_RGB32);
        // The frame's picture starts one pixel and a title bar above its contents.
        const int titleHeight = frame.height() - program.Frame()->height() - 2;
        const QPoint at = pBox->geometry().topLeft() - program.Frame()->mapToGlobal(QPoint(0, 0)) +
                          QPoint(1, 1 + titleHeight);
        QImage shot = frame;
        QPainter painter(&shot);
        painter.drawImage(at, box);
        painter.end();
        // The document window's part of it.
        const QRect window = pView->parentWidget()->geometry().translated(
            pView->parentWidget()->parentWidget()->mapTo(program.Frame(), QPoint(0, 0)) + QPoint(1, 1 + titleHeight));
        if (!Save(shot.copy(window.adjusted(-8, -8, 8, 8).intersected(shot.rect())),
                  folder + QStringLiteral("/columnbox.png"), err))
            return 1;
    }
    QTest::mouseRelease(pViewport, Qt::LeftButton, Qt::NoModifier, press);
    ProcessEvents();

    // Typing 4 in the hex column opens the Insert dialog; 1 completes the byte.
    Focus(pView);
    MoveCaretTo(pView, 16);
    bool saved = false;
    WhenModal([&](QWidget* pModal) {
        auto* pDialog = qobject_cast<CDialog*>(pModal);
        ProcessEvents();
        if (pDialog && pDialog->GetTemplateId() == IDD_INSERT) {
            if (auto* pHex = pDialog->GetDlgItemAs<QLineEdit>(IDC_INSERT_HEX)) {
                QTest::keyClick(pHex, Qt::Key_1);
                QTest::keyClicks(pHex, QStringLiteral(" 42 43"));
            }
            ProcessEvents();
            saved = Save(Framed(pModal), folder + QStringLiteral("/insert.png"), err);
        }
        qobject_cast<QDialog*>(pModal)->reject();
    });
    QTest::keyClick(pView, Qt::Key_4);
    if (!saved)
        return 1;

    Focus(pView);
    program.Frame()->ExecuteCommand(ID_SEARCH_REPLACE);
    CReplaceDlg* pReplace = program.App()->pReplaceDlg;
    if (!pReplace) {
        err << "no Replace dialog\n";
        return 1;
    }
    TypeInto(pReplace, IDC_REPLACE_FIND_ASCII, QStringLiteral("IHDR"));
    TypeInto(pReplace, IDC_REPLACE_WITH_HEX, QStringLiteral("69 48 44 52"));
    if (!Save(Framed(pReplace), folder + QStringLiteral("/replace.png"), err))
        return 1;
    pReplace->DestroyWindow();
    ProcessEvents();

    Focus(pView);
    saved = false;
    WhenModal([&](QWidget* pModal) {
        auto* pDialog = qobject_cast<CDialog*>(pModal);
        if (pDialog && pDialog->GetTemplateId() == IDD_GOTO) {
            TypeInto(pDialog, IDC_ADDRESS, QStringLiteral("1a0"));
            saved = Save(Framed(pModal), folder + QStringLiteral("/goto.png"), err);
        }
        qobject_cast<QDialog*>(pModal)->reject();
    });
    program.Frame()->ExecuteCommand(ID_SEARCH_GOTO);
    return saved ? 0 : 1;
}
