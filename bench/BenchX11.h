#pragma once

// Whether a window covering the whole screen is mapped: the overlay, or the floor's window.

#include <X11/Xlib.h>

namespace bench {

inline bool fullScreenWindowMapped(Display *dpy)
{
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count);
    const int w = DisplayWidth(dpy, DefaultScreen(dpy)), h = DisplayHeight(dpy, DefaultScreen(dpy));
    bool found = false;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes a {};
        if (XGetWindowAttributes(dpy, children[i], &a) && a.map_state == IsViewable && a.width == w
            && a.height == h)
            found = true;
    }
    if (children)
        XFree(children);
    return found;
}

} // namespace bench
