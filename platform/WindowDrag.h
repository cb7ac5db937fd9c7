#pragma once

#include "NativeWindow.h"

namespace platform {

// Moving a window by a strip of its own instead of a system title bar: after a left press on the
// strip, the window manager moves the window with the pointer until the button is released.
class WindowDrag
{
public:
    virtual ~WindowDrag() = default;
    virtual void beginMove(NativeWindow window) = 0;
};

} // namespace platform
