#include "OverlayGeometry.h"

#include <limits>

namespace {
bool fitsInt16(int64_t value)
{
    return value >= std::numeric_limits<int16_t>::min()
        && value <= std::numeric_limits<int16_t>::max();
}
} // namespace

OverlayAxis OverlayAxisFor(int screenPixels, int16_t twipsPerPixel, int16_t marginBefore,
                           int16_t marginAfter)
{
    const int64_t twips = twipsPerPixel;
    const int64_t sum = int64_t(marginBefore) + marginAfter;
    const int64_t length = int64_t(screenPixels) - sum;
    const bool sound = twips > 0 && fitsInt16(int64_t(marginBefore) * twips) && fitsInt16(sum)
        && fitsInt16(sum * twips) && length >= 1;
    if (!sound)
        return {0, std::max(screenPixels, 1)};
    return {marginBefore, int(length)};
}

QRect OverlayRect(int screenWidth, int screenHeight, int16_t twipsX, int16_t twipsY,
                  int16_t marginLeft, int16_t marginRight, int16_t marginTop, int16_t marginBottom)
{
    const OverlayAxis x = OverlayAxisFor(screenWidth, twipsX, marginLeft, marginRight);
    const OverlayAxis y = OverlayAxisFor(screenHeight, twipsY, marginTop, marginBottom);
    return {x.start, y.start, x.length, y.length};
}
