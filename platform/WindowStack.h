#pragma once

#include "NativeWindow.h"

namespace platform {

// The band of topmost windows. Entering or leaving it never moves, sizes, hides or re-creates the
// window.
class WindowStack
{
public:
    virtual ~WindowStack() = default;
    virtual void setTopmost(NativeWindow window, bool topmost) = 0;
};

} // namespace platform
