// The General preferences, the About box and help, used as a user uses them.
#include "E2eHarness.h"

#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

// Last: its macros would trip over the headers above.
#include <X11/Xlib.h>

using namespace e2e;

namespace {

class Dialogs : public ::testing::Test
{
protected:
    void SetUp() override { paintDesktopPattern(); }

    // Waits for exactly one mapped window of that title and returns it (0 on time-out).
    static XWindow waitForWindow(const QString &title)
    {
        std::vector<XWindow> found;
        waitUntil([&] { return (found = windowsNamed(title)).size() == 1; }, 5000);
        return found.size() == 1 ? found.front() : 0;
    }

    static bool waitForNoWindow(const QString &title)
    {
        return waitUntil([&] { return windowsNamed(title).empty(); }, 5000);
    }

    static void putHelpBeside(const Program &program)
    {
        const QString shipped
            = QFileInfo(Program::executable()).dir().filePath(QStringLiteral("Quillan.hlp"));
        ASSERT_TRUE(QFile::exists(shipped)) << "the build puts the help beside the program";
        ASSERT_TRUE(QFile::copy(shipped, program.folder() + QStringLiteral("/Quillan.hlp")));
    }

    // Clicks a control of the General dialog given by its centre in twips within the client
    // area (15 twips per pixel).
    static void clickInDialog(XWindow dialog, int xTwips, int yTwips)
    {
        const QRect r = windowRect(dialog);
        click(r.x() + xTwips / 15, r.y() + yTwips / 15);
        settle();
    }

    static void replaceTextAt(XWindow dialog, int xTwips, int yTwips, const char *text)
    {
        clickInDialog(dialog, xTwips, yTwips);
        chord({"Control_L", "a"});
        typeText(QString::fromLatin1(text));
        settle();
    }
};

} // namespace

TEST_F(Dialogs, MarginsSetInTheGeneralDialogPlaceTheOverlayAtTheNextStart)
{
    Program program;
    program.writeSettings(Program::settingsBytes());
    ASSERT_TRUE(program.start()) << program.output().toStdString();
    ASSERT_EQ(windowRect(program.overlay()), QRect(QPoint(0, 0), screenSize()));

    program.openMenu(600, 500);
    tapKey("p"); // &Preferences
    settle();
    tapKey("g"); // &General...
    const XWindow dialog = waitForWindow(QStringLiteral(" Preferences - General"));
    ASSERT_NE(dialog, 0u);
    settle();
    // 3495 x 5115 twips, centred on the screen (a window manager's title bar, which the program
    // cannot know before the dialog is first shown, moves the client area down by its height).
    const QRect place = windowRect(dialog);
    EXPECT_EQ(place.size(), QSize(233, 341));
    EXPECT_LE(std::abs(place.center().x() - screenSize().width() / 2), 8);
    EXPECT_GE(place.center().y() - screenSize().height() / 2, -1);
    EXPECT_LE(place.center().y() - screenSize().height() / 2, 32);

    // Full Screen (No Margin) is checked on the defaults; unchecking it frees the boxes.
    clickInDialog(dialog, 120 + 600 + 100, 3180 + 1065 + 127);
    replaceTextAt(dialog, 120 + 600 + 247, 3180 + 465 + 165, "40"); // Left
    replaceTextAt(dialog, 120 + 1320 + 247, 3180 + 225 + 165, " 30 "); // Top
    replaceTextAt(dialog, 120 + 2040 + 247, 3180 + 465 + 165, "abc"); // Right
    tapKey("Return");

    // The bad box is named; the dialog stays.
    const XWindow box = waitForWindow(QStringLiteral(" Vyn Quillane"));
    ASSERT_NE(box, 0u) << "a message about the Right margin box";
    settle();
    tapKey("Return");
    ASSERT_TRUE(waitForNoWindow(QStringLiteral(" Vyn Quillane")));
    ASSERT_EQ(windowsNamed(QStringLiteral(" Preferences - General")).size(), 1u);
    // The box has the focus with its text selected: typing replaces it.
    settle();
    typeText(QStringLiteral("0"));
    tapKey("Return");
    ASSERT_TRUE(waitForNoWindow(QStringLiteral(" Preferences - General")));

    // Margins take effect when the program starts again.
    EXPECT_EQ(windowRect(program.overlay()), QRect(QPoint(0, 0), screenSize()));
    program.exitThroughMenu();
    ASSERT_TRUE(program.waitForExit());
    EXPECT_EQ(program.readSettings(), Program::settingsBytes([] {
                  gSettings.gnMarginLeft = 40;
                  gSettings.gnMarginTop = 30;
              }));

    ASSERT_TRUE(program.start()) << program.output().toStdString();
    const QSize screen = screenSize();
    EXPECT_EQ(windowRect(program.overlay()),
              QRect(40, 30, screen.width() - 40, screen.height() - 30));
    // The overlay shows what was under it: its corner is the desktop's (40, 30).
    EXPECT_EQ(screenshot(QRect(40, 30, 1, 1)).pixel(0, 0), desktopPatternAt(40, 30));
    program.exitThroughMenu();
    ASSERT_TRUE(program.waitForExit());
}

