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
};

} // namespace platform
