// The program itself on a Wayland desktop, driven as a user drives it: the frozen screen is the
// desktop pixel for pixel, margins move the text as far, typing goes through the seat's keyboard,
// standby hides the overlay and a second start brings it back, and Alt+F4 saves what was typed;
// where XWayland runs too, the program still runs on Wayland.
// The mouse: the text dragged with the left button, the right-press menu and its items chosen by
// click, strokes in line mode and Clear Lines; the dialogs come up above the full-screen overlay
// and give the keyboard back to it when they close.
// On GNOME the same, and first the question GNOME asks before a program's first screenshot.
#include "ProgramOnWayland.h"
#include "platform/wayland/PortalScreenshot.h"

namespace {

TEST_F(ProgramOnWayland, FrozenScreenIsTheDesktopAndMarginsMoveTheText)
{
    QRect plain;
    {
        Program program;
        auto quillan = program.start();
        ASSERT_TRUE(waitForOverlay()) << quillan->output().toStdString();
        // Only the caret differs from the desktop: everything else is the desktop, pixel for
        // pixel.
        const QRect caret = waitForInk([](const QRect &box) { return !box.isEmpty(); });
        EXPECT_LE(caret.width(), device(20));
        EXPECT_LE(caret.height(), device(60));
        plain = typeAndWait(QStringLiteral("Hello"), device(30));
        EXPECT_LE(plain.width(), device(200));
        EXPECT_LE(plain.height(), device(80));
        session.key(QStringLiteral("F4"), {QStringLiteral("alt")});
        EXPECT_EQ(quillan->waitForExit(), 0) << quillan->output().toStdString();
        EXPECT_EQ(program.savedText(), QStringLiteral("Hello"));
    }
    {
        Program program([] {
            gSettings.gnMarginLeft = 50;
            gSettings.gnMarginTop = 30;
        });
        auto quillan = program.start();
        ASSERT_TRUE(waitForOverlay()) << quillan->output().toStdString();
        session.type(QStringLiteral("Hello"));
        // The strips show the frozen desktop, and the text stands 50/30 further (logical pixels,
        // as the output's scale makes them); the box is compared in one blink phase of the caret.
        const QRect expected = plain.translated(device(50), device(30));
        const QRect moved = waitForInk([&](const QRect &box) { return box == expected; });
        EXPECT_EQ(moved, expected);
        session.key(QStringLiteral("F4"), {QStringLiteral("alt")});
        EXPECT_EQ(quillan->waitForExit(), 0) << quillan->output().toStdString();
    }
}

TEST_F(ProgramOnWayland, GnomeAsksFirstAndTheProgramSaysWhatHappenedAndWhatToDo)
{
    if (session.desktop() != WaylandSession::Desktop::Gnome)
        GTEST_SKIP() << "GNOME's question before the first screenshot";
    namespace reasons = platform::wayland::reasons;
    const auto firstLine = [](const std::string &text) {
        return QString::fromStdString(text.substr(0, text.find('\n')));
    };
    Program program;
    const QByteArray saved = program.settingsBytes();
    // Each refusal: the program's box stands above everything once the question is gone, takes
    // the keyboard, and the program ends without touching its file.
    const auto boxThenEnd = [&](Client &quillan) {
        ASSERT_TRUE(waitForWindow(ProgramBoxTitle)) << quillan.output().toStdString();
        EXPECT_TRUE(shownAbove(ProgramBoxTitle));
        session.key(QStringLiteral("Return"));
        EXPECT_EQ(quillan.waitForExit(), 1) << quillan.output().toStdString();
        EXPECT_EQ(program.settingsBytes(), saved);
    };

    // Nobody answers: the desktop stops waiting after 25 seconds, the program says so when its
    // own wait ends, and an answer given after that is not kept.
    session.shellEval(QStringLiteral("true")); // the shell is there before the clock starts
    {
        QDBusMessage forget = permissionStore(QStringLiteral("DeletePermission"));
        forget << QStringLiteral("screenshot") << QStringLiteral("screenshot") << QString();
        QDBusConnection::sessionBus().call(forget);
        ASSERT_EQ(keptScreenshotAnswer(), QString());
        auto quillan = program.startHearingErrors();
        ASSERT_FALSE(waitForQuestion(QStringLiteral("Deny")).isNull());
        EXPECT_EQ(quillan->waitForLine(QStringLiteral("Vyn Quillane cannot"), 60000),
                  firstLine(reasons::unanswered()));
        ASSERT_TRUE(answerQuestion(QStringLiteral("Deny")));
        EXPECT_EQ(keptScreenshotAnswer(), QString());
        boxThenEnd(*quillan);
    }

    // Deny: kept, and the message says how to be asked again; its command does that.
    QString command;
    {
        auto quillan = program.startHearingErrors();
        ASSERT_TRUE(answerQuestion(QStringLiteral("Deny")));
        EXPECT_EQ(quillan->waitForLine(QStringLiteral("Vyn Quillane cannot")),
                  firstLine(reasons::refusedAndKept()));
        command = quillan->waitForLine(QStringLiteral("gdbus call"));
        EXPECT_EQ(keptScreenshotAnswer(), QStringLiteral("no"));
        boxThenEnd(*quillan);
    }
    ASSERT_EQ(QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), command}), 0)
        << command.toStdString();
    EXPECT_EQ(keptScreenshotAnswer(), QString());

    // Asked again, Allow: the overlay is the desktop exactly, save for the caret.
    {
        auto quillan = program.start();
        ASSERT_TRUE(answerQuestion(QStringLiteral("Allow")));
        ASSERT_TRUE(waitForOverlay()) << quillan->output().toStdString();
        const QRect caret = waitForInk([](const QRect &box) { return !box.isEmpty(); });
        EXPECT_LE(caret.width(), device(20));
        EXPECT_LE(caret.height(), device(60));
        typeAndWait(QStringLiteral("Yes"), device(30));
        session.key(QStringLiteral("F4"), {QStringLiteral("alt")});
        EXPECT_EQ(quillan->waitForExit(), 0) << quillan->output().toStdString();
        EXPECT_EQ(program.savedText(), QStringLiteral("Yes"));
    }
    EXPECT_EQ(keptScreenshotAnswer(), QStringLiteral("yes"));

    // From then on nothing is asked: the overlay comes up by itself.
    auto quillan = program.start();
    ASSERT_TRUE(waitForOverlay()) << quillan->output().toStdString();
    session.key(QStringLiteral("F4"), {QStringLiteral("alt")});
    EXPECT_EQ(quillan->waitForExit(), 0) << quillan->output().toStdString();
}

