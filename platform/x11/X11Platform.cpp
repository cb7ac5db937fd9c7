// The native platform layer on Linux: X11.
#include "platform/Platform.h"

namespace platform {

namespace x11 {
std::unique_ptr<DesktopCapture> makeDesktopCapture();
std::unique_ptr<WindowStack> makeWindowStack();
std::unique_ptr<KeyState> makeKeyState();
std::unique_ptr<SessionEvents> makeSessionEvents();
} // namespace x11

std::unique_ptr<Capabilities> makeNativeCapabilities()
{
    // Help and the window drag have no X11 specifics yet; they come from the null layer.
    auto c = makeNullCapabilities();
    c->capture = x11::makeDesktopCapture();
    c->stack = x11::makeWindowStack();
    c->keys = x11::makeKeyState();
    c->session = x11::makeSessionEvents();
    return c;
}

} // namespace platform
