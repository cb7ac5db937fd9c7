#include "GeneralRules.h"

#include "settings/Units.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>

std::optional<int16_t> ReadMarginText(const QString &text)
{
    // Digits are the ASCII ones only, and "." is the decimal point whatever the locale.
    static const QRegularExpression number(
        QStringLiteral("^[ \\t]*([+-]?(?:[0-9]+(?:\\.[0-9]*)?|\\.[0-9]+))[ \\t]*$"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const int64_t rounded = units::RoundHalfEven(units::ReadNumber(match.captured(1)));
    if (rounded < std::numeric_limits<int16_t>::min()
        || rounded > std::numeric_limits<int16_t>::max())
        return std::nullopt;
    return int16_t(rounded);
}

int16_t MarginLimit(int64_t screenTwips, int twipsPerPixel)
{
    return units::ToInt16(double(screenTwips) / 3.0 / std::max(twipsPerPixel, 1));
}

namespace {

void limitPair(int16_t &first, int16_t &second, int16_t limit)
{
    if (int32_t(first) + int32_t(second) <= limit)
        return;
    if (first > limit) {
        first = limit;
        second = 0;
    }
    if (second > limit) {
        second = limit;
        first = 0;
    }
}

} // namespace

Margins LimitMargins(Margins margins, int64_t screenWidthTwips, int64_t screenHeightTwips,
                     int twipsX, int twipsY)
{
    limitPair(margins.left, margins.right, MarginLimit(screenWidthTwips, twipsX));
    limitPair(margins.top, margins.bottom, MarginLimit(screenHeightTwips, twipsY));
    return margins;
}
