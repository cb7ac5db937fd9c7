#pragma once

// One copy of an output by the compositor's screen copy (wlroots), into shared memory.
#include "platform/DesktopCapture.h"

#include <functional>

struct wl_display;
struct wl_shm;
struct wl_output;
struct zwlr_screencopy_manager_v1;

namespace platform::wayland {

// The output's picture at its device pixels as 0xFFRRGGBB, rows top first, in shared memory the
// image keeps; the pointer is not asked for. Empty when the copy failed. `whileWaiting` runs once
// the copy is asked for, while the compositor waits for the output's next frame.
DesktopImage copyScreenFrame(wl_display *display, wl_shm *shm, zwlr_screencopy_manager_v1 *manager,
                             wl_output *output, const std::function<void()> &whileWaiting);

} // namespace platform::wayland
