// The program as a user meets it: start-up, the frozen screen, the keyboard, and the ways out.
#include "E2eHarness.h"

#include "settings/Settings.h"

#include <QElapsedTimer>

#include <algorithm>
#include <csignal>
#include <vector>

#include <gtest/gtest.h>

using namespace e2e;

namespace {

// The text block stands at (200, 200); everything well away from it shows the desktop as it was.
QRect awayFromTheText(const QRect &overlay)
{
    return QRect(overlay.x() + 2, overlay.y() + 320, overlay.width() - 4, overlay.height() - 322);
}

class StartUp : public ::testing::Test
{
protected:
    void SetUp() override { paintDesktopPattern(); }
};

} // namespace

TEST_F(StartUp, FirstStartShowsTheMessageOnceAndFreezesTheScreenUnchanged)
{
    const QImage before = screenshot();
    Program program;
    ASSERT_TRUE(program.start(/*expectFirstStartBox=*/true)) << program.output().toStdString();
    EXPECT_TRUE(windowsNamed(QStringLiteral(" Vyn Quillane")).empty()) << "the box is gone";

    const QRect overlay = windowRect(program.overlay());
    EXPECT_EQ(overlay, QRect(QPoint(0, 0), screenSize()));
    // Only the overlay is seen: the main form never appears.
    EXPECT_EQ(windowsNamed(QStringLiteral("Vyn Quillane")).size(), 1u);

    const QRect still = awayFromTheText(overlay);
    EXPECT_EQ(screenshot(still), before.copy(still));
    // The file exists, empty, while the program runs.
    EXPECT_TRUE(program.settingsExist());
    EXPECT_TRUE(program.readSettings().isEmpty());

    program.exitThroughMenu();
    ASSERT_TRUE(program.waitForExit());
    EXPECT_EQ(program.readSettings(), Program::settingsBytes());
    EXPECT_EQ(program.readSettings().size(), 85);
}

TEST_F(StartUp, TheOverlayKeepsWithinItsMarginsPixelForPixel)
{
    Program program;
    program.writeSettings(Program::settingsBytes([] {
        gSettings.gnMarginLeft = 50;
        gSettings.gnMarginTop = 30;
    }));
    const QImage before = screenshot();
    ASSERT_TRUE(program.start());
    const QSize screen = screenSize();
    const QRect overlay = windowRect(program.overlay());
    EXPECT_EQ(overlay, QRect(50, 30, screen.width() - 50, screen.height() - 30));
    const QImage after = screenshot();
    // The overlay's pixel (0, 0) shows the desktop's (50, 30), and so on across it.
    EXPECT_EQ(after.pixel(50, 30), before.pixel(50, 30));
    EXPECT_EQ(after.pixel(50, 30), desktopPatternAt(50, 30));
    const QRect still = awayFromTheText(overlay);
    EXPECT_EQ(after.copy(still), before.copy(still));
    // The strips outside the margins are not covered.
    EXPECT_EQ(after.copy(0, 0, 50, screen.height()), before.copy(0, 0, 50, screen.height()));
    EXPECT_EQ(after.copy(0, 0, screen.width(), 30), before.copy(0, 0, screen.width(), 30));
}

TEST_F(StartUp, TheOverlayIsTopmostUnderAWindowManager)
{
    if (!underWindowManager())
        GTEST_SKIP() << "no window manager: no band of topmost windows to be in";
    Program program;
    program.writeSettings(Program::settingsBytes());
    ASSERT_TRUE(program.start());
    EXPECT_TRUE(netWmState(program.overlay()).contains(QStringLiteral("_NET_WM_STATE_ABOVE")));
}

TEST_F(StartUp, TypedKeysReachTheTextAndAreSaved)
{
    Program program;
    program.writeSettings(Program::settingsBytes());
    ASSERT_TRUE(program.start());
    const QImage before = screenshot(QRect(150, 150, 500, 200));
    typeText(QStringLiteral("abc"));
    ASSERT_TRUE(waitUntil([&] { return screenshot(QRect(150, 150, 500, 200)) != before; }));
    program.exitThroughMenu();
    ASSERT_TRUE(program.waitForExit());
    EXPECT_TRUE(program.readSettings().contains("abc"));
}

TEST_F(StartUp, AltF4SavesAndEnds)
{
    Program program;
    program.writeSettings(Program::settingsBytes([] { gSettings.gsText = QStringLiteral("x"); }));
    ASSERT_TRUE(program.start());
    movePointer(500, 500);
    chord({"Alt_L", "F4"});
    ASSERT_TRUE(program.waitForExit());
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(program.readSettings(), Program::settingsBytes([] { gSettings.gsText = "x"; }));
}

