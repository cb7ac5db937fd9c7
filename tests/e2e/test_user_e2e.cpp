// The program as a user meets it, from start to exit: typing, moving the text, drawing, every
// command of the menu, every dialog opened and closed by each of its ways, standby and return,
// and each way out. Run at 1024 x 768 and 1920 x 1080, with no window manager and under openbox.
// Where the result is a picture, the screen is compared with the one it must equal.
#include "E2eHarness.h"

#include "settings/Palette.h"
#include "settings/Settings.h"
#include "settings/SettingsCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <csignal>

// GoogleTest before Xlib, whose macros (None, True, False) it would trip over.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

using namespace e2e;

namespace {

constexpr QRgb TextColour = 0xFFFF0050; // the default text colour, (255, 0, 80)
constexpr int PaletteWidth = 107;
const QString ProgramTitle = QStringLiteral("Vyn Quillane");
const QString TextDialogTitle = QStringLiteral(" Preferences - Text");
const QString GeneralTitle = QStringLiteral(" Preferences - General");
const QString AboutTitle = QStringLiteral(" About Vyn Quillane");
const QString HelpTitle = QStringLiteral(" Vyn Quillane Help");
const QString BoxTitle = QStringLiteral(" Vyn Quillane");

QRect wholeScreen()
{
    return QRect(QPoint(0, 0), screenSize());
}

// Where the menu is opened from: well away from the text, the strokes and every dialog.
QPoint menuPoint()
{
    return QPoint(screenSize().width() - 120, screenSize().height() - 200);
}

XWindow windowTitled(const QString &title)
{
    const std::vector<XWindow> found = windowsNamed(title);
    return found.size() == 1 ? found.front() : 0;
}

XWindow waitForWindow(const QString &title)
{
    XWindow window = 0;
    waitUntil([&] { return (window = windowTitled(title)) != 0; });
    settle(); // its first paint
    return window;
}

bool waitForNoWindow(const QString &title)
{
    return waitUntil([&] { return windowsNamed(title).empty(); });
}

// The overlay: the program's window that covers the screen. Looked up anew, as its native window
// can be another one after a return from standby.
XWindow overlayWindow()
{
    for (XWindow w : windowsNamed(ProgramTitle))
        if (windowRect(w) == wholeScreen())
            return w;
    return 0;
}

// Holds the standby key as a user does until the overlay is back.
bool backFromStandby()
{
    keyDown("F10");
    const bool back = waitUntil([] { return overlayWindow() != 0; });
    keyUp("F10");
    return back && settle();
}

XWindow paletteWindow()
{
    for (XWindow w : windowsNamed(ProgramTitle))
        if (windowRect(w).width() == PaletteWidth)
            return w;
    return 0;
}

// A click at a point of a window given in its own pixels.
void clickIn(XWindow window, QPoint at)
{
    const QPoint p = windowRect(window).topLeft() + at;
    click(p.x(), p.y());
    settle();
}

// The screen comes to equal `expected` (the caret aside) within the time-out.
bool screenBecomes(const QImage &expected, const QRect &area, int timeoutMs = 3000)
{
    return waitUntil([&] { return sameButTheCaret(screenshot(area), expected); }, timeoutMs);
}

// The screen stays different from `picture` (checked for longer than a blink period).
bool screenStaysUnlike(const QImage &picture, const QRect &area)
{
    return !waitUntil([&] { return sameButTheCaret(screenshot(area), picture); }, 1200);
}

// Something of the program's own is painted over what was there: a dialog above the overlay.
bool screenDiffers(const QImage &picture, const QRect &area)
{
    return waitUntil([&] { return !sameButTheCaret(screenshot(area), picture); }, 3000);
}

// Types a key and takes it back, and tells whether the text on the screen answered: the keys
// reach the text without a click.
bool typingReachesTheText()
{
    const QRect band(150, 150, 600, 160);
    const QImage before = screenshot(band);
    tapKey("w");
    const bool changed = waitUntil(
        [&] {
            const QImage now = screenshot(band);
            int ink = 0, inkBefore = 0;
            for (int y = 0; y < now.height(); ++y)
                for (int x = 0; x < now.width(); ++x) {
                    ink += now.pixel(x, y) == TextColour ? 1 : 0;
                    inkBefore += before.pixel(x, y) == TextColour ? 1 : 0;
                }
            return ink > inkBefore + 20;
        },
        3000);
    tapKey("BackSpace");
    settle();
    return changed;
}

// The pixels of exactly that colour in an area, leaving out those the desktop has of it anyway.
QRect inkOf(QRgb colour, const QRect &area, const QImage &desktop)
{
    const QImage shot = screenshot(area);
    QRect ink;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (shot.pixel(x, y) == colour && desktop.pixel(area.x() + x, area.y() + y) != colour)
                ink |= QRect(area.x() + x, area.y() + y, 1, 1);
    return ink;
}

Settings savedSettings(const Program &program)
{
    BuildPalette();
    Settings saved;
    saved.gsPalette = gSettings.gsPalette;
    DecodeSettings(program.readSettings(), saved);
    return saved;
}

// The stroke used throughout: a zigzag in the lower half of the screen.
void drawStroke(int shift = 0)
{
    const int y0 = screenSize().height() / 2 + 60 + shift;
    movePointer(300, y0);
    pause(30);
    pressButton(1);
    for (int step = 1; step <= 30; ++step) {
        movePointer(300 + step * 12, y0 + ((step % 2) ? 40 : 0));
        pause(3);
    }
    pause(30);
    releaseButton(1);
    settle();
}

class AsAUserMeetsIt : public ::testing::Test
{
protected:
    void SetUp() override
    {
        paintDesktopPattern();
        m_desktop = screenshot();
        m_program.writeSettings(Program::settingsBytes());
        const QString shipped
            = QFileInfo(Program::executable()).dir().filePath(QStringLiteral("Quillan.hlp"));
        if (QFile::exists(shipped))
            QFile::copy(shipped, m_program.folder() + QStringLiteral("/Quillan.hlp"));
        ASSERT_TRUE(m_program.start()) << m_program.output().toStdString();
        movePointer(menuPoint().x(), menuPoint().y());
        settle();
    }

