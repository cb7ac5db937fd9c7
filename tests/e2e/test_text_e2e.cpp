// Text on the overlay as a user meets it: keys typed through XTest, the blinking caret, dragging
// the text, and the standby key brought back while another window has the focus.
#include "E2eHarness.h"

#include "settings/Settings.h"
#include "settings/SettingsCodec.h"

// GoogleTest before Xlib, whose macros (None) it would trip over.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <vector>

using namespace e2e;

namespace {

constexpr QRgb TextColour = 0xFFFF0050; // (255, 0, 80)
constexpr QRgb ShadowColour = 0xFFB0FFFF; // (176, 255, 255)

class TextOnTheOverlay : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A plain grey desktop: none of the text block's colours anywhere on it.
        paintDesktopPlain(0x404040);
    }

    QRect whole() const { return QRect(QPoint(0, 0), screenSize()); }
};

TEST_F(TextOnTheOverlay, TypedKeysAppearInTheTextColourWithTheCaretAfterThem)
{
    Program program;
    program.writeSettings(Program::settingsBytes([] { gSettings.gsText.clear(); }));
    ASSERT_TRUE(program.start());
    EXPECT_TRUE(inkBounds(TextColour, whole()).isEmpty());

    typeText(QStringLiteral("Hi"));
    QRect text;
    ASSERT_TRUE(waitUntil([&] {
        text = inkBounds(TextColour, whole());
        return text.width() > 30;
    }));
    // The text block stands at (200, 200), one 36-point line high.
    EXPECT_GE(text.left(), 200);
    EXPECT_LT(text.left(), 210);
    EXPECT_GE(text.top(), 200);
    EXPECT_LT(text.bottom(), 245);
    // The shadow, 2 pixels right and down, shows beside the text's strokes.
    const QRect shadow = inkBounds(ShadowColour, whole());
    EXPECT_FALSE(shadow.isEmpty());
    EXPECT_TRUE(text.translated(2, 2).adjusted(-1, -1, 1, 1).contains(shadow));

    // The caret, once shown, stands right after the last character, on its line.
    QRect caret;
    ASSERT_TRUE(waitUntil([&] { return !(caret = inkBounds(CaretColour, whole())).isEmpty(); }));
    EXPECT_NEAR(caret.center().x(), text.right(), 6);
    EXPECT_GT(caret.height(), 20);
    EXPECT_GE(caret.top(), 190);
    EXPECT_LT(caret.bottom(), 245);

    // A second line: the caret goes down to it.
    tapKey("Return");
    typeText(QStringLiteral("ab"));
    ASSERT_TRUE(waitUntil([&] { return inkBounds(TextColour, whole()).bottom() > 250; }));
    QRect caretBelow;
    ASSERT_TRUE(waitUntil([&] {
        caretBelow = inkBounds(CaretColour, whole());
        return !caretBelow.isEmpty() && caretBelow.top() > caret.top() + 20;
    }));
    const QRect secondLine = inkBounds(TextColour, QRect(0, text.bottom() + 5, 1024, 60));
    EXPECT_NEAR(caretBelow.center().x(), secondLine.right(), 6);
    EXPECT_NEAR(caretBelow.top() - caret.top(), secondLine.bottom() - text.bottom(), 3);

    program.exitThroughMenu();
    ASSERT_TRUE(program.waitForExit());
    Settings stored;
    ASSERT_TRUE(DecodeSettings(program.readSettings(), stored).ok);
    EXPECT_EQ(stored.gsText, QStringLiteral("Hi\r\nab"));
}

