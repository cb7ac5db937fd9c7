// The topmost band on Wayland: a client cannot raise or keep its windows above others; the
// compositor stacks them (a full-screen window is on top of its output while it has the focus,
// and a dialog that has it as its parent floats above it). So entering or leaving the band does
// nothing here, quietly: the program asks for it often, and every time would be one warning more.
#include "WaylandOutputs.h"
#include "platform/WindowStack.h"

#include <memory>

namespace platform::wayland {

namespace {

class WaylandWindowStack final : public WindowStack
{
public:
    explicit WaylandWindowStack(std::shared_ptr<WaylandOutputs> outputs)
        : m_outputs(std::move(outputs))
    {
    }
    void setTopmost(NativeWindow, bool) override { }
    bool placesWindows() const override { return false; }
    std::string userOutput() override
    {
        return m_outputs ? m_outputs->userOutput() : std::string();
    }

private:
    std::shared_ptr<WaylandOutputs> m_outputs;
};

} // namespace

std::unique_ptr<WindowStack> makeWindowStack(std::shared_ptr<WaylandOutputs> outputs)
{
    return std::make_unique<WaylandWindowStack>(std::move(outputs));
}

} // namespace platform::wayland
