#pragma once

#include "platform/DesktopCapture.h"

#include <QImage>
#include <QString>

#include <memory>

namespace platform::wayland {

// The desktop through the desktop portal's Screenshot interface (non-interactive), which GNOME,
// KDE and the wlroots desktops provide: a Wayland client cannot read other clients' windows
// itself.
//
// unavailableReason() takes the screenshot (the program asks it first, before any window of its
// own is on the screen) and keeps the picture for the next captureDesktop(), which cuts from it
// and lets it go; a captureDesktop() with no picture kept takes a new one.
class PortalDesktopCapture final : public DesktopCapture
{
public:
    static constexpr int DefaultTimeoutSeconds = 30;

    // The portal's bus name and object; others only in tests.
    explicit PortalDesktopCapture(QString service
                                  = QStringLiteral("org.freedesktop.portal.Desktop"),
                                  QString path = QStringLiteral("/org/freedesktop/portal/desktop"),
                                  int timeoutSeconds = DefaultTimeoutSeconds);

    std::string unavailableReason() override;
    DesktopImage captureDesktop(int x, int y, int width, int height) override;
    // The portal's picture is of the whole desktop; where that is one output, it is the output's,
    // at its own device pixels whatever its scale.
    DesktopImage captureOutput(const std::string &name) override;

private:
    // Asks the portal for a picture of the whole desktop: the picture, or the reason in m_failure.
    QImage requestScreenshot();

    QString m_service;
    QString m_path;
    int m_timeoutSeconds;
    QImage m_kept;
    std::string m_failure;
};

class WaylandOutputs;

// The screen copy where the compositor offers it (outputs may be null), else the portal.
std::unique_ptr<DesktopCapture> makeDesktopCapture(std::shared_ptr<WaylandOutputs> outputs);

} // namespace platform::wayland