    void TearDown() override
    {
        if (m_program.isRunning()) {
            m_program.exitThroughMenu(menuPoint().x(), menuPoint().y());
            m_program.waitForExit();
        }
    }

    // Opens the menu with a right press, as a user does, once it is on the screen.
    static void openMenu()
    {
        movePointer(menuPoint().x(), menuPoint().y());
        pause(30);
        pressButton(3);
        pause(30);
        releaseButton(3);
        waitUntil(menuIsOpen);
        settle();
    }

    // Opens the menu and presses the keys in it (access keys, or Down past disabled items);
    void choose(std::initializer_list<const char *> keys)
    {
        openMenu();
        for (const char *key : keys) {
            tapKey(key);
            settle(); // a sub-menu opens, or the menu moves to the next item
        }
        waitUntil([] { return !menuIsOpen(); });
        settle();
    }

    // The menu's items by the Down key from the top, in text mode with the text shown and no
    // lines: Clear Text, Standby, Enter Text, Draw Lines, Preferences, Help Topics, About.
    void chooseDown(int downs)
    {
        openMenu();
        for (int i = 0; i < downs; ++i) {
            tapKey("Down");
            settle();
        }
        tapKey("Return");
        waitUntil([] { return !menuIsOpen(); });
        settle();
    }

    QImage m_desktop; // the screen before the program started
    Program m_program;
};

} // namespace

TEST_F(AsAUserMeetsIt, StartTypeMoveTheTextAndExitByTheMenu)
{
    // The frozen screen is the desktop as it was, except for the text block.
    const QRect below(0, 320, screenSize().width(), screenSize().height() - 320);
    EXPECT_EQ(screenshot(below), m_desktop.copy(below));
    EXPECT_TRUE(typingReachesTheText());
    typeText(QStringLiteral("Hi "));
    settle();

    // Moving the text carries its picture: the ink of the text, 300 right and 200 down.
    const QRect inkBefore = inkOf(TextColour, QRect(150, 150, 700, 200), m_desktop);
    ASSERT_FALSE(inkBefore.isEmpty());
    drag(QPoint(215, 225), QPoint(515, 425), 10, 15);
    QRect inkAfter;
    ASSERT_TRUE(waitUntil([&] {
        inkAfter = inkOf(TextColour, QRect(150, 150, 850, 450), m_desktop);
        return inkAfter.left() > inkBefore.left() + 200;
    }));
    EXPECT_EQ(inkAfter, inkBefore.translated(300, 200));
    // What the text covered shows the desktop again.
    const QRect left = QRect(150, 150, 300, 150);
    EXPECT_TRUE(screenBecomes(m_desktop.copy(left), left));

    m_program.exitThroughMenu(menuPoint().x(), menuPoint().y());
    ASSERT_TRUE(m_program.waitForExit());
    const Settings saved = savedSettings(m_program);
    EXPECT_EQ(saved.gsText, QStringLiteral("Hi Hello!"));
    EXPECT_EQ(saved.gnTextX, 500);
    EXPECT_EQ(saved.gnTextY, 400);
}