TEST_F(ProgramOnWayland, StandbyHidesAndASecondStartBringsTheOverlayBack)
{
    Program program;
    auto quillan = program.start();
    ASSERT_TRUE(waitForOverlay()) << quillan->output().toStdString();
    const QRect text = typeAndWait(QStringLiteral("Before"), 40);

    session.key(QStringLiteral("s"), {QStringLiteral("ctrl")});
    // The overlay is gone: the desktop shows as it is.
    ASSERT_TRUE(waitForOverlay(false));
    EXPECT_TRUE(waitForInk([](const QRect &box) { return box.isEmpty(); }).isEmpty());
    const QByteArray savedBefore = [&] {
        QFile file(program.settingsPath());
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();

    // A second start hands over to the running copy and ends at once, touching nothing.
    auto second = program.start();
    EXPECT_EQ(second->waitForExit(), 0) << second->output().toStdString();
    ASSERT_TRUE(waitForOverlay()) << quillan->output().toStdString();
    EXPECT_EQ(waitForInk([&](const QRect &box) { return box == text; }), text);
    QFile file(program.settingsPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), savedBefore);
    file.close();

    // A second start while the overlay is up changes nothing visible.
    auto third = program.start();
    EXPECT_EQ(third->waitForExit(), 0) << third->output().toStdString();

    // Typing goes on, and Alt+F4 saves it.
    session.type(QStringLiteral(" after"));
    waitForInk([&](const QRect &box) { return box.width() > text.width() + 20; });
    session.key(QStringLiteral("F4"), {QStringLiteral("alt")});
    EXPECT_EQ(quillan->waitForExit(), 0) << quillan->output().toStdString();
    EXPECT_EQ(program.savedText(), QStringLiteral("Before after"));
}

TEST_F(ProgramOnWayland, RunsOnWaylandWhereXWaylandRunsToo)
{
    // A desktop with XWayland gives its programs DISPLAY as well; nothing answers on this one, so
    // a program that went there would not come up at all.
    Program program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":97"));
    Client quillan(program.path(), {}, environment);
    ASSERT_TRUE(waitForOverlay()) << quillan.output().toStdString();
    session.key(QStringLiteral("F4"), {QStringLiteral("alt")});
    EXPECT_EQ(quillan.waitForExit(), 0) << quillan.output().toStdString();
}

