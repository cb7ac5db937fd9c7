// Freehand lines and the palette window on a real screen: strokes seen in screenshots, Clear
// Lines giving the screen back, the palette window's place, a pick, the close button, the drag.
#include "E2eHarness.h"

#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <cmath>

// Xlib last: its True and False macros would clash with the program's flags.
#include <X11/Xlib.h>

using namespace e2e;

namespace {

constexpr QRgb Blue = 0xFF0000FF;
constexpr QRgb Red = 0xFFFF0000;
constexpr int PaletteWidth = 107;

// Opens the command menu away from where the tests draw, and chooses the item `downs` steps down
// (the keyboard skips disabled items).
void chooseFromMenu(Program &program, int downs)
{
    program.openMenu(700, 560);
    for (int i = 0; i < downs; ++i) {
        tapKey("Down");
        settle();
    }
    tapKey("Return");
    settle();
}

// Clear Text, Standby, Enter Text, Draw Lines: Clear Lines and Restore Text are disabled.
void drawLinesMode(Program &program)
{
    chooseFromMenu(program, 4);
}

// "&Preferences", then "&Line...".
void openLineWindow(Program &program)
{
    program.openMenu(700, 560);
    tapKey("p");
    settle();
    tapKey("l");
    settle();
}

XWindow paletteWindow()
{
    for (XWindow w : windowsNamed(QStringLiteral("Vyn Quillane")))
        if (windowRect(w).width() == PaletteWidth)
            return w;
    return 0;
}

// A stroke through the corners, with a pointer move every 4 pixels.
void stroke(const std::vector<QPoint> &corners)
{
    movePointer(corners[0].x(), corners[0].y());
    pause(30);
    pressButton(1);
    for (std::size_t i = 1; i < corners.size(); ++i) {
        const QPoint from = corners[i - 1], to = corners[i];
        const int steps = std::max(1, int(std::hypot(to.x() - from.x(), to.y() - from.y()) / 4));
        for (int s = 1; s <= steps; ++s) {
            movePointer(from.x() + (to.x() - from.x()) * s / steps,
                        from.y() + (to.y() - from.y()) * s / steps);
            pause(2);
        }
    }
    pause(30);
    releaseButton(1);
    settle();
}

// Points along the stroke's segments, every 3 pixels.
std::vector<QPoint> along(const std::vector<QPoint> &corners)
{
    std::vector<QPoint> points;
    for (std::size_t i = 1; i < corners.size(); ++i) {
        const QPoint from = corners[i - 1], to = corners[i];
        const int steps = std::max(1, int(std::hypot(to.x() - from.x(), to.y() - from.y()) / 3));
        for (int s = 0; s <= steps; ++s)
            points.emplace_back(from.x() + (to.x() - from.x()) * s / steps,
                                from.y() + (to.y() - from.y()) * s / steps);
    }
    return points;
}

bool allOf(const QImage &shot, const std::vector<QPoint> &points, QRgb colour)
{
    for (const QPoint &p : points)
        if (shot.pixel(p) != colour)
            return false;
    return true;
}

class Lines : public ::testing::Test
{
protected:
    void SetUp() override { paintDesktopPattern(); }
};

} // namespace

TEST_F(Lines, AStrokeShowsAlongItsPathAndClearLinesGivesTheScreenBack)
{
    Program program;
    program.writeSettings(Program::settingsBytes());
    ASSERT_TRUE(program.start());
    drawLinesMode(program);
    const QImage before = screenshot();

    const std::vector<QPoint> corners = {{100, 420}, {420, 420}, {420, 640}, {150, 520}};
    stroke(corners);
    const std::vector<QPoint> path = along(corners);
    ASSERT_TRUE(waitUntil([&] { return allOf(screenshot(), path, Blue); }, 3000))
        << "the stroke is on the screen in the line colour along its whole path";
    // 12 pixels wide: blue 5 pixels beside the path, the desktop 9 pixels beside it.
    const QImage drawn = screenshot();
    EXPECT_EQ(drawn.pixel(250, 425), Blue);
    EXPECT_EQ(drawn.pixel(250, 411), before.pixel(250, 411));
    EXPECT_EQ(drawn.pixel(250, 429), before.pixel(250, 429));
    // Nothing changed away from the stroke.
    EXPECT_EQ(drawn.copy(0, 0, 1024, 380), before.copy(0, 0, 1024, 380));

    // Clear Text, Clear Lines (enabled now).
    chooseFromMenu(program, 2);
    ASSERT_TRUE(waitUntil([&] { return screenshot() == before; }, 3000))
        << "Clear Lines restores the screen exactly";
    EXPECT_EQ(before.pixel(600, 700), desktopPatternAt(600, 700));
}