TEST_F(AsAUserMeetsIt, ClearAndRestoreTheTextByTheMenuAndByTheHotKeys)
{
    const QRect textArea(150, 150, 600, 160);
    const QImage withText = screenshot(textArea);
    choose({"Down", "Return"}); // Clear &Text
    EXPECT_TRUE(screenBecomes(m_desktop.copy(textArea), textArea)) << "the text is gone";
    choose({"r"}); // &Restore Text
    EXPECT_TRUE(screenBecomes(withText, textArea)) << "the text is back as it was";

    chord({"Control_L", "c"});
    EXPECT_TRUE(screenBecomes(m_desktop.copy(textArea), textArea));
    // Typed while cleared, the key is in the text when it comes back.
    typeText(QStringLiteral("x"));
    settle();
    EXPECT_EQ(screenshot(textArea), m_desktop.copy(textArea));
    chord({"Control_L", "r"});
    EXPECT_TRUE(screenDiffers(m_desktop.copy(textArea), textArea));
    EXPECT_TRUE(screenStaysUnlike(withText, textArea)) << "the text came back with the x";
    m_program.exitThroughMenu(menuPoint().x(), menuPoint().y());
    ASSERT_TRUE(m_program.waitForExit());
    EXPECT_EQ(savedSettings(m_program).gsText, QStringLiteral("xHello!"));
}

TEST_F(AsAUserMeetsIt, DrawAndClearLinesByTheMenuAndByTheHotKey)
{
    chooseDown(4); // Draw &Lines
    const QImage before = screenshot();
    drawStroke();
    ASSERT_FALSE(sameButTheCaret(screenshot(), before)) << "the stroke shows";
    // Clear Text, Clear Lines (now enabled), Standby, Enter Text, Draw Lines.
    chooseDown(2);
    EXPECT_TRUE(screenBecomes(before, wholeScreen())) << "Clear Lines gives the screen back";

    drawStroke(40);
    ASSERT_FALSE(sameButTheCaret(screenshot(), before));
    chord({"Control_L", "l"});
    EXPECT_TRUE(screenBecomes(before, wholeScreen()));

    // Enter Text (Clear Lines is disabled again): the keys reach the text once more.
    chooseDown(3);
    EXPECT_TRUE(typingReachesTheText());
}

TEST_F(AsAUserMeetsIt, StandbyByTheMenuAndTheHotKeyAndBackWithTheStandbyKey)
{
    const QImage frozen = screenshot();
    for (const bool byMenu : {true, false}) {
        if (byMenu)
            choose({"s"}); // &Standby
        else
            chord({"Control_L", "s"});
        EXPECT_TRUE(screenBecomes(m_desktop, wholeScreen())) << "the real desktop shows";
        ASSERT_TRUE(backFromStandby());
        EXPECT_TRUE(screenBecomes(frozen, wholeScreen())) << "the frozen screen is back";
        // A press on the overlay, and typing goes on.
        click(menuPoint().x(), menuPoint().y());
        settle();
        EXPECT_TRUE(typingReachesTheText());
    }
}

