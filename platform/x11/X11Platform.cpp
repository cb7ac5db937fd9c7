// The native platform layer on Linux: X11.
#include "platform/Platform.h"
#include "platform/posix/PosixSessionEvents.h"
#include "platform/posix/PosixSingleInstance.h"
#include "platform/qt/QtHelpEngine.h"
#include "platform/qt/QtWindowDrag.h"

namespace platform {

namespace x11 {
std::unique_ptr<DesktopCapture> makeDesktopCapture();
std::unique_ptr<WindowStack> makeWindowStack();
std::unique_ptr<KeyState> makeKeyState();
std::unique_ptr<WindowFrame> makeWindowFrame();
} // namespace x11

std::unique_ptr<Capabilities> makeNativeCapabilities()
{
    // X11 has no help engine: the program shows its help file in a window of its own.
    auto c = makeNullCapabilities();
    c->capture = x11::makeDesktopCapture();
    c->stack = x11::makeWindowStack();
    c->keys = x11::makeKeyState();
    c->session = posix::makeSessionEvents();
    c->help = std::make_unique<QtHelpEngine>();
    c->drag = qt::makeWindowDrag();
    c->frame = x11::makeWindowFrame();
    c->singleInstance = posix::makeSingleInstance(qEnvironmentVariable("DISPLAY"));
    return c;
}

} // namespace platform
