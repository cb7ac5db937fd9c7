// The wait for a compositor's repaint against the real server, the test standing in for the
// compositing manager: it holds the manager's selection, redirects the window (so that the
// window's own drawing no longer reaches the screen) and paints the screen itself.
#include <QRegion>

// GoogleTest before Xlib, whose macros (None) it would trip over.
#include <gtest/gtest.h>

#include "platform/x11/X11CompositedMap.h"

#include <X11/extensions/Xcomposite.h>
#include <X11/extensions/Xdamage.h>

using platform::x11::CompositedMap;

namespace {

// The compositor's repaint of part of the screen.
void paintScreen(Display *dpy, int x, int y, int width, int height)
{
    XGCValues values {};
    values.subwindow_mode = IncludeInferiors;
    values.foreground = 0x336699;
    const GC gc = XCreateGC(dpy, DefaultRootWindow(dpy), GCSubwindowMode | GCForeground, &values);
    XFillRectangle(dpy, DefaultRootWindow(dpy), gc, x, y, unsigned(width), unsigned(height));
    XFreeGC(dpy, gc);
    XSync(dpy, False);
}

} // namespace

TEST(CompositedMap, WaitsForTheCompositorsRepaintAfterTheMapAndReportsTheWindowDrawn)
{
    Display *dpy = XOpenDisplay(nullptr);
    ASSERT_NE(dpy, nullptr);
    const Window root = DefaultRootWindow(dpy);
    XSetWindowAttributes attributes {};
    attributes.background_pixmap = None;
    attributes.override_redirect = True;
    const Window window
        = XCreateWindow(dpy, root, 10, 20, 200, 100, 0, CopyFromParent, InputOutput, CopyFromParent,
                        CWBackPixmap | CWOverrideRedirect, &attributes);
    EXPECT_EQ(CompositedMap::start(dpy, window, 10, 20, 200, 100), nullptr)
        << "no compositing manager: nothing to wait for";

    const Window manager = XCreateSimpleWindow(dpy, root, 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(dpy, XInternAtom(dpy, "_NET_WM_CM_S0", False), manager, CurrentTime);
    XCompositeRedirectWindow(dpy, window, CompositeRedirectManual);
    int damageEvent = 0, damageError = 0;
    ASSERT_TRUE(XDamageQueryExtension(dpy, &damageEvent, &damageError));
    const Damage windowDamage = XDamageCreate(dpy, window, XDamageReportRawRectangles);
    const auto watch = CompositedMap::start(dpy, window, 10, 20, 200, 100);
    ASSERT_NE(watch, nullptr);

    paintScreen(dpy, 0, 0, 400, 300);
    EXPECT_FALSE(watch->waitUntilShown(200)) << "a repaint before the map is not the window's";
    EXPECT_FALSE(watch->mapped());

    XMapWindow(dpy, window);
    XSync(dpy, False);
    paintScreen(dpy, 10, 20, 200, 50);
    EXPECT_FALSE(watch->waitUntilShown(200)) << "half the window repainted";
    EXPECT_TRUE(watch->mapped());
    paintScreen(dpy, 10, 70, 200, 50);
    EXPECT_TRUE(watch->waitUntilShown(2000)) << "the rest repainted, in a later call";

    // The window was reported drawn, whole, when its map was seen.
    QRegion reported;
    XEvent event;
    while (XCheckTypedWindowEvent(dpy, window, damageEvent + XDamageNotify, &event)) {
        const auto &notify = reinterpret_cast<const XDamageNotifyEvent &>(event);
        reported += QRect(notify.area.x, notify.area.y, notify.area.width, notify.area.height);
    }
    EXPECT_EQ(reported, QRegion(0, 0, 200, 100));
    XDamageDestroy(dpy, windowDamage);
    XCloseDisplay(dpy);
}
