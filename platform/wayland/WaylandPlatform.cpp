// The platform layer on a Wayland desktop.
#include "WaylandDesktopCapture.h"
#include "WaylandOutputs.h"
#include "platform/Platform.h"
#include "platform/posix/PosixSessionEvents.h"
#include "platform/posix/PosixSingleInstance.h"
#include "platform/qt/QtHelpEngine.h"
#include "platform/qt/QtWindowDrag.h"

namespace platform {

namespace wayland {
std::unique_ptr<WindowStack> makeWindowStack(std::shared_ptr<WaylandOutputs> outputs);
std::unique_ptr<KeyState> makeKeyState();
std::unique_ptr<GlobalShortcuts> makeGlobalShortcuts();
} // namespace wayland

std::unique_ptr<Capabilities> makeWaylandCapabilities()
{
    auto c = makeNullCapabilities();
    // The program's own connection to the compositor, for what the toolkit does not ask it.
    std::shared_ptr<wayland::WaylandOutputs> outputs = wayland::WaylandOutputs::connect();
    c->capture = wayland::makeDesktopCapture(outputs);
    c->stack = wayland::makeWindowStack(outputs);
    c->keys = wayland::makeKeyState();
    c->session = posix::makeSessionEvents();
    c->help = std::make_unique<QtHelpEngine>();
    // The compositor's interactive move (xdg_toplevel.move) through the toolkit.
    c->drag = qt::makeWindowDrag();
    // The standby keys, where the desktop's portal hands them out.
    c->shortcuts = wayland::makeGlobalShortcuts();
    c->singleInstance = posix::makeSingleInstance(
        qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0")));
    return c;
}

} // namespace platform
