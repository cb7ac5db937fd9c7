// What the General preferences accept in a margin box, and how the margins are kept within the
// screen.
#include "core/GeneralRules.h"

#include <gtest/gtest.h>

TEST(MarginText, WholeNumbersAndRoundedFractionsAreAccepted)
{
    struct Row
    {
        const char *text;
        int16_t value;
    };
    const Row rows[] = {
        {"0", 0},           {"12", 12},           {" 12 ", 12},
        {"\t5\t", 5},       {"-3", -3},           {"+7", 7},
        {"007", 7},         {"2.5", 2},           {"3.5", 4},
        {"-2.5", -2},       {"12.", 12},          {".5", 0},
        {"0.51", 1},        {"32767", 32767},     {"-32768", -32768},
        {"32767.4", 32767}, {"-32768.5", -32768},
    };
    for (const Row &row : rows) {
        const auto value = ReadMarginText(QString::fromLatin1(row.text));
        ASSERT_TRUE(value.has_value()) << row.text;
        EXPECT_EQ(*value, row.value) << row.text;
    }
}

TEST(MarginText, AnythingElseIsRefused)
{
    const char *const rows[] = {
        "",       "   ",     "abc", "12.5x", "x12",   "99999", "32768",
        "-32769", "32767.5", "1e3", "1,5",   "12 3",  "- 12",  "0x10",
        "..5",    "+",       "-",   ".",     "1.2.3", "12abc", "999999999999999999999999",
    };
    for (const char *text : rows)
        EXPECT_FALSE(ReadMarginText(QString::fromLatin1(text)).has_value()) << '"' << text << '"';
    // Only the ASCII digits count.
    EXPECT_FALSE(ReadMarginText(QStringLiteral("\u0661\u0662")).has_value());
    EXPECT_FALSE(ReadMarginText(QStringLiteral("\uFF11\uFF12")).has_value());
}

TEST(MarginLimiter, AThirdOfTheScreenInPixels)
{
    EXPECT_EQ(MarginLimit(1024 * 15, 15), 341);
    EXPECT_EQ(MarginLimit(768 * 15, 15), 256);
    EXPECT_EQ(MarginLimit(1920 * 15, 15), 640);
    EXPECT_EQ(MarginLimit(1080 * 15, 15), 360);
    // 1280 pixels at 12 twips per pixel: 426.67 rounds up.
    EXPECT_EQ(MarginLimit(1280 * 12, 12), 427);
    // A half goes to the even neighbour: 4.5 pixels.
    EXPECT_EQ(MarginLimit(27, 2), 4);
    EXPECT_EQ(MarginLimit(33, 2), 6);
}

namespace {

Margins limitOn1024x768(Margins m)
{
    return LimitMargins(m, 1024 * 15, 768 * 15, 15, 15);
}

} // namespace

TEST(MarginLimiter, PairsAtTheStandardScreen)
{
    struct Row
    {
        Margins in, out;
        const char *why;
    };
    const Row rows[] = {
        {{400, 10, 0, 0}, {341, 0, 0, 0}, "left alone above the limit"},
        {{10, 400, 0, 0}, {0, 341, 0, 0}, "right alone above the limit"},
        {{200, 200, 0, 0}, {200, 200, 0, 0}, "neither alone above it, whatever the sum"},
        {{0, 0, 300, 5}, {0, 0, 256, 0}, "top alone above the vertical limit"},
        {{0, 0, 5, 300}, {0, 0, 0, 256}, "bottom alone above it"},
        {{400, 500, 0, 0}, {341, 0, 0, 0}, "both above it: the left is taken, the right dropped"},
        {{341, 0, 256, 0}, {341, 0, 256, 0}, "at the limit is within it"},
        {{342, 0, 257, 0}, {341, 0, 256, 0}, "one above it is not"},
        {{0, 342, 0, 257}, {0, 341, 0, 256}, "the same for right and bottom"},
        {{171, 171, 129, 128}, {171, 171, 129, 128}, "a sum just above the limit stays"},
        {{-100, 500, 0, 0}, {0, 341, 0, 0}, "a negative partner becomes 0"},
        {{-500, 300, -20, -30}, {-500, 300, -20, -30}, "negative sums are never limited"},
        {{400, 10, 300, 5}, {341, 0, 256, 0}, "both axes in one go"},
    };
    for (const Row &row : rows)
        EXPECT_EQ(limitOn1024x768(row.in), row.out) << row.why;
}

TEST(MarginLimiter, SumsBeyondSixteenBitsDoNotWrap)
{
    // 32767 + 32767 wraps to -2 in 16 bits, which would pass the check unlimited.
    EXPECT_EQ(limitOn1024x768({32767, 32767, 32767, 32767}), (Margins {341, 0, 256, 0}));
    EXPECT_EQ(limitOn1024x768({-32768, -32768, -32768, -32768}),
              (Margins {-32768, -32768, -32768, -32768}));
    EXPECT_EQ(limitOn1024x768({100, 32767, 0, 0}), (Margins {0, 341, 0, 0}));
    // A sum that is small only because one margin is very negative stays as it is.
    EXPECT_EQ(limitOn1024x768({-32768, 32767, 0, 0}), (Margins {-32768, 32767, 0, 0}));
}

TEST(MarginLimiter, TheSameRuleOnAnotherScreen)
{
    // 1920 x 1080 at 15 twips per pixel: limits 640 and 360.
    EXPECT_EQ(LimitMargins({700, 5, 0, 400}, 1920 * 15, 1080 * 15, 15, 15),
              (Margins {640, 0, 0, 360}));
    EXPECT_EQ(LimitMargins({400, 400, 200, 200}, 1920 * 15, 1080 * 15, 15, 15),
              (Margins {400, 400, 200, 200}));
    // 1280 x 1024 at 12 twips per pixel (120 dpi): limits 427 and 341.
    EXPECT_EQ(LimitMargins({428, 1, 1, 342}, 1280 * 12, 1024 * 12, 12, 12),
              (Margins {427, 0, 0, 341}));
}
