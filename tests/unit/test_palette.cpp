#include "settings/Palette.h"
#include "settings/Settings.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

class PaletteTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gSettings = Settings {};
        BuildPalette();
    }

    static QRgb cellColour(int column, int row)
    {
        int red = -1, green = -1, blue = -1;
        GetCellRGB(column, row, red, green, blue);
        return qRgb(red, green, blue);
    }

    // The picture pixel as an opaque colour, whatever the image's format.
    static QRgb at(const QImage &image, int x, int y) { return image.pixel(x, y) | 0xFF000000; }

    static constexpr QRgb White = 0xFFFFFFFF;
    static constexpr QRgb LightGrey = 0xFFC0C0C0; // the grey of cell (7, 0)
};

TEST_F(PaletteTest, RowsAreTwelveEntriesWithEightEmptyCells)
{
    int empty = 0;
    for (int row = 0; row < PaletteRows; ++row) {
        const QString &text = gSettings.gsPalette[row];
        ASSERT_EQ(text.size(), 120) << "row " << row;
        for (int column = 0; column < PaletteColumns; ++column) {
            const QString entry = text.mid(column * 10, 10);
            EXPECT_EQ(entry.at(9), u',') << column << "," << row;
            EXPECT_TRUE(
                std::all_of(entry.begin(), entry.begin() + 9, [](QChar c) { return c.isDigit(); }));
            const bool isEmpty = entry == QLatin1String("999999999,");
            EXPECT_EQ(IsEmptyCell(column, row), isEmpty) << column << "," << row;
            empty += isEmpty;
        }
    }
    EXPECT_EQ(empty, 8);
    for (const auto &[column, row] : {std::pair {10, 0}, {11, 1}, {8, 21}, {11, 21}})
        EXPECT_TRUE(IsEmptyCell(column, row));
    EXPECT_FALSE(IsEmptyCell(12, 0));
    EXPECT_FALSE(IsEmptyCell(-1, 21));
}

TEST_F(PaletteTest, CellLookup)
{
    struct Row
    {
        int column, row, red, green, blue;
    };
    const Row rows[] = {
        {6, 5, 255, 0, 80},     {0, 0, 0, 0, 0},        {11, 20, 112, 112, 112},
        {10, 0, 999, 999, 999}, {8, 21, 999, 999, 999}, {1, 13, 176, 255, 255},
        {7, 21, 16, 16, 16},    {11, 19, 80, 80, 0},    {2, 5, 255, 135, 160},
        {9, 0, 160, 200, 240},  {0, 2, 255, 240, 208},
    };
    for (const Row &r : rows) {
        int red = -1, green = -1, blue = -1;
        GetCellRGB(r.column, r.row, red, green, blue);
        EXPECT_EQ(red, r.red) << r.column << "," << r.row;
        EXPECT_EQ(green, r.green) << r.column << "," << r.row;
        EXPECT_EQ(blue, r.blue) << r.column << "," << r.row;
    }
}

TEST_F(PaletteTest, CellOutsideTheGridLeavesTheOutputsAlone)
{
    for (const auto &[column, row] : {std::pair {12, 0}, {0, 22}, {-1, 3}, {3, -1}, {-32768, 5}}) {
        int red = 11, green = 22, blue = 33;
        GetCellRGB(column, row, red, green, blue);
        EXPECT_EQ(red, 11);
        EXPECT_EQ(green, 22);
        EXPECT_EQ(blue, 33);
        EXPECT_FALSE(IsCellInGrid(column, row));
    }
}

TEST_F(PaletteTest, PackingTakesComponentsAbove255As255)
{
    EXPECT_EQ(PackColor(255, 0, 80), 5243135);
    EXPECT_EQ(PackColor(176, 255, 255), 16777136);
    EXPECT_EQ(PackColor(999, 999, 999), 16777215); // an empty cell is white
    EXPECT_EQ(PackColor(-5, 0, 300), 255 * 65536);
    EXPECT_EQ(PackedToRgb(5243135), qRgb(255, 0, 80));
    EXPECT_EQ(qAlpha(PackedToRgb(0)), 255);
}

TEST_F(PaletteTest, PictureIsThe24BitGrid)
{
    const QImage picture = PalettePicture();
    EXPECT_EQ(picture.size(), QSize(97, 133));
    EXPECT_EQ(picture.depth(), 24);
    EXPECT_FALSE(picture.hasAlphaChannel());
}

