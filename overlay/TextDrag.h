#pragma once

#include <QPointF>

#include <cstdint>

class Surface;
class TextBlock;

// The text's own presses, and moving the text block by dragging its text lblShow as a manual
// drag of the form runtime does: a left press on the text in text mode begins the drag, a dotted
// outline of the text follows the pointer while the button is held, and the release drops it on
// the control under the pointer. A drop on the text or on the bare surface moves the text block
// so that the point that was grabbed ends under the pointer, and keeps the new place in the
// settings. A right press on the text opens the overlay menu.
class TextDrag
{
    // What the widget tests look at (tests/gui/ProgramFixture.h).
    friend struct OverlayInternals;

public:
    TextDrag(Surface &surface, TextBlock &text);

    // lblShow_MouseDown (Button: 1 left, 2 right; X, Y in twips from the text's corner).
    void press(int Button, int Shift, double X, double Y);

    // Whether a drag is under way: its outline is up.
    bool dragging() const;
    // The outline to the pointer (surface pixels), carried by the point that was grabbed.
    void follow(const QPointF &at);
    // The end of the drag, dropped or not: the outline goes.
    void end();

    // lblShow_DragDrop: (X, Y) in twips from the text's corner. picShow_DragDrop: in surface
    // pixels.
    void dropOnText(double X, double Y);
    void dropOnSurface(double X, double Y);

private:
    void dropAt(int16_t left, int16_t top);

    Surface &m_surface;
    TextBlock &m_text;
    float pfGrabX = 0; // where the drag grabbed lblShow, twips from its left
    float pfGrabY = 0;
};
