#pragma once

#include <QPointF>

class OverlayForm;
class Surface;
class SurfaceMouse;
class TextBlock;
class TextDrag;
class TextItem;

// Where the surface's mouse events go, as the form runtime sends them to its controls: a press
// goes to the control under the pointer (the topmost label with a caption, else the bare surface
// picShow), and that control keeps the mouse until the release, wherever the pointer goes. The
// events reach the overlay's handlers named after the controls (picShow_MouseDown, lblShow_Click,
// picShow_DragDrop ...); the shadow and the caret take a press and do nothing with it. With no
// button held the pointer takes the shape of what is under it.
class PressRouter
{
public:
    PressRouter(OverlayForm &form, Surface &surface, const TextBlock &text, SurfaceMouse &mouse,
                TextDrag &drag);

    // The surface's events, in surface pixels (Button and Shift masks as the handlers take them).
    void press(int button, int shift, const QPointF &at);
    void move(int button, int shift, const QPointF &at);
    void release(int button, int shift, const QPointF &at);
    void hover(const QPointF &at);

    // Ends the press under way without its release: a pop-up menu opened by the press took the
    // mouse, and the release (and any press that closed the menu) went to the menu. The next
    // press is a fresh one, whatever closed the menu.
    void endPress();

private:
    // The label under a surface point, topmost first; null for the bare surface.
    const TextItem *itemAt(const QPointF &at) const;
    // A surface point in twips from the text's corner, as the text's own events give it.
    QPointF inText(const QPointF &at) const;

    OverlayForm &m_form;
    Surface &m_surface;
    const TextBlock &m_text;
    SurfaceMouse &m_mouse;
    TextDrag &m_drag;
    // Which control the current press landed on, so that its moves and release go to it.
    enum class Target { None, Surface, Text, Other };
    Target m_target = Target::None;
};
