#pragma once

// What the X11 benchmarks share: the display, whether a full-screen window is mapped, a key typed
// with XTest, and the stroke they draw.

#include <QPoint>
#include <QThread>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace bench {

// The X display of $DISPLAY; a benchmark without one says so and ends (status 1).
inline Display *openDisplayOrExit(const char *benchmark)
{
    Display *dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "%s: no X display\n", benchmark);
        std::exit(1);
    }
    return dpy;
}

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

// Types one key with XTest and gives the program a moment to take it.
inline void key(Display *dpy, KeySym sym)
{
    const KeyCode code = XKeysymToKeycode(dpy, sym);
    XTestFakeKeyEvent(dpy, code, True, 0);
    XTestFakeKeyEvent(dpy, code, False, 0);
    XSync(dpy, False);
    QThread::msleep(40);
}

// The benchmarks' stroke: `moves` points of a spiral out from (cx, cy), 5 pixels a move, its rings
// 16 pixels apart so that no part of it lies on another. With `jumpOut` the last move jumps 40
// pixels out instead, onto a spot nothing covered yet.
inline std::vector<QPoint> spiralStroke(double cx, double cy, int moves, bool jumpOut)
{
    std::vector<QPoint> points;
    double theta = 0, radius = 30;
    const int turns = jumpOut ? moves - 1 : moves;
    for (int i = 0; i < turns; ++i) {
        points.emplace_back(int(std::lround(cx + radius * std::cos(theta))),
                            int(std::lround(cy + radius * std::sin(theta))));
        const double step = 5.0 / radius;
        theta += step;
        radius += 16.0 * step / (2 * M_PI);
    }
    if (jumpOut)
        points.emplace_back(int(std::lround(cx + (radius + 40) * std::cos(theta))),
                            int(std::lround(cy + (radius + 40) * std::sin(theta))));
    return points;
}

} // namespace bench
