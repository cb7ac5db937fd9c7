// Starting the program while a copy of it runs on the same display: the later copy hands over to
// the running one and ends at once with status 0, showing no window of its own. On standby the
// running copy's overlay comes back with the picture it froze at its own start (the desktop has
// changed meanwhile); not on standby, nothing changes and there is still one overlay. Run with no
// window manager and under openbox.
#include "E2eHarness.h"

// GoogleTest before Xlib, whose macros (None, True, False) it would trip over.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <set>

using namespace e2e;

namespace {

QRect wholeScreen()
{
    return QRect(QPoint(0, 0), screenSize());
}

QPoint menuPoint()
{
    return QPoint(screenSize().width() - 150, screenSize().height() - 200);
}

// Every window shown on the screen while it watches, by a connection of its own that listens to
// the root window: a window mapped there, or one a window manager takes into a frame of its own
// (which is how a client's request to map a top-level window shows under one). The client that
// made a window is read from its id: the server gives each client a range of ids of its own.
class ShownWindows
{
public:
    ShownWindows()
        : m_dpy(XOpenDisplay(nullptr))
    {
        XSelectInput(m_dpy, DefaultRootWindow(m_dpy), SubstructureNotifyMask);
        XSync(m_dpy, False);
    }
    ~ShownWindows() { XCloseDisplay(m_dpy); }
    ShownWindows(const ShownWindows &) = delete;
    ShownWindows &operator=(const ShownWindows &) = delete;

    // The windows shown since the watch began that neither belong to the client of `own` nor
    // are the frame a window manager put one of that client's windows into. `ownSeen` tells
    // whether a window of that client was shown (the watch saw it at work).
    std::vector<XWindow> othersThan(XWindow own, bool *ownSeen)
    {
        XSync(m_dpy, False);
        const Window root = DefaultRootWindow(m_dpy);
        std::vector<Window> shown;
        std::set<Window> ownFrames;
        while (XPending(m_dpy)) {
            XEvent event;
            XNextEvent(m_dpy, &event);
            if (event.type == MapNotify && event.xmap.event == root) {
                shown.push_back(event.xmap.window);
            } else if (event.type == ReparentNotify && event.xreparent.event == root
                       && event.xreparent.parent != root) {
                shown.push_back(event.xreparent.window);
                if (clientOf(event.xreparent.window) == clientOf(own))
                    ownFrames.insert(event.xreparent.parent);
            }
        }
        *ownSeen = false;
        std::vector<XWindow> others;
        for (Window w : shown) {
            if (clientOf(w) == clientOf(own))
                *ownSeen = true;
            else if (!ownFrames.count(w))
                others.push_back(w);
        }
        return others;
    }

private:
    // resource_mask of the connection (Xlibint.h's name for private4): the bits of an id that a
    // client chooses; the others name the client.
    XID clientOf(XID id) const { return id & ~reinterpret_cast<_XPrivDisplay>(m_dpy)->private4; }

