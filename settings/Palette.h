#pragma once

#include <QImage>
#include <QRect>
#include <QRgb>

#include <cstdint>
#include <optional>

// The fixed colour palette: 22 rows by 12 columns, 256 colours and eight empty cells. Colours are
// chosen and stored as cells (column, row), never as colour values.
constexpr int PaletteColumns = 12;
constexpr int PaletteRows = 22;
constexpr int PalettePictureWidth = 97;
constexpr int PalettePictureHeight = 133;

// Fills gSettings.gsPalette(0..21) with the row strings: twelve entries of ten characters each,
// "RRRGGGBBB," with "999999999," for an empty cell.
void BuildPalette();

// Red, green and blue of the cell read from gsPalette. A cell outside the grid leaves the three
// outputs as they were. An empty cell gives 999 for each component.
void GetCellRGB(int column, int row, int &red, int &green, int &blue);

// red + 256 * green + 65536 * blue, each component above 255 taken as 255 (and below 0 as 0).
int32_t PackColor(int red, int green, int blue);

// The packed colour as a QColor value (0xAARRGGBB, opaque).
QRgb PackedToRgb(int32_t packed);

bool IsCellInGrid(int column, int row);
bool IsEmptyCell(int column, int row);

// The 97 x 133 palette picture, 24-bit, drawn from the table on the 8 x 6 pixel pitch.
QImage PalettePicture();

// The frame DrawCell puts around a cell: a one-pixel outline whose corners are
// (8 * column, 6 * row) and (8 * column + 8, 6 * row + 6), both inclusive, in picture pixels.
// Outside the grid there is no frame.
struct CellFrame
{
    QRect rect; // inclusive corners: rect.left() = 8c, rect.right() = 8c + 8
    QRgb colour;
};
std::optional<CellFrame> CellFrameFor(int column, int row);

// Draws the frame into a drawing layer of the picture's size (transparent elsewhere).
void PaintCellFrame(QImage &layer, const CellFrame &frame);
