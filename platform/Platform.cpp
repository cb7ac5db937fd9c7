#include "Platform.h"

#include <QGuiApplication>

namespace platform {

namespace {
std::unique_ptr<Capabilities> &current()
{
    static std::unique_ptr<Capabilities> instance;
    return instance;
}

// The native layer only makes sense on the windowing system it was written for; anywhere else
// (the offscreen platform of the widget tests) the program runs on the null layer.
bool onNativeWindowingSystem()
{
    const QString name = QGuiApplication::platformName();
    return name == QLatin1String("xcb") || name == QLatin1String("windows");
}
} // namespace

Capabilities &caps()
{
    auto &instance = current();
    if (!instance)
        instance = onNativeWindowingSystem() ? makeNativeCapabilities() : makeNullCapabilities();
    return *instance;
}

void install(std::unique_ptr<Capabilities> replacement)
{
    current() = std::move(replacement);
}

} // namespace platform
