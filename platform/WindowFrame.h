#pragma once

#include "NativeWindow.h"

namespace platform {

// A frame's width on each side, in pixels.
struct FrameMargins
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The frame (borders and title bar) the system will draw around a window that is about to be
// shown, so that the window can be placed by its outer size before anyone sees it.
class WindowFrame
{
public:
    virtual ~WindowFrame() = default;
    // The frame of a created but not yet shown window, in pixels; nothing where no window
    // manager frames windows, or where it does not say in time.
    virtual FrameMargins expectedFrame(NativeWindow window) = 0;
};

} // namespace platform
