#include "Units.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace units {

int64_t RoundHalfEven(double value)
{
    if (!std::isfinite(value))
        return 0;
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double limit = 9223372036854775808.0;
    if (value >= limit)
        return std::numeric_limits<int64_t>::max();
    if (value < -limit)
        return std::numeric_limits<int64_t>::min();

    const double below = std::floor(value);
    const double fraction = value - below; // exact for every double
    double rounded = below;
    if (fraction > 0.5) {
        rounded = below + 1.0;
    } else if (fraction == 0.5) {
        // A tie: go to the even neighbour.
        rounded = std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
    }
    if (rounded >= limit)
        return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(rounded);
}

int16_t Clamp16(int64_t value)
{
    return static_cast<int16_t>(std::clamp<int64_t>(value, std::numeric_limits<int16_t>::min(),
                                                    std::numeric_limits<int16_t>::max()));
}

int16_t ToInt16(double value)
{
    return Clamp16(RoundHalfEven(value));
}

int32_t ToInt32(double value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(RoundHalfEven(value),
                                                    std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

int16_t Add16(int32_t a, int32_t b)
{
    return Clamp16(static_cast<int64_t>(a) + b);
}

int16_t Mul16(int32_t a, int32_t b)
{
    return Clamp16(static_cast<int64_t>(a) * b);
}

int64_t IntDiv(int64_t a, int64_t b)
{
    if (b == 0)
        return 0;
    // The one quotient that does not fit pins to the top instead of overflowing.
    if (a == std::numeric_limits<int64_t>::min() && b == -1)
        return std::numeric_limits<int64_t>::max();
    return a / b; // C++ division truncates toward zero
}

int TwipsToPixels(double twips, int twipsPerPixel)
{
    return ToInt32(twips / std::max(twipsPerPixel, 1));
}

int64_t PixelsToTwips(int64_t pixels, int twipsPerPixel)
{
    return pixels * std::max(twipsPerPixel, 1);
}

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Index of the next character at or after `i` that is not a blank.
qsizetype skipBlanks(const QString &text, qsizetype i)
{
    while (i < text.size() && isBlank(text.at(i)))
        ++i;
    return i;
}

} // namespace

double ReadNumber(const QString &text)
{
    // The accepted characters are gathered, blanks left out, into a plain ASCII number that
    // std::from_chars converts; from_chars never looks at the locale.
    std::string mantissa;
    bool negative = false;
    bool anyDigit = false;
    bool seenPoint = false;
    // One more than the decimal exponent of the leading significant digit ("123" 3, "0.001" -2),
    // enough to tell an overflow from an underflow.
    int64_t order = 0;
    bool seenSignificant = false;

    qsizetype i = skipBlanks(text, 0);
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    for (i = skipBlanks(text, i); i < text.size(); i = skipBlanks(text, i + 1)) {
        const QChar c = text.at(i);
        if (isDigit(c)) {
            anyDigit = true;
            mantissa.push_back(static_cast<char>(c.unicode()));
            if (c != u'0')
                seenSignificant = true;
            if (!seenPoint && seenSignificant)
                ++order;
            if (seenPoint && !seenSignificant)
                --order;
        } else if (c == u'.' && !seenPoint) {
            seenPoint = true;
            mantissa.push_back('.');
        } else {
            break;
        }
    }
    if (!anyDigit)
        return 0.0;

    // An exponent counts only when at least one digit follows the "e" and its sign.
    std::string exponent;
    int64_t exponentValue = 0;
    if (i < text.size() && (text.at(i) == u'e' || text.at(i) == u'E')) {
        qsizetype j = skipBlanks(text, i + 1);
        bool exponentNegative = false;
        if (j < text.size() && (text.at(j) == u'-' || text.at(j) == u'+')) {
            exponentNegative = text.at(j) == u'-';
            j = skipBlanks(text, j + 1);
        }
        std::string digits;
        for (; j < text.size() && isDigit(text.at(j)); j = skipBlanks(text, j + 1)) {
            digits.push_back(static_cast<char>(text.at(j).unicode()));
            exponentValue
                = std::min<int64_t>(exponentValue * 10 + (digits.back() - '0'), int64_t(1) << 40);
        }
        if (!digits.empty()) {
            exponent = (exponentNegative ? "e-" : "e") + digits;
            if (exponentNegative)
                exponentValue = -exponentValue;
        }
    }
    if (!seenSignificant)
        return negative ? -0.0 : 0.0;

    const std::string number = mantissa + exponent;
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large pins to the largest finite value, too small is zero.
        value = order + exponentValue > 0 ? std::numeric_limits<double>::max() : 0.0;
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

QString PlainNumber(double value)
{
    if (value == 0.0)
        return QStringLiteral("0"); // never "-0"
    // Seven significant digits: what a single-precision value shows, so that 10.5 stays "10.5"
    // and a float widened to double does not grow a tail of noise digits.
    return QString::number(value, 'g', 7);
}

QString NumberWithSign(double value)
{
    if (std::signbit(value) && value != 0.0)
        return PlainNumber(value);
    return QLatin1Char(' ') + PlainNumber(value);
}

} // namespace units
