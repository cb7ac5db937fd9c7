#pragma once

#include <QString>

#include <cstdint>

// The numeric rules the program's arithmetic follows, in one place: rounding to nearest with
// halves to even, integer division truncating toward zero, 16-bit values that saturate instead of
// wrapping, reading a number from text, and showing one.
namespace units {

// Nearest integer, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
// Non-finite input gives 0; values beyond the 64-bit range saturate.
int64_t RoundHalfEven(double value);

// RoundHalfEven saturated to the 16-bit range (-32768..32767).
int16_t ToInt16(double value);
// RoundHalfEven saturated to the 32-bit range.
int32_t ToInt32(double value);

// Saturating 16-bit sum and product: a result outside -32768..32767 is pinned to the nearest end
// rather than wrapping into nonsense.
int16_t Add16(int32_t a, int32_t b);
int16_t Mul16(int32_t a, int32_t b);
int16_t Clamp16(int64_t value);

// a \ b: integer division truncating toward zero (b == 0 gives 0).
int64_t IntDiv(int64_t a, int64_t b);

// Twips to whole pixels at `twipsPerPixel` (to nearest, halves to even), and pixels to twips.
// A scale below 1 twip per pixel (no real screen has one) is taken as 1.
int TwipsToPixels(double twips, int twipsPerPixel);
int64_t PixelsToTwips(int64_t pixels, int twipsPerPixel);

// "Reading a number from text": the longest numeric prefix. Leading blanks are skipped and blanks
// inside the number ignored; an optional sign, digits, one "." decimal point whatever the locale,
// and an exponent ("1e9") are accepted; reading stops at the first other character. Text that
// does not begin with a number gives 0 (" 36" -> 36, "12pt" -> 12, "abc" -> 0).
double ReadNumber(const QString &text);

// A number shown with a leading blank when it is not negative (" 36", "-5"), as a number is shown
// when converted to text for a list box.
QString NumberWithSign(double value);
// A number shown plainly ("12", "10.5", "-3"): no blanks, no trailing zeros, "." as the point.
QString PlainNumber(double value);

} // namespace units