TEST_F(Dialogs, TheAboutBoxTicksAndEnterClosesIt)
{
    Program program;
    program.writeSettings(Program::settingsBytes());
    ASSERT_TRUE(program.start());
    program.openMenu(600, 500);
    tapKey("a"); // &About...
    const XWindow about = waitForWindow(QStringLiteral(" About Vyn Quillane"));
    ASSERT_NE(about, 0u);
    settle();
    const QRect r = windowRect(about);
    EXPECT_GT(r.width(), 200);
    // Above the overlay: the box's pixels are not the desktop's.
    EXPECT_NE(screenshot(QRect(r.center(), QSize(1, 1))).pixel(0, 0),
              desktopPatternAt(r.center().x(), r.center().y()));
    // The rights notice moves one character every 127 ms while the box is open.
    const QImage first = screenshot(r);
    ASSERT_TRUE(waitUntil([&] { return screenshot(r) != first; }, 2000));

    tapKey("Return");
    ASSERT_TRUE(waitForNoWindow(QStringLiteral(" About Vyn Quillane")));
    if (underWindowManager()) {
        EXPECT_TRUE(waitUntil([&] {
            return netWmState(program.overlay()).contains(QStringLiteral("_NET_WM_STATE_ABOVE"));
        }));
    }
    // The program goes on: typing still reaches the text.
    const QImage text = screenshot(QRect(150, 150, 500, 200));
    typeText(QStringLiteral("ok"));
    EXPECT_TRUE(waitUntil([&] { return screenshot(QRect(150, 150, 500, 200)) != text; }));
    program.exitThroughMenu();
    ASSERT_TRUE(program.waitForExit());
}

TEST_F(Dialogs, HelpShowsInAWindowAboveTheOverlay)
{
    Program program;
    program.writeSettings(Program::settingsBytes());
    putHelpBeside(program);
    ASSERT_TRUE(program.start());

    program.openMenu(600, 500);
    tapKey("h"); // &Help Topics...
    const XWindow help = waitForWindow(QStringLiteral(" Vyn Quillane Help"));
    ASSERT_NE(help, 0u);
    settle();
    const QRect r = windowRect(help);
    EXPECT_GT(r.width(), 400);
    EXPECT_GT(r.height(), 400);
    // Its page is white where the overlay would show the desktop pattern.
    const QImage shown = screenshot(r);
    int white = 0;
    for (int y = 0; y < shown.height(); y += 4)
        for (int x = 0; x < shown.width(); x += 4)
            white += shown.pixel(x, y) == qRgb(255, 255, 255);
    EXPECT_GT(white, (shown.width() / 4) * (shown.height() / 4) / 2);
    if (underWindowManager()) {
        EXPECT_TRUE(netWmState(help).contains(QStringLiteral("_NET_WM_STATE_ABOVE")));
    }

    // Esc closes it; the General dialog's Help brings it back.
    tapKey("Escape");
    ASSERT_TRUE(waitForNoWindow(QStringLiteral(" Vyn Quillane Help")));
    program.openMenu(600, 500);
    tapKey("p");
    settle();
    tapKey("g");
    ASSERT_NE(waitForWindow(QStringLiteral(" Preferences - General")), 0u);
    settle();
    chord({"Alt_L", "h"});
    ASSERT_NE(waitForWindow(QStringLiteral(" Vyn Quillane Help")), 0u);
    settle();
    // It takes the keyboard although the dialog is modal.
    tapKey("Escape");
    ASSERT_TRUE(waitForNoWindow(QStringLiteral(" Vyn Quillane Help")));
    settle();
    tapKey("Escape");
    ASSERT_TRUE(waitForNoWindow(QStringLiteral(" Preferences - General")));
    program.exitThroughMenu();
    ASSERT_TRUE(program.waitForExit());
}

TEST_F(Dialogs, HelpStaysInFrontWhenTheDialogThatAskedForItCloses)
{
    Program program;
    program.writeSettings(Program::settingsBytes());
    putHelpBeside(program);
    ASSERT_TRUE(program.start());
    program.openMenu(600, 500);
    tapKey("p");
    settle();
    tapKey("g");
    const XWindow dialog = waitForWindow(QStringLiteral(" Preferences - General"));
    ASSERT_NE(dialog, 0u);
    settle();
    chord({"Alt_L", "h"});
    const XWindow help = waitForWindow(QStringLiteral(" Vyn Quillane Help"));
    ASSERT_NE(help, 0u);
    settle();
    const QRect r = windowRect(help);
    const QRect page(r.x() + 20, r.y() + r.height() - 60, r.width() - 60, 20);
    const QImage reading = screenshot(page);

    // The user goes back to the dialog (it lies under the help) and closes it with Esc.
    Display *dpy = display();
    XRaiseWindow(dpy, dialog);
    XSetInputFocus(dpy, dialog, RevertToParent, CurrentTime);
    XSync(dpy, False);
    waitUntil([&] {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(dpy, &focus, &revert);
        return focus == dialog;
    });
    settle();
    tapKey("Escape");
    ASSERT_TRUE(waitForNoWindow(QStringLiteral(" Preferences - General")));
    settle();
    // The overlay is back on top, and the help the user was reading above it.
    EXPECT_EQ(screenshot(page), reading);
    ASSERT_EQ(windowsNamed(QStringLiteral(" Vyn Quillane Help")).size(), 1u);
    // Beside the help window, on the overlay.
    program.exitThroughMenu(960, 100);
    ASSERT_TRUE(program.waitForExit());
}

TEST_F(Dialogs, AMissingHelpFileIsReported)
{
    Program program;
    program.writeSettings(Program::settingsBytes());
    ASSERT_TRUE(program.start());
    program.openMenu(600, 500);
    tapKey("h");
    const XWindow box = waitForWindow(QStringLiteral(" Vyn Quillane"));
    ASSERT_NE(box, 0u);
    settle();
    tapKey("Return");
    ASSERT_TRUE(waitForNoWindow(QStringLiteral(" Vyn Quillane")));
    EXPECT_TRUE(windowsNamed(QStringLiteral(" Vyn Quillane Help")).empty());
    program.exitThroughMenu();
    ASSERT_TRUE(program.waitForExit());
}
