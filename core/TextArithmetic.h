#pragma once

#include <cstdint>

// The text block's arithmetic on its own, free of any form: where the caret goes, and where a
// drop puts the text. Positions are pixels of picShow; grab points and drop points inside the text
// are twips, as the drag events give them.

// The caret's place from the sizes involved: the caret label's size, the caret style (0 the bar,
// anything else the underscore), the width of the caret's line up to the caret and the height of
// the text up to and including the caret's line. The caret label's bottom sits a sixth of its
// height (rounded, remainder dropped) above the bottom of that line; the bar starts half its
// width plus 3 pixels left of the insertion point, the underscore exactly at it.
struct CaretPlace
{
    double left;
    double top;
};
CaretPlace CaretPlaceFor(double textLeft, double textTop, double caretWidth, double caretHeight,
                         int16_t cursorStyle, double horizontalWidth, double verticalHeight);

// The text's new top-left corner after a drop, rounded to whole pixels (halves to even) and held
// within the 16-bit range.
struct TextCorner
{
    int16_t left;
    int16_t top;
};
// A drop on the text itself: (X, Y) in twips from the text's corner (textLeft, textTop).
TextCorner DropOnText(double X, double Y, double grabX, double grabY, int16_t twipsX,
                      int16_t twipsY, double textLeft, double textTop);
// A drop on the bare surface: (X, Y) in surface pixels.
TextCorner DropOnSurface(double X, double Y, double grabX, double grabY, int16_t twipsX,
                         int16_t twipsY);
