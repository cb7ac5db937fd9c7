// The X11 key state against the real server: keys pressed through XTest on another connection,
// as a user's keyboard presses them while another program has the focus.
#include <QGuiApplication>

#include "platform/KeyState.h"
#include "platform/Platform.h"

// GoogleTest before Xlib, whose macros (None) it would trip over.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdio>
#include <thread>

namespace {

Display *keyboard()
{
    static Display *dpy = XOpenDisplay(nullptr);
    return dpy;
}

void fake(KeySym sym, bool down)
{
    XTestFakeKeyEvent(keyboard(), XKeysymToKeycode(keyboard(), sym), down ? True : False, 0);
    XSync(keyboard(), False);
}

std::uint16_t state(platform::KeyState &keys, int virtualKey)
{
    return std::uint16_t(keys.GetAsyncKeyState(virtualKey));
}

class X11KeyState : public ::testing::Test
{
protected:
    std::unique_ptr<platform::Capabilities> caps = platform::makeNativeCapabilities();
    platform::KeyState &keys = *caps->keys;

    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
        // Whatever earlier presses left is read out first.
        keys.GetAsyncKeyState(platform::VK_F10_Code);
        keys.GetAsyncKeyState(platform::VK_F11_Code);
    }
};

TEST_F(X11KeyState, DownIsBitFifteenAndAPressSinceTheLastQueryBitZero)
{
    EXPECT_EQ(state(keys, platform::VK_F10_Code), 0u);
    fake(XK_F10, true);
    EXPECT_EQ(state(keys, platform::VK_F10_Code), 0x8001u);
    EXPECT_EQ(state(keys, platform::VK_F10_Code), 0x8000u) << "held, not pressed anew";
    fake(XK_F10, false);
    EXPECT_EQ(state(keys, platform::VK_F10_Code), 0u);
}

TEST_F(X11KeyState, ATapBetweenTwoQueriesIsReportedOnceAndNeverAsHeld)
{
    fake(XK_F10, true);
    fake(XK_F10, false);
    EXPECT_EQ(state(keys, platform::VK_F10_Code), 0x0001u);
    EXPECT_EQ(state(keys, platform::VK_F10_Code), 0u);
}

TEST_F(X11KeyState, APressAnewWhileBothQueriesFindTheKeyDownIsSeen)
{
    // What the keymap alone cannot tell: released and pressed again between two queries.
    fake(XK_F10, true);
    EXPECT_EQ(state(keys, platform::VK_F10_Code), 0x8001u);
    fake(XK_F10, false);
    fake(XK_F10, true);
    EXPECT_EQ(state(keys, platform::VK_F10_Code), 0x8001u);
    fake(XK_F10, false);
    EXPECT_EQ(state(keys, platform::VK_F10_Code), 0u);
}

TEST_F(X11KeyState, EachKeyHasItsOwnState)
{
    fake(XK_F11, true);
    fake(XK_F11, false);
    EXPECT_EQ(state(keys, platform::VK_F10_Code), 0u);
    EXPECT_EQ(state(keys, platform::VK_F11_Code), 0x0001u);
    EXPECT_EQ(state(keys, 0), 0u) << "no key";
}

TEST_F(X11KeyState, PressesReadAsTheyArriveAreKeptForTheNextQuery)
{
    // The event loop reads the presses while nobody asks; the next query still reports them.
    fake(XK_F10, true);
    fake(XK_F10, false);
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(state(keys, platform::VK_F10_Code), 0x0001u);
}

TEST_F(X11KeyState, LetterAndDigitKeysAreNamedByTheirPlainSymbol)
{
    Display *dpy = keyboard();
    EXPECT_EQ(keys.VirtualKeyFromNative(XKeysymToKeycode(dpy, XK_c), 0), 67);
    EXPECT_EQ(keys.VirtualKeyFromNative(XKeysymToKeycode(dpy, XK_5), 0), 53);
    // Function keys and the keypad are left to the toolkit's names.
    EXPECT_EQ(keys.VirtualKeyFromNative(XKeysymToKeycode(dpy, XK_F10), 0), 0);
    EXPECT_EQ(keys.VirtualKeyFromNative(XKeysymToKeycode(dpy, XK_KP_Begin), 0), 0);
    EXPECT_EQ(keys.VirtualKeyFromNative(0, 0), 0);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr,
                     "The X11 key-state tests need an X display (run them through "
                     "run-e2e.sh).\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
