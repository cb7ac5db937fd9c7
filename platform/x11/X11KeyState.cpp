#include "X11Connection.h"
#include "platform/KeyState.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <map>
#include <memory>

namespace platform::x11 {

namespace {

KeySym keysymFor(int virtualKey)
{
    switch (virtualKey) {
    case VK_F10_Code:
        return XK_F10;
    case VK_F11_Code:
        return XK_F11;
    case VK_F12_Code:
        return XK_F12;
    default:
        return NoSymbol;
    }
}

// The whole display's keymap: the state of every key, whichever window has the focus.
class X11KeyState final : public KeyState
{
public:
    std::int16_t GetAsyncKeyState(int virtualKey) override
    {
        Display *dpy = display();
        const KeySym sym = keysymFor(virtualKey);
        if (!dpy || sym == NoSymbol)
            return 0;
        const KeyCode code = XKeysymToKeycode(dpy, sym);
        if (code == 0)
            return 0;
        char keys[32] = {};
        XQueryKeymap(dpy, keys);
        const bool down = (keys[code / 8] >> (code % 8)) & 1;
        bool &wasDown = m_downAtLastQuery[virtualKey];
        const bool pressedSince = down && !wasDown;
        wasDown = down;
        return std::int16_t((down ? 0x8000 : 0) | (pressedSince ? 1 : 0));
    }

private:
    std::map<int, bool> m_downAtLastQuery;
};

} // namespace

std::unique_ptr<KeyState> makeKeyState()
{
    return std::make_unique<X11KeyState>();
}

} // namespace platform::x11
