#pragma once

#include <QRect>

#include <cstdint>

// Where the overlay stands and how big it is, in pixels, from the screen's size and the four
// margins. The window's place is a margin times twips per pixel, a 16-bit quantity in twips; the
// margins the General preferences store stay far inside that range. Only a damaged settings file
// can hold margins that would overflow it or leave no overlay at all: such a pair of margins
// (left and right, or top and bottom) is taken as 0 and 0, so the overlay covers that axis whole.
struct OverlayAxis
{
    int start = 0; // first screen pixel the overlay covers (may be negative)
    int length = 0; // always at least 1
};

OverlayAxis OverlayAxisFor(int screenPixels, int16_t twipsPerPixel, int16_t marginBefore,
                           int16_t marginAfter);

QRect OverlayRect(int screenWidth, int screenHeight, int16_t twipsX, int16_t twipsY,
                  int16_t marginLeft, int16_t marginRight, int16_t marginTop, int16_t marginBottom);
