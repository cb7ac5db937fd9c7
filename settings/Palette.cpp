#include "Palette.h"

#include "Settings.h"
#include "Units.h"

#include <QColor>

#include <algorithm>
#include <string_view>

namespace {

// The palette rows, 0 to 21: twelve entries of "RRRGGGBBB," from left to right.
constexpr const char *PaletteTable[PaletteRows] = {
    "000000000,128000000,000128000,128128000,000000128,128000128,000128128,192192192,192216192,"
    "160200240,999999999,999999999,",
    "128128128,255000000,000255000,255255000,000000255,255000255,000255255,255255255,255248240,"
    "160160160,999999999,999999999,",
    "255240208,255224176,255208128,255192096,255184064,255168032,255168000,224144000,176120000,"
    "144096000,112072000,080048000,",
    "255224208,255200176,255168144,255136096,255112064,255080032,255080000,208072000,176064000,"
    "144048000,112032000,080024000,",
    "255208208,255176176,255144144,255104096,255072064,255032032,255000000,208000000,176000000,"
    "144000000,112000000,080000000,",
    "255208224,255176192,255135160,255104144,255072112,255032080,255000080,208000064,176000048,"
    "144000048,112000032,080000016,",
    "255208240,255176224,255144208,255104192,255072176,255032160,255000160,208000144,176000112,"
    "144000096,112000080,080000048,",
    "255208255,255176255,255144255,255104255,255072255,255032255,240000240,208000208,176000176,"
    "144000144,112000112,080000080,",
    "240208255,224176255,208144255,192104255,176072255,160032255,176000255,144000208,112000176,"
    "096000144,064000112,048000080,",
    "224208255,192176255,176144255,144104255,112072255,080032255,080000255,064000208,064000192,"
    "048000144,032000112,016000080,",
    "208208255,176176255,144144255,112104255,064072255,032032255,000000255,000000208,000000176,"
    "000000144,000000112,000000080,",
    "208224255,176192255,128168255,112144255,064112255,032088255,000080255,000072208,000064192,"
    "000048144,000032112,000024080,",
    "208240255,176224255,128208255,096192255,064184255,032168255,000168255,000144208,000120176,"
    "000096144,000072112,000048080,",
    "208255255,176255255,144255255,112255255,064255255,032255255,000255255,000216208,000184176,"
    "000144144,000112112,000080080,",
    "208255240,176255224,144255208,112255192,064255176,032255160,000255160,000216144,000184128,"
    "000144096,000112064,000080048,",
    "208255224,176255192,128255160,096255144,064255112,032255080,000255080,000216064,000184048,"
    "000144048,000112032,000080016,",
    "208255208,176255176,144255144,112255112,064255064,032255032,000255000,000216000,000184000,"
    "000152000,000112000,000080000,",
    "224255208,192255176,160255144,144255096,112255064,080255032,080255000,064216000,064184000,"
    "048152000,032112000,016080000,",
    "240255208,224255176,208255144,192255096,176255064,160255032,160255000,144216000,112184000,"
    "096144000,064112000,048080000,",
    "255255208,255255176,255255144,255255112,255255064,255255032,255255000,208216000,176184000,"
    "144144000,112112000,080080000,",
    "240240240,224224224,216216216,208208208,192192192,176176176,168168168,160160160,144144144,"
    "128128128,120120120,112112112,",
    "096096096,080080080,072072072,056056056,048048048,032032032,024024024,016016016,999999999,"
    "999999999,999999999,999999999,",
};

constexpr int EntryWidth = 10;
constexpr QRgb White = 0xFFFFFFFF;

// The three components of one entry of a row string, each read as a number from its three
// characters (a missing character reads as nothing, so a short row gives 0).
void EntryComponents(const QString &row, int column, int &red, int &green, int &blue)
{
    const auto component = [&](int offset) {
        return static_cast<int>(
            units::ToInt32(units::ReadNumber(row.mid(column * EntryWidth + offset, 3))));
    };
    red = component(0);
    green = component(3);
    blue = component(6);
}

QRgb TableColour(int column, int row)
{
    int red = 0, green = 0, blue = 0;
    EntryComponents(QString::fromLatin1(PaletteTable[row]), column, red, green, blue);
    return PackedToRgb(PackColor(red, green, blue));
}

// Fills the inclusive rectangle (x0, y0)-(x1, y1).
void FillBlock(QImage &image, int x0, int y0, int x1, int y1, QRgb colour)
{
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            image.setPixel(x, y, colour);
}

} // namespace

