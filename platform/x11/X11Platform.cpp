// The native platform layer on Linux: X11.
#include "platform/Platform.h"

namespace platform {

namespace x11 {
std::unique_ptr<DesktopCapture> makeDesktopCapture();
std::unique_ptr<WindowStack> makeWindowStack();
std::unique_ptr<KeyState> makeKeyState();
std::unique_ptr<SessionEvents> makeSessionEvents();
std::unique_ptr<WindowDrag> makeWindowDrag();
} // namespace x11

std::unique_ptr<Capabilities> makeNativeCapabilities()
{
    // Help has no X11 specifics yet; it comes from the null layer.
    auto c = makeNullCapabilities();
    c->capture = x11::makeDesktopCapture();
    c->stack = x11::makeWindowStack();
    c->keys = x11::makeKeyState();
    c->session = x11::makeSessionEvents();
    c->drag = x11::makeWindowDrag();
    return c;
}

} // namespace platform
