#include "Platform.h"

#include "qt/QtHelpEngine.h"

#include <QGuiApplication>

namespace platform {

namespace {
std::unique_ptr<Capabilities> &current()
{
    static std::unique_ptr<Capabilities> instance;
    return instance;
}

// Set once the program's scope of the capabilities has ended: whatever still asks for them on
// the way out gets the null layer, which holds nothing of the system.
bool released = false;

// The native layer only makes sense on the windowing system it was written for; anywhere else
// (the offscreen platform of the widget tests) the program runs on the null layer.
bool onNativeWindowingSystem()
{
    const QString name = QGuiApplication::platformName();
    return name == QLatin1String("xcb") || name == QLatin1String("windows");
}

#ifdef QUILLAN_WITH_WAYLAND
// Qt's Wayland platforms are "wayland", "wayland-egl" and "wayland-generic".
bool onWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}
#endif
} // namespace

Capabilities &caps()
{
    auto &instance = current();
    if (!instance) {
        if (released) {
            instance = makeNullCapabilities();
        } else if (onNativeWindowingSystem()) {
            instance = makeNativeCapabilities();
#ifdef QUILLAN_WITH_WAYLAND
        } else if (onWayland()) {
            instance = makeWaylandCapabilities();
#endif
        } else {
            // Help needs nothing of the system, so it works wherever the program's windows do.
            instance = makeNullCapabilities();
            instance->help = std::make_unique<QtHelpEngine>();
        }
    }
    return *instance;
}

void install(std::unique_ptr<Capabilities> replacement)
{
    current() = std::move(replacement);
}

CapabilitiesScope::~CapabilitiesScope()
{
    released = true;
    current().reset();
}

} // namespace platform
