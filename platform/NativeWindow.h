#pragma once

#include <cstdint>

namespace platform {

// A window of the operating system: an X11 Window id or a Win32 HWND, as an integer.
using NativeWindow = std::uintptr_t;

} // namespace platform
