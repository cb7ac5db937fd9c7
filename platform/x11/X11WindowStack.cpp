#include "X11Connection.h"
#include "platform/WindowStack.h"

#include <algorithm>
#include <memory>

namespace platform::x11 {

namespace {

constexpr long NetWmStateRemove = 0;
constexpr long NetWmStateAdd = 1;

class X11WindowStack final : public WindowStack
{
public:
    void setTopmost(NativeWindow window, bool topmost) override
    {
        Display *dpy = display();
        if (!dpy || !window)
            return;
        const Window xid = Window(window);
        if (hasEwmhWindowManager(dpy)) {
            // Ask the window manager to move the window into or out of the band above the
            // others; it keeps its place, size and mapping.
            XEvent event {};
            event.xclient.type = ClientMessage;
            event.xclient.window = xid;
            event.xclient.message_type = XInternAtom(dpy, "_NET_WM_STATE", False);
            event.xclient.format = 32;
            event.xclient.data.l[0] = topmost ? NetWmStateAdd : NetWmStateRemove;
            event.xclient.data.l[1] = long(XInternAtom(dpy, "_NET_WM_STATE_ABOVE", False));
            event.xclient.data.l[2] = long(XInternAtom(dpy, "_NET_WM_STATE_STAYS_ON_TOP", False));
            event.xclient.data.l[3] = 1; // the request comes from an application
            XSendEvent(dpy, DefaultRootWindow(dpy), False,
                       SubstructureRedirectMask | SubstructureNotifyMask, &event);
        } else if (topmost) {
            // Without a window manager there is no band: the stacking order is all there is.
            XRaiseWindow(dpy, xid);
        }
        XFlush(dpy);
    }

    bool giveKeyboardTo(NativeWindow window) override
    {
        Display *dpy = display();
        if (!dpy || !window)
            return false;
        // On the toolkit's own connection, so the request follows the map of the window that the
        // toolkit has just asked for: an unmanaged window is viewable as soon as that is done.
        // No window manager is asked (none would activate a window it does not manage), and the
        // current time is never refused as out of date.
        XSetInputFocus(dpy, Window(window), RevertToParent, CurrentTime);
        XFlush(dpy);
        return true;
    }

    bool keepWithinScreen(NativeWindow window, int &x, int &y, int &width, int &height) override
    {
        Display *dpy = display();
        if (!dpy || !window)
            return false;
        const int screenWidth = DisplayWidth(dpy, DefaultScreen(dpy));
        const int screenHeight = DisplayHeight(dpy, DefaultScreen(dpy));
        // Only a window that stands on the screen and reaches past its edge (one off the screen,
        // on standby, is where it is meant to be).
        const bool across = x >= 0 && y >= 0 && x < screenWidth && y < screenHeight;
        const int keptWidth = across ? std::min(width, screenWidth - x) : width;
        const int keptHeight = across ? std::min(height, screenHeight - y) : height;
        if (keptWidth == width && keptHeight == height)
            return false;
        width = keptWidth;
        height = keptHeight;
        XResizeWindow(dpy, Window(window), unsigned(width), unsigned(height));
        XFlush(dpy);
        return true;
    }
};

} // namespace

std::unique_ptr<WindowStack> makeWindowStack()
{
    return std::make_unique<X11WindowStack>();
}

} // namespace platform::x11
