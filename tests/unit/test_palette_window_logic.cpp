// The palette window's arithmetic and pictures: the cell a press picks, the frame every cell gets,
// the close button's two pictures and the eyedropper, the window's places, the width clamp.
#include "core/LineWidth.h"
#include "core/PaletteLayout.h"
#include "core/PalettePictures.h"
#include "settings/Palette.h"
#include "settings/Settings.h"

#include <QImage>

#include <gtest/gtest.h>

#include <limits>

namespace {

class PaletteWindowLogic : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gSettings = Settings {};
        BuildPalette();
    }
};

} // namespace

TEST_F(PaletteWindowLogic, PickAtTheCellBorders)
{
    // The first pixel column of a cell (x = 8c + 1) and its second (x = 8c + 2) still count for
    // the cell before; x = 8c + 2 exactly is the first that counts for c.
    EXPECT_EQ(PaletteCellAt(9, 20).x(), 0);
    EXPECT_EQ(PaletteCellAt(10, 20).x(), 1);
    EXPECT_EQ(PaletteCellAt(17, 20).x(), 1);
    EXPECT_EQ(PaletteCellAt(18, 20).x(), 2);
    // Rows on the 6-pixel pitch: y = 6r + 2 is the first that counts for r.
    EXPECT_EQ(PaletteCellAt(20, 7).y(), 0);
    EXPECT_EQ(PaletteCellAt(20, 8).y(), 1);
    EXPECT_EQ(PaletteCellAt(20, 13).y(), 1);
    EXPECT_EQ(PaletteCellAt(20, 14).y(), 2);
    // The first two pixel columns and rows of the picture count for column and row 0.
    EXPECT_EQ(PaletteCellAt(0, 0), QPoint(0, 0));
    EXPECT_EQ(PaletteCellAt(1, 1), QPoint(0, 0));
    // Halves go to the even neighbour before the division: 9.5 - 2 = 7.5 -> 8 -> column 1, while
    // 10.5 - 2 = 8.5 -> 8 -> column 1 too, and 8.5 - 2 = 6.5 -> 6 -> column 0.
    EXPECT_EQ(PaletteCellAt(9.5, 20).x(), 1);
    EXPECT_EQ(PaletteCellAt(10.5, 20).x(), 1);
    EXPECT_EQ(PaletteCellAt(8.5, 20).x(), 0);
    EXPECT_EQ(PaletteCellAt(9.4, 20).x(), 0);
}

TEST_F(PaletteWindowLogic, PickIsKeptWithinTheGrid)
{
    // On the sunken border (negative positions), the last pixels, and far beyond.
    EXPECT_EQ(PaletteCellAt(-2, -2), QPoint(0, 0));
    EXPECT_EQ(PaletteCellAt(-40, -40), QPoint(0, 0));
    EXPECT_EQ(PaletteCellAt(96, 132), QPoint(11, 21));
    EXPECT_EQ(PaletteCellAt(98, 134), QPoint(11, 21));
    EXPECT_EQ(PaletteCellAt(1e12, -1e12), QPoint(11, 0));
    EXPECT_EQ(PaletteCellAt(std::numeric_limits<double>::quiet_NaN(), 50), QPoint(0, 8));
}

TEST_F(PaletteWindowLogic, EveryCellsFrameFollowsItsRowsRule)
{
    for (int row = 0; row < PaletteRows; ++row) {
        for (int column = 0; column < PaletteColumns; ++column) {
            const auto frame = CellFrameFor(column, row);
            ASSERT_TRUE(frame.has_value());
            QRgb expected = qRgb(255, 0, 0);
            if (row >= 2 && row <= 19) {
                int red = 0, green = 0, blue = 0;
                GetCellRGB(column, row, red, green, blue);
                expected = qRgb(255 - red, 255 - green, 255 - blue);
            } else if (column == 1 && row == 1) {
                expected = qRgb(0, 0, 0);
            }
            EXPECT_EQ(frame->colour, expected) << column << "," << row;
            // The frame surrounds the cell: its corners are (8c, 6r) and (8c + 8, 6r + 6).
            EXPECT_EQ(frame->rect.topLeft(), QPoint(8 * column, 6 * row));
            EXPECT_EQ(frame->rect.bottomRight(), QPoint(8 * column + 8, 6 * row + 6));
        }
    }
}