TEST_F(PaletteTest, PictureOutlineAndSeparatingLinesAreWhite)
{
    const QImage picture = PalettePicture();
    for (int x = 0; x < 97; ++x) {
        for (const int y : {0, 12, 120, 126, 132})
            EXPECT_EQ(at(picture, x, y), White) << x << "," << y;
        if (x <= 80) {
            EXPECT_EQ(at(picture, x, 6), White) << x; // between the swatches of rows 0 and 1
        } else if (x < 96) {
            EXPECT_EQ(at(picture, x, 6), LightGrey) << x; // the empty block has no lines
        }
    }
    for (int y = 0; y < 133; ++y) {
        EXPECT_EQ(at(picture, 0, y), White) << y;
        EXPECT_EQ(at(picture, 96, y), White) << y;
    }
    for (int y = 127; y <= 131; ++y)
        EXPECT_EQ(at(picture, 64, y), White) << y;
}

TEST_F(PaletteTest, PictureSwatchesOfTheTopRows)
{
    const QImage picture = PalettePicture();
    for (int row = 0; row <= 1; ++row) {
        const int top = 6 * row + 1, bottom = 6 * row + 5;
        for (int column = 0; column <= 9; ++column) {
            const QRgb colour = cellColour(column, row);
            const int left = 8 * column + 1, right = 8 * column + 7;
            for (const auto &[x, y] : {std::pair {left, top},
                                       {right, top},
                                       {left, bottom},
                                       {right, bottom},
                                       {left + 3, top + 2}})
                EXPECT_EQ(at(picture, x, y), colour) << column << "," << row;
            for (int y = top; y <= bottom; ++y) // the white line at x = 8c right of the swatch
                EXPECT_EQ(at(picture, right + 1, y), White) << column << "," << row;
        }
    }
    for (int y = 1; y <= 11; ++y)
        for (int x = 81; x <= 95; ++x)
            ASSERT_EQ(at(picture, x, y), LightGrey) << x << "," << y;
}

TEST_F(PaletteTest, PictureFieldIsContinuousAtEveryCellBorder)
{
    const QImage picture = PalettePicture();
    for (const int row : {2, 3, 11, 18, 19}) {
        const int top = 6 * row + 1, bottom = std::min(6 * row + 6, 119);
        for (int column = 0; column < 12; ++column) {
            const QRgb colour = cellColour(column, row);
            const int left = 8 * column + 1, right = std::min(8 * column + 8, 95);
            for (const auto &[x, y] :
                 {std::pair {left, top}, {right, top}, {left, bottom}, {right, bottom}})
                EXPECT_EQ(at(picture, x, y), colour)
                    << column << "," << row << " at " << x << "," << y;
            // The next cell starts right after: no line between neighbours.
            if (column < 11) {
                EXPECT_EQ(at(picture, right + 1, top), cellColour(column + 1, row));
            }
            if (row < 19) {
                EXPECT_EQ(at(picture, left, bottom + 1), cellColour(column, row + 1));
            }
        }
    }
    // Nothing white anywhere inside the field: the table has no white in rows 2 to 19.
    for (int y = 13; y <= 119; ++y)
        for (int x = 1; x <= 95; ++x)
            ASSERT_NE(at(picture, x, y), White) << x << "," << y;
}

TEST_F(PaletteTest, PictureGreyRampsOfTheBottomRows)
{
    const QImage picture = PalettePicture();
    for (int column = 0; column < 12; ++column) {
        const int left = 8 * column + 1, right = std::min(8 * column + 8, 95);
        for (int y = 121; y <= 125; ++y) {
            EXPECT_EQ(at(picture, left, y), cellColour(column, 20)) << column;
            EXPECT_EQ(at(picture, right, y), cellColour(column, 20)) << column;
        }
    }
    for (int column = 0; column <= 7; ++column) {
        const int left = 8 * column + 1, right = std::min(8 * column + 8, 63);
        for (int y = 127; y <= 131; ++y) {
            EXPECT_EQ(at(picture, left, y), cellColour(column, 21)) << column;
            EXPECT_EQ(at(picture, right, y), cellColour(column, 21)) << column;
        }
    }
    for (int y = 127; y <= 131; ++y)
        for (int x = 65; x <= 95; ++x)
            ASSERT_EQ(at(picture, x, y), LightGrey) << x << "," << y;
}

