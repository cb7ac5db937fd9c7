// The About box's layout arithmetic, from measured sizes to every control's place, in twips.
#include "core/AboutLayout.h"

#include <gtest/gtest.h>

namespace {

// Sizes as Arial gives them at 15 twips per pixel.
AboutMeasures typicalMeasures()
{
    AboutMeasures m;
    m.appName = {0, 0, 2055, 240};
    m.version = {0, 0, 1335, 210};
    m.copyright = {0, 0, 1260, 195};
    m.name = {0, 0, 2610, 210};
    m.notices = {TwipsBox {0, 0, 3045, 195}, TwipsBox {0, 0, 3105, 195}, TwipsBox {0, 0, 2940, 195},
                 TwipsBox {0, 0, 3510, 195}, TwipsBox {0, 0, 3315, 195}};
    m.appNameTextHeight = 210;
    m.copyrightTextHeight = 210;
    m.nameTextHeight = 210;
    m.rightsTextHeight = 210;
    m.image = {0, 0, 480, 480};
    m.rights = {0, 0, 1935, 285};
    m.ok = {960, 5550, 1215, 285};
    return m;
}

} // namespace

TEST(AboutLayout, TheWidestNoticeLineSetsTheWidths)
{
    AboutMeasures m = typicalMeasures();
    m.borderWidth = 90;
    m.borderHeight = 465;
    const AboutLayout l = LayOutAboutBox(m);
    EXPECT_EQ(l.frame1.width, 3510 + 480);
    EXPECT_EQ(l.width, l.frame1.width + 240);
    EXPECT_EQ(l.frame2.width, l.frame1.width - 240);
    // Frame1 stands in the middle of the client area: 120 less half the side borders.
    EXPECT_EQ(l.frame1.left, 75);
    EXPECT_EQ(l.width - m.borderWidth - l.frame1.left - l.frame1.width, 75);
    EXPECT_EQ(l.frame1.top, -10);
}

TEST(AboutLayout, EveryItemIsCentredInFrame1DroppingTheHalfTwip)
{
    const AboutLayout l = LayOutAboutBox(typicalMeasures());
    EXPECT_EQ(l.appName.left, (3990 - 2055) / 2); // 967, the odd twip dropped
    EXPECT_EQ(l.version.left, 1327);
    EXPECT_EQ(l.copyright.left, 1365);
    EXPECT_EQ(l.name.left, 690);
    EXPECT_EQ(l.image.left, 1755);
    EXPECT_EQ(l.ok.left, 1387);
    EXPECT_EQ(l.rights.left, 1027);
    EXPECT_EQ(l.frame2.left, 120);
    EXPECT_EQ(l.notices[3].left, 240);
    EXPECT_EQ(l.notices[2].left, 525);
    // The button keeps its design top, below the frame's bottom.
    EXPECT_EQ(l.ok.top, 5550);
    EXPECT_GT(l.ok.top, l.frame1.top + l.frame1.height);
}

TEST(AboutLayout, TheItemsStandOneUnderAnother)
{
    AboutMeasures m = typicalMeasures();
    m.borderHeight = 465;
    const AboutLayout l = LayOutAboutBox(m);
    EXPECT_EQ(l.appName.top, 270);
    EXPECT_EQ(l.version.top, 270 + 210 + 15);
    const int y1 = l.version.top + 210;
    EXPECT_EQ(l.image.top, y1 + 90);
    EXPECT_EQ(l.copyright.top, y1 + 480 + 180);
    EXPECT_EQ(l.name.top, l.copyright.top + 210 - 30);
    EXPECT_EQ(l.rights.top, l.name.top + 210 + 30);
    EXPECT_EQ(l.frame2.top, l.rights.top + 210 + 90);
    EXPECT_EQ(l.frame2.height, 45);
    EXPECT_EQ(l.notices[0].top, l.frame2.top + 120);
    for (int i = 1; i < 5; ++i)
        EXPECT_EQ(l.notices[i].top - l.notices[i - 1].top, 210) << i;
    EXPECT_EQ(l.frame1.height, l.notices[4].top + 195 + 120);
    EXPECT_EQ(l.height, l.frame1.height - 10 + 465 + 90);
}

TEST(AboutLayout, TextHeightsComeFromTheDialogsFontNotTheLabels)
{
    AboutMeasures m = typicalMeasures();
    m.appName.height = 999; // the label's own height does not move the version line
    m.appNameTextHeight = 300;
    const AboutLayout l = LayOutAboutBox(m);
    EXPECT_EQ(l.version.top, 270 + 300 + 15);
}