TEST_F(ProgramOnWayland, TheMouseMovesTheTextDrawsLinesAndChoosesFromTheMenu)
{
    Program program;
    auto quillan = program.start();
    ASSERT_TRUE(waitForOverlay()) << quillan->output().toStdString();
    const QRect text = typeAndWait(QStringLiteral("Hello"), device(30));

    // The text dragged by the left button lands exactly as far as the pointer went, and the rest
    // of the screen is the desktop again.
    const QPoint grab = logical(text.center());
    drag({grab, grab + QPoint(20, 10), grab + QPoint(60, 30), grab + QPoint(100, 60)});
    const QRect expected = text.translated(device(100), device(60));
    EXPECT_EQ(waitForInk([&](const QRect &box) { return box == expected; }), expected);

    // Draw Lines, chosen by a click in the menu the right press opens where it was pressed.
    const MenuLayout layout;
    // Places in the layout of a 1280 x 720 output at scale 2 (640 x 360), away from the text.
    const QPoint menuAt(450, 10);
    const QRect menu = openMenu(menuAt);
    ASSERT_FALSE(menu.isEmpty()) << "the menu did not open";
    EXPECT_EQ(menu.topLeft(), device(QPoint(menuAt.x(), std::max(menuAt.y(), topBarHeight()))));
    EXPECT_NEAR(menu.width(), device(layout.size().width()), 2);
    EXPECT_NEAR(menu.height(), device(layout.size().height()), 2);
    session.click(logical(menu.topLeft()) + layout.centreOf(QStringLiteral("Draw &Lines")));
    restPointer();
    // In line mode the caret is gone: only the moved text differs from the desktop.
    const QRect textOnly
        = waitForInk([&](const QRect &box) { return box.height() < expected.height(); });
    ASSERT_TRUE(expected.contains(textOnly)) << "the menu did not close";
    ASSERT_FALSE(textOnly.isEmpty());

    // A stroke: the pixels along it change, and nothing else does.
    const QImage beforeStroke = session.screenshot();
    const QPoint from(30, 40), corner(130, 40), to(130, 150);
    drag({from, QPoint(80, 40), corner, QPoint(130, 100), to});
    const QRect stroke(device(from), device(to));
    QRect inked;
    const QImage drawn = session.waitForScreen([&](const QImage &shot) {
        inked = differences(shot, beforeStroke, ignoredCorner());
        return inked.contains(stroke);
    });
    EXPECT_TRUE(inked.contains(stroke));
    // Half the pen (12) and its round caps beyond the ends, no more.
    EXPECT_TRUE(stroke.adjusted(-device(8), -device(8), device(8), device(8)).contains(inked))
        << inked.x() << "," << inked.y() << " " << inked.width() << "x" << inked.height();
    for (const QPoint along : {QPoint(40, 40), QPoint(100, 40), QPoint(130, 90), to})
        EXPECT_NE(drawn.pixel(device(along)), beforeStroke.pixel(device(along)))
            << along.x() << "," << along.y();

    // Clear Lines by the menu: the snapshot is back, exactly.
    const QRect again = openMenu(menuAt);
    ASSERT_FALSE(again.isEmpty()) << "the menu did not open";
    session.click(logical(again.topLeft()) + layout.centreOf(QStringLiteral("Clear &Lines")));
    restPointer();
    EXPECT_EQ(waitForInk([&](const QRect &box) { return box == textOnly; }), textOnly);

    session.key(QStringLiteral("F4"), {QStringLiteral("alt")});
    EXPECT_EQ(quillan->waitForExit(), 0) << quillan->output().toStdString();
}

