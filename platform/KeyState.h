#pragma once

#include <cstdint>

namespace platform {

// Virtual-key codes the program polls.
constexpr int VK_F10_Code = 0x79;
constexpr int VK_F11_Code = 0x7A;
constexpr int VK_F12_Code = 0x7B;

// The global keyboard state, whatever window has the focus.
class KeyState
{
public:
    virtual ~KeyState() = default;
    // Bit 15 (0x8000) set while the key is down; bit 0 set when the key was pressed since the
    // previous query for it. Unknown keys read as 0.
    virtual std::int16_t GetAsyncKeyState(int virtualKey) = 0;

    // False where the system keeps the global keyboard from the program (Wayland): then
    // GetAsyncKeyState reads every key as up, and a key pressed in another program's window
    // cannot bring anything back.
    virtual bool readsGlobalState() const { return true; }

    // The virtual-key code of the key a key event came from, given the toolkit's native codes of
    // the event (its scan code and native virtual key), as the system's keyboard layout names the
    // key without modifiers; 0 when the system says nothing about it, and the caller then goes by
    // the toolkit's own name of the key.
    virtual int VirtualKeyFromNative(std::uint32_t nativeScanCode, std::uint32_t nativeVirtualKey)
    {
        (void)nativeScanCode;
        (void)nativeVirtualKey;
        return 0;
    }
};

} // namespace platform
