#pragma once

#include "NativeWindow.h"

namespace platform {

// Moving a window by a strip of its own instead of a system title bar: after a left press on the
// strip, the window manager moves the window with the pointer until the button is released.
class WindowDrag
{
public:
    virtual ~WindowDrag() = default;
    // Hands the move to the window manager, as a press on a title bar would. Returns false when
    // there is nobody to hand it to (no window manager, or one that does not move windows on
    // request); the caller then moves the window itself while the button is held.
    virtual bool beginMove(NativeWindow window) = 0;
};

} // namespace platform
