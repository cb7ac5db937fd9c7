// The native platform layer on Linux: X11.
#include "platform/Platform.h"
#include "platform/qt/QtHelpEngine.h"

namespace platform {

namespace x11 {
std::unique_ptr<DesktopCapture> makeDesktopCapture();
std::unique_ptr<WindowStack> makeWindowStack();
std::unique_ptr<KeyState> makeKeyState();
std::unique_ptr<SessionEvents> makeSessionEvents();
std::unique_ptr<WindowDrag> makeWindowDrag();
std::unique_ptr<WindowFrame> makeWindowFrame();
} // namespace x11

std::unique_ptr<Capabilities> makeNativeCapabilities()
{
    // X11 has no help engine: the program shows its help file in a window of its own.
    auto c = makeNullCapabilities();
    c->capture = x11::makeDesktopCapture();
    c->stack = x11::makeWindowStack();
    c->keys = x11::makeKeyState();
    c->session = x11::makeSessionEvents();
    c->help = std::make_unique<QtHelpEngine>();
    c->drag = x11::makeWindowDrag();
    c->frame = x11::makeWindowFrame();
    return c;
}

} // namespace platform
