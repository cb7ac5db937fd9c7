#include "X11CompositedMap.h"
#include "X11Connection.h"
#include "platform/DesktopCapture.h"

#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace platform::x11 {

namespace {

int shiftOf(unsigned long mask)
{
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

int bitsOf(unsigned long mask)
{
    int bits = 0;
    for (; mask; mask >>= 1)
        bits += int(mask & 1);
    return bits;
}

// One colour channel scaled to 8 bits.
std::uint32_t channel(unsigned long pixel, unsigned long mask)
{
    const int bits = bitsOf(mask);
    if (bits == 0)
        return 0;
    const unsigned long value = (pixel & mask) >> shiftOf(mask);
    return bits >= 8 ? std::uint32_t(value >> (bits - 8))
                     : std::uint32_t(value * 255 / ((1ul << bits) - 1));
}

bool inWaylandSession()
{
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    const char *session = std::getenv("XDG_SESSION_TYPE");
    return (wayland && *wayland) || (session && std::strcmp(session, "wayland") == 0);
}

// True when the screen's pixels are 0x00RRGGBB words as the program keeps them.
bool nativeLayout(Display *dpy, int screen)
{
    const Visual *visual = DefaultVisual(dpy, screen);
    return DefaultDepth(dpy, screen) >= 24 && visual->red_mask == 0xFF0000
        && visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF
        && ImageByteOrder(dpy) == LSBFirst;
}

void makeOpaque(DesktopImage &image)
{
    for (int y = 0; y < image.height; ++y) {
        auto *row = reinterpret_cast<std::uint32_t *>(reinterpret_cast<char *>(image.pixels)
                                                      + y * image.strideBytes);
        for (int x = 0; x < image.width; ++x)
            row[x] |= 0xFF000000u;
    }
}

// A shared-memory segment the server writes the pixels into: no copy passes through the
// connection or the program's heap. The segment is marked for removal at once, so it goes when
// the last user detaches, whatever happens to the program.
DesktopImage captureShared(Display *dpy, int screen, Drawable source, int x, int y, int width,
                           int height)
{
    DesktopImage out;
    if (!XShmQueryExtension(dpy))
        return out;
    XShmSegmentInfo info {};
    XImage *image = XShmCreateImage(dpy, DefaultVisual(dpy, screen),
                                    unsigned(DefaultDepth(dpy, screen)), ZPixmap, nullptr, &info,
                                    unsigned(width), unsigned(height));
    if (!image)
        return out;
    if (image->bits_per_pixel != 32) {
        XDestroyImage(image);
        return out;
    }
    const std::size_t bytes = std::size_t(image->bytes_per_line) * std::size_t(height);
    info.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (info.shmid < 0) {
        XDestroyImage(image);
        return out;
    }
    void *address = shmat(info.shmid, nullptr, 0);
    shmctl(info.shmid, IPC_RMID, nullptr);
    if (address == reinterpret_cast<void *>(-1)) {
        XDestroyImage(image);
        return out;
    }
    info.shmaddr = image->data = static_cast<char *>(address);
    info.readOnly = False;
    const bool attached = XShmAttach(dpy, &info);
    const bool got = attached && XShmGetImage(dpy, source, image, x, y, AllPlanes);
    if (attached) {
        XShmDetach(dpy, &info);
        XSync(dpy, False);
    }
    out.width = width;
    out.height = height;
    out.strideBytes = image->bytes_per_line;
    image->data = nullptr; // the memory stays with the image we return
    XDestroyImage(image);
    if (!got) {
        shmdt(address);
        return {};
    }
    out.pixels = static_cast<std::uint32_t *>(address);
    out.memory = std::shared_ptr<void>(address, [](void *p) { shmdt(p); });
    makeOpaque(out);
    return out;
}

// The rectangle of `source` (which holds it whole) read through the connection, any layout.
DesktopImage readCopied(Display *dpy, Drawable source, int x, int y, int width, int height,
                        DesktopImage out)
{
    XImage *image
        = XGetImage(dpy, source, x, y, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
    if (!image)
        return {};
    // A pixmap has no visual of its own, and its image comes without colour masks: its pixels are
    // those of the screen's visual.
    const Visual *visual = DefaultVisual(dpy, DefaultScreen(dpy));
    const bool masked = image->red_mask || image->green_mask || image->blue_mask;
    const unsigned long red = masked ? image->red_mask : visual->red_mask;
    const unsigned long green = masked ? image->green_mask : visual->green_mask;
    const unsigned long blue = masked ? image->blue_mask : visual->blue_mask;
    for (int row = 0; row < height; ++row) {
        auto *dst = reinterpret_cast<std::uint32_t *>(reinterpret_cast<char *>(out.pixels)
                                                      + row * out.strideBytes);
        for (int col = 0; col < width; ++col) {
            const unsigned long pixel = XGetPixel(image, col, row);
            dst[col] = 0xFF000000u | channel(pixel, red) << 16 | channel(pixel, green) << 8
                | channel(pixel, blue);
        }
    }
    XDestroyImage(image);
    return out;
}

// The whole of a drawable of the screen's layout: through shared memory where the server offers
// it, else through the connection.
DesktopImage readWhole(Display *dpy, Drawable source, int width, int height)
{
    DesktopImage shared = captureShared(dpy, DefaultScreen(dpy), source, 0, 0, width, height);
    if (!shared.empty())
        return shared;
    return readCopied(dpy, source, 0, 0, width, height, BlackDesktopImage(width, height));
}

// `image`'s pixels, in the screen's own layout, put into the drawable at (x, y).
bool putPixels(Display *dpy, Drawable drawable, int x, int y, const DesktopImage &image)
{
    const int screen = DefaultScreen(dpy);
    XImage *put = XCreateImage(dpy, DefaultVisual(dpy, screen),
                               unsigned(DefaultDepth(dpy, screen)), ZPixmap, 0,
                               reinterpret_cast<char *>(image.pixels), unsigned(image.width),
                               unsigned(image.height), 32, int(image.strideBytes));
    if (!put)
        return false;
    const GC gc = XCreateGC(dpy, drawable, 0, nullptr);
    XPutImage(dpy, drawable, gc, put, 0, 0, x, y, unsigned(image.width), unsigned(image.height));
    XFreeGC(dpy, gc);
    put->data = nullptr; // the pixels are the caller's
    XDestroyImage(put);
    return true;
}

// Maps the window where nothing redirects the root's children. A window manager holds that
// redirection: a map is only a request to it then, and the toolkit's show makes it.
bool mapAtOnce(Display *dpy, Window window)
{
    XWindowAttributes root {};
    if (!XGetWindowAttributes(dpy, DefaultRootWindow(dpy), &root)
        || (root.all_event_masks & SubstructureRedirectMask))
        return false;
    XMapWindow(dpy, window);
    XFlush(dpy);
    return true;
}

// The desktop under a window, copied by the server into a pixmap of the window's depth, which
// becomes the window's background. Only made where the screen's pixels are the program's own
// layout, so pixels go back into the pixmap as they are.
class X11Backdrop final : public DesktopBackdrop
{
public:
    X11Backdrop(Display *dpy, Window window, Pixmap pixmap, int width, int height)
        : DesktopBackdrop(width, height)
        , m_dpy(dpy)
        , m_window(window)
        , m_pixmap(pixmap)
    {
    }
    ~X11Backdrop() override { release(); }

    DesktopImage read(int x, int y, int width, int height) override
    {
        if (!m_pixmap || !within(x, y, width, height))
            return {};
        return readCopied(m_dpy, m_pixmap, x, y, width, height, BlackDesktopImage(width, height));
    }

    bool write(int x, int y, const DesktopImage &image) override
    {
        if (!m_pixmap || image.empty() || !within(x, y, image.width, image.height))
            return false;
        return putPixels(m_dpy, m_pixmap, x, y, image);
    }

    bool showBehind() override
    {
        if (!m_pixmap)
            return false;
        XSetWindowBackgroundPixmap(m_dpy, m_window, m_pixmap);
        m_shown = true;
        XFlush(m_dpy);
        return true;
    }

    bool showAtOnce() override { return m_shown && mapAtOnce(m_dpy, m_window); }

    DesktopImage readAll() override
    {
        if (!m_pixmap)
            return {};
        return readWhole(m_dpy, m_pixmap, width(), height());
    }

    void release() override
    {
        if (!m_pixmap)
            return;
        // No background at all, as the toolkit made the window: an exposure leaves what is there
        // for the program to paint.
        if (m_shown)
            XSetWindowBackgroundPixmap(m_dpy, m_window, None);
        XFreePixmap(m_dpy, m_pixmap);
        m_pixmap = 0;
        XFlush(m_dpy);
    }

private:
    Display *m_dpy;
    Window m_window;
    Pixmap m_pixmap;
    bool m_shown = false;
};

// Under a compositing manager the desktop is left where it is: the server starts the picture of
// a redirected window that has no background as a copy of what its parent shows there, so the
// window's first frame is the desktop with nothing copied beforehand (a 33 MB copy at 3840 x 2160
// that the map, and the compositor's repaint after it, would wait for). What the program draws
// before the window shows stands in a child window whose background holds it, which the server
// paints in the same turn as the map. The program's own copy is read from the window once the
// compositor has shown it.
class X11InPlaceBackdrop final : public DesktopBackdrop
{
public:
    X11InPlaceBackdrop(Display *dpy, Window window, int x, int y, int width, int height,
                       std::unique_ptr<CompositedMap> watch)
        : DesktopBackdrop(width, height)
        , m_dpy(dpy)
        , m_window(window)
        , m_x(x)
        , m_y(y)
        , m_watch(std::move(watch))
    {
    }
    ~X11InPlaceBackdrop() override { release(); }

    DesktopImage read(int x, int y, int width, int height) override
    {
        // The window is not up yet: the screen shows the desktop there.
        if (m_released || m_shown || !within(x, y, width, height))
            return {};
        return readCopied(m_dpy, DefaultRootWindow(m_dpy), m_x + x, m_y + y, width, height,
                          BlackDesktopImage(width, height));
    }

    bool write(int x, int y, const DesktopImage &image) override
    {
        if (m_released || m_shown || m_drawn || image.empty()
            || !within(x, y, image.width, image.height))
            return false;
        const int screen = DefaultScreen(m_dpy);
        const Pixmap pixmap = XCreatePixmap(m_dpy, m_window, unsigned(image.width),
                                            unsigned(image.height),
                                            unsigned(DefaultDepth(m_dpy, screen)));
        if (!putPixels(m_dpy, pixmap, 0, 0, image)) {
            XFreePixmap(m_dpy, pixmap);
            return false;
        }
        // No events of its own: the pointer's pass through to the program's window.
        XSetWindowAttributes attributes {};
        attributes.background_pixmap = pixmap;
        m_drawn = XCreateWindow(m_dpy, m_window, x, y, unsigned(image.width),
                                unsigned(image.height), 0, CopyFromParent, InputOutput,
                                CopyFromParent, CWBackPixmap, &attributes);
        XFreePixmap(m_dpy, pixmap); // the window keeps it as long as it needs it
        XMapWindow(m_dpy, m_drawn);
        return true;
    }

    bool showBehind() override
    {
        if (m_released)
            return false;
        XSetWindowBackgroundPixmap(m_dpy, m_window, None);
        m_shown = true;
        XFlush(m_dpy);
        return true;
    }

    bool showAtOnce() override
    {
        if (m_released || !m_shown || !mapAtOnce(m_dpy, m_window))
            return false;
        // The compositor learns that the window is drawn with its map, as from a paint.
        m_watch->reportDrawn(m_dpy);
        return true;
    }

    void awaitScreen() override
    {
        // Long enough for a window manager to map the window and the compositor to repaint it
        // (5-30 ms here when the machine is quiet); past it, the program goes on.
        if (m_watch && m_shown && !m_awaited)
            m_watch->waitUntilShown(150);
        m_awaited = m_shown;
    }

    DesktopImage readAll() override
    {
        // An unmapped window has no picture to read.
        if (m_released || !m_watch || !m_watch->mapped())
            return {};
        return readWhole(m_dpy, m_window, width(), height());
    }

    void release() override
    {
        if (m_released)
            return;
        m_released = true;
        m_watch.reset();
        if (m_drawn)
            XDestroyWindow(m_dpy, m_drawn);
        m_drawn = 0;
        XFlush(m_dpy);
    }

private:
    Display *m_dpy;
    Window m_window;
    int m_x, m_y;
    std::unique_ptr<CompositedMap> m_watch;
    Window m_drawn = 0;
    bool m_shown = false;
    bool m_awaited = false;
    bool m_released = false;
};

class X11DesktopCapture final : public DesktopCapture
{
public:
    std::string unavailableReason() override
    {
        // Under XWayland the root window reads back black: the compositor does not let X
        // clients see other programs' windows. On Wayland the program runs as a Wayland client,
        // unless Qt's Wayland plugin is missing or the user asked for X11.
        if (inWaylandSession())
            return "Vyn Quillane cannot copy the screen through XWayland: install qt6-wayland so "
                   "that it runs on Wayland itself, or use an X11 session.";
        if (!display())
            return "Vyn Quillane needs an X11 display.";
        return {};
    }

    DesktopImage captureDesktop(int x, int y, int width, int height) override
    {
        Display *dpy = display();
        if (!dpy || width <= 0 || height <= 0)
            return {};
        const int screen = DefaultScreen(dpy);
        const int screenWidth = DisplayWidth(dpy, screen);
        const int screenHeight = DisplayHeight(dpy, screen);
        const bool onScreen = x >= 0 && y >= 0 && x + width <= screenWidth
            && y + height <= screenHeight;
        if (onScreen && nativeLayout(dpy, screen)) {
            DesktopImage shared
                = captureShared(dpy, screen, RootWindow(dpy, screen), x, y, width, height);
            if (!shared.empty())
                return shared;
        }
        return captureCopied(dpy, screen, x, y, width, height);
    }

    std::unique_ptr<DesktopBackdrop> copyDesktopBehind(NativeWindow window, int x, int y, int width,
                                                       int height) override
    {
        Display *dpy = display();
        if (!dpy || !window || width <= 0 || height <= 0)
            return nullptr;
        const int screen = DefaultScreen(dpy);
        const bool onScreen = x >= 0 && y >= 0 && x + width <= DisplayWidth(dpy, screen)
            && y + height <= DisplayHeight(dpy, screen);
        XWindowAttributes attributes {};
        if (!onScreen || !nativeLayout(dpy, screen)
            || !XGetWindowAttributes(dpy, Window(window), &attributes)
            || attributes.depth != DefaultDepth(dpy, screen)
            || attributes.visual != DefaultVisual(dpy, screen)) {
            return nullptr;
        }
        // Under a compositing manager the window's first picture is the desktop without a copy.
        if (auto watch = CompositedMap::start(dpy, Window(window), x, y, width, height))
            return std::make_unique<X11InPlaceBackdrop>(dpy, Window(window), x, y, width, height,
                                                        std::move(watch));
        // The server copies the screen, windows and all, into a pixmap of its own: nothing of it
        // passes through the connection before the window appears.
        const Pixmap pixmap = XCreatePixmap(dpy, Window(window), unsigned(width), unsigned(height),
                                            unsigned(attributes.depth));
        XGCValues values {};
        values.subwindow_mode = IncludeInferiors;
        const GC gc = XCreateGC(dpy, pixmap, GCSubwindowMode, &values);
        XCopyArea(dpy, RootWindow(dpy, screen), pixmap, gc, x, y, unsigned(width),
                  unsigned(height), 0, 0);
        XFreeGC(dpy, gc);
        XFlush(dpy); // the desktop as it is now
        return std::make_unique<X11Backdrop>(dpy, Window(window), pixmap, width, height);
    }

private:
    // Any screen layout and any rectangle: the part on the screen read through the connection,
    // the rest left black.
    static DesktopImage captureCopied(Display *dpy, int screen, int x, int y, int width,
                                      int height)
    {
        DesktopImage out = BlackDesktopImage(width, height);
        const int left = std::max(x, 0), top = std::max(y, 0);
        const int right = std::min(x + width, DisplayWidth(dpy, screen));
        const int bottom = std::min(y + height, DisplayHeight(dpy, screen));
        if (right <= left || bottom <= top)
            return out;
        // The part on the screen, read into its place in the black picture.
        DesktopImage part = out;
        part.pixels = reinterpret_cast<std::uint32_t *>(reinterpret_cast<char *>(out.pixels)
                                                        + (top - y) * out.strideBytes)
            + (left - x);
        part.width = right - left;
        part.height = bottom - top;
        if (readCopied(dpy, RootWindow(dpy, screen), left, top, part.width, part.height, part)
                .empty())
            return {};
        return out;
    }
};

} // namespace

std::unique_ptr<DesktopCapture> makeDesktopCapture()
{
    return std::make_unique<X11DesktopCapture>();
}

} // namespace platform::x11
