// Makes the README's pictures from the program itself, running offscreen:
// a document window, and the Find dialog over it. Each window gets a title
// bar drawn by the style, as a desktop would frame it.
//
//   bytelon_screenshots <folder>     writes document.png and find.png there

#include "support/TestSupport.h"

#include "app/BytelonApp.h"
#include "app/MainFrame.h"
#include "res/Resource.h"
#include "search/FindDlg.h"
#include "view/BytelonView.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
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
    QImage shot = Framed(program.Frame());
    {
        const QImage dialog = Framed(pFind);
        // Over the middle of the document window, as the dialog opens on a desktop.
        const QPoint at((shot.width() - dialog.width()) / 2 + 80, (shot.height() - dialog.height()) / 2 + 60);
        QPainter painter(&shot);
        painter.fillRect(QRect(at + QPoint(4, 4), dialog.size()), QColor(0, 0, 0, 60));
        painter.drawImage(at, dialog);
    }
    if (!Save(shot, folder + QStringLiteral("/find.png"), err))
        return 1;
    return 0;
}
