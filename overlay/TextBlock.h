#pragma once

#include "core/TextArithmetic.h"

#include <QFont>

#include <cstdint>

class QString;
class TextItem;

// Styling and placing the overlay's text block: the text (lblShow), its shadow (lblShadow) and the
// caret (lblCursor), and the main form's measuring labels.

// The largest and smallest font sizes, in points, handed to the font engine: whatever a settings
// file or the size box says, the text stays drawable.
constexpr double MinFontPoints = 1;
constexpr double MaxFontPoints = 1000;

// The point size gsFontSize denotes, clamped to what the font engine draws; `fallback` when the
// text is not a positive number.
double FontPointsFrom(double requested, double fallback);

// `base` with the settings' font face, size, bold and italic; with full also underline and
// strikethrough, otherwise those two as `base` has them.
QFont SettingsFont(QFont base, bool full);

// Gives a label the settings' font face, size, bold and italic and the colour (packed as
// red + 256 * green + 65536 * blue); with full = 1 also underline and strikethrough, otherwise
// those two stay as they are.
void ApplyFont(TextItem &control, int32_t colour, int16_t full);

// The owner's measuring labels take the settings' font (ApplyFont with full = 1, colour 0).
void ApplyMeasuringFont();

// The text, its shadow and the caret take the settings' font and colours and go to their places,
// as at start-up and after the Text dialog's OK.
void ApplyTextLook();

// The shadow shows the text, unless the shadow gap is 0: then it shows nothing.
void SetShadowCaption(const QString &text);

// lblShow to (gnTextX, gnTextY).
void PlaceText();
// lblShadow to (gnTextX + gnShadowGap, gnTextY + gnShadowGap).
void PlaceShadow();
// Shows the caret glyph and puts the caret after the last character before the insertion point,
// from the sizes of the main form's measuring labels.
void PlaceCursor();
