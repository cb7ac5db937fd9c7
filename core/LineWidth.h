#pragma once

#include <algorithm>

// The pen widths lines are drawn with, in pixels: the range the Line window's scroll bar offers.
constexpr int MinLineWidth = 1;
constexpr int MaxLineWidth = 50;

// A stored width outside that range (only a damaged settings file holds one) is taken as the
// nearest end of it: 0 or a negative width draws 1 pixel wide, a huge one 50 pixels wide, so a
// stroke can neither vanish nor paint the whole screen at every move.
constexpr int ClampLineWidth(int width)
{
    return std::clamp(width, MinLineWidth, MaxLineWidth);
}
