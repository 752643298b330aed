#include "view/BytelonView.h"

#include <QApplication>

#include <cstdlib>

void CBytelonView::OnMouseWheel(Qt::KeyboardModifiers modifiers, QPoint angleDelta, QPoint pixelDelta)
{
    // Only the plain wheel scrolls: Shift (and Ctrl, Alt) with it and a
    // sideways turn move nothing.
    if (modifiers.testAnyFlags(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
        return;
    // A touchpad says how far the fingers went, a wheel how many notches (120
    // each, or fractions of one from a high-resolution wheel): both add up to
    // whole lines, the rest kept for the next turn.
    int amount;
    int unit;
    if (!pixelDelta.isNull()) {
        amount = pixelDelta.y();
        unit = LineHeight;
    } else {
        amount = angleDelta.y() * QApplication::wheelScrollLines();
        unit = 120;
    }
    if (amount == 0 || unit <= 0)
        return;
    if (unit != WheelUnit || (WheelRemainder < 0) != (amount < 0))
        WheelRemainder = 0;
    WheelUnit = unit;
    WheelRemainder += amount;
    const int lines = WheelRemainder / unit;
    WheelRemainder -= lines * unit;
    // Line by line, as the scroll bar's arrows move the view.
    for (int i = 0; i < std::abs(lines); ++i) {
        const int top = TopOffset;
        OnVScroll(lines > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
        if (TopOffset == top) {
            WheelRemainder = 0;
            break;
        }
    }
}