TEST_F(PaletteTest, FrameColours)
{
    struct Row
    {
        int column, row;
        QRgb colour;
    };
    const Row rows[] = {
        {1, 1, qRgb(0, 0, 0)},    {2, 1, qRgb(255, 0, 0)},   {0, 2, qRgb(0, 15, 47)},
        {6, 20, qRgb(255, 0, 0)}, {10, 0, qRgb(255, 0, 0)},  {8, 21, qRgb(255, 0, 0)},
        {1, 0, qRgb(255, 0, 0)},  {6, 5, qRgb(0, 255, 175)}, {11, 19, qRgb(175, 175, 255)},
        {0, 19, qRgb(0, 0, 47)},
    };
    for (const Row &r : rows) {
        const auto frame = CellFrameFor(r.column, r.row);
        ASSERT_TRUE(frame.has_value()) << r.column << "," << r.row;
        EXPECT_EQ(frame->colour, r.colour) << r.column << "," << r.row;
        EXPECT_EQ(frame->rect, QRect(8 * r.column, 6 * r.row, 9, 7));
    }
    for (const auto &[column, row] : {std::pair {12, 0}, {0, 22}, {-1, 0}, {0, -1}})
        EXPECT_FALSE(CellFrameFor(column, row).has_value()) << column << "," << row;
}

TEST_F(PaletteTest, FrameIsExactlyTheOnePixelOutline)
{
    QImage layer(PalettePictureWidth, PalettePictureHeight, QImage::Format_ARGB32_Premultiplied);
    for (const auto &[column, row] : {std::pair {3, 4}, {11, 21}, {0, 0}}) {
        layer.fill(Qt::transparent);
        const CellFrame frame = *CellFrameFor(column, row);
        PaintCellFrame(layer, frame);
        const int left = 8 * column, top = 6 * row, right = left + 8, bottom = top + 6;
        int painted = 0;
        for (int y = 0; y < layer.height(); ++y) {
            for (int x = 0; x < layer.width(); ++x) {
                const bool onOutline = ((x == left || x == right) && y >= top && y <= bottom)
                    || ((y == top || y == bottom) && x >= left && x <= right);
                const QRgb pixel = layer.pixel(x, y);
                if (onOutline) {
                    EXPECT_EQ(pixel, frame.colour)
                        << column << "," << row << " at " << x << "," << y;
                } else {
                    ASSERT_EQ(qAlpha(pixel), 0) << column << "," << row << " at " << x << "," << y;
                }
                painted += qAlpha(pixel) != 0;
            }
        }
        EXPECT_EQ(painted, 2 * 9 + 2 * 5) << column << "," << row;
    }
}

TEST_F(PaletteTest, FrameOverALayerTooSmallDrawsOnlyWhatFits)
{
    QImage layer(10, 10, QImage::Format_ARGB32);
    layer.fill(Qt::transparent);
    PaintCellFrame(layer, *CellFrameFor(11, 21)); // entirely outside: nothing, no crash
    PaintCellFrame(layer, *CellFrameFor(1, 1)); // x 8..16, y 6..12: the corner at (8, 6) fits
    int painted = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            painted += qAlpha(layer.pixel(x, y)) != 0;
    EXPECT_EQ(painted, 2 + 3); // (8..9, 6) and (8, 7..9)
    EXPECT_EQ(layer.pixel(8, 6), qRgb(0, 0, 0));
}

TEST_F(PaletteTest, TopRowFramesLieOnTheWhiteLines)
{
    // The frame must not cover the swatch it marks.
    const QImage picture = PalettePicture();
    for (int row = 0; row <= 1; ++row) {
        for (int column = 0; column <= 9; ++column) {
            const QRect r = CellFrameFor(column, row)->rect;
            for (int x = r.left(); x <= r.right(); ++x) {
                EXPECT_EQ(at(picture, x, r.top()), White);
                EXPECT_EQ(at(picture, x, r.bottom()), White);
            }
            for (int y = r.top(); y <= r.bottom(); ++y) {
                EXPECT_EQ(at(picture, r.left(), y), White);
                EXPECT_EQ(at(picture, r.right(), y), White);
            }
        }
    }
}

} // namespace
