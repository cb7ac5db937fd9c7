#pragma once

// Qt's headers must come before Xlib's, whose macros (Status, Bool) they would trip over.
#include <QRegion>

#include "X11Connection.h"

#include <memory>

namespace platform::x11 {

// Where a compositing manager puts the windows on the screen, a window's first frame reaches the
// screen only when the compositor has repainted it after the map; until then anything else the
// server does for the program (reading a large picture back) delays that repaint. This watch,
// started before the window maps, follows the screen's damage on a connection of its own, so that
// the program can wait for the repaint before such work. It also tells the compositor that the
// window is drawn the moment it maps, for a window whose first picture the server made without
// drawing (no background: the desktop left in place), which no damage would report otherwise.
class CompositedMap
{
public:
    // Null where no compositing manager runs (the server's own paint at the map is the screen) or
    // the screen's damage cannot be followed. `x`, `y`, `width` and `height` are the window's
    // rectangle on the screen, in device pixels; the window must not be mapped yet.
    static std::unique_ptr<CompositedMap> start(Display *toolkit, Window window, int x, int y,
                                                int width, int height);
    ~CompositedMap();

    // Reports the whole window as drawn, on `dpy` (the connection that has just asked for the
    // map, so that the report follows it). Once only; waitUntilShown does it when it sees the map
    // where no one has.
    void reportDrawn(Display *dpy);
    // Waits until the compositor has repainted most of the window's rectangle since the window
    // mapped (over this call and any before it), or until `timeoutMs` have passed. True when the
    // repaint was seen.
    bool waitUntilShown(int timeoutMs);
    // Whether the window's map has been seen (by waitUntilShown).
    bool mapped() const { return m_mapped; }

private:
    CompositedMap(OwnConnection own, Window window, int x, int y, int width, int height);

    OwnConnection m_own;
    unsigned long m_damage = 0;
    int m_damageEvent = 0;
    Window m_window;
    int m_x, m_y, m_width, m_height;
    bool m_mapped = false;
    bool m_reported = false;
    QRegion m_repainted; // of the window's rectangle, since the map
};

} // namespace platform::x11
