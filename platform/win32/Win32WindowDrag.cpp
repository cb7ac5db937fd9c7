#include <windows.h>

#include "platform/WindowDrag.h"

#include <memory>

namespace platform::win32 {

namespace {

// The press on the custom title strip becomes a press on the caption: the mouse capture is let
// go and the window is told its caption was pressed, so Windows moves it with the pointer until
// the button comes up (SendMessage returns then).
class Win32WindowDrag final : public WindowDrag
{
public:
    bool beginMove(NativeWindow window) override
    {
        HWND hwnd = reinterpret_cast<HWND>(window);
        if (!hwnd)
            return false;
        ReleaseCapture();
        SendMessageA(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
        return true;
    }
};

} // namespace

std::unique_ptr<WindowDrag> makeWindowDrag()
{
    return std::make_unique<Win32WindowDrag>();
}

} // namespace platform::win32
