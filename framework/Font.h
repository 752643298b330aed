#pragma once
// Fonts made from a LOGFONT-like description. A font's height is in the
// logical units of the device context it is selected into.

#include "framework/Afx.h"

#include <QFont>
#include <QString>

enum : BYTE { DEFAULT_PITCH = 0, FIXED_PITCH = 1, VARIABLE_PITCH = 2 };
enum : BYTE { TMPF_FIXED_PITCH = 1, TMPF_VECTOR = 2, TMPF_TRUETYPE = 4 };
enum : LONG { FW_NORMAL = 400, FW_BOLD = 700 };

struct LOGFONT {
    LONG lfHeight = 0;      // negative: character height; positive: cell height
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = 0;      // 0 means normal
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = 0;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    QString lfFaceName;
};

[[nodiscard]] inline int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const long long product = static_cast<long long>(number) * numerator;
    // Rounds half away from zero, as the platform's MulDiv does.
    const long long half = (denominator > 0 ? denominator : -denominator) / 2;
    const long long q = product >= 0 ? (product + half) / denominator : (product - half) / denominator;
    return static_cast<int>(q);
}

class CFont {
public:
    CFont() = default;
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    bool CreateFontIndirect(const LOGFONT* pLogFont);
    [[nodiscard]] bool IsCreated() const { return Created; }
    [[nodiscard]] const LOGFONT& GetLogFont() const { return Description; }

    // The Qt font for a device on which one logical unit is unitsToPixels pixels.
    [[nodiscard]] QFont MakeQFont(double unitsToPixels) const;

private:
    LOGFONT Description;
    bool Created = false;
};
