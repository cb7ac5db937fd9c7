// The program's windows as the window manager and the keyboard meet them: the palette window
// closed from outside (Alt+F4, a close request) runs its own closing, the General dialog's Enter
// presses the button that has the focus, and the dialogs stand centred by their outer size.
#include "E2eHarness.h"

#include "settings/Palette.h"
#include "settings/Settings.h"
#include "settings/SettingsCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace e2e;

namespace {

constexpr int PaletteWidth = 107;
const QString TextDialogTitle = QStringLiteral(" Preferences - Text");
const QString GeneralTitle = QStringLiteral(" Preferences - General");
const QString AboutTitle = QStringLiteral(" About Vyn Quillane");
const QString HelpTitle = QStringLiteral(" Vyn Quillane Help");

QPoint menuPoint()
{
    return QPoint(screenSize().width() - 120, screenSize().height() - 200);
}

XWindow paletteWindow()
{
    for (XWindow w : windowsNamed(QStringLiteral("Vyn Quillane")))
        if (windowRect(w).width() == PaletteWidth)
            return w;
    return 0;
}

XWindow waitForWindow(const QString &title)
{
    std::vector<XWindow> found;
    waitUntil([&] { return (found = windowsNamed(title)).size() == 1; });
    return found.size() == 1 ? found.front() : 0;
}

bool waitForNoWindow(const QString &title)
{
    return waitUntil([&] { return windowsNamed(title).empty(); });
}

class WindowsFromOutside : public ::testing::Test
{
protected:
    void SetUp() override
    {
        paintDesktopPlain(0x404040);
        m_program.writeSettings(Program::settingsBytes());
        ASSERT_TRUE(m_program.start()) << m_program.output().toStdString();
    }

    void TearDown() override
    {
        if (m_program.isRunning()) {
            m_program.exitThroughMenu(menuPoint().x(), menuPoint().y());
            m_program.waitForExit();
        }
    }

    // Opens the command menu and types the access keys of a command ("p", "l": &Preferences,
    // &Line...).
    void choose(std::initializer_list<const char *> keys)
    {
        m_program.openMenu(menuPoint().x(), menuPoint().y());
        // Each key taken in before the next: the first may open a submenu the next goes to.
        for (const char *key : keys) {
            tapKey(key);
            settle();
        }
    }

    Settings saved()
    {
        Settings record;
        BuildPalette();
        record.gsPalette = gSettings.gsPalette;
        DecodeSettings(m_program.readSettings(), record);
        return record;
    }

    Program m_program;
};

} // namespace

TEST_F(WindowsFromOutside, ThePaletteWindowClosedFromOutsideRunsItsOwnClosing)
{
    const QPoint corner(screenSize().width() - PaletteWidth, 0);
    // Under a window manager, once by Alt+F4 (which goes through it) and once by its close
    // request; without one, by the close request a task bar would send.
    const int rounds = underWindowManager() ? 2 : 1;
    // Draw &Lines (four down: Clear Lines and Restore Text are disabled).
    m_program.openMenu(menuPoint().x(), menuPoint().y());
    keysInMenu({"Down", "Down", "Down", "Down", "Return"});
    ASSERT_TRUE(settle());
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE(round);
        choose({"p", "l"});
        XWindow palette = 0;
        ASSERT_TRUE(waitUntil([&] { return (palette = paletteWindow()) != 0; }));
        ASSERT_TRUE(waitUntil([&] { return windowRect(palette).topLeft() == corner; }))
            << "a fresh palette window stands at the top right corner";

        // Moved by its title strip, so that a window merely shown again would stand elsewhere.
        const QPoint strip = windowRect(palette).topLeft() + QPoint(40, 8);
        drag(strip, strip + QPoint(-300, 200));
        ASSERT_TRUE(waitUntil([&] { return windowRect(palette).topLeft() != corner; }));

        if (round == 0 && underWindowManager()) {
            ASSERT_TRUE(waitUntil([&] { return activeWindow() == palette; }))
                << "the palette window, pressed, is the active window";
            chord({"Alt_L", "F4"});
        } else {
            requestWindowClose(palette);
        }
        ASSERT_TRUE(waitUntil([] { return paletteWindow() == 0; }));
        // Its closing ran: the overlay is back in the topmost band and has the keyboard.
        if (underWindowManager()) {
            EXPECT_TRUE(waitUntil([&] {
                return netWmState(m_program.overlay())
                    .contains(QStringLiteral("_NET_WM_STATE_ABOVE"));
            }));
        }
        EXPECT_TRUE(waitUntil([&] { return inputFocus() == m_program.overlay(); }));
    }
    // "&Line..." opens it afresh, at the corner again.
    choose({"p", "l"});
    XWindow palette = 0;
    ASSERT_TRUE(waitUntil([&] { return (palette = paletteWindow()) != 0; }));
    ASSERT_TRUE(settle());
    waitUntil([&] { return windowRect(palette).topLeft() == corner; });
    EXPECT_EQ(windowRect(palette).topLeft(), corner);
}