TEST_F(ProgramOnWayland, DialogsComeUpAboveTheOverlayAndGiveTheKeyboardBack)
{
    Program program;
    auto quillan = program.start();
    ASSERT_TRUE(waitForOverlay()) << quillan->output().toStdString();
    // Each letter of the 36-point text is wider than 15 pixels.
    QRect text = typeAndWait(QStringLiteral("ab"), device(30));
    const QPoint menuAt(450, 10);
    // The dialog is gone: what differs from the desktop is the text and its caret, where they
    // stood before (with room for a letter that had not shown yet).
    QRect last;
    const auto overlayBack = [&] {
        const QRect room = text.adjusted(-device(4), -device(4), device(40), device(4));
        last = waitForInk([&](const QRect &box) { return room.contains(box); });
        return room.contains(last);
    };
    const auto where = [&] {
        return QStringLiteral(" %1,%2 %3x%4")
            .arg(last.x())
            .arg(last.y())
            .arg(last.width())
            .arg(last.height())
            .toStdString();
    };

    // The Text dialog, by the menu's keys: OK with Enter, then again and Cancel with Escape; each
    // time typing goes on into the text once it has closed.
    const QString textTitle = QStringLiteral(" Preferences - Text");
    for (const QString &close : {QStringLiteral("Return"), QStringLiteral("Escape")}) {
        ASSERT_FALSE(openMenu(menuAt).isEmpty());
        restPointer();
        session.key(QStringLiteral("p"));
        session.key(QStringLiteral("t"));
        ASSERT_TRUE(waitForWindow(textTitle)) << close.toStdString();
        EXPECT_TRUE(shownAbove(textTitle)) << close.toStdString();
        EXPECT_TRUE(waitForKeyboard(textTitle)) << close.toStdString();
        session.key(close);
        ASSERT_TRUE(waitForWindow(textTitle, false)) << close.toStdString();
        ASSERT_TRUE(waitForOverlay()) << close.toStdString();
        EXPECT_TRUE(overlayBack()) << close.toStdString() << where();
        const QRect typed = typeAndWait(QStringLiteral("cd"), text.width() + device(25));
        EXPECT_GE(typed.width(), text.width() + device(25)) << close.toStdString();
        text = typed;
    }

    // General and About, chosen with the mouse alone (About in the menu, General in the
    // Preferences submenu that opens beside it): above the overlay, with the keyboard without a
    // click, and gone with Escape.
    const MenuLayout layout;
    const QList<std::pair<QString, QString>> dialogs {
        {QStringLiteral("&General..."), QStringLiteral(" Preferences - General")},
        {QStringLiteral("&About..."), QStringLiteral(" About Vyn Quillane")}};
    const QPoint besideText(logical(text.topRight()).x() + 10, 10);
    for (const auto &[item, title] : dialogs) {
        const QRect menu = openMenu(besideText);
        ASSERT_FALSE(menu.isEmpty()) << title.toStdString();
        const QPoint corner = logical(menu.topLeft());
        if (item == QLatin1String("&About...")) {
            session.click(corner + layout.centreOf(item));
        } else {
            // The submenu opens right of the menu (the menu stands just right of the text, so
            // there is room for it; only there does the screen change), its items as tall as the
            // menu's; General is its third.
            const QImage before = session.screenshot();
            const QPoint preferences = corner + layout.centreOf(QStringLiteral(">"));
            session.moveTo(preferences);
            const QRect right(menu.right() + 1, 0, before.width() - menu.right() - 1 - device(40),
                              before.height());
            QRect submenu;
            session.waitForScreen([&](const QImage &shot) {
                submenu
                    = differences(shot.copy(right), before.copy(right)).translated(right.topLeft());
                return submenu.height() > device(40);
            });
            ASSERT_GT(submenu.height(), device(40)) << title.toStdString();
            const QPoint inSubmenu = logical(submenu.topLeft()) + QPoint(20, 0);
            session.moveTo(QPoint(inSubmenu.x(), preferences.y()));
            session.click(inSubmenu
                          + QPoint(0,
                                   layout.centreOf(QStringLiteral("Clear &Text")).y()
                                       + 2 * layout.itemHeight()));
        }
        restPointer();
        ASSERT_TRUE(waitForWindow(title)) << title.toStdString();
        EXPECT_TRUE(shownAbove(title)) << title.toStdString();
        EXPECT_TRUE(waitForKeyboard(title)) << title.toStdString();
        session.key(QStringLiteral("Escape"));
        ASSERT_TRUE(waitForWindow(title, false))
            << title.toStdString() << ": Escape did not reach it";
        ASSERT_TRUE(waitForOverlay()) << title.toStdString();
        EXPECT_TRUE(overlayBack()) << title.toStdString() << where();
    }
    const QRect typed = typeAndWait(QStringLiteral("e"), text.width() + device(8));
    EXPECT_GE(typed.width(), text.width() + device(8));

    // The palette window of line mode: above the overlay too.
    const QRect menu = openMenu(menuAt);
    ASSERT_FALSE(menu.isEmpty());
    session.click(logical(menu.topLeft()) + layout.centreOf(QStringLiteral("Draw &Lines")));
    restPointer();
    ASSERT_FALSE(openMenu(menuAt).isEmpty());
    restPointer();
    session.key(QStringLiteral("p"));
    session.key(QStringLiteral("l"));
    // The palette window: the program's window that is not the full-screen one.
    ASSERT_TRUE(waitForWindow(QString()));
    EXPECT_TRUE(shownAbove(QString()));
    // Dragged by its title strip, the compositor moves it with the pointer, one to one, from
    // the moment it has taken the move over (the pointer is nudged until then).
    const QRect palette = windowRect(QString());
    const QPoint strip = palette.topLeft() + QPoint(30, 6);
    session.moveTo(strip);
    session.press(1);
    QPoint at = strip;
    QRect moving = palette;
    for (QDeadlineTimer deadline(10000); moving == palette && !deadline.hasExpired();) {
        at += QPoint(1, 1);
        session.moveTo(at);
        QThread::msleep(20);
        moving = windowRect(QString());
    }
    ASSERT_NE(moving, palette) << "the palette did not move";
    const QPoint end = strip + QPoint(80, 60);
    session.moveTo(strip + QPoint(40, 30));
    session.moveTo(end);
    session.release(1);
    const QRect moved = moving.translated(end - at);
    const QDeadlineTimer deadline(10000);
    while (windowRect(QString()) != moved && !deadline.hasExpired())
        QThread::msleep(50);
    EXPECT_EQ(windowRect(QString()), moved);
    // Released, it stays where it was put.
    restPointer();
    EXPECT_EQ(windowRect(QString()), moved);
    EXPECT_TRUE(shownAbove(QString()));

    // A click on the overlay gives it the keyboard back (a dot is drawn; no matter).
    session.click(QPoint(20, 300));
    restPointer();
    ASSERT_TRUE(waitForOverlay());
    session.key(QStringLiteral("F4"), {QStringLiteral("alt")});
    EXPECT_EQ(quillan->waitForExit(), 0) << quillan->output().toStdString();
    EXPECT_EQ(program.savedText(), QStringLiteral("abcdcde"));
}

