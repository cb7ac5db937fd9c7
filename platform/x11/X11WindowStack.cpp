#include "X11Connection.h"
#include "platform/WindowStack.h"

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
};

} // namespace

std::unique_ptr<WindowStack> makeWindowStack()
{
    return std::make_unique<X11WindowStack>();
}

} // namespace platform::x11
