#pragma once

#include "DesktopCapture.h"
#include "GlobalShortcuts.h"
#include "HelpEngine.h"
#include "KeyState.h"
#include "SessionEvents.h"
#include "SingleInstance.h"
#include "WindowDrag.h"
#include "WindowFrame.h"
#include "WindowStack.h"

#include <memory>

namespace platform {

// What the operating system must provide that the toolkit does not.
struct Capabilities
{
    std::unique_ptr<DesktopCapture> capture;
    std::unique_ptr<WindowStack> stack;
    std::unique_ptr<KeyState> keys;
    std::unique_ptr<HelpEngine> help;
    std::unique_ptr<WindowDrag> drag;
    std::unique_ptr<SessionEvents> session;
    std::unique_ptr<WindowFrame> frame;
    std::unique_ptr<GlobalShortcuts> shortcuts;
    std::unique_ptr<SingleInstance> singleInstance;
};

// The capabilities of the running system, made on first use: the native implementation when the
// program runs on its own windowing system (on Linux X11 or Wayland, whichever the toolkit runs
// on), the null one otherwise (offscreen tests).
Capabilities &caps();

// Replaces the capabilities (tests put fakes in). Passing null goes back to the default choice.
void install(std::unique_ptr<Capabilities> replacement);

// Owns the capabilities for the life of the program: made right after the application object, so
// that everything the platform layer holds (its D-Bus objects and connections among them) is
// gone before the application and its D-Bus thread are. A QObject that outlived them would wait
// for that thread for ever at exit. After the scope has ended, caps() gives the null layer.
class CapabilitiesScope
{
public:
    CapabilitiesScope() = default;
    ~CapabilitiesScope();
    CapabilitiesScope(const CapabilitiesScope &) = delete;
    CapabilitiesScope &operator=(const CapabilitiesScope &) = delete;
};

// Factories, one per implementation file set. The native one is the system's own windowing
// system as built (X11 on Linux, Win32 on Windows); Wayland exists only in Linux builds.
std::unique_ptr<Capabilities> makeNativeCapabilities();
std::unique_ptr<Capabilities> makeWaylandCapabilities();
std::unique_ptr<Capabilities> makeNullCapabilities();

} // namespace platform
