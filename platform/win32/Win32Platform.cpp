// The native platform layer on Windows: user32 and gdi32.
#include "platform/Platform.h"
#include "platform/qt/QtSingleInstance.h"

namespace platform {

namespace win32 {
std::unique_ptr<DesktopCapture> makeDesktopCapture();
std::unique_ptr<WindowStack> makeWindowStack();
std::unique_ptr<KeyState> makeKeyState();
std::unique_ptr<HelpEngine> makeHelpEngine();
std::unique_ptr<WindowDrag> makeWindowDrag();
std::unique_ptr<WindowFrame> makeWindowFrame();
} // namespace win32

std::unique_ptr<Capabilities> makeNativeCapabilities()
{
    // The session's end reaches the program through the toolkit (WM_QUERYENDSESSION), so it
    // needs nothing of its own here.
    auto c = makeNullCapabilities();
    c->capture = win32::makeDesktopCapture();
    c->stack = win32::makeWindowStack();
    c->keys = win32::makeKeyState();
    c->help = win32::makeHelpEngine();
    c->drag = win32::makeWindowDrag();
    c->frame = win32::makeWindowFrame();
    // One desktop session a user: the toolkit's local socket, a named pipe of the user's.
    c->singleInstance = qt::makeSingleInstance("desktop");
    return c;
}

} // namespace platform
