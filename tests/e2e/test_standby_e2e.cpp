// Standby under real input: the keyboard stays with the program while the overlay is away (the
// hot keys and typing go on reaching the text), and after the return typing reaches the text
// without a click, whether standby came from the menu or the hot key. Run with no window manager
// and under openbox.
#include "E2eHarness.h"

#include "settings/Settings.h"
#include "settings/SettingsCodec.h"

// GoogleTest before Xlib, whose macros (None, True, False) it would trip over.
#include <gtest/gtest.h>

using namespace e2e;

namespace {

constexpr QRgb TextColour = 0xFFFF0050; // the default text colour, (255, 0, 80)

QRect wholeScreen()
{
    return QRect(QPoint(0, 0), screenSize());
}

QPoint menuPoint()
{
    return QPoint(screenSize().width() - 150, screenSize().height() - 200);
}

TEST(Standby, TheKeyboardStaysWithTheProgramAndTypingGoesOnAfterTheReturn)
{
    paintDesktopPlain(0x404040);
    Program program;
    program.writeSettings(Program::settingsBytes());
    ASSERT_TRUE(program.start()) << program.output().toStdString();
    ASSERT_TRUE(typingShowsIn(wholeScreen(), TextColour)) << "typing reaches the text at start";

    const auto overlayAway = [&] { return !isMapped(program.overlay()); };
    const auto overlayBack = [&] {
        for (XWindow w : windowsNamed(QStringLiteral("Vyn Quillane")))
            if (windowRect(w) == wholeScreen())
                return true;
        return false;
    };
    const auto textShown = [] { return !inkBounds(TextColour, wholeScreen()).isEmpty(); };

    for (const bool byMenu : {true, false}) {
        SCOPED_TRACE(byMenu ? "standby by the menu" : "standby by the hot key");
        if (byMenu) {
            ASSERT_TRUE(rightClickOpensMenu(menuPoint().x(), menuPoint().y()));
            keysInMenu({"s"}); // &Standby
        } else {
            chord({"Control_L", "s"});
        }
        ASSERT_TRUE(waitUntil(overlayAway)) << "standby takes the overlay away";

        // Meanwhile the keys still reach the program: Standby again only repeats the move, a
        // typed letter goes into the text, and Clear Text clears it.
        chord({"Control_L", "s"});
        typeText(byMenu ? QStringLiteral("q") : QStringLiteral("k"));
        chord({"Control_L", "c"});
        ASSERT_TRUE(settle());
        EXPECT_TRUE(overlayAway());

        keyDown("F10");
        pause(300); // the key held as a hand holds it
        keyUp("F10");
        ASSERT_TRUE(waitUntil(overlayBack)) << "the standby key brings the overlay back";
        EXPECT_TRUE(waitUntil([&] { return !textShown(); }, 2000))
            << "Clear Text pressed during standby reached the program";

        // Restore Text by its hot key, and typing goes on without a click.
        chord({"Control_L", "r"});
        EXPECT_TRUE(waitUntil(textShown)) << "the keyboard is the program's after the return";
        EXPECT_TRUE(typingShowsIn(wholeScreen(), TextColour));
    }

    program.exitThroughMenu(menuPoint().x(), menuPoint().y());
    ASSERT_TRUE(program.waitForExit());
    Settings stored;
    ASSERT_TRUE(DecodeSettings(program.readSettings(), stored).ok);
    EXPECT_EQ(stored.gsText, QStringLiteral("qkHello!")) << "what was typed during standby is kept";
}

} // namespace
