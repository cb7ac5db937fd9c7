// Where the caret goes and where a drop puts the text.
#include "core/TextArithmetic.h"

#include <gtest/gtest.h>

namespace {

TEST(CaretPlace, BarStandsHalfItsWidthPlusThreeLeftOfTheInsertionPoint)
{
    // Caret label 13 x 48, text at (200, 200), the line before the caret 120 wide, the text down
    // to the caret's line 48 high: dx = 13 \ 2 + 3 = 9, dy = 48 \ 6 = 8.
    const CaretPlace bar = CaretPlaceFor(200, 200, 13, 48, 0, 120, 48);
    EXPECT_DOUBLE_EQ(bar.left, 311);
    EXPECT_DOUBLE_EQ(bar.top, 192);
}

TEST(CaretPlace, UnderscoreStartsAtTheInsertionPoint)
{
    const CaretPlace underscore = CaretPlaceFor(200, 200, 27, 48, 1, 120, 48);
    EXPECT_DOUBLE_EQ(underscore.left, 320);
    EXPECT_DOUBLE_EQ(underscore.top, 192);
    // Any style other than 0 is the underscore.
    EXPECT_DOUBLE_EQ(CaretPlaceFor(200, 200, 27, 48, 7, 120, 48).left, 320);
}

TEST(CaretPlace, SizesAreRoundedHalfToEvenBeforeTheIntegerDivisions)
{
    // Width 12.5 rounds to 12 (dx 9), 13.5 to 14 (dx 10); height 53.5 rounds to 54 (dy 9), 47.5 to
    // 48 (dy 8), 47.4 to 47 (dy 7).
    EXPECT_DOUBLE_EQ(CaretPlaceFor(0, 0, 12.5, 48, 0, 0, 48).left, -9);
    EXPECT_DOUBLE_EQ(CaretPlaceFor(0, 0, 13.5, 48, 0, 0, 48).left, -10);
    EXPECT_DOUBLE_EQ(CaretPlaceFor(0, 0, 10, 53.5, 0, 0, 53.5).top, -9);
    EXPECT_DOUBLE_EQ(CaretPlaceFor(0, 0, 10, 47.5, 0, 0, 47.5).top, -8);
    EXPECT_DOUBLE_EQ(CaretPlaceFor(0, 0, 10, 47.4, 0, 0, 47.4).top, -7);
}

TEST(CaretPlace, FollowsTheLinesDownAndTheTextAcross)
{
    // Three lines of 41 pixels measured down to the caret's line, text moved to (17, 5), caret
    // after a 64.25-pixel start of its line; the bar 12 x 41: dx = 9, dy = 6.
    const CaretPlace place = CaretPlaceFor(17, 5, 12, 41, 0, 64.25, 3 * 41);
    EXPECT_DOUBLE_EQ(place.left, 17 - 9 + 64.25);
    EXPECT_DOUBLE_EQ(place.top, 5 - 41 - 6 + 123);
}

TEST(Drop, OnTheSurfaceTheGrabbedPointGoesUnderThePointer)
{
    // Grabbed 300 twips right of the text's left edge and 150 below its top; dropped with the
    // pointer at surface pixel (400, 250) at 15 twips per pixel.
    const TextCorner corner = DropOnSurface(400, 250, 300, 150, 15, 15);
    EXPECT_EQ(corner.left, 380);
    EXPECT_EQ(corner.top, 240);
}

TEST(Drop, OnTheTextItMovesByThePointersWayFromTheGrabPoint)
{
    // Text at (200, 200), grabbed at (300, 150) twips; dropped on the text 45 twips right of and
    // 30 twips below the grab point.
    const TextCorner corner = DropOnText(345, 180, 300, 150, 15, 15, 200, 200);
    EXPECT_EQ(corner.left, 203);
    EXPECT_EQ(corner.top, 202);
    // Back and up as well.
    const TextCorner back = DropOnText(0, 0, 300, 150, 15, 15, 200, 200);
    EXPECT_EQ(back.left, 180);
    EXPECT_EQ(back.top, 190);
}

TEST(Drop, HalvesRoundToEvenAndOtherScalesDivideTheirOwnWay)
{
    // 7.5 pixels of grab at 2 twips per pixel: 400 - 7.5 = 392.5 -> 392; 401 - 7.5 -> 394 (393.5).
    EXPECT_EQ(DropOnSurface(400, 401, 15, 15, 2, 2).left, 392);
    EXPECT_EQ(DropOnSurface(400, 401, 15, 15, 2, 2).top, 394);
    // On the text: (X - grab) / twips + left, with different scales across and down.
    const TextCorner corner = DropOnText(30, 30, 0, 0, 12, 20, 10, 0);
    EXPECT_EQ(corner.left, 12); // 30 / 12 + 10 = 12.5
    EXPECT_EQ(corner.top, 2); // 30 / 20 = 1.5
}

TEST(Drop, NeverLeavesTheSixteenBitRangeNorDividesIntoNonsense)
{
    const TextCorner far = DropOnSurface(1e9, -1e9, 0, 0, 15, 15);
    EXPECT_EQ(far.left, 32767);
    EXPECT_EQ(far.top, -32768);
    // A screen measured at 0 twips per pixel: the division gives infinity or NaN, taken as 0.
    const TextCorner zero = DropOnText(30, 0, 15, 0, 0, 0, 200, 200);
    EXPECT_EQ(zero.left, 0);
    EXPECT_EQ(zero.top, 0);
}

} // namespace
