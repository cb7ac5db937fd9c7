#include "PaletteLayout.h"

#include "settings/Palette.h"
#include "settings/Units.h"

#include <algorithm>

QPoint PaletteCellAt(double X, double Y)
{
    const int64_t column = units::IntDiv(units::RoundHalfEven(X - 2), 8);
    const int64_t row = units::IntDiv(units::RoundHalfEven(Y - 2), 6);
    return {int(std::clamp<int64_t>(column, 0, PaletteColumns - 1)),
            int(std::clamp<int64_t>(row, 0, PaletteRows - 1))};
}

QPoint LineModePlace(const QRect &screen, int outerWidth, int twipsX, int twipsY)
{
    twipsX = std::max(twipsX, 1);
    twipsY = std::max(twipsY, 1);
    const int64_t screenRight = int64_t(screen.x() + screen.width()) * twipsX;
    const int64_t widthTwips = int64_t(outerWidth) * twipsX;
    return {units::TwipsToPixels(screenRight - widthTwips, twipsX),
            units::TwipsToPixels(int64_t(screen.y()) * twipsY, twipsY)};
}

QPoint ColourModePlace(const QRect &textDialogFrame, int twipsX, int twipsY)
{
    twipsX = std::max(twipsX, 1);
    twipsY = std::max(twipsY, 1);
    const int64_t left = int64_t(textDialogFrame.x()) * twipsX;
    const int64_t width = int64_t(textDialogFrame.width()) * twipsX;
    return {units::TwipsToPixels(left + width, twipsX),
            units::TwipsToPixels(int64_t(textDialogFrame.y()) * twipsY, twipsY)};
}