TEST_F(TextOnTheOverlay, TheCaretBlinksOnAndOffInPlace)
{
    Program program;
    program.writeSettings(Program::settingsBytes());
    ASSERT_TRUE(program.start());
    const QRect area(150, 150, 200, 120);
    // Watch the caret until it has come and gone twice. Its period (500 ms, one tick
    // off and one on) is the widget tests' business; here the screen must show the pattern: on
    // and off by turns, always in the same place, and nothing of it left while it is off.
    const QImage frozen = [&] {
        waitUntil([&] { return inkBounds(CaretColour, area).isEmpty(); }, 10000);
        return screenshot(area);
    }();
    QRect shownAt;
    std::vector<bool> phases {false};
    const bool blinked = waitUntil(
        [&] {
            const QImage shot = screenshot(area);
            QRect caret;
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x)
                    if (shot.pixel(x, y) == CaretColour)
                        caret |= QRect(x, y, 1, 1);
            const bool shown = !caret.isEmpty();
            if (shown != phases.back()) {
                phases.push_back(shown);
                if (shown) {
                    EXPECT_TRUE(shownAt.isNull() || caret == shownAt)
                        << "the caret moved while it blinked";
                    shownAt = caret;
                } else {
                    EXPECT_TRUE(shot == frozen) << "the caret left something behind";
                }
            }
            return phases.size() >= 5; // off, then on and off twice
        },
        30000);
    EXPECT_TRUE(blinked) << "the caret changed " << phases.size() - 1 << " times";
    EXPECT_FALSE(shownAt.isNull());
}

TEST_F(TextOnTheOverlay, DraggingTheTextMovesItAndTheExitStoresThePlace)
{
    Program program;
    program.writeSettings(Program::settingsBytes());
    ASSERT_TRUE(program.start());
    const QRect before = inkBounds(TextColour, whole());
    ASSERT_FALSE(before.isEmpty());

    // Grab the text 20 pixels right of and 20 below its corner; carry it over in steps.
    drag(QPoint(220, 220), QPoint(520, 420));

    QRect after;
    ASSERT_TRUE(waitUntil([&] {
        after = inkBounds(TextColour, whole());
        return after.left() > 400;
    }));
    EXPECT_EQ(after.topLeft() - before.topLeft(), QPoint(300, 200));
    EXPECT_EQ(after.size(), before.size());
    EXPECT_TRUE(inkBounds(ShadowColour, QRect(150, 150, 200, 100)).isEmpty())
        << "the shadow went with it";

    program.exitThroughMenu(100, 650);
    ASSERT_TRUE(program.waitForExit());
    Settings stored;
    ASSERT_TRUE(DecodeSettings(program.readSettings(), stored).ok);
    EXPECT_EQ(stored.gnTextX, 500);
    EXPECT_EQ(stored.gnTextY, 400);
}

// While the text is carried, the screen is the frozen one but for the dots of one rectangle, the
// text's size, that follows the pointer: no dot of an earlier place stays behind, and the text and
// the picture under the dots come back exactly as they were.
TEST_F(TextOnTheOverlay, WhileTheTextIsCarriedOnlyItsOutlineMovesAndNothingStaysBehind)
{
    Program program;
    program.writeSettings(
        Program::settingsBytes([] { gSettings.gsText = QStringLiteral("Wq\r\nOutline"); }));
    ASSERT_TRUE(program.start());
    // The caret blinks; its place is left out of the comparisons.
    QRect caret;
    ASSERT_TRUE(waitUntil([&] { return !(caret = inkBounds(CaretColour, whole())).isEmpty(); }));
    caret.adjust(-3, -3, 3, 3);
    const QImage frozen = screenshot();

    // The pixels that differ from the frozen screen, outside the caret.
    const auto changed = [&](const QImage &shot) {
        std::vector<QPoint> points;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (!caret.contains(x, y) && shot.pixel(x, y) != frozen.pixel(x, y))
                    points.emplace_back(x, y);
        return points;
    };

    movePointer(220, 220);
    pressButton(1);
    QRect first;
    for (int step = 0; step <= 6; ++step) {
        if (step > 0)
            movePointer(220 + 15 * step, 220 + 10 * step);
        ASSERT_TRUE(settle());
        const std::vector<QPoint> points = changed(screenshot());
        ASSERT_FALSE(points.empty()) << "no outline at step " << step;
        QRect box;
        for (const QPoint &p : points)
            box |= QRect(p, QSize(1, 1));
        int offEdge = 0;
        for (const QPoint &p : points)
            if (p.x() != box.left() && p.x() != box.right() && p.y() != box.top()
                && p.y() != box.bottom())
                ++offEdge;
        EXPECT_EQ(offEdge, 0) << "pixels changed inside or outside the outline at step " << step
                              << " (box " << box.x() << "," << box.y() << " " << box.width() << "x"
                              << box.height() << ")";
        if (step == 0) {
            first = box;
        } else {
            EXPECT_EQ(box.size(), first.size()) << "step " << step;
            EXPECT_EQ(box.topLeft() - first.topLeft(), QPoint(15 * step, 10 * step))
                << "step " << step;
        }
    }
    // Back to where it was taken: the outline stands on the text again, and then goes.
    movePointer(220, 220);
    releaseButton(1);
    ASSERT_TRUE(settle());
    const std::vector<QPoint> left = changed(screenshot());
    QRect leftBox;
    for (const QPoint &p : left)
        leftBox |= QRect(p, QSize(1, 1));
    EXPECT_TRUE(left.empty()) << left.size()
                              << " pixels differ after a drop where it was taken, in "
                              << leftBox.x() << "," << leftBox.y() << " " << leftBox.width() << "x"
                              << leftBox.height();
}

