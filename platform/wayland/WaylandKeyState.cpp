// The keyboard on Wayland: a client hears only the keys sent to its own focused window, so the
// global state of a key cannot be read. It says so, and the program brings the overlay back from
// standby another way (a second start of the program).
#include "platform/KeyState.h"

#include <memory>

namespace platform::wayland {

namespace {

// X key symbols of the Latin letters and digits, as the compositor's keymap names them.
constexpr std::uint32_t SymA = 0x41, SymZ = 0x5a, Syma = 0x61, Symz = 0x7a, Sym0 = 0x30,
                        Sym9 = 0x39;

class WaylandKeyState final : public KeyState
{
public:
    std::int16_t GetAsyncKeyState(int) override { return 0; }
    bool readsGlobalState() const override { return false; }

    int VirtualKeyFromNative(std::uint32_t, std::uint32_t nativeVirtualKey) override
    {
        // The toolkit reports the key's symbol under the keymap as the compositor sent it.
        const std::uint32_t sym = nativeVirtualKey;
        if (sym >= Syma && sym <= Symz)
            return 0x41 + int(sym - Syma);
        if (sym >= SymA && sym <= SymZ)
            return 0x41 + int(sym - SymA);
        if (sym >= Sym0 && sym <= Sym9)
            return 0x30 + int(sym - Sym0);
        return 0;
    }
};

} // namespace

std::unique_ptr<KeyState> makeKeyState()
{
    return std::make_unique<WaylandKeyState>();
}

} // namespace platform::wayland
