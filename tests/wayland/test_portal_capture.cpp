// The Wayland platform layer against a real compositor and desktop portal: the program's desktop
// copy is the compositor's own picture, pixel for pixel and at device pixels, whether copied
// straight from the compositor (which the platform picks where it can) or through the portal,
// whose file is gone afterwards; a desktop without the portal gets a reason instead of a black
// screen.
#include "WaylandSession.h"
#include "platform/Platform.h"
#include "platform/wayland/PortalScreenshot.h"
#include "platform/wayland/WaylandDesktopCapture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>

namespace {

QImage toImage(const platform::DesktopImage &desktop)
{
    if (desktop.empty())
        return {};
    return QImage(reinterpret_cast<const uchar *>(desktop.pixels), desktop.width, desktop.height,
                  qsizetype(desktop.strideBytes), QImage::Format_RGB32)
        .copy();
}

int differingPixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return -1;
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

TEST(PortalCapture, PlatformPicksWaylandAndCopiesTheScreenExactly)
{
    ASSERT_TRUE(QGuiApplication::platformName().startsWith(QLatin1String("wayland")));
    WaylandSession session;
    Client probe(PROBE_WINDOW, {QStringLiteral("pattern")});
    ASSERT_FALSE(probe.waitForLine("shown ").isEmpty()) << probe.output().toStdString();
    const QSize device = session.outputSize();
    // The compositor's own picture, once the pattern is up.
    const QImage expected = session.waitForScreen(
        [](const QImage &shot) { return shot.pixel(1, 2) == qRgb(1, 2, 0); });
    ASSERT_EQ(expected.size(), device);

    platform::install(nullptr);
    platform::Capabilities &caps = platform::caps();
    EXPECT_FALSE(caps.keys->readsGlobalState());
    // sway copies its outputs for clients: the platform takes the picture straight from the
    // compositor, waiting for no other process (the program's work runs, once, while the
    // compositor draws the frame it copies).
    int worked = 0;
    caps.capture->setWorkWhileWaiting([&] { ++worked; });
    EXPECT_EQ(caps.capture->unavailableReason(), "");
    EXPECT_EQ(differingPixels(toImage(caps.capture->captureOutput("HEADLESS-1")), expected), 0);
    EXPECT_EQ(differingPixels(toImage(caps.capture->captureDesktop(50, 30, device.width() - 50,
                                                                   device.height() - 30)),
                              expected.copy(50, 30, device.width() - 50, device.height() - 30)),
              0);
    EXPECT_EQ(worked, 1);
    EXPECT_FALSE(QFile::exists(QStringLiteral("/tmp/out.png")));

    // The portal, as GNOME and KDE Plasma give the picture. The program's own work runs while the
    // portal takes the picture, once.
    platform::wayland::PortalDesktopCapture portal;
    platform::DesktopCapture *capture = &portal;
    worked = 0;
    capture->setWorkWhileWaiting([&] { ++worked; });
    EXPECT_EQ(capture->unavailableReason(), "");
    EXPECT_EQ(worked, 1);
    const QImage whole = toImage(capture->captureDesktop(0, 0, device.width(), device.height()));
    EXPECT_EQ(differingPixels(whole, expected), 0);
    if (qEnvironmentVariableIntValue("RUN_WAYLAND_PRIVATE_TMP") == 1) {
        // The wlroots portal's file: read and removed.
        EXPECT_FALSE(QFile::exists(QStringLiteral("/tmp/out.png")));
    }

    // With margins 50/30 (device pixels): the copy's (0, 0) is the screen's (50, 30). A second
    // copy takes a new screenshot.
    const QImage cut
        = toImage(capture->captureDesktop(50, 30, device.width() - 50, device.height() - 30));
    EXPECT_EQ(
        differingPixels(cut, expected.copy(50, 30, device.width() - 50, device.height() - 30)), 0);
    EXPECT_FALSE(QFile::exists(QStringLiteral("/tmp/out.png")));
    EXPECT_EQ(worked, 1) << "the work ran again with the second picture";
    platform::install(nullptr);
}

TEST(PortalCapture, MissingPortalSaysWhatToInstall)
{
    platform::wayland::PortalDesktopCapture capture(QStringLiteral("org.example.NoSuchPortal"));
    EXPECT_EQ(capture.unavailableReason(), platform::wayland::reasons::noPortal());
    EXPECT_TRUE(capture.captureDesktop(0, 0, 10, 10).empty());
}

TEST(PortalCapture, PortalWithoutScreenshotsSaysSo)
{
    // A service that is there but is no screenshot portal.
    platform::wayland::PortalDesktopCapture capture(QStringLiteral("org.freedesktop.DBus"),
                                                    QStringLiteral("/org/freedesktop/DBus"));
    EXPECT_EQ(capture.unavailableReason(), platform::wayland::reasons::noScreenshotPortal());
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
