#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

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

    // Work of the program's own to do while the capture waits for another process to take the
    // picture (the desktop portal, where the program may not read the screen itself), instead
    // of after it. Run at most once, on the calling thread, during unavailableReason() or
    // captureDesktop(); where the capture does not wait, it is simply not run.
    void setWorkWhileWaiting(std::function<void()> work) { m_whileWaiting = std::move(work); }

protected:
    void runWorkWhileWaiting()
    {
        if (auto work = std::exchange(m_whileWaiting, nullptr))
            work();
    }

private:
    std::function<void()> m_whileWaiting;
};

// Memory for a desktop image of the given size, all black, for implementations that copy into
// ordinary memory.
DesktopImage BlackDesktopImage(int width, int height);

} // namespace platform
