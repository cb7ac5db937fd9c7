// The command menu under real input: every right press opens it, whatever closed the one before,
// and the press after a menu is handled as the fresh press it is; its access keys reach every
// enabled item. Run with no window manager and under openbox.
#include "E2eHarness.h"

// GoogleTest before Xlib, whose macros (None, True, False) it would trip over.
#include <gtest/gtest.h>

using namespace e2e;

namespace {

constexpr QRgb TextColour = 0xFFFF0050; // the default text colour, (255, 0, 80)
constexpr QRgb Desktop = 0xFF404040;

QRect wholeScreen()
{
    return QRect(QPoint(0, 0), screenSize());
}

// The band the strokes are drawn in, well below the text and away from where the menu opens.
QRect strokeBand()
{
    return QRect(200, screenSize().height() / 2 + 40, 400, 80);
}

// Where the menu is opened on the bare surface: clear of the text, the strokes and the menu.
QPoint surfacePoint()
{
    return QPoint(screenSize().width() - 150, 120);
}

// A left-button stroke through the stroke band.
void drawStroke()
{
    const QRect band = strokeBand();
    drag(QPoint(band.left() + 20, band.center().y()), QPoint(band.right() - 20, band.center().y()),
         12, 15);
    settle();
}

bool bandIsBare()
{
    const QImage shot = screenshot(strokeBand());
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (shot.pixel(x, y) != Desktop)
                return false;
    return true;
}

bool bandBecomesBare()
{
    return waitUntil(bandIsBare, 3000);
}

bool bandShowsAStroke()
{
    return waitUntil([] { return !bandIsBare(); }, 3000);
}

bool menuCloses()
{
    return waitUntil([] { return !menuIsOpen(); }, 3000);
}

class CommandMenu : public ::testing::Test
{
protected:
    void SetUp() override
    {
        paintDesktopPlain(0x404040);
        m_program.writeSettings(Program::settingsBytes());
        ASSERT_TRUE(m_program.start()) << m_program.output().toStdString();
        ASSERT_TRUE(waitUntil([this] { return !(m_text = text()).isEmpty(); }));
    }

    void TearDown() override
    {
        if (menuIsOpen())
            tapKey("Escape");
        if (m_program.isRunning()) {
            m_program.exitThroughMenu(surfacePoint().x(), surfacePoint().y());
            m_program.waitForExit();
        }
    }

    // The text block's glyphs on the screen.
    static QRect text() { return inkBounds(TextColour, wholeScreen()); }
    // A point on the text (its middle), as it stands now.
    QPoint onText() const { return m_text.center(); }

    QRect m_text;
    Program m_program;
};

TEST_F(CommandMenu, EveryRightPressOpensItWhateverClosedTheOneBefore)
{
    // Escape, again and again: each press opens the menu, on the text and on the surface.
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(rightClickOpensMenu(onText().x(), onText().y())) << "round " << round;
        tapKey("Escape");
        ASSERT_TRUE(menuCloses());
    }
    ASSERT_TRUE(rightClickOpensMenu(surfacePoint().x(), surfacePoint().y()));
    tapKey("Escape");
    ASSERT_TRUE(menuCloses());

    // A click elsewhere closes it; the next press on the text opens it again.
    ASSERT_TRUE(rightClickOpensMenu(onText().x(), onText().y()));
    click(surfacePoint().x(), surfacePoint().y() + 200);
    ASSERT_TRUE(menuCloses());
    settle();
    ASSERT_TRUE(rightClickOpensMenu(onText().x(), onText().y()));
    tapKey("Escape");
    ASSERT_TRUE(menuCloses());

    // After a menu on the text, a left press on the text starts a drag: the text moves.
    const QPoint grab = onText();
    drag(grab, grab + QPoint(60, 90));
    EXPECT_TRUE(waitUntil([&] { return text().topLeft() == m_text.topLeft() + QPoint(60, 90); }))
        << "the text stands at " << text().x() << ", " << text().y();
    m_text = text();

    // A command chosen in it (Clear Text, the first item, by Down and Return) closes it too.
    ASSERT_TRUE(rightClickOpensMenu(onText().x(), onText().y()));
    keysInMenu({"Down", "Return"});
    ASSERT_TRUE(menuCloses());
    EXPECT_TRUE(waitUntil([] { return text().isEmpty(); })) << "the text is cleared";
    ASSERT_TRUE(rightClickOpensMenu(surfacePoint().x(), surfacePoint().y()));
    // Restore Text is the one enabled item of its letter: R chooses it.
    keysInMenu({"r"});
    ASSERT_TRUE(menuCloses());
    EXPECT_TRUE(waitUntil([this] { return text() == m_text; })) << "the text is back";
}

