#pragma once

#include "TextItem.h"
#include "core/TextArithmetic.h"

#include <QFont>
#include <QTimer>

#include <cstdint>

class LabelHost;
class QString;

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
// those two stay as they are. The overlay's labels and the main form's measuring labels alike.
void ApplyFont(TextItem &control, int32_t colour, int16_t full);

// The overlay's text block: the text (lblShow), its shadow (lblShadow), the caret (lblCursor) and
// the caret's blink (tmrBlink), drawn on the surface in that order, caret on top.
//
// Where the caret goes is measured by the main form, with its own labels in the text's font; it
// hands the numbers down (placeCaret) and the block keeps them, so that a moved or restyled text
// takes its caret along without asking anyone.
class TextBlock
{
public:
    explicit TextBlock(LabelHost *surface);

    TextItem lblShadow;
    TextItem lblShow;
    TextItem lblCursor;
    QTimer tmrBlink; // 500 ms, running from the start
    int16_t nBlinkTick = 0;

    // Every other tick the caret glyph, between them nothing.
    void tmrBlink_Timer();

    // The text as typed: the text label shows it, and the shadow too unless the shadow gap is 0.
    void setText(const QString &text);
    // Clear Text hides the block and stops the blink; Restore Text shows text and shadow, and the
    // caret, blinking, only with `caretToo` (text mode).
    void setShown(bool shown, bool caretToo);
    // The caret and its blink on or off (text mode and line mode).
    void setCaretShown(bool shown);
    // The text to (left, top), the shadow after it and the caret with them.
    void moveTo(int16_t left, int16_t top);
    // Shows the caret glyph after the last character before the insertion point, from the
    // measures of the text before it: the width of the caret's line and the height of the text
    // down to and including that line, in pixels.
    void placeCaret(double lineWidth, double heightToCaret)
    {
        setCaretMeasures(lineWidth, heightToCaret);
        placeCaret();
    }
    // Again, at the measures last handed down.
    void placeCaret();
    // Keeps the caret's measures for the next placing, without placing it.
    void setCaretMeasures(double lineWidth, double heightToCaret)
    {
        m_measures = {lineWidth, heightToCaret};
    }
    // The settings' font and colours on all three labels, each at its place: as at start-up, and
    // after the Text dialog's OK (with the caret's measures made in the new font).
    void applyLook();

private:
    void placeShadow();

    // The caret's measures last handed down.
    struct
    {
        double lineWidth = 0;
        double heightToCaret = 0;
    } m_measures;
};
