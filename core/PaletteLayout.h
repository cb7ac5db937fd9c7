#pragma once

#include <QPoint>
#include <QRect>

#include <cstdint>

// The arithmetic of the palette window, apart from its widgets.

// The cell a press at (X, Y) on the palette picture picks (picture pixels): X - 2 and Y - 2 taken
// to the nearest whole number (halves to even) and divided by the 8 x 6 pitch with the fraction
// dropped, then kept within the grid. So the first pixel column of a cell (x = 8c + 1) and its
// first row (y = 6r + 1) still count for the cell before it. The cell may be an empty one.
QPoint PaletteCellAt(double X, double Y);

// Sizes of the window and its controls, in pixels.
constexpr int PaletteBoxWidth = 101; // the picture's 97 x 133 inside a sunken 2-pixel border
constexpr int PaletteBoxHeight = 137;
constexpr int PaletteBoxTop = 15;
constexpr int CloseButtonSize = 12;
constexpr int TitleStripBottom = 12; // the strip covers rows 0 to 12 of the window's inside
// The window's thin fixed frame: the outer width is the inner width plus 6 pixels.
constexpr int PaletteFrame = 3;

// Line mode: the window's top left corner, in pixels, such that its right edge is on the
// screen's right edge and its top on the screen's top. The position goes through twips as the
// window's place is kept in twips.
QPoint LineModePlace(const QRect &screen, int outerWidth, int twipsX, int twipsY);

// Colour mode: against the right edge of the Text preferences dialog whose frame (outer place
// and size) is given, top to top. Nothing keeps the window on the screen.
QPoint ColourModePlace(const QRect &textDialogFrame, int twipsX, int twipsY);
