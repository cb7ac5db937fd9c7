// Qt's headers must come before Xlib's, whose macros (Status, Bool) they would trip over.
#include <QDeadlineTimer>
#include <QGuiApplication>

#include "X11Connection.h"

#include <X11/Xatom.h>

#include <poll.h>

namespace platform::x11 {

Display *display()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

bool hasEwmhWindowManager(Display *dpy)
{
    if (!dpy)
        return false;
    const Atom check = XInternAtom(dpy, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    const int status = XGetWindowProperty(dpy, DefaultRootWindow(dpy), check, 0, 1, False,
                                          XA_WINDOW, &type, &format, &count, &after, &data);
    bool present = false;
    if (status == Success && type == XA_WINDOW && format == 32 && count == 1 && data)
        present = *reinterpret_cast<Window *>(data) != None;
    if (data)
        XFree(data);
    return present;
}

OwnConnection openOwnConnection(Display *toolkit)
{
    return OwnConnection(toolkit ? XOpenDisplay(DisplayString(toolkit)) : nullptr);
}

bool waitForEvent(Display *dpy, int timeoutMs, const std::function<bool(const XEvent &)> &done)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        while (XPending(dpy) > 0) {
            XEvent event;
            XNextEvent(dpy, &event);
            if (done(event))
                return true;
        }
        if (deadline.hasExpired())
            return false;
        pollfd fd {ConnectionNumber(dpy), POLLIN, 0};
        ::poll(&fd, 1, int(qMax<qint64>(1, deadline.remainingTime())));
    }
}

} // namespace platform::x11
