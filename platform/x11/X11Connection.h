#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <memory>

namespace platform::x11 {

// The program's X connection: the toolkit's own, so that requests made here are ordered with the
// toolkit's. Null when the program does not run on X.
Display *display();

// True when a window manager that follows the extended window manager hints is running.
bool hasEwmhWindowManager(Display *dpy);

struct CloseDisplay
{
    void operator()(Display *dpy) const { XCloseDisplay(dpy); }
};
using OwnConnection = std::unique_ptr<Display, CloseDisplay>;

// A connection of the caller's own to the toolkit's display, for events no one else should read
// (the toolkit's stream is left alone). Null when it cannot be opened.
OwnConnection openOwnConnection(Display *toolkit);

// Reads the connection's events until `done` returns true for one (true), or until `timeoutMs`
// have passed (false). Waits in poll(), never spinning.
bool waitForEvent(Display *dpy, int timeoutMs, const std::function<bool(const XEvent &)> &done);

} // namespace platform::x11
