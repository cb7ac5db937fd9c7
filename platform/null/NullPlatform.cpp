// The platform layer for places without a real windowing system (the offscreen widget tests):
// nothing to capture, no global keyboard, no window manager.
#include "platform/Platform.h"

#include <vector>

namespace platform {

namespace {
class NullCapture final : public DesktopCapture
{
public:
    std::string unavailableReason() override { return {}; }
    DesktopImage captureDesktop(int, int, int, int) override { return {}; }
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
    bool beginMove(NativeWindow) override { return false; }
};

class NullFrame final : public WindowFrame
{
public:
    FrameMargins expectedFrame(NativeWindow) override { return {}; }
};

class NullSession final : public SessionEvents
{
public:
    void watchSessionEnd(std::function<void()>) override { }
};

// The standby keys reach the program through the global key state or not at all.
class NullShortcuts final : public GlobalShortcuts
{
public:
    void watchReturnKeys(std::function<void(int)>) override { }
};
// No session to keep one copy in: every start is a lone copy.
class NullSingleInstance final : public SingleInstance
{
public:
    bool askRunningCopy() override { return false; }
    bool listen(std::function<void()>) override { return false; }
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
    c->frame = std::make_unique<NullFrame>();
    c->shortcuts = std::make_unique<NullShortcuts>();
    c->singleInstance = std::make_unique<NullSingleInstance>();
    return c;
}

} // namespace platform

namespace platform {

DesktopImage BlackDesktopImage(int width, int height)
{
    DesktopImage image;
    if (width <= 0 || height <= 0)
        return image;
    auto memory = std::make_shared<std::vector<std::uint32_t>>(
        std::size_t(width) * std::size_t(height), 0xFF000000u);
    image.width = width;
    image.height = height;
    image.strideBytes = std::ptrdiff_t(width) * 4;
    image.pixels = memory->data();
    image.memory = std::move(memory);
    return image;
}

} // namespace platform