TEST_F(WindowsFromOutside, EnterOnTheGeneralDialogsCancelOrHelpPressesThatButton)
{
    // Shift+Tab from the first control reaches Help, then Cancel.
    choose({"p", "g"});
    XWindow general = waitForWindow(GeneralTitle);
    ASSERT_NE(general, 0u);
    ASSERT_TRUE(waitUntil([&] { return keyboardIsIn(general); }));
    ASSERT_TRUE(settle());
    tapKey("space"); // the first Alt box, which has the focus: ticked
    keyDown("Shift_L");
    tapKey("Tab");
    tapKey("Tab");
    keyUp("Shift_L");
    ASSERT_TRUE(settle());
    tapKey("Return"); // on Cancel
    ASSERT_TRUE(waitForNoWindow(GeneralTitle));

    // The help file beside the program, so Help has something to show.
    const QString shipped
        = QFileInfo(Program::executable()).dir().filePath(QStringLiteral("Quillan.hlp"));
    ASSERT_TRUE(QFile::copy(shipped, m_program.folder() + QStringLiteral("/Quillan.hlp")));
    choose({"p", "g"});
    general = waitForWindow(GeneralTitle);
    ASSERT_NE(general, 0u);
    ASSERT_TRUE(waitUntil([&] { return keyboardIsIn(general); }));
    ASSERT_TRUE(settle());
    tapKey("space");
    keyDown("Shift_L");
    tapKey("Tab");
    keyUp("Shift_L");
    ASSERT_TRUE(settle());
    tapKey("Return"); // on Help
    const XWindow help = waitForWindow(HelpTitle);
    ASSERT_NE(help, 0u);
    EXPECT_EQ(windowsNamed(GeneralTitle).size(), 1u) << "the dialog stays open under its help";
    // Escape goes to whichever window has the keyboard: wait until the help window has it.
    ASSERT_TRUE(waitUntil([&] { return keyboardIsIn(help); }, 5000));
    tapKey("Escape");
    ASSERT_TRUE(waitForNoWindow(HelpTitle));
    const XWindow dialog = waitForWindow(GeneralTitle);
    ASSERT_NE(dialog, 0u);
    ASSERT_TRUE(settle());
    // Cancel, clicked: without a window manager the keyboard does not come back by itself.
    const QPoint cancel
        = windowRect(dialog).topLeft() + QPoint((1320 + 427) / 15, (4695 + 165) / 15);
    click(cancel.x(), cancel.y());
    ASSERT_TRUE(waitForNoWindow(GeneralTitle));

    m_program.exitThroughMenu(menuPoint().x(), menuPoint().y());
    ASSERT_TRUE(m_program.waitForExit());
    EXPECT_EQ(saved().gnHotKeyMods[0], 0) << "nothing was stored";
}

TEST_F(WindowsFromOutside, DialogsAreCentredByTheirOuterSize)
{
    const QSize screen = screenSize();
    struct Dialog
    {
        std::initializer_list<const char *> keys;
        QString title;
        const char *close;
    };
    const Dialog dialogs[] = {{{"p", "t"}, TextDialogTitle, "Escape"},
                              {{"p", "g"}, GeneralTitle, "Escape"},
                              {{"a"}, AboutTitle, "Return"}};
    for (const Dialog &d : dialogs) {
        SCOPED_TRACE(d.title.toStdString());
        choose(d.keys);
        const XWindow dialog = waitForWindow(d.title);
        ASSERT_NE(dialog, 0u);
        if (underWindowManager()) {
            ASSERT_TRUE(waitUntil([&] { return !frameExtents(dialog).isNull(); }))
                << "the window manager frames the dialog";
        }
        ASSERT_TRUE(settle());
        const QRect outer = outerRect(dialog);
        // Centred in twips (15 to the pixel) and turned back into pixels: within a pixel.
        EXPECT_NEAR(outer.left(), (screen.width() - outer.width()) / 2, 1)
            << "frame " << frameExtents(dialog).left() << "+" << frameExtents(dialog).right();
        EXPECT_NEAR(outer.top(), (screen.height() - outer.height()) / 2, 1)
            << "frame " << frameExtents(dialog).top() << "+" << frameExtents(dialog).bottom();
        tapKey(d.close);
        ASSERT_TRUE(waitForNoWindow(d.title));
    }
}