TEST_F(ProgramOnWayland, HelpAndItsMessageComeUpAboveTheOverlay)
{
    // Without the manual, Help Topics says so in a message box; with it, the help window opens.
    // Either stands above the full-screen overlay and takes the keyboard: its key closes it
    // (Enter the box, Escape the help) without a click, and typing goes on into the text.
    for (const bool manual : {false, true}) {
        Program program;
        if (manual)
            program.addManual();
        auto quillan = program.start();
        ASSERT_TRUE(waitForOverlay()) << quillan->output().toStdString();
        ASSERT_FALSE(openMenu(QPoint(450, 10)).isEmpty());
        restPointer();
        session.key(QStringLiteral("h"));
        ASSERT_TRUE(waitForWindow(QString())) << manual;
        EXPECT_TRUE(shownAbove(QString())) << manual;
        EXPECT_TRUE(waitForKeyboard(QString())) << manual;
        session.key(manual ? QStringLiteral("Escape") : QStringLiteral("Return"));
        ASSERT_TRUE(waitForWindow(QString(), false)) << manual;
        ASSERT_TRUE(waitForOverlay());
        typeAndWait(QStringLiteral("ok"), device(20));
        session.key(QStringLiteral("F4"), {QStringLiteral("alt")});
        EXPECT_EQ(quillan->waitForExit(), 0) << manual << quillan->output().toStdString();
        EXPECT_EQ(program.savedText(), QStringLiteral("ok")) << manual;
    }
}

TEST_F(ProgramOnWayland, TheBoxSayingTheSettingsCouldNotBeSavedComesUpAboveTheOverlay)
{
    Program program;
    auto quillan = program.startUnableToSave();
    ASSERT_TRUE(waitForOverlay()) << quillan->output().toStdString();
    typeAndWait(QStringLiteral("kept"), device(30));
    session.key(QStringLiteral("F4"), {QStringLiteral("alt")});
    ASSERT_TRUE(waitForWindow(QString()));
    EXPECT_TRUE(shownAbove(QString()));
    EXPECT_TRUE(waitForKeyboard(QString()));
    session.key(QStringLiteral("Return"));
    EXPECT_EQ(quillan->waitForExit(), 0) << quillan->output().toStdString();
}

TEST_F(ProgramOnWayland, ADeadKeyAndALetterTypeOneComposedCharacter)
{
    Program program;
    auto quillan = program.start();
    ASSERT_TRUE(waitForOverlay()) << quillan->output().toStdString();
    session.keys({QStringLiteral("dead_acute"), QStringLiteral("e"),
                  QStringLiteral("dead_diaeresis"), QStringLiteral("u")});
    session.type(QStringLiteral("!"));
    waitForInk([&](const QRect &box) { return box.width() >= device(30); });
    session.key(QStringLiteral("F4"), {QStringLiteral("alt")});
    EXPECT_EQ(quillan->waitForExit(), 0) << quillan->output().toStdString();
    EXPECT_EQ(program.savedText(), QStringLiteral("\u00e9\u00fc!"));
}

} // namespace

int main(int argc, char **argv)
{
    // Widgets: the menu's layout is measured on a menu built as the program builds its own.
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