TEST_F(AsAUserMeetsIt, TheTextDialogClosesByEachOfItsWays)
{
    const QImage before = screenshot();
    enum Way { Enter, OkButton, Esc, CancelButton, CloseBox, PaletteClose, StandbyKey };
    for (const Way way : {Enter, OkButton, Esc, CancelButton, CloseBox, PaletteClose, StandbyKey}) {
        SCOPED_TRACE(int(way));
        choose({"p", "t"}); // &Preferences, &Text...
        const XWindow dialog = waitForWindow(TextDialogTitle);
        ASSERT_NE(dialog, 0u);
        // Not under the overlay: the dialog's own pixels are on the screen.
        EXPECT_TRUE(screenDiffers(before.copy(windowRect(dialog)), windowRect(dialog)));
        switch (way) {
        case Enter:
            tapKey("Return");
            break;
        case OkButton:
            clickIn(dialog, {185 + 28, 218 + 11});
            break;
        case Esc:
            tapKey("Escape");
            break;
        case CancelButton:
            clickIn(dialog, {249 + 28, 218 + 11});
            break;
        case CloseBox:
            requestWindowClose(dialog);
            break;
        case PaletteClose: {
            clickIn(dialog, {271 + 34 + 27, 4 + 21 + 10}); // "Text" opens the palette
            XWindow palette = 0;
            ASSERT_TRUE(waitUntil([&] { return (palette = paletteWindow()) != 0; }));
            settle();
            clickIn(palette, {3 + 89 + 6, 3 + 6});
            break;
        }
        case StandbyKey:
            // A press on the overlay gives it the keyboard back while the dialog stays open;
            // the Standby hot key then closes the dialog and its palette.
            clickIn(dialog, {271 + 34 + 27, 4 + 21 + 10});
            ASSERT_TRUE(waitUntil([] { return paletteWindow() != 0; }));
            click(menuPoint().x(), menuPoint().y());
            settle();
            chord({"Control_L", "s"});
            ASSERT_TRUE(waitForNoWindow(TextDialogTitle));
            ASSERT_TRUE(backFromStandby());
            click(menuPoint().x(), menuPoint().y());
            break;
        }
        ASSERT_TRUE(waitForNoWindow(TextDialogTitle));
        EXPECT_EQ(paletteWindow(), 0u) << "the palette never outlives the dialog";
        EXPECT_TRUE(screenBecomes(before, wholeScreen())) << "the screen is as it was";
        EXPECT_TRUE(typingReachesTheText()) << "the keys reach the text at once";
    }
}

TEST_F(AsAUserMeetsIt, TheLineWindowClosesByEachOfItsWays)
{
    chooseDown(4); // Draw &Lines
    const QImage before = screenshot();
    // Its close button; then the commands that close it: Enter Text, Standby, General, About.
    for (int way = 0; way < 5; ++way) {
        SCOPED_TRACE(way);
        choose({"p", "l"}); // &Preferences, &Line...
        XWindow palette = 0;
        ASSERT_TRUE(waitUntil([&] { return (palette = paletteWindow()) != 0; }));
        settle();
        switch (way) {
        case 0:
            clickIn(palette, {3 + 89 + 6, 3 + 6});
            break;
        case 1:
            chooseDown(3); // Clear Text, Standby, Enter Text (no lines, so no Clear Lines)
            break;
        case 2:
            choose({"s"});
            break;
        case 3:
            choose({"p", "g"});
            ASSERT_NE(waitForWindow(GeneralTitle), 0u);
            tapKey("Escape");
            ASSERT_TRUE(waitForNoWindow(GeneralTitle));
            break;
        case 4:
            choose({"a"});
            ASSERT_NE(waitForWindow(AboutTitle), 0u);
            tapKey("Return");
            ASSERT_TRUE(waitForNoWindow(AboutTitle));
            break;
        }
        ASSERT_TRUE(waitUntil([] { return paletteWindow() == 0; }));
        if (way == 2) {
            ASSERT_TRUE(backFromStandby()); // (no click: in line mode it would draw a dot)
        }
        // (Back in text mode after Enter Text the caret blinks: the screen matches when it is
        // off.)
        EXPECT_TRUE(screenBecomes(before, wholeScreen())) << "the screen is as it was";
        if (way == 1)
            chooseDown(4); // line mode again for the next round
    }
}

