#include "X11CompositedMap.h"

#include <X11/extensions/Xdamage.h>
#include <X11/extensions/Xfixes.h>

#include <string>

namespace platform::x11 {

std::unique_ptr<CompositedMap> CompositedMap::start(Display *toolkit, Window window, int x, int y,
                                                    int width, int height)
{
    if (!toolkit || !window || width <= 0 || height <= 0)
        return nullptr;
    const int screen = DefaultScreen(toolkit);
    const std::string selection = "_NET_WM_CM_S" + std::to_string(screen);
    int event = 0, error = 0;
    if (XGetSelectionOwner(toolkit, XInternAtom(toolkit, selection.c_str(), False)) == None
        || !XDamageQueryExtension(toolkit, &event, &error))
        return nullptr;
    // The window must exist on the server before another connection names it.
    XSync(toolkit, False);
    OwnConnection own = openOwnConnection(toolkit);
    if (!own || !XDamageQueryExtension(own.get(), &event, &error))
        return nullptr;
    std::unique_ptr<CompositedMap> watch(
        new CompositedMap(std::move(own), window, x, y, width, height));
    Display *dpy = watch->m_own.get();
    watch->m_damageEvent = event;
    // The compositor draws the screen on the root (or its overlay window, a child of the root
    // that is never redirected): the root's damage is every repaint of the screen.
    watch->m_damage = XDamageCreate(dpy, RootWindow(dpy, screen), XDamageReportRawRectangles);
    XSelectInput(dpy, window, StructureNotifyMask);
    // Both are in place on the server before the toolkit's connection asks for the map.
    XSync(dpy, False);
    return watch;
}

CompositedMap::CompositedMap(OwnConnection own, Window window, int x, int y, int width, int height)
    : m_own(std::move(own))
    , m_window(window)
    , m_x(x)
    , m_y(y)
    , m_width(width)
    , m_height(height)
{
}

CompositedMap::~CompositedMap()
{
    if (m_damage)
        XDamageDestroy(m_own.get(), m_damage);
    XFlush(m_own.get());
}

void CompositedMap::reportDrawn(Display *dpy)
{
    if (m_reported)
        return;
    m_reported = true;
    XRectangle whole {0, 0, static_cast<unsigned short>(m_width),
                      static_cast<unsigned short>(m_height)};
    const XserverRegion region = XFixesCreateRegion(dpy, &whole, 1);
    XDamageAdd(dpy, m_window, region);
    XFixesDestroyRegion(dpy, region);
    XFlush(dpy);
}

bool CompositedMap::waitUntilShown(int timeoutMs)
{
    const QRect window(m_x, m_y, m_width, m_height);
    const qint64 enough = qint64(m_width) * m_height * 9 / 10;
    const auto shown = [&] {
        qint64 area = 0;
        for (const QRect &part : m_repainted)
            area += qint64(part.width()) * part.height();
        return area >= enough;
    };
    if (shown())
        return true;
    // The map and the repaints come in the order the server made them, on this one connection;
    // under a window manager the map is its, when it gets to it.
    return waitForEvent(m_own.get(), timeoutMs, [&](const XEvent &event) {
        if (event.type == MapNotify && event.xmap.window == m_window) {
            m_mapped = true;
            reportDrawn(m_own.get());
        } else if (m_mapped && event.type == m_damageEvent + XDamageNotify) {
            const auto &notify = reinterpret_cast<const XDamageNotifyEvent &>(event);
            m_repainted
                += QRect(notify.area.x, notify.area.y, notify.area.width, notify.area.height)
                & window;
            return shown();
        }
        return false;
    });
}

} // namespace platform::x11