TEST_F(CommandMenu, LineModeChosenOnTheTextDrawsAtTheNextPressAndNotFromTheText)
{
    // Draw Lines chosen from a menu opened on the text: Clear Text, Standby, Enter Text, Draw
    // Lines by the Down key (Clear Lines and Restore Text are greyed out).
    ASSERT_TRUE(rightClickOpensMenu(onText().x(), onText().y()));
    keysInMenu({"Down", "Down", "Down", "Down", "Return"});
    ASSERT_TRUE(menuCloses());
    ASSERT_TRUE(bandIsBare());
    drawStroke();
    EXPECT_TRUE(bandShowsAStroke()) << "the first press after the menu draws";

    // Escape from a menu on the surface, then a stroke again.
    ASSERT_TRUE(rightClickOpensMenu(surfacePoint().x(), surfacePoint().y()));
    tapKey("Escape");
    ASSERT_TRUE(menuCloses());
    const QImage withOneStroke = screenshot();
    const QRect band = strokeBand();
    drag(QPoint(band.left() + 20, band.bottom() - 10), QPoint(band.right() - 20, band.top() + 10),
         12, 15);
    EXPECT_TRUE(waitUntil([&] { return screenshot() != withOneStroke; }));

    // A left press on the text in line mode draws nothing, wherever the pointer goes.
    ASSERT_TRUE(rightClickOpensMenu(onText().x(), onText().y()));
    tapKey("Escape");
    ASSERT_TRUE(menuCloses());
    ASSERT_TRUE(settle());
    const QImage before = screenshot();
    drag(onText(), onText() + QPoint(0, 150), 10, 20);
    // Nothing to wait for on the screen: the program has taken the drag in once it settles.
    ASSERT_TRUE(settle());
    EXPECT_EQ(screenshot(), before) << "a press on the text drew";

    // And the right press on the text still opens the menu.
    ASSERT_TRUE(rightClickOpensMenu(onText().x(), onText().y()));
    tapKey("Escape");
    ASSERT_TRUE(menuCloses());
}

TEST_F(CommandMenu, AccessKeysReachEveryEnabledItem)
{
    // Clear Lines is greyed out: L has one enabled item, Draw Lines, and chooses it at once.
    ASSERT_TRUE(rightClickOpensMenu(surfacePoint().x(), surfacePoint().y()));
    keysInMenu({"l"});
    ASSERT_TRUE(menuCloses()) << "L chose nothing";
    drawStroke();
    ASSERT_TRUE(bandShowsAStroke()) << "line mode is on";

    // With lines drawn L belongs to two enabled items: the first L highlights Clear Lines, and
    // Enter chooses it.
    ASSERT_TRUE(rightClickOpensMenu(surfacePoint().x(), surfacePoint().y()));
    keysInMenu({"l"});
    EXPECT_TRUE(menuIsOpen()) << "a letter shared by two items only moves the highlight";
    keysInMenu({"Return"});
    ASSERT_TRUE(menuCloses());
    EXPECT_TRUE(bandBecomesBare()) << "Clear Lines was chosen";

    // The second L moves on to Draw Lines: the lines stay.
    drawStroke();
    ASSERT_TRUE(bandShowsAStroke());
    ASSERT_TRUE(rightClickOpensMenu(surfacePoint().x(), surfacePoint().y()));
    keysInMenu({"l", "l", "Return"});
    ASSERT_TRUE(menuCloses());
    ASSERT_TRUE(settle());
    EXPECT_FALSE(bandIsBare()) << "Draw Lines was chosen, not Clear Lines";

    // The third comes round to Clear Lines again.
    ASSERT_TRUE(rightClickOpensMenu(surfacePoint().x(), surfacePoint().y()));
    keysInMenu({"l", "l", "l", "Return"});
    ASSERT_TRUE(menuCloses());
    EXPECT_TRUE(bandBecomesBare());

    // T belongs to Clear Text and Enter Text, both enabled: the second T highlights Enter Text,
    // and Enter chooses it, back to text mode, with the text left as it is.
    const QRect shown = text();
    ASSERT_TRUE(rightClickOpensMenu(surfacePoint().x(), surfacePoint().y()));
    keysInMenu({"t", "t", "Return"});
    ASSERT_TRUE(menuCloses());
    ASSERT_TRUE(settle());
    EXPECT_EQ(text(), shown);
    drawStroke(); // settles: a line would be on the screen by now

    EXPECT_TRUE(bandIsBare()) << "text mode draws no line";
}

} // namespace