TEST_F(AsAUserMeetsIt, TheGeneralDialogAndTheAboutBoxCloseByEachOfTheirWays)
{
    const QImage before = screenshot();
    for (int way = 0; way < 5; ++way) {
        SCOPED_TRACE(way);
        choose({"p", "g"}); // &Preferences, &General...
        const XWindow dialog = waitForWindow(GeneralTitle);
        ASSERT_NE(dialog, 0u);
        EXPECT_TRUE(screenDiffers(before.copy(windowRect(dialog)), windowRect(dialog)));
        switch (way) {
        case 0:
            tapKey("Return"); // OK
            break;
        case 1:
            clickIn(dialog, {(360 + 427) / 15, (4695 + 165) / 15}); // OK
            break;
        case 2:
            tapKey("Escape");
            break;
        case 3:
            clickIn(dialog, {(1320 + 427) / 15, (4695 + 165) / 15}); // Cancel
            break;
        case 4:
            requestWindowClose(dialog);
            break;
        }
        ASSERT_TRUE(waitForNoWindow(GeneralTitle));
        EXPECT_TRUE(screenBecomes(before, wholeScreen()));
        EXPECT_TRUE(typingReachesTheText());
    }
    // The About box: Enter, or the title bar's close box (its OK button lies outside its
    // visible area).
    for (int way = 0; way < 2; ++way) {
        SCOPED_TRACE(way);
        choose({"a"}); // &About...
        const XWindow about = waitForWindow(AboutTitle);
        ASSERT_NE(about, 0u);
        EXPECT_TRUE(screenDiffers(before.copy(windowRect(about)), windowRect(about)));
        if (way == 0)
            tapKey("Return");
        else
            requestWindowClose(about);
        ASSERT_TRUE(waitForNoWindow(AboutTitle));
        EXPECT_TRUE(screenBecomes(before, wholeScreen()));
        EXPECT_TRUE(typingReachesTheText());
    }
    // Nothing was changed, so nothing changed in the file.
    m_program.exitThroughMenu(menuPoint().x(), menuPoint().y());
    ASSERT_TRUE(m_program.waitForExit());
    EXPECT_EQ(m_program.readSettings(), Program::settingsBytes());
}

TEST_F(AsAUserMeetsIt, HelpTopicsShowAboveTheOverlayAndClose)
{
    if (!QFile::exists(m_program.folder() + QStringLiteral("/Quillan.hlp")))
        GTEST_SKIP() << "the build has no help file beside the program";
    const QImage before = screenshot();
    for (const bool byCloseBox : {false, true}) {
        choose({"h"}); // &Help Topics...
        const XWindow help = waitForWindow(HelpTitle);
        ASSERT_NE(help, 0u);
        EXPECT_TRUE(screenDiffers(before.copy(windowRect(help)), windowRect(help)));
        if (byCloseBox)
            requestWindowClose(help);
        else
            tapKey("Escape");
        ASSERT_TRUE(waitForNoWindow(HelpTitle));
        EXPECT_TRUE(screenBecomes(before, wholeScreen()));
    }
}

TEST_F(AsAUserMeetsIt, AltF4AndTheSessionsEndSaveAsTheExitDoes)
{
    typeText(QStringLiteral("a"));
    settle();
    chord({"Alt_L", "F4"});
    ASSERT_TRUE(m_program.waitForExit());
    EXPECT_EQ(m_program.exitCode(), 0) << m_program.output().toStdString();
    EXPECT_EQ(savedSettings(m_program).gsText, QStringLiteral("aHello!"));

    ASSERT_TRUE(m_program.start());
    click(menuPoint().x(), menuPoint().y());
    settle();
    typeText(QStringLiteral("b"));
    settle();
    m_program.signal(SIGTERM);
    ASSERT_TRUE(m_program.waitForExit());
    EXPECT_EQ(savedSettings(m_program).gsText, QStringLiteral("baHello!"));
}

namespace {

// How a window's area of the screen looks: what share of it still shows what was there before
// (the overlay's picture), what share is black, and how many colours it has.
struct AreaLook
{
    double unchanged = 0;
    double black = 0;
    int colours = 0;
};

AreaLook lookAt(const QImage &shot, const QImage &before)
{
    AreaLook look;
    QSet<QRgb> colours;
    int unchanged = 0, black = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QRgb p = shot.pixel(x, y);
            unchanged += p == before.pixel(x, y) ? 1 : 0;
            black += qRed(p) + qGreen(p) + qBlue(p) == 0 ? 1 : 0;
            if (colours.size() < 16)
                colours.insert(p);
        }
    const double all = double(shot.width()) * shot.height();
    look.unchanged = unchanged / all;
    look.black = black / all;
    look.colours = int(colours.size());
    return look;
}

// A window's area of the screen shows the window: neither what was under it nor a black box.
::testing::AssertionResult drawnOnTheScreen(const QImage &shot, const QImage &before)
{
    const AreaLook look = lookAt(shot, before);
    if (look.unchanged < 0.1 && look.black < 0.5 && look.colours >= 3)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
        << "the screen there is " << int(look.unchanged * 100) << " % as before, "
        << int(look.black * 100) << " % black, with " << look.colours << " colours";
}

