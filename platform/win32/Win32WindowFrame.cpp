#include <windows.h>

#include "platform/WindowFrame.h"

#include <memory>

namespace platform::win32 {

namespace {

// Windows knows a window's frame from the moment it is created: the window's rectangle around
// its client rectangle.
class Win32WindowFrame final : public WindowFrame
{
public:
    FrameMargins expectedFrame(NativeWindow window) override
    {
        HWND hwnd = reinterpret_cast<HWND>(window);
        RECT outer {};
        RECT client {};
        if (!hwnd || !GetWindowRect(hwnd, &outer) || !GetClientRect(hwnd, &client))
            return {};
        POINT origin {0, 0};
        ClientToScreen(hwnd, &origin);
        return FrameMargins {int(origin.x - outer.left), int(origin.y - outer.top),
                             int(outer.right - origin.x - client.right),
                             int(outer.bottom - origin.y - client.bottom)};
    }
};

} // namespace

std::unique_ptr<WindowFrame> makeWindowFrame()
{
    return std::make_unique<Win32WindowFrame>();
}

} // namespace platform::win32