void BuildPalette()
{
    for (int row = 0; row < PaletteRows; ++row)
        gSettings.gsPalette[row] = QString::fromLatin1(PaletteTable[row]);
}

bool IsCellInGrid(int column, int row)
{
    return column >= 0 && column < PaletteColumns && row >= 0 && row < PaletteRows;
}

bool IsEmptyCell(int column, int row)
{
    if (!IsCellInGrid(column, row))
        return false;
    return std::string_view(PaletteTable[row] + column * EntryWidth, 9) == "999999999";
}

void GetCellRGB(int column, int row, int &red, int &green, int &blue)
{
    if (!IsCellInGrid(column, row))
        return;
    EntryComponents(gSettings.gsPalette[row], column, red, green, blue);
}

int32_t PackColor(int red, int green, int blue)
{
    const auto byte = [](int component) { return std::clamp(component, 0, 255); };
    return byte(red) + 256 * byte(green) + 65536 * byte(blue);
}

QRgb PackedToRgb(int32_t packed)
{
    const auto bits = static_cast<uint32_t>(packed);
    return qRgb(bits & 0xFF, (bits >> 8) & 0xFF, (bits >> 16) & 0xFF);
}

QImage PalettePicture()
{
    QImage picture(PalettePictureWidth, PalettePictureHeight, QImage::Format_RGB888);
    // White is the outline and every separating line; the cells are painted over it.
    picture.fill(White);
    const QRgb emptyGrey = TableColour(7, 0);
    constexpr int right = PalettePictureWidth - 2; // x = 95, the last pixel inside the outline

    // Rows 0 and 1: separate swatches, the four empty cells one grey block.
    for (int row = 0; row <= 1; ++row)
        for (int column = 0; column <= 9; ++column)
            FillBlock(picture, 8 * column + 1, 6 * row + 1, 8 * column + 7, 6 * row + 5,
                      TableColour(column, row));
    FillBlock(picture, 81, 1, right, 11, emptyGrey);

    // Rows 2 to 19: one continuous field, ending above the line at y = 120.
    for (int row = 2; row <= 19; ++row)
        for (int column = 0; column < PaletteColumns; ++column)
            FillBlock(picture, 8 * column + 1, 6 * row + 1, std::min(8 * column + 8, right),
                      std::min(6 * row + 6, 119), TableColour(column, row));

    // Row 20: the light grey ramp.
    for (int column = 0; column < PaletteColumns; ++column)
        FillBlock(picture, 8 * column + 1, 121, std::min(8 * column + 8, right), 125,
                  TableColour(column, 20));

    // Row 21: the dark ramp up to the line at x = 64, then the empty cells as one block.
    for (int column = 0; column <= 7; ++column)
        FillBlock(picture, 8 * column + 1, 127, std::min(8 * column + 8, 63), 131,
                  TableColour(column, 21));
    FillBlock(picture, 65, 127, right, 131, emptyGrey);
    return picture;
}

std::optional<CellFrame> CellFrameFor(int column, int row)
{
    if (!IsCellInGrid(column, row))
        return std::nullopt;
    QRgb colour = qRgb(255, 0, 0);
    if (row >= 2 && row <= 19) {
        int red = 0, green = 0, blue = 0;
        GetCellRGB(column, row, red, green, blue);
        const auto complement = [](int component) { return 255 - std::clamp(component, 0, 255); };
        colour = qRgb(complement(red), complement(green), complement(blue));
    } else if (column == 1 && row == 1) {
        colour = qRgb(0, 0, 0); // the cell is itself pure red
    }
    return CellFrame {QRect(8 * column, 6 * row, 9, 7), colour};
}

void PaintCellFrame(QImage &layer, const CellFrame &frame)
{
    const QRect &r = frame.rect;
    const QColor colour = QColor::fromRgb(frame.colour);
    const auto plot = [&](int x, int y) {
        if (layer.valid(x, y))
            layer.setPixelColor(x, y, colour);
    };
    for (int x = r.left(); x <= r.right(); ++x) {
        plot(x, r.top());
        plot(x, r.bottom());
    }
    for (int y = r.top() + 1; y < r.bottom(); ++y) {
        plot(r.left(), y);
        plot(r.right(), y);
    }
}