// Puts a window of another client over `area` and takes it away again: the area is exposed
// and must be drawn afresh.
void passAWindowOver(const QRect &area)
{
    Display *dpy = display();
    XSetWindowAttributes attributes {};
    attributes.override_redirect = True;
    attributes.background_pixel = 0xFF00FF;
    const Window cover
        = XCreateWindow(dpy, DefaultRootWindow(dpy), area.x(), area.y(), unsigned(area.width()),
                        unsigned(area.height()), 0, CopyFromParent, InputOutput, CopyFromParent,
                        CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(dpy, cover);
    XSync(dpy, False);
    waitUntil([&] { return screenshot(area.adjusted(4, 4, -4, -4)).pixel(0, 0) == 0xFFFF00FF; });
    XDestroyWindow(dpy, cover);
    XSync(dpy, False);
    settle();
}

} // namespace

// Every window the program opens is drawn where the user sees it: the screen itself (the root
// window's pixels, what a monitor shows), not the window's own contents, at once and again after
// another window has passed over it. Run with no window manager, under openbox and under a
// compositing window manager (xfwm4), where the screen is drawn from the windows' own pictures.
TEST_F(AsAUserMeetsIt, EveryWindowIsDrawnOnTheScreenAtOnceAndAfterAnExpose)
{
    if (qEnvironmentVariable("E2E_WM") == QLatin1String("xfwm4")) {
        ASSERT_TRUE(underCompositor()) << "xfwm4's compositor is on";
    }
    const QString help = m_program.folder() + QStringLiteral("/Quillan.hlp");
    const QString away = help + QStringLiteral(".away");
    const bool haveHelp = QFile::rename(help, away);
    const QImage before = screenshot();

    // Each window: how it is opened from the menu and closed by its key.
    struct Opened
    {
        const char *what;
        std::function<XWindow()> open;
        const char *closeKey; // none: the palette's close button
    };
    const auto fromMenu = [this](std::vector<const char *> keys, QString title) {
        return [this, keys, title] {
            openMenu();
            for (const char *key : keys) {
                tapKey(key);
                settle();
            }
            return waitForWindow(title);
        };
    };
    const std::vector<Opened> windows = {
        // Help Topics with no help file beside the program: the message box that says so.
        {"message box", fromMenu({"h"}, BoxTitle), "Return"},
        {"About", fromMenu({"a"}, AboutTitle), "Return"},
        {"Text", fromMenu({"p", "t"}, TextDialogTitle), "Escape"},
        {"General", fromMenu({"p", "g"}, GeneralTitle), "Escape"},
        {"Help",
         [&] {
             if (!haveHelp || !QFile::rename(away, help))
                 return XWindow(0);
             return fromMenu({"h"}, HelpTitle)();
         },
         "Escape"},
        {"palette",
         [this] {
             chooseDown(4); // Draw &Lines
             choose({"p", "l"}); // &Preferences, &Line...
             XWindow palette = 0;
             waitUntil([&] { return (palette = paletteWindow()) != 0; });
             settle();
             return palette;
         },
         nullptr},
    };
    for (const Opened &w : windows) {
        SCOPED_TRACE(w.what);
        const XWindow window = w.open();
        if (!window && !haveHelp && std::string(w.what) == "Help")
            continue; // a build without the help file
        ASSERT_NE(window, 0u);
        const QRect area = windowRect(window);
        if (std::string(w.what) == "message box") {
            // Its owner, the main form, stands off the screen: the box stands in the middle.
            const QPoint off = area.center() - before.rect().center();
            EXPECT_LE(std::abs(off.x()), 30) << "centred across";
            EXPECT_LE(std::abs(off.y()), 60) << "centred down";
        }
        const QImage first = screenshot(area);
        EXPECT_TRUE(drawnOnTheScreen(first, before.copy(area))) << "at once";

        passAWindowOver(area);
        const QImage again = screenshot(area);
        EXPECT_TRUE(drawnOnTheScreen(again, before.copy(area))) << "after an expose";
        // The same picture as before the expose, but for what moves by itself (a caret, the
        // About box's ticker).
        EXPECT_GE(lookAt(again, first).unchanged, 0.9) << "redrawn as it was";

        if (w.closeKey)
            tapKey(w.closeKey);
        else
            clickIn(window, {3 + 89 + 6, 3 + 6}); // the palette's close button
        ASSERT_TRUE(waitUntil([&] { return !isMapped(window); })) << "closed by its key";
        settle();
    }
    EXPECT_TRUE(waitUntil([] { return paletteWindow() == 0; }));
}
