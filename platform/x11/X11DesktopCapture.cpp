#include "X11Connection.h"
#include "platform/DesktopCapture.h"

#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace platform::x11 {

namespace {

struct ImageDeleter
{
    void operator()(XImage *image) const { XDestroyImage(image); }
};

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

class X11DesktopCapture final : public DesktopCapture
{
public:
    std::string unavailableReason() override
    {
        // Under XWayland the root window reads back black: the compositor does not let X
        // clients see other programs' windows.
        if (inWaylandSession())
            return "Vyn Quillane needs an X11 session: under Wayland the screen cannot be copied.";
        if (!display())
            return "Vyn Quillane needs an X11 display.";
        return {};
    }

    DesktopPixels grabDesktop() override
    {
        DesktopPixels out;
        Display *dpy = display();
        if (!dpy)
            return out;
        const int screen = DefaultScreen(dpy);
        const int width = DisplayWidth(dpy, screen);
        const int height = DisplayHeight(dpy, screen);
        std::unique_ptr<XImage, ImageDeleter> image(XGetImage(
            dpy, RootWindow(dpy, screen), 0, 0, unsigned(width), unsigned(height), AllPlanes,
            ZPixmap));
        if (!image)
            return out;
        out.width = width;
        out.height = height;
        out.argb.resize(std::size_t(width) * std::size_t(height));
        const bool fastPath = image->bits_per_pixel == 32 && image->red_mask == 0xFF0000
            && image->green_mask == 0xFF00 && image->blue_mask == 0xFF
            && image->byte_order == LSBFirst;
        for (int y = 0; y < height; ++y) {
            std::uint32_t *row = out.argb.data() + std::size_t(y) * std::size_t(width);
            if (fastPath) {
                const auto *src = reinterpret_cast<const std::uint32_t *>(
                    image->data + std::ptrdiff_t(y) * image->bytes_per_line);
                for (int x = 0; x < width; ++x)
                    row[x] = 0xFF000000u | (src[x] & 0x00FFFFFFu);
                continue;
            }
            for (int x = 0; x < width; ++x) {
                const unsigned long pixel = XGetPixel(image.get(), x, y);
                row[x] = 0xFF000000u | channel(pixel, image->red_mask) << 16
                    | channel(pixel, image->green_mask) << 8 | channel(pixel, image->blue_mask);
            }
        }
        return out;
    }
};

} // namespace

std::unique_ptr<DesktopCapture> makeDesktopCapture()
{
    return std::make_unique<X11DesktopCapture>();
}

} // namespace platform::x11
