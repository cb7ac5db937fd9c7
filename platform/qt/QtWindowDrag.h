#pragma once

#include "platform/WindowDrag.h"

#include <memory>

namespace platform::qt {

// The window manager's move through the toolkit's window (X11 and Wayland alike).
std::unique_ptr<WindowDrag> makeWindowDrag();

} // namespace platform::qt