TEST_F(Lines, ThePaletteWindowStandsTopRightAndAPickColoursTheNextStroke)
{
    Program program;
    program.writeSettings(Program::settingsBytes());
    ASSERT_TRUE(program.start());
    drawLinesMode(program);
    stroke({{100, 450}, {300, 450}});
    openLineWindow(program);

    XWindow palette = 0;
    ASSERT_TRUE(waitUntil([&] { return (palette = paletteWindow()) != 0; }));
    const QSize screen = screenSize();
    const QRect place = windowRect(palette);
    EXPECT_EQ(place.topLeft(), QPoint(screen.width() - PaletteWidth, 0));
    if (underWindowManager()) {
        EXPECT_TRUE(netWmState(palette).contains(QStringLiteral("_NET_WM_STATE_ABOVE")));
    }
    // The palette picture starts 3 + 2 pixels in and 3 + 15 + 2 down; the blue cell (4, 1) is
    // framed in red.
    const QPoint picture = place.topLeft() + QPoint(5, 20);
    ASSERT_TRUE(waitUntil([&] {
        const QImage shot = screenshot();
        return shot.pixel(picture + QPoint(36, 9)) == Blue
            && shot.pixel(picture + QPoint(32, 9)) == Red;
    })) << "the palette with the line colour's cell framed";

    // The red cell (1, 1).
    click(picture.x() + 12, picture.y() + 9);
    settle();
    EXPECT_EQ(screenshot().pixel(picture + QPoint(8, 9)), 0xFF000000u) << "framed in black";
    stroke({{100, 560}, {300, 560}});
    const QImage shot = screenshot();
    EXPECT_TRUE(allOf(shot, along({{100, 560}, {300, 560}}), Red));
    EXPECT_TRUE(allOf(shot, along({{100, 450}, {300, 450}}), Blue)) << "earlier lines keep theirs";
    // Drawing activates the overlay, and the palette window stays in front of it.
    EXPECT_EQ(shot.pixel(picture + QPoint(36, 9)), Blue);
    EXPECT_EQ(shot.pixel(picture + QPoint(8, 9)), 0xFF000000u);

    // The close button: pressed, released elsewhere: still open; clicked: closed.
    const QPoint closeButton = place.topLeft() + QPoint(3 + 89 + 6, 3 + 6);
    movePointer(closeButton.x(), closeButton.y());
    pause(50);
    pressButton(1);
    settle();
    movePointer(closeButton.x() - 60, closeButton.y() + 80);
    pause(50);
    releaseButton(1);
    settle();
    EXPECT_TRUE(isMapped(palette));
    click(closeButton.x(), closeButton.y());
    ASSERT_TRUE(waitUntil([&] { return paletteWindow() == 0; }));
    if (underWindowManager()) {
        EXPECT_TRUE(waitUntil([&] {
            return netWmState(program.overlay()).contains(QStringLiteral("_NET_WM_STATE_ABOVE"));
        }));
    }
    // The overlay has the keyboard again.
    EXPECT_TRUE(waitUntil([&] {
        ::Window focus = 0;
        int revert = 0;
        XGetInputFocus(display(), &focus, &revert);
        return focus == program.overlay();
    }));
}

TEST_F(Lines, TheTitleStripDragsThePaletteWindow)
{
    Program program;
    program.writeSettings(Program::settingsBytes());
    ASSERT_TRUE(program.start());
    drawLinesMode(program);
    openLineWindow(program);
    XWindow palette = 0;
    ASSERT_TRUE(waitUntil([&] { return (palette = paletteWindow()) != 0; }));
    const QRect start = windowRect(palette);
    const QPoint grab = start.topLeft() + QPoint(30, 8);
    movePointer(grab.x(), grab.y());
    settle();
    pressButton(1);
    settle();
    for (int i = 1; i <= 20; ++i) {
        movePointer(grab.x() - 15 * i, grab.y() + 10 * i);
        pause(20);
    }
    settle();
    releaseButton(1);
    ASSERT_TRUE(waitUntil([&] { return windowRect(palette).topLeft() != start.topLeft(); }));
    const QPoint moved = windowRect(palette).topLeft() - start.topLeft();
    EXPECT_NEAR(moved.x(), -300, 2);
    EXPECT_NEAR(moved.y(), 200, 2);
}
