#include "settings/Units.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace units;

namespace {

constexpr int64_t Int64Max = std::numeric_limits<int64_t>::max();
constexpr int64_t Int64Min = std::numeric_limits<int64_t>::min();
constexpr double Nan = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

TEST(Rounding, HalvesGoToTheEvenNeighbour)
{
    struct Row
    {
        double in;
        int64_t out;
    };
    const Row rows[] = {
        {0.5, 0},
        {1.5, 2},
        {2.5, 2},
        {3.5, 4},
        {-0.5, 0},
        {-1.5, -2},
        {-2.5, -2},
        {-3.5, -4},
        {2.4999999, 2},
        {2.5000001, 3},
        {-2.6, -3},
        {0.49999999999999994, 0}, // floor(x + 0.5) would give 1
        {4503599627370497.0, 4503599627370497}, // 2^52 + 1: no fraction left to round
        {-0.0, 0},
        {1e300, Int64Max},
        {-1e300, Int64Min},
        {9223372036854775808.0, Int64Max},
        {Nan, 0},
        {Inf, 0},
        {-Inf, 0},
    };
    for (const Row &row : rows)
        EXPECT_EQ(RoundHalfEven(row.in), row.out) << "value " << row.in;
}

TEST(Rounding, NarrowingSaturatesInsteadOfWrapping)
{
    EXPECT_EQ(ToInt16(32767.4), 32767);
    EXPECT_EQ(ToInt16(32767.5), 32767); // rounds to 32768, which does not fit
    EXPECT_EQ(ToInt16(40000), 32767);
    EXPECT_EQ(ToInt16(-32768.5), -32768);
    EXPECT_EQ(ToInt16(-1e12), -32768);
    EXPECT_EQ(ToInt16(12.5), 12);
    EXPECT_EQ(ToInt16(Nan), 0);

    EXPECT_EQ(ToInt32(3e9), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(ToInt32(-3e9), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(ToInt32(2147483646.5), 2147483646);
    EXPECT_EQ(ToInt32(-7.5), -8);
}

TEST(Arithmetic16, SumsAndProductsPinToTheRange)
{
    EXPECT_EQ(Add16(32767, 1), 32767);
    EXPECT_EQ(Add16(-32768, -1), -32768);
    EXPECT_EQ(Add16(100, -150), -50);
    EXPECT_EQ(Mul16(300, 300), 32767);
    EXPECT_EQ(Mul16(-300, 300), -32768);
    EXPECT_EQ(Mul16(std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max()),
              32767);
    EXPECT_EQ(Mul16(-12, 15), -180);
    EXPECT_EQ(Clamp16(int64_t(1) << 40), 32767);
    EXPECT_EQ(Clamp16(-(int64_t(1) << 40)), -32768);
    EXPECT_EQ(Clamp16(-32768), -32768);
}

TEST(Arithmetic16, IntegerDivisionTruncatesTowardZero)
{
    EXPECT_EQ(IntDiv(7, 2), 3);
    EXPECT_EQ(IntDiv(-7, 2), -3);
    EXPECT_EQ(IntDiv(7, -2), -3);
    EXPECT_EQ(IntDiv(-7, -2), 3);
    EXPECT_EQ(IntDiv(5, 0), 0);
    EXPECT_EQ(IntDiv(Int64Min, -1), Int64Max);
}

TEST(Twips, ToWholePixelsHalvesToEven)
{
    EXPECT_EQ(TwipsToPixels(5745, 15), 383);
    EXPECT_EQ(TwipsToPixels(2815, 15), 188); // 187.67
    EXPECT_EQ(TwipsToPixels(7.5, 15), 0); // half a pixel goes to the even 0
    EXPECT_EQ(TwipsToPixels(22.5, 15), 2);
    EXPECT_EQ(TwipsToPixels(-3397, 15), -226);
    EXPECT_EQ(TwipsToPixels(120, 12), 10); // 120 dpi
    // A damaged scale never divides by zero or flips the sign.
    EXPECT_EQ(TwipsToPixels(300, 0), 300);
    EXPECT_EQ(TwipsToPixels(300, -15), 300);
}

TEST(ReadNumber, TakesTheLongestNumericPrefix)
{
    struct Row
    {
        const char16_t *text;
        double value;
    };
    const Row rows[] = {
        {u"36", 36},
        {u" 36", 36},
        {u"\t7", 7},
        {u"12pt", 12},
        {u"abc", 0},
        {u"", 0},
        {u" 1 2", 12},
        {u"- 5", -5},
        {u"-5", -5},
        {u"+5", 5},
        {u"--5", 0},
        {u"00012", 12},
        {u"12.5.3", 12.5},
        {u".5", 0.5},
        {u"5.", 5},
        {u".", 0},
        {u"-", 0},
        {u"-.", 0},
        {u"1e9", 1e9},
        {u"1.5E2", 150},
        {u"1e-2", 0.01},
        {u"2e 3", 2000},
        {u"1e", 1},
        {u"1e+", 1},
        {u"1e5e3", 1e5},
        {u".e5", 0},
        {u"3-4", 3},
        {u"10,5", 10},
        {u"0x10", 0},
        {u"1e-999", 0},
        {u"\u0661\u0662", 0}, // digits of other scripts are not digits here
        {u"\uFF11\uFF12", 0},
    };
    for (const Row &row : rows) {
        const QString text = QString::fromUtf16(row.text);
        EXPECT_DOUBLE_EQ(ReadNumber(text), row.value) << text.toStdString();
    }
}

TEST(ReadNumber, HugeExponentsPinToTheLargestValue)
{
    EXPECT_EQ(ReadNumber(QStringLiteral("1e999")), std::numeric_limits<double>::max());
    EXPECT_EQ(ReadNumber(QStringLiteral("-1e999")), -std::numeric_limits<double>::max());
    EXPECT_EQ(ReadNumber(QStringLiteral("1e99999999999999999999")),
              std::numeric_limits<double>::max());
    EXPECT_EQ(ToInt16(ReadNumber(QStringLiteral("1e999"))), 32767);
}

TEST(NumberText, IgnoresTheUsersLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_DOUBLE_EQ(ReadNumber(QStringLiteral("10.5")), 10.5);
    EXPECT_DOUBLE_EQ(ReadNumber(QStringLiteral("1.000")), 1.0);
    EXPECT_EQ(PlainNumber(10.5), QStringLiteral("10.5"));
    EXPECT_EQ(NumberWithSign(1234.5), QStringLiteral(" 1234.5"));
    QLocale::setDefault(saved);
}

TEST(NumberText, LeadingBlankOnlyForNonNegativeNumbers)
{
    struct Row
    {
        double value;
        const char *withSign;
        const char *plain;
    };
    const Row rows[] = {
        {36, " 36", "36"},
        {-5, "-5", "-5"},
        {10.5, " 10.5", "10.5"},
        {-0.25, "-0.25", "-0.25"},
        {0, " 0", "0"},
        {-0.0, " 0", "0"},
        {1234567, " 1234567", "1234567"},
        {double(10.3f), " 10.3", "10.3"}, // a single widened to double shows as it was typed
        {0.125, " 0.125", "0.125"},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(NumberWithSign(row.value), QLatin1String(row.withSign)) << row.value;
        EXPECT_EQ(PlainNumber(row.value), QLatin1String(row.plain)) << row.value;
    }
}

TEST(NumberText, PlainNumberReadsBackToTheSameValue)
{
    for (const double value : {8.0, 9.5, 72.0, 11.25, -12.75, 0.5})
        EXPECT_DOUBLE_EQ(ReadNumber(PlainNumber(value)), value);
}

} // namespace
