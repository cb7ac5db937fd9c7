// The keyboard on Wayland: a client hears only the keys sent to its own focused window, so the
// global state of a key cannot be read. It says so, and the program brings the overlay back from
// standby another way (a second start of the program).
#include "platform/KeyState.h"
#include "platform/KeySymbols.h"

#include <memory>

namespace platform::wayland {

namespace {

class WaylandKeyState final : public KeyState
{
public:
    std::int16_t GetAsyncKeyState(int) override { return 0; }
    bool readsGlobalState() const override { return false; }

    int VirtualKeyFromNative(std::uint32_t, std::uint32_t nativeVirtualKey) override
    {
        // The toolkit reports the key's symbol under the keymap as the compositor sent it.
        return VirtualKeyFromKeySymbol(nativeVirtualKey);
    }
};

} // namespace

std::unique_ptr<KeyState> makeKeyState()
{
    return std::make_unique<WaylandKeyState>();
}

} // namespace platform::wayland
