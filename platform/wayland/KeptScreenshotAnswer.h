#pragma once

// What the desktop remembers of the user's answer about screenshots, for the program's messages.
#include "PortalScreenshot.h"

class QDBusConnection;

namespace platform::wayland {

// The answer kept for programs outside a sandbox, read from the portal's permission store (the
// table and entry the portal keeps it in are both "screenshot"); Unknown when the store cannot
// be read.
KeptAnswer LookUpKeptScreenshotAnswer(QDBusConnection &bus);

// Whether the desktop asks the user before the first screenshot (GNOME does).
bool DesktopAsksBeforeScreenshots();

} // namespace platform::wayland
