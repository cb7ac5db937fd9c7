#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// The rules behind the General preferences: what a margin box may hold, and how the margins are
// kept within the screen.

// The 16-bit pixel count a margin box's text stands for: blanks around the number are ignored and
// a fraction is rounded to the nearest whole number, a half to the even one (" 12 " 12, "2.5" 2,
// "-3" -3). Nothing when the text is not a decimal number ("", "abc", "12.5x", "1e3") or when it
// rounds to a value outside -32768..32767 ("99999").
std::optional<int16_t> ReadMarginText(const QString &text);

struct Margins
{
    int16_t left = 0;
    int16_t right = 0;
    int16_t top = 0;
    int16_t bottom = 0;
    friend bool operator==(const Margins &a, const Margins &b)
    {
        return a.left == b.left && a.right == b.right && a.top == b.top && a.bottom == b.bottom;
    }
};

// The largest pixel count a pair of margins may take: a third of the screen's extent in twips,
// in pixels, rounded to the nearest 16-bit integer (341 for 1024 pixels at 15 twips per pixel).
int16_t MarginLimit(int64_t screenTwips, int twipsPerPixel);

// The margin limiter. When a pair's sum is above its limit, a margin that alone is above it
// becomes the limit and the other one 0 (left before right, top before bottom); a pair whose
// margins are each within the limit stays as it is even though the sum is not. Comparisons are
// strict and signed, negative margins stay, and the sums are taken in 32 bits, so no pair can
// overflow.
Margins LimitMargins(Margins margins, int64_t screenWidthTwips, int64_t screenHeightTwips,
                     int twipsX, int twipsY);
