// Where the overlay stands for each kind of margins, damaged ones included.
#include "core/OverlayGeometry.h"

#include <gtest/gtest.h>

TEST(OverlayGeometry, MarginsInsideTheScreenPlaceAndSizeTheOverlay)
{
    EXPECT_EQ(OverlayRect(1024, 768, 15, 15, 0, 0, 0, 0), QRect(0, 0, 1024, 768));
    EXPECT_EQ(OverlayRect(1024, 768, 15, 15, 50, 0, 30, 0), QRect(50, 30, 974, 738));
    EXPECT_EQ(OverlayRect(1024, 768, 15, 15, 10, 20, 5, 7), QRect(10, 5, 994, 756));
    // Negative margins are the user's to set: the overlay reaches past the screen's edge.
    EXPECT_EQ(OverlayRect(1024, 768, 15, 15, -10, 0, 0, -4), QRect(-10, 0, 1034, 772));
}

TEST(OverlayGeometry, AMarginPairThatCannotBeHonouredCoversThatAxisWhole)
{
    struct Row
    {
        int16_t before, after;
        const char *why;
    };
    const Row rows[] = {
        {30000, 30000, "the sum leaves the 16-bit range"},
        {2185, 0, "the margin in twips leaves the 16-bit range"},
        {1024, 0, "nothing of the screen would be left"},
        {600, 600, "the pair leaves less than nothing"},
        {-32768, 5000, "the product with twips per pixel overflows"},
    };
    for (const Row &row : rows) {
        const OverlayAxis axis = OverlayAxisFor(1024, 15, row.before, row.after);
        EXPECT_EQ(axis.start, 0) << row.why;
        EXPECT_EQ(axis.length, 1024) << row.why;
    }
    // The other axis keeps its margins.
    EXPECT_EQ(OverlayRect(1024, 768, 15, 15, 30000, 30000, 30, 0), QRect(0, 30, 1024, 738));
}

TEST(OverlayGeometry, TheLastPixelCanBeKept)
{
    EXPECT_EQ(OverlayAxisFor(1024, 15, 1023, 0).length, 1);
    EXPECT_EQ(OverlayAxisFor(1024, 15, 1023, 0).start, 1023);
    // No twips per pixel to speak of: nothing to place by.
    EXPECT_EQ(OverlayAxisFor(1024, 0, 10, 0).length, 1024);
}