TEST_F(PaletteWindowLogic, ClosePicturesPixelForPixel)
{
    const QRgb face = qRgb(189, 189, 189), dark = qRgb(123, 123, 123), black = qRgb(0, 0, 0),
               white = qRgb(255, 255, 255);
    for (const bool pressed : {false, true}) {
        const QImage picture = CloseButtonPicture(pressed);
        ASSERT_EQ(picture.size(), QSize(12, 12));
        const QRgb innerTopLeft = pressed ? face : white;
        const QRgb innerBottomRight = pressed ? white : dark;
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 12; ++x) {
                QRgb expected = face;
                if (x == 11 || y == 11)
                    expected = black; // the outer ring's bottom and right
                else if (x == 0 || y == 0)
                    expected = dark; // the outer ring's top and left
                else if (x == 10 || y == 10)
                    expected = innerBottomRight;
                else if (x == 1 || y == 1)
                    expected = innerTopLeft;
                else if (x >= 3 && x <= 8 && (x == y || x == 11 - y))
                    expected = black; // the cross over x = 3 to 8, y = 3 to 8
                EXPECT_EQ(picture.pixel(x, y), expected)
                    << (pressed ? "pressed" : "raised") << " at " << x << "," << y;
            }
        }
    }
    EXPECT_NE(CloseButtonPicture(true), CloseButtonPicture(false));
}

TEST_F(PaletteWindowLogic, EyedropperHasOneRedPixelAtItsHotSpot)
{
    const QImage picture = EyedropperPicture();
    ASSERT_EQ(picture.size(), QSize(32, 32));
    const QPoint hot = EyedropperHotSpot();
    EXPECT_LE((hot - QPoint(16, 16)).manhattanLength(), 2) << "beside the centre";
    int red = 0, black = 0, white = 0, other = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb pixel = picture.pixel(x, y);
            if (qAlpha(pixel) == 0)
                continue;
            if (pixel == qRgb(255, 0, 0))
                ++red;
            else if (pixel == qRgb(0, 0, 0))
                ++black;
            else if (pixel == qRgb(255, 255, 255))
                ++white;
            else
                ++other;
        }
    }
    EXPECT_EQ(red, 1);
    EXPECT_EQ(picture.pixel(hot), qRgb(255, 0, 0));
    EXPECT_GT(black, 20);
    EXPECT_GT(white, 5);
    EXPECT_EQ(other, 0) << "only the outline, the barrel and the tip";
    EXPECT_EQ(qAlpha(picture.pixel(0, 31)), 0) << "a transparent ground";
}

TEST_F(PaletteWindowLogic, PlacesOfTheTwoLayouts)
{
    // Line mode: the right edge on the screen's right edge, the top on the screen's top.
    EXPECT_EQ(LineModePlace(QRect(0, 0, 1024, 768), 107, 15, 15), QPoint(917, 0));
    EXPECT_EQ(LineModePlace(QRect(0, 0, 1920, 1080), 107, 12, 12), QPoint(1813, 0));
    EXPECT_EQ(LineModePlace(QRect(1024, 0, 800, 600), 107, 15, 15), QPoint(1717, 0));
    // Colour mode: against the dialog's right edge, top to top, even beyond the screen.
    EXPECT_EQ(ColourModePlace(QRect(100, 80, 400, 300), 15, 15), QPoint(500, 80));
    EXPECT_EQ(ColourModePlace(QRect(900, 10, 400, 300), 15, 15), QPoint(1300, 10));
    // Twips per pixel of 0 (never from a real screen) does not divide by zero.
    EXPECT_EQ(LineModePlace(QRect(0, 0, 800, 600), 107, 0, 0), QPoint(693, 0));
}

TEST_F(PaletteWindowLogic, LineWidthsOutsideTheScrollBarsRangeAreClamped)
{
    EXPECT_EQ(ClampLineWidth(12), 12);
    EXPECT_EQ(ClampLineWidth(1), 1);
    EXPECT_EQ(ClampLineWidth(50), 50);
    EXPECT_EQ(ClampLineWidth(0), 1);
    EXPECT_EQ(ClampLineWidth(-32768), 1);
    EXPECT_EQ(ClampLineWidth(51), 50);
    EXPECT_EQ(ClampLineWidth(32767), 50);
}
