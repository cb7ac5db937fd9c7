#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// A copy of part of the desktop: 32-bit 0xFFRRGGBB pixels, row by row, `strideBytes` apart, in
// memory that `memory` keeps alive (on X11 a shared-memory segment the server wrote into).
struct DesktopImage
{
    int width = 0;
    int height = 0;
    std::ptrdiff_t strideBytes = 0;
    std::uint32_t *pixels = nullptr;
    std::shared_ptr<void> memory;
    bool empty() const { return pixels == nullptr; }
};

class DesktopCapture
{
public:
    virtual ~DesktopCapture() = default;
    // Empty when the desktop can be read here; otherwise one sentence saying why not.
    virtual std::string unavailableReason() = 0;
    // The desktop under the rectangle (device pixels) as it is now; the parts of the rectangle
    // beyond the screen are black. Empty when the desktop cannot be read.
    virtual DesktopImage captureDesktop(int x, int y, int width, int height) = 0;
};

// Memory for a desktop image of the given size, all black, for implementations that copy into
// ordinary memory.
DesktopImage BlackDesktopImage(int width, int height);

} // namespace platform
