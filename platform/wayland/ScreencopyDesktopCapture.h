#pragma once

#include "WaylandOutputs.h"
#include "platform/DesktopCapture.h"

#include <memory>

namespace platform::wayland {

// The desktop straight from the compositor where it copies its outputs for clients (wlroots'
// screen copy: sway, Hyprland, river, labwc, Wayfire): into shared memory, without the pointer,
// with no file and no other process in between. An output is copied whole; captureDesktop cuts
// the rectangle from the first output's picture, the layout's other outputs being pictures of
// their own.
class ScreencopyDesktopCapture final : public DesktopCapture
{
public:
    explicit ScreencopyDesktopCapture(std::shared_ptr<WaylandOutputs> outputs);

    std::string unavailableReason() override;
    DesktopImage captureDesktop(int x, int y, int width, int height) override;
    DesktopImage captureOutput(const std::string &name) override;

private:
    std::shared_ptr<WaylandOutputs> m_outputs;
};

} // namespace platform::wayland
