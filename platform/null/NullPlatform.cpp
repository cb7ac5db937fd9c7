// The platform layer for places without a real windowing system (the offscreen widget tests):
// nothing to capture, no global keyboard, no window manager.
#include "platform/Platform.h"

namespace platform {

namespace {
class NullCapture final : public DesktopCapture
{
public:
    std::string unavailableReason() override { return {}; }
    DesktopPixels grabDesktop() override { return {}; }
};

class NullStack final : public WindowStack
{
public:
    void setTopmost(NativeWindow, bool) override { }
};

class NullKeys final : public KeyState
{
public:
    std::int16_t GetAsyncKeyState(int) override { return 0; }
};

class NullHelp final : public HelpEngine
{
public:
    bool WinHelp(NativeWindow, const std::string &, unsigned, unsigned long) override
    {
        return false;
    }
};

class NullDrag final : public WindowDrag
{
public:
    void beginMove(NativeWindow) override { }
};

class NullSession final : public SessionEvents
{
public:
    void watchSessionEnd(std::function<void()>) override { }
};
} // namespace

std::unique_ptr<Capabilities> makeNullCapabilities()
{
    auto c = std::make_unique<Capabilities>();
    c->capture = std::make_unique<NullCapture>();
    c->stack = std::make_unique<NullStack>();
    c->keys = std::make_unique<NullKeys>();
    c->help = std::make_unique<NullHelp>();
    c->drag = std::make_unique<NullDrag>();
    c->session = std::make_unique<NullSession>();
    return c;
}

} // namespace platform
