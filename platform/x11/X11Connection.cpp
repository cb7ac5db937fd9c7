// Qt's headers must come before Xlib's, whose macros (Status, Bool) they would trip over.
#include <QGuiApplication>

#include "X11Connection.h"

#include <X11/Xatom.h>

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

} // namespace platform::x11
