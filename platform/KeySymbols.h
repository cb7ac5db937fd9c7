#pragma once

#include <cstdint>

namespace platform {

// The virtual-key code of a key symbol's Latin letter or digit (the X key symbols, which the
// keymaps of X servers and Wayland compositors alike use): "A" to "Z" (either case) are 0x41 to
// 0x5A, "0" to "9" are 0x30 to 0x39; any other symbol 0.
inline int VirtualKeyFromKeySymbol(std::uint32_t sym)
{
    if (sym >= 0x61 && sym <= 0x7a) // a to z
        return 0x41 + int(sym - 0x61);
    if (sym >= 0x41 && sym <= 0x5a) // A to Z
        return int(sym);
    if (sym >= 0x30 && sym <= 0x39) // 0 to 9
        return int(sym);
    return 0;
}

} // namespace platform
