#include <windows.h>

#include "platform/KeyState.h"

#include <memory>

namespace platform::win32 {

namespace {

// The system's own asynchronous key state: bit 15 while the key is down, bit 0 when it was
// pressed since the previous query.
class Win32KeyState final : public KeyState
{
public:
    std::int16_t GetAsyncKeyState(int virtualKey) override
    {
        return static_cast<std::int16_t>(::GetAsyncKeyState(virtualKey));
    }

    // The toolkit's native virtual key of a key event is the system's virtual-key code itself.
    int VirtualKeyFromNative(std::uint32_t, std::uint32_t nativeVirtualKey) override
    {
        return nativeVirtualKey > 0 && nativeVirtualKey <= 0xFE ? int(nativeVirtualKey) : 0;
    }
};

} // namespace

std::unique_ptr<KeyState> makeKeyState()
{
    return std::make_unique<Win32KeyState>();
}

} // namespace platform::win32
