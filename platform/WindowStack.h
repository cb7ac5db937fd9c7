#pragma once

#include "NativeWindow.h"

#include <string>

namespace platform {

// The band of topmost windows. Entering or leaving it never moves, sizes, hides or re-creates the
// window.
class WindowStack
{
public:
    virtual ~WindowStack() = default;
    virtual void setTopmost(NativeWindow window, bool topmost) = 0;

    // Gives the keyboard to a shown window of the program that no window manager looks after (one
    // kept off the screen to hold the keyboard while nothing of the program is to be seen), at
    // once and in order with the requests made before. False when the system has no such way:
    // the caller then activates the window as usual.
    virtual bool giveKeyboardTo(NativeWindow window)
    {
        (void)window;
        return false;
    }

    // False where the program cannot place its windows (Wayland): the compositor places them,
    // a window cannot stand off the screen, and what should cover part of the screen covers the
    // whole output instead.
    virtual bool placesWindows() const { return true; }

    // Where the toolkit rounds a window's device size past the screen's edge (683 logical pixels
    // at a device pixel ratio of 1.5 make 1025 device pixels on a screen 1024 wide), cuts the
    // window back to that edge, keeping its place. The rectangle (device pixels) is the one the
    // window was given; on return it is the one it has. False where nothing was cut.
    virtual bool keepWithinScreen(NativeWindow window, int &x, int &y, int &width, int &height)
    {
        (void)window, (void)x, (void)y, (void)width, (void)height;
        return false;
    }

    // Where the compositor places the windows: the name of the output the user is on (the one a
    // new window would open on), as the toolkit names its screens. Empty where the program keeps
    // to the primary screen, or the compositor does not say.
    virtual std::string userOutput() { return {}; }
};

} // namespace platform
