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
DesktopImage captureShared(Display *dpy, int screen, int x, int y, int width, int height)
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
    const bool got = attached && XShmGetImage(dpy, RootWindow(dpy, screen), image, x, y, AllPlanes);
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
            DesktopImage shared = captureShared(dpy, screen, x, y, width, height);
            if (!shared.empty())
                return shared;
        }
        return captureCopied(dpy, screen, x, y, width, height);
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
        XImage *image = XGetImage(dpy, RootWindow(dpy, screen), left, top,
                                  unsigned(right - left), unsigned(bottom - top), AllPlanes,
                                  ZPixmap);
        if (!image)
            return {};
        for (int row = 0; row < bottom - top; ++row) {
            auto *dst = reinterpret_cast<std::uint32_t *>(reinterpret_cast<char *>(out.pixels)
                                                          + (top - y + row) * out.strideBytes)
                + (left - x);
            for (int col = 0; col < right - left; ++col) {
                const unsigned long pixel = XGetPixel(image, col, row);
                dst[col] = 0xFF000000u | channel(pixel, image->red_mask) << 16
                    | channel(pixel, image->green_mask) << 8 | channel(pixel, image->blue_mask);
            }
        }
        XDestroyImage(image);
        return out;
    }
};

} // namespace

std::unique_ptr<DesktopCapture> makeDesktopCapture()
{
    return std::make_unique<X11DesktopCapture>();
}

} // namespace platform::x11
