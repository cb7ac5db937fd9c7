#pragma once

#include <QCursor>

#include <cstdint>

class Surface;

// The presses on the bare drawing surface picShow, in line mode and in text mode: in line mode a
// left press starts a stroke with a dot of the line width, each move while it is held draws a
// segment in the line colour, and any release ends it; a right press opens the overlay menu; and
// every press gives the keyboard back to txtInput. It also keeps picShow's own pointer: the
// default arrow in text mode, the pen in line mode.
class SurfaceMouse
{
    // What the widget tests look at (tests/gui/ProgramFixture.h).
    friend struct OverlayInternals;

public:
    explicit SurfaceMouse(Surface &surface);

    // picShow_MouseDown, picShow_MouseMove and picShow_MouseUp (Button: 1 left, 2 right; Shift:
    // 1 Shift, 2 Ctrl, 4 Alt; X, Y in surface pixels).
    void press(int Button, int Shift, double X, double Y);
    void move(double X, double Y);
    void release();

    // picShow's pointer over the bare surface.
    const QCursor &pointer() const { return m_pointer; }
    void setPointer(const QCursor &pointer);

private:
    Surface &m_surface;
    QCursor m_pointer;
    int16_t pbDrawing = 0; // True while a stroke is under way
};
