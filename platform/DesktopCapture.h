#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The desktop's pixels, device pixel for device pixel, 0xAARRGGBB with alpha 0xFF.
struct DesktopPixels
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb; // width * height, row by row
    bool empty() const { return width <= 0 || height <= 0; }
};

class DesktopCapture
{
public:
    virtual ~DesktopCapture() = default;
    // Empty when the desktop can be read here; otherwise one sentence saying why not.
    virtual std::string unavailableReason() = 0;
    // The whole desktop as it is now; empty when it cannot be read.
    virtual DesktopPixels grabDesktop() = 0;
};

} // namespace platform