TEST_F(StartUp, TheSessionsEndSavesAndAnInterruptDoesNot)
{
    {
        Program program;
        ASSERT_TRUE(program.start(true));
        program.signal(SIGTERM);
        ASSERT_TRUE(program.waitForExit());
        EXPECT_EQ(program.readSettings().size(), 85);
    }
    {
        Program program;
        ASSERT_TRUE(program.start(true));
        program.signal(SIGINT);
        ASSERT_TRUE(program.waitForExit());
        EXPECT_TRUE(program.readSettings().isEmpty());
    }
}

// The overlay's first frame is already the settled one, text block and all, from the moment the
// window is on the screen; and the frozen desktop under where the text first stood is the
// desktop's own, with none of the text's pixels kept in it once the text is cleared or moved.
TEST_F(StartUp, TheFirstFrameIsTheSettledOneAndTheTextLeavesNothingBehind)
{
    Program program;
    program.writeSettings(Program::settingsBytes([] {
        gSettings.gnMarginLeft = 40;
        gSettings.gnMarginTop = 24;
        gSettings.gsText = QStringLiteral("First\r\nframe");
    }));
    const QImage before = screenshot();
    ASSERT_TRUE(program.start(/*expectFirstStartBox=*/false, /*waitForFirstPaint=*/false));
    // As many pictures as can be taken in the first moments after the window is up.
    std::vector<QImage> early;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 300)
        early.push_back(screenshot());
    ASSERT_TRUE(settle());
    // What the program shows once settled: the caret blinks, so over a second the screen takes
    // one of two pictures, and each early one must be exactly one of them.
    std::vector<QImage> settled {screenshot()};
    clock.restart();
    while (clock.elapsed() < 1200) {
        const QImage now = screenshot();
        if (std::find(settled.begin(), settled.end(), now) == settled.end())
            settled.push_back(now);
        pause(20);
    }
    EXPECT_LE(settled.size(), 2u) << "the caret's two phases, and nothing else changes";
    const QRect textArea(40 + 150, 24 + 150, 500, 200);
    ASSERT_NE(settled.front().copy(textArea), before.copy(textArea)) << "the text shows";
    // A compositing manager may show the window a moment after the map: until then the screen
    // is the desktop unchanged, and from then on only settled frames follow.
    const bool composited = underCompositor();
    std::size_t i = 0;
    while (composited && i < early.size() && early[i] == before)
        ++i;
    for (; i < early.size(); ++i)
        EXPECT_NE(std::find(settled.begin(), settled.end(), early[i]), settled.end())
            << "picture " << i << " of " << early.size();

    chord({"Control_L", "c"}); // Clear Text
    EXPECT_TRUE(waitUntil([&] {
        return sameButTheCaret(screenshot(textArea), before.copy(textArea));
    })) << "the desktop where the text stood";
    EXPECT_TRUE(sameButTheCaret(screenshot(), before));
}

// On a scaled screen the overlay still shows the desktop device pixel for device pixel.
class ScaledStartUp : public StartUp, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(ScaledStartUp, TheSnapshotIsNeverRescaled)
{
    Program program;
    program.setEnvironment(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(GetParam()));
    program.writeSettings(Program::settingsBytes([] {
        gSettings.gnMarginLeft = 10;
        gSettings.gnMarginTop = 6;
    }));
    const QImage before = screenshot();
    ASSERT_TRUE(program.start());
    const QImage after = screenshot();
    const QSize screen = screenSize();
    // Below the text block, which the scale makes larger.
    const QRect still(0, screen.height() * 4 / 5, screen.width(), screen.height() / 5);
    EXPECT_EQ(after.copy(still), before.copy(still));
    // The window stands at the margins' corner and not a pixel past the screen's edges (683
    // logical pixels at 1.5 would be 1025 device pixels on a screen 1024 wide); with no window
    // manager to round its size to its steps, it reaches them.
    const double factor = QString::fromLatin1(GetParam()).toDouble();
    const QRect placed = windowRect(program.overlay());
    EXPECT_EQ(placed.topLeft(), QPoint(qRound(10 * factor), qRound(6 * factor)));
    EXPECT_TRUE(QRect(QPoint(0, 0), screen).contains(placed))
        << placed.right() << "," << placed.bottom();
    if (!underWindowManager()) {
        EXPECT_EQ(placed.bottomRight(), QPoint(screen.width() - 1, screen.height() - 1));
    }
}

INSTANTIATE_TEST_SUITE_P(Factors, ScaledStartUp, ::testing::Values("1.5", "2"));
