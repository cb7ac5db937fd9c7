#include "TextArithmetic.h"

#include "settings/Units.h"

CaretPlace CaretPlaceFor(double textLeft, double textTop, double caretWidth, double caretHeight,
                         int16_t cursorStyle, double horizontalWidth, double verticalHeight)
{
    const auto dy = double(units::IntDiv(units::RoundHalfEven(caretHeight), 6));
    const auto dx
        = cursorStyle == 0 ? double(units::IntDiv(units::RoundHalfEven(caretWidth), 2) + 3) : 0.0;
    return {textLeft - dx + horizontalWidth, textTop - caretHeight - dy + verticalHeight};
}

// Twips per pixel of 0 (a screen no program could measure) divides into infinity, which rounds to
// 0 rather than to nonsense.
TextCorner DropOnText(double X, double Y, double grabX, double grabY, int16_t twipsX,
                      int16_t twipsY, double textLeft, double textTop)
{
    return {units::ToInt16((X - grabX) / twipsX + textLeft),
            units::ToInt16((Y - grabY) / twipsY + textTop)};
}

TextCorner DropOnSurface(double X, double Y, double grabX, double grabY, int16_t twipsX,
                         int16_t twipsY)
{
    return {units::ToInt16(X - grabX / twipsX), units::ToInt16(Y - grabY / twipsY)};
}
