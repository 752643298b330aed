#include "res/Resources.h"

#include <QCursor>
#include <QImage>
#include <QPixmap>

QCursor MakeColumnCursor()
{
    // Drawn rather than loaded so the pointer stays crisp and needs no cursor
    // file format; '#' is black, '.' white, ' ' transparent. The hot spot
    // (15, 15) lies midway between the bars, where the column edge is grabbed.
    static const char* const Art[32] = {
        "                                ",
        "                                ",
        "                                ",
        "                                ",
        "                                ",
        "                                ",
        "           .........            ",
        "           .##...##.            ",
        "           .##...##.            ",
        "           .##...##.            ",
        "           .##...##.            ",
        "     ...   .##...##.   ...      ",
        "    ..#.   .##...##.   .#..     ",
        "   ..##.   .##...##.   .##..    ",
        "  ..###.....##...##.....###..   ",
        "  .###########...###########.   ",
        "  ..###.....##...##.....###..   ",
        "   ..##.   .##...##.   .##..    ",
        "    ..#.   .##...##.   .#..     ",
        "     ...   .##...##.   ...      ",
        "           .##...##.            ",
        "           .##...##.            ",
        "           .##...##.            ",
        "           .##...##.            ",
        "           .........            ",
        "                                ",
        "                                ",
        "                                ",
        "                                ",
        "                                ",
        "                                ",
        "                                ",
    };

    QImage image(32, 32, QImage::Format_ARGB32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            QRgb pixel = qRgba(0, 0, 0, 0);
            if (Art[y][x] == '#')
                pixel = qRgb(0, 0, 0);
            else if (Art[y][x] == '.')
                pixel = qRgb(255, 255, 255);
            image.setPixel(x, y, pixel);
        }
    }
    return QCursor(QPixmap::fromImage(image), 15, 15);
}