// A window of another program, which takes the keyboard focus.
class OtherWindow
{
public:
    OtherWindow()
    {
        Display *dpy = display();
        m_window
            = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 300, 300, 200, 150, 0, 0, 0xFFFFFF);
        XStoreName(dpy, m_window, "another program");
        XMapRaised(dpy, m_window);
        XSync(dpy, False);
        waitUntil([&] { return isMapped(m_window); });
        XSetInputFocus(dpy, m_window, RevertToParent, CurrentTime);
        XSync(dpy, False);
    }
    ~OtherWindow()
    {
        XDestroyWindow(display(), m_window);
        XSync(display(), False);
    }
    bool hasFocus() const
    {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(display(), &focus, &revert);
        return focus == m_window;
    }
    QRect rect() const { return windowRect(m_window); }

private:
    Window m_window = 0;
};

TEST_F(TextOnTheOverlay, StandbyThenF10HeldBringsTheOverlayBackWhileAnotherWindowHasTheFocus)
{
    Program program;
    program.writeSettings(Program::settingsBytes([] {
        gSettings.gnMarginLeft = 40;
        gSettings.gnMarginTop = 20;
    }));
    ASSERT_TRUE(program.start());
    ASSERT_EQ(windowRect(program.overlay()).topLeft(), QPoint(40, 20));

    // Standby: nothing of the overlay is left on the screen (a window manager would keep a window
    // that moves away partly on it, so the overlay is hidden as well).
    const auto offScreen = [&] {
        return !isMapped(program.overlay())
            || !windowRect(program.overlay()).intersects(QRect(QPoint(0, 0), screenSize()));
    };
    chord({"Control_L", "s"});
    ASSERT_TRUE(waitUntil(offScreen)) << "standby takes the overlay off the screen";

    OtherWindow other;
    ASSERT_TRUE(waitUntil([&] { return other.hasFocus(); }));

    // A tap too short to be seen at two ticks is ignored.
    tapKey("F10");
    pause(400);
    EXPECT_TRUE(offScreen());

    // Meanwhile the screen shows what is really there: the other program's white window.
    const QPoint inOther = other.rect().center();
    EXPECT_EQ(screenshot(QRect(inOther, QSize(1, 1))).pixel(0, 0), qRgb(255, 255, 255));

    // Held as a user holds it, until the overlay is back.
    keyDown("F10");
    const bool back = waitUntil([&] {
        return isMapped(program.overlay())
            && windowRect(program.overlay()).topLeft() == QPoint(40, 20);
    });
    keyUp("F10");
    ASSERT_TRUE(back) << "at " << windowRect(program.overlay()).x();
    // The frozen picture is back over the other window.
    ASSERT_TRUE(waitUntil(
        [&] { return screenshot(QRect(inOther, QSize(1, 1))).pixel(0, 0) == 0xFF404040; }));
    EXPECT_EQ(windowRect(program.overlay()).size(), screenSize() - QSize(40, 20));
    EXPECT_TRUE(other.hasFocus()) << "the program only came back; it took nothing";

    // A press on the overlay gives the keyboard back to the text.
    click(700, 600);
    settle();
    typeText(QStringLiteral("z"));
    settle();
    program.exitThroughMenu();
    ASSERT_TRUE(program.waitForExit());
    Settings stored;
    ASSERT_TRUE(DecodeSettings(program.readSettings(), stored).ok);
    EXPECT_TRUE(stored.gsText.startsWith(QLatin1Char('z'))) << stored.gsText.toStdString();
}

} // namespace
