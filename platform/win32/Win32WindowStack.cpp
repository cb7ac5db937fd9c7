#include <windows.h>

#include "platform/WindowStack.h"

#include <memory>

namespace platform::win32 {

namespace {

class Win32WindowStack final : public WindowStack
{
public:
    void setTopmost(NativeWindow window, bool topmost) override
    {
        SetWindowPos(reinterpret_cast<HWND>(window), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0,
                     0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
};

} // namespace

std::unique_ptr<WindowStack> makeWindowStack()
{
    return std::make_unique<Win32WindowStack>();
}

} // namespace platform::win32
