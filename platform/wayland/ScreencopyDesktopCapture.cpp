#include "ScreencopyDesktopCapture.h"

#include <algorithm>
#include <cstring>

namespace platform::wayland {

ScreencopyDesktopCapture::ScreencopyDesktopCapture(std::shared_ptr<WaylandOutputs> outputs)
    : m_outputs(std::move(outputs))
{
}

std::string ScreencopyDesktopCapture::unavailableReason()
{
    // Chosen only where the compositor offers the copy; it is asked for when the overlay loads.
    return m_outputs->output({}) ? std::string()
                                 : "Vyn Quillane cannot copy the screen: the compositor shows no "
                                   "output.";
}

DesktopImage ScreencopyDesktopCapture::captureOutput(const std::string &name)
{
    const WaylandOutputs::Output *output = m_outputs->output(name);
    // The program's own work runs while the compositor draws the frame it copies.
    return output ? m_outputs->copyOutput(*output, [this] { runWorkWhileWaiting(); })
                  : DesktopImage {};
}

DesktopImage ScreencopyDesktopCapture::captureDesktop(int x, int y, int width, int height)
{
    if (width <= 0 || height <= 0)
        return {};
    const DesktopImage whole = captureOutput({});
    if (whole.empty())
        return {};
    if (x == 0 && y == 0 && width == whole.width && height == whole.height)
        return whole;
    DesktopImage out = BlackDesktopImage(width, height);
    if (out.empty())
        return out;
    const long long left = std::max<long long>(x, 0), top = std::max<long long>(y, 0);
    const long long right = std::min<long long>((long long)x + width, whole.width);
    const long long bottom = std::min<long long>((long long)y + height, whole.height);
    for (long long row = top; row < bottom && left < right; ++row) {
        const char *from
            = reinterpret_cast<const char *>(whole.pixels) + row * whole.strideBytes + left * 4;
        char *to
            = reinterpret_cast<char *>(out.pixels) + (row - y) * out.strideBytes + (left - x) * 4;
        std::memcpy(to, from, std::size_t(right - left) * 4);
    }
    return out;
}

} // namespace platform::wayland
