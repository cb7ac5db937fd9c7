#include "X11Connection.h"
#include "platform/WindowFrame.h"

#include <X11/Xatom.h>

#include <memory>
#include <optional>

namespace platform::x11 {

namespace {

std::optional<FrameMargins> readFrameExtents(Display *dpy, Window window, Atom extents)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    const int status = XGetWindowProperty(dpy, window, extents, 0, 4, False, XA_CARDINAL, &type,
                                          &format, &count, &after, &data);
    std::optional<FrameMargins> margins;
    if (status == Success && type == XA_CARDINAL && format == 32 && count == 4 && data) {
        const auto *v = reinterpret_cast<const long *>(data); // left, right, top, bottom
        margins = FrameMargins {int(v[0]), int(v[2]), int(v[1]), int(v[3])};
    }
    if (data)
        XFree(data);
    return margins;
}

bool supported(Display *dpy, Atom hint)
{
    const Atom supportedAtom = XInternAtom(dpy, "_NET_SUPPORTED", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    const int status = XGetWindowProperty(dpy, DefaultRootWindow(dpy), supportedAtom, 0, 4096,
                                          False, XA_ATOM, &type, &format, &count, &after, &data);
    bool found = false;
    if (status == Success && type == XA_ATOM && format == 32 && data) {
        const auto *atoms = reinterpret_cast<const Atom *>(data);
        for (unsigned long i = 0; i < count && !found; ++i)
            found = atoms[i] == hint;
    }
    if (data)
        XFree(data);
    return found;
}

// An EWMH window manager says what frame it will give a window before it maps it, when asked
// with _NET_REQUEST_FRAME_EXTENTS: it sets _NET_FRAME_EXTENTS on the window. The answer is
// awaited on a connection of this call's own, which alone listens to the window's property
// changes, so the toolkit's event stream is left alone; the wait is a poll on that connection
// and ends at the answer or after a short time.
class X11WindowFrame final : public WindowFrame
{
public:
    FrameMargins expectedFrame(NativeWindow native) override
    {
        Display *toolkit = display();
        const auto window = static_cast<Window>(native);
        if (!toolkit || !window || !hasEwmhWindowManager(toolkit))
            return {};
        const Atom extents = XInternAtom(toolkit, "_NET_FRAME_EXTENTS", False);
        const Atom request = XInternAtom(toolkit, "_NET_REQUEST_FRAME_EXTENTS", False);
        // Asked afresh each time: the frame follows the window's hints (a window that cannot
        // be resized may get a narrower one), which may have changed since the last answer.
        if (!supported(toolkit, request))
            return readFrameExtents(toolkit, window, extents).value_or(FrameMargins {});
        // The window must exist on the server before another connection names it.
        XSync(toolkit, False);
        const OwnConnection own = openOwnConnection(toolkit);
        if (!own)
            return {};
        Display *dpy = own.get();
        XSelectInput(dpy, window, PropertyChangeMask);
        XEvent ask {};
        ask.xclient.type = ClientMessage;
        ask.xclient.window = window;
        ask.xclient.message_type = request;
        ask.xclient.format = 32;
        XSendEvent(dpy, DefaultRootWindow(dpy), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &ask);
        XFlush(dpy);

        std::optional<FrameMargins> answer;
        waitForEvent(dpy, 500, [&](const XEvent &event) {
            if (event.type == PropertyNotify && event.xproperty.atom == extents)
                answer = readFrameExtents(dpy, window, extents);
            return answer.has_value();
        });
        if (answer)
            return *answer;
        return readFrameExtents(dpy, window, extents).value_or(FrameMargins {});
    }
};

} // namespace

std::unique_ptr<WindowFrame> makeWindowFrame()
{
    return std::make_unique<X11WindowFrame>();
}

} // namespace platform::x11
