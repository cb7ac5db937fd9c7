#pragma once

#include <functional>

namespace platform {

// Keys the desktop hands to the program while another window has the keyboard. Where the program
// cannot read the global keyboard (Wayland), the desktop may still offer to deliver the standby
// keys F10, F11 and F12 to it; the callback is told which (0 F10, 1 F11, 2 F12, as the settings
// number the standby key). Asking must never hold up the caller: the answer, and every press
// afterwards, arrives later on the user-interface thread. Where the desktop offers nothing, or
// the user refuses, the callback is simply never called.
class GlobalShortcuts
{
public:
    virtual ~GlobalShortcuts() = default;
    virtual void watchReturnKeys(std::function<void(int key)> onPressed) = 0;
};

} // namespace platform
