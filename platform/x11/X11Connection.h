#pragma once

#include <X11/Xlib.h>

namespace platform::x11 {

// The program's X connection: the toolkit's own, so that requests made here are ordered with the
// toolkit's. Null when the program does not run on X.
Display *display();

// True when a window manager that follows the extended window manager hints is running.
bool hasEwmhWindowManager(Display *dpy);

} // namespace platform::x11