    Display *m_dpy;
};

// A later copy of the program in a folder of its own, in the same session as `running` (the same
// display and runtime folder). Starts it and waits for it to end; false when it keeps running.
bool startAgainBeside(const Program &running, Program &later)
{
    later.setEnvironment(QStringLiteral("XDG_RUNTIME_DIR"), running.folder());
    return later.startWithoutWaiting() && later.waitForExit(5000);
}

std::vector<XWindow> fullScreenOverlays()
{
    std::vector<XWindow> overlays;
    for (XWindow w : windowsNamed(QStringLiteral("Vyn Quillane")))
        if (windowRect(w) == wholeScreen())
            overlays.push_back(w);
    return overlays;
}

constexpr QRgb TextColour = 0xFFFF0050; // the default text colour, (255, 0, 80)

bool textShown()
{
    return !inkBounds(TextColour, wholeScreen()).isEmpty();
}

// Starts the program over a patterned desktop and clears its text: without the text (and so
// without the blinking caret) the overlay is the frozen picture alone, the same from one
// screenshot to the next. That picture.
void startWithTheTextCleared(Program &program, QImage &frozen)
{
    paintDesktopPattern();
    program.writeSettings(Program::settingsBytes());
    ASSERT_TRUE(program.start()) << program.output().toStdString();
    chord({"Control_L", "c"});
    ASSERT_TRUE(waitUntil([] { return !textShown(); }));
    ASSERT_TRUE(settle());
    frozen = screenshot();
}

TEST(SecondStart, OnStandbyBringsTheFrozenOverlayBackAndEnds)
{
    Program program;
    QImage frozen;
    ASSERT_NO_FATAL_FAILURE(startWithTheTextCleared(program, frozen));

    for (const bool byMenu : {false, true}) {
        SCOPED_TRACE(byMenu ? "standby by the menu" : "standby by the hot key");
        if (byMenu) {
            ASSERT_TRUE(rightClickOpensMenu(menuPoint().x(), menuPoint().y()));
            keysInMenu({"s"}); // &Standby
        } else {
            chord({"Control_L", "s"});
        }
        ASSERT_TRUE(waitUntil([&] { return !isMapped(program.overlay()); }));
        // The desktop changes meanwhile; the overlay must not take a new picture of it.
        const QRgb live = byMenu ? 0xFF20A060 : 0xFF6040C0;
        paintDesktopPlain(live & 0xFFFFFF);
        ASSERT_TRUE(waitUntil([&] { return screenshot(QRect(5, 5, 1, 1)).pixel(0, 0) == live; }));

        ShownWindows watch;
        Program later;
        ASSERT_TRUE(startAgainBeside(program, later)) << "the later copy keeps running:\n"
                                                      << later.output().toStdString();
        EXPECT_EQ(later.exitCode(), 0) << later.output().toStdString();
        EXPECT_FALSE(later.settingsExist()) << "the later copy wrote settings of its own";

        ASSERT_TRUE(waitUntil([] { return fullScreenOverlays().size() == 1; }))
            << "the running copy's overlay did not come back";
        EXPECT_EQ(fullScreenOverlays().front(), program.overlay());
        ASSERT_TRUE(settle());
        EXPECT_TRUE(screenshot() == frozen) << "the overlay shows another picture than before";

        bool ownSeen = false;
        const std::vector<XWindow> others = watch.othersThan(program.overlay(), &ownSeen);
        EXPECT_TRUE(ownSeen) << "the watch did not see the overlay come back";
        EXPECT_TRUE(others.empty()) << others.size() << " window(s) of another client shown";

        // The keyboard is the program's again: Restore Text and Clear Text by their hot keys.
        chord({"Control_L", "r"});
        EXPECT_TRUE(waitUntil(textShown)) << "the keys do not reach the program after the return";
        chord({"Control_L", "c"});
        EXPECT_TRUE(waitUntil([] { return !textShown(); }));
    }

    ASSERT_TRUE(program.isRunning());
    program.exitThroughMenu(menuPoint().x(), menuPoint().y());
    ASSERT_TRUE(program.waitForExit());
    EXPECT_EQ(program.exitCode(), 0);
}

TEST(SecondStart, WhileTheOverlayIsUpChangesNothing)
{
    Program program;
    QImage before;
    ASSERT_NO_FATAL_FAILURE(startWithTheTextCleared(program, before));

    ShownWindows watch;
    Program later;
    ASSERT_TRUE(startAgainBeside(program, later)) << "the later copy keeps running:\n"
                                                  << later.output().toStdString();
    EXPECT_EQ(later.exitCode(), 0) << later.output().toStdString();
    EXPECT_FALSE(later.settingsExist());

    ASSERT_TRUE(settle());
    EXPECT_TRUE(program.isRunning());
    const std::vector<XWindow> overlays = fullScreenOverlays();
    ASSERT_EQ(overlays.size(), 1u) << "a second overlay over the first";
    EXPECT_EQ(overlays.front(), program.overlay());
    EXPECT_TRUE(screenshot() == before);
    bool ownSeen = false;
    const std::vector<XWindow> others = watch.othersThan(program.overlay(), &ownSeen);
    EXPECT_TRUE(others.empty()) << others.size() << " window(s) of another client shown";

    chord({"Control_L", "r"});
    EXPECT_TRUE(waitUntil(textShown)) << "the keys no longer reach the running copy";

    program.exitThroughMenu(menuPoint().x(), menuPoint().y());
    ASSERT_TRUE(program.waitForExit());
    EXPECT_EQ(program.exitCode(), 0);
}

} // namespace
