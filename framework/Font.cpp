#include "framework/Font.h"

#include <QFontMetricsF>
#include <cmath>

bool CFont::CreateFontIndirect(const LOGFONT* pLogFont)
{
    if (!pLogFont)
        return false;
    Description = *pLogFont;
    Created = true;
    return true;
}

QFont CFont::MakeQFont(double unitsToPixels) const
{
    QFont font(Description.lfFaceName.isEmpty() ? QStringLiteral("Courier") : Description.lfFaceName);
    const BYTE pitch = Description.lfPitchAndFamily & 0x3;
    if (pitch == FIXED_PITCH) {
        font.setStyleHint(QFont::TypeWriter, QFont::PreferMatch);
        font.setFixedPitch(true);
    }
    font.setWeight(Description.lfWeight <= 0 ? QFont::Normal
                                             : static_cast<QFont::Weight>(qBound(1, int(Description.lfWeight), 1000)));
    font.setItalic(Description.lfItalic != 0);
    font.setUnderline(Description.lfUnderline != 0);
    font.setStrikeOut(Description.lfStrikeOut != 0);
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferFullHinting);
    LONG height = Description.lfHeight;
    if (height == 0)
        height = -12;
    int pixels = int(std::lround(std::abs(height) * unitsToPixels));
    if (pixels < 1)
        pixels = 1;
    if (height > 0) {
        // A cell height: scale the character height so the cell fits.
        font.setPixelSize(pixels);
        const QFontMetricsF metrics(font);
        if (metrics.height() > 0)
            pixels = qMax(1, int(std::floor(pixels * pixels / metrics.height())));
    }
    font.setPixelSize(pixels);
    return font;
}
