// The Wayland test bed itself: the private desktop comes up empty and plain, the compositor's
// screenshot tool sees it, a Qt client shows on it, and keys from wtype and clicks from the
// seat's cursor reach that client. Everything the Wayland end-to-end tests do rests on these.
#include "WaylandSession.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

namespace {

constexpr QRgb Background = 0xFF2E5C8A; // the bed's desktop colour
constexpr QRgb ProbeColour = 0xFFC03020;

TEST(WaylandBed, EmptyDesktopIsPlainAndDevicePixelSized)
{
    WaylandSession session;
    const QImage shot = session.screenshot();
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.size(), session.outputSize());
    // One colour everywhere: no bar, no border, no cursor.
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            ASSERT_EQ(shot.pixel(x, y), Background) << "at " << x << "," << y;
}

TEST(WaylandBed, QtWindowShowsAndReceivesKeysAndClicks)
{
    WaylandSession session;
    Client probe(PROBE_WINDOW);
    const QString shown = probe.waitForLine("shown ");
    ASSERT_FALSE(shown.isEmpty()) << probe.output().toStdString();
    const QStringList parts = shown.split(' ');
    ASSERT_EQ(parts.size(), 4);
    EXPECT_EQ(parts[3].toDouble(), session.scale());

    // Full screen: the whole output shows the window, in device pixels.
    const QImage shot = session.waitForScreen([](const QImage &image) {
        return image.pixel(0, 0) == ProbeColour
            && image.pixel(image.width() - 1, image.height() - 1) == ProbeColour;
    });
    EXPECT_EQ(shot.size(), session.outputSize());
    EXPECT_EQ(shot.pixel(shot.width() / 2, shot.height() / 2), ProbeColour);

    // The first key of a session is not lost.
    session.type(QStringLiteral("Hello"));
    for (const char *key : {"key H", "key e", "key l", "key o"})
        EXPECT_FALSE(probe.waitForLine(key).isEmpty()) << key << "\n"
                                                       << probe.output().toStdString();

    // A click through the seat's cursor lands where it was put, in logical coordinates.
    session.click(QPoint(100, 60));
    EXPECT_FALSE(probe.waitForLine("press 100 60 1").isEmpty()) << probe.output().toStdString();
    session.click(QPoint(7, 9), 3);
    EXPECT_FALSE(probe.waitForLine("press 7 9 2").isEmpty()) << probe.output().toStdString();
}

} // namespace
