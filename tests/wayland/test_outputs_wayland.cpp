// The program on Wayland desktops as people run them, each case in a bed made for it
// (tests/wayland/CMakeLists.txt picks the cases with a filter): an output at a fractional scale,
// two outputs of different sizes and scales, a pointer on the screen when the program starts, and
// a portal whose global shortcuts answer.
#include "ProgramOnWayland.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcessEnvironment>

#include <algorithm>
#include <cmath>

namespace {

// The largest difference of one colour channel between two pictures of a size, outside `ignored`.
int largestChannelDifference(const QImage &a, const QImage &b, const QRect &ignored = {})
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            if (ignored.contains(x, y))
                continue;
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)),
                                std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    return largest;
}

using ScaledOutput = ProgramOnWayland;

// At 1.5 the toolkit draws at scale 2 and the compositor scales down; at 2 nothing is scaled.
TEST_F(ScaledOutput, ThePictureTheTextAndAStrokeStandWhereThePointerPutThem)
{
    Program program;
    auto quillan = program.start();
    ASSERT_TRUE(waitForOverlay()) << quillan->output().toStdString();
    // The frozen screen covers the output and is the desktop, up to the compositor's scaling:
    // only the caret's place differs beyond it.
    const QRect caret = waitForInk([](const QRect &box) { return !box.isEmpty(); });
    ASSERT_LE(caret.width(), device(20));
    const QImage frozen = session.screenshot();
    // (grim's picture of the output is its device pixels, but at 1.75 one short of them: it
    // makes it from the layout's size, 1097 x 617 for 1920 x 1080.)
    ASSERT_EQ(frozen.size(), desktop.size());
    EXPECT_LE(std::abs(frozen.width() - session.outputSize().width()), 1);
    const int closeness = largestChannelDifference(frozen, desktop, caret.adjusted(-2, -2, 2, 2));
    std::printf("[ scale %g ] largest channel difference from the desktop: %d\n", session.scale(),
                closeness);
    EXPECT_EQ(closeness, 0);

    // The text, dragged by the pointer, lands as far as the pointer went (logical pixels, the
    // output's scale making them device pixels).
    typeAndWait(QStringLiteral("Hello"), device(30));
    // The whole word, in the phase of the caret that shows it.
    const QRect text = waitForInk([&](const QRect &box) { return box.width() >= device(80); });
    const QPoint grab = logical(text.center());
    drag({grab, grab + QPoint(20, 10), grab + QPoint(60, 30), grab + QPoint(100, 60)});
    // The box is compared in one blink phase of the caret; at a fractional scale the
    // compositor's scaling may move an edge by a pixel.
    const QRect expected = text.translated(device(100), device(60));
    const int pixel = session.scale() == std::floor(session.scale()) ? 0 : 1;
    const auto near = [&](const QRect &box) {
        return std::abs(box.left() - expected.left()) <= pixel
            && std::abs(box.top() - expected.top()) <= pixel
            && std::abs(box.width() - expected.width()) <= pixel
            && std::abs(box.height() - expected.height()) <= pixel;
    };
    const QRect moved = waitForInk(near);
    EXPECT_TRUE(near(moved)) << "expected " << expected.x() << "," << expected.y() << " "
                             << expected.width() << "x" << expected.height() << ", found "
                             << moved.x() << "," << moved.y() << " " << moved.width() << "x"
                             << moved.height();

    // A stroke in line mode goes under the pointer, from its first point to its last.
    const MenuLayout layout;
    const QPoint menuAt(450, 10);
    ASSERT_FALSE(openMenu(menuAt).isEmpty()) << "the menu did not open";
    session.click(menuAt + layout.centreOf(QStringLiteral("Draw &Lines")));
    restPointer();
    const QImage before = session.waitForScreen([&](const QImage &shot) {
        return differences(shot, desktop, ignoredCorner()).height() < moved.height();
    });
    const QPoint from(40, 300), to(300, 300);
    drag({from, QPoint(120, 300), QPoint(200, 300), to});
    QRect inked;
    const QImage drawn = session.waitForScreen([&](const QImage &shot) {
        inked = differences(shot, before, ignoredCorner());
        return inked.width() >= device(to.x() - from.x());
    });
    // Half the default pen (12) and its round caps beyond the ends, no more.
    const QRect stroke(device(from), device(to));
    EXPECT_TRUE(stroke.adjusted(-device(8), -device(8), device(8), device(8)).contains(inked))
        << inked.x() << "," << inked.y() << " " << inked.width() << "x" << inked.height();
    for (const QPoint along : {from, QPoint(170, 300), to})
        EXPECT_NE(drawn.pixel(device(along)), before.pixel(device(along)))
            << along.x() << "," << along.y();

    session.key(QStringLiteral("F4"), {QStringLiteral("alt")});
    EXPECT_EQ(quillan->waitForExit(), 0) << quillan->output().toStdString();
}

using TwoOutputs = ProgramOnWayland;

TEST_F(TwoOutputs, TheOverlayStandsOnTheOutputTheUserIsOnAndTheOtherStaysLive)
{
    const QString second = QStringLiteral("HEADLESS-2");
    ASSERT_FALSE(session.secondOutputSize().isEmpty()) << "the bed has no second output";
    // The user is on the second output: its focus and the pointer are there.
    const QImage secondDesktop = session.screenshot(second);
    ASSERT_EQ(secondDesktop.size(), session.secondOutputSize());
    session.swaymsg({QStringLiteral("focus"), QStringLiteral("output"), second});
    const int firstWidth = int(session.outputSize().width() / session.scale());
    session.moveTo(QPoint(firstWidth + 100, 100));

    Program program;
    auto quillan = program.start();
    ASSERT_TRUE(waitForOverlay()) << quillan->output().toStdString();
    // It covers the second output, showing that output's own picture.
    const QRect place = windowRect(QStringLiteral("Vyn Quillane"));
    const QSize secondLogical
        = (QSizeF(session.secondOutputSize()) / session.secondScale()).toSize();
    EXPECT_EQ(place, QRect(QPoint(firstWidth, 0), secondLogical));
    QRect caret;
    session.waitForScreen(
        [&](const QImage &shot) {
            caret = differences(shot, secondDesktop);
            return !caret.isEmpty() && caret.width() <= 40 * session.secondScale();
        },
        second);
    EXPECT_FALSE(caret.isEmpty());
    EXPECT_LE(caret.width(), 40 * session.secondScale()) << "more than the caret differs";

    // The keyboard is the overlay's there.
    session.type(QStringLiteral("There"));
    session.waitForScreen(
        [&](const QImage &shot) {
            return differences(shot, secondDesktop).width() > 60 * session.secondScale();
        },
        second);

    // The first output stays live: a window opened on it shows.
    EXPECT_EQ(differences(session.screenshot(), desktop, ignoredCorner()), QRect());
    session.swaymsg(
        {QStringLiteral("focus"), QStringLiteral("output"), QStringLiteral("HEADLESS-1")});
    Client other(QStringLiteral(PROBE_WINDOW));
    ASSERT_FALSE(other.waitForLine("shown ").isEmpty());
    const QImage live = session.waitForScreen(
        [](const QImage &shot) { return shot.pixel(5, 5) == qRgb(0xC0, 0x30, 0x20); });
    EXPECT_EQ(live.pixel(5, 5), qRgb(0xC0, 0x30, 0x20));
    other.process().terminate();
    other.waitForExit();

    session.swaymsg({QStringLiteral("focus"), QStringLiteral("output"), second});
    ASSERT_TRUE(waitForOverlay());
    session.key(QStringLiteral("F4"), {QStringLiteral("alt")});
    EXPECT_EQ(quillan->waitForExit(), 0) << quillan->output().toStdString();
    EXPECT_EQ(program.savedText(), QStringLiteral("There"));
}

// A cursor theme of the bed's whose pointer is a 16 x 16 black square with a white edge, so that
// a pointer shows in screenshots (the bed's own theme is blank).
QString writeVisibleCursorTheme()
{
    const QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR") + "/icons/visible/cursors";
    QDir().mkpath(folder);
    QByteArray file;
    const auto le32 = [&file](quint32 v) {
        for (int i = 0; i < 4; ++i)
            file.append(char((v >> (8 * i)) & 0xFF));
    };
    constexpr quint32 Image = 0xfffd0002, Side = 16;
    for (quint32 v : {0x72756358u /* "Xcur" */, 16u, 0x10000u, 1u, Image, 24u, 28u})
        le32(v);
    for (quint32 v : {36u, Image, 24u, 1u, Side, Side, 0u, 0u, 0u})
        le32(v);
    for (quint32 y = 0; y < Side; ++y)
        for (quint32 x = 0; x < Side; ++x)
            le32(x == 0 || y == 0 || x == Side - 1 || y == Side - 1 ? 0xFFFFFFFFu : 0xFF000000u);
    QFile cursor(folder + "/left_ptr");
    cursor.open(QIODevice::WriteOnly);
    cursor.write(file);
    cursor.close();
    for (const char *name : {"default", "arrow"})
        QFile::link(folder + "/left_ptr", folder + "/" + name);
    return QStringLiteral("visible");
}

using PointerFree = ProgramOnWayland;

TEST_F(PointerFree, ThePointerOnTheScreenAtStartIsNotInTheFrozenPicture)
{
    // The desktop with a pointer that shows, standing at (600, 400).
    const QString theme = writeVisibleCursorTheme();
    probe.reset();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XCURSOR_THEME"), theme);
    probe = std::make_unique<Client>(QStringLiteral(PROBE_WINDOW),
                                     QStringList {QStringLiteral("pattern")}, environment);
    ASSERT_FALSE(probe->waitForLine("shown ").isEmpty());
    const QPoint at(600, 400);
    session.moveTo(at);
    const QRect pointerBox(device(at) - QPoint(2, 2), QSize(device(20), device(20)));
    const QRect shown = differences(session.waitForScreen([&](const QImage &shot) {
        return pointerBox.contains(differences(shot, desktop))
            && !differences(shot, desktop).isEmpty();
    }),
                                    desktop);
    ASSERT_FALSE(shown.isEmpty()) << "no pointer on the screen";
    ASSERT_TRUE(pointerBox.contains(shown));

    Program program;
    auto quillan = program.start();
    ASSERT_TRUE(waitForOverlay()) << quillan->output().toStdString();
    // The pointer moves on; the frozen screen keeps nothing of it: where it stood is the desktop.
    restPointer();
    const QRect ink = waitForInk([&](const QRect &box) { return !box.intersects(pointerBox); });
    EXPECT_FALSE(ink.intersects(pointerBox))
        << "the frozen picture holds the pointer: " << ink.x() << "," << ink.y() << " "
        << ink.width() << "x" << ink.height();
    session.key(QStringLiteral("F4"), {QStringLiteral("alt")});
    EXPECT_EQ(quillan->waitForExit(), 0) << quillan->output().toStdString();
}

using GlobalShortcuts = ProgramOnWayland;

// The desktop portal with a backend that serves global shortcuts (the bed's own, for sway): once
// failing the binding, as a backend that offers the interface but cannot serve it does, then
// answering. Either way Alt+F4 saves and ends the program at once; where the keys are bound, F10
// brings the overlay back from standby.
TEST_F(GlobalShortcuts, F10BringsTheOverlayBackAndAltF4EndsTheProgramAtOnce)
{
    QFile log(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/log/portal-shortcuts.log");
    int told = 0; // what the backend said before this program's start
    const auto backendSaid = [&](const QByteArray &line) {
        const QDeadlineTimer deadline(10000);
        do {
            log.open(QIODevice::ReadOnly);
            const bool said = log.readAll().mid(told).contains(line);
            log.close();
            if (said)
                return true;
            QThread::msleep(50);
        } while (!deadline.hasExpired());
        return false;
    };
    const auto failBinding = [](bool fail) {
        QProcess::execute(
            QStringLiteral("dbus-send"),
            {QStringLiteral("--session"), QStringLiteral("--print-reply"),
             QStringLiteral("--dest=org.freedesktop.impl.portal.desktop.quillantest"),
             QStringLiteral("/org/freedesktop/portal/desktop"),
             QStringLiteral("org.freedesktop.impl.portal.desktop.quillantest.Fail"),
             fail ? QStringLiteral("boolean:true") : QStringLiteral("boolean:false")});
    };
    for (const bool failing : {true, false}) {
        failBinding(failing);
        log.open(QIODevice::ReadOnly);
        told = int(log.readAll().size());
        log.close();
        Program program;
        auto quillan = program.start();
        ASSERT_TRUE(waitForOverlay()) << quillan->output().toStdString();
        const QRect text = typeAndWait(QStringLiteral("Away"), device(30));
        if (failing) {
            ASSERT_TRUE(backendSaid("failed BindShortcuts"));
        } else {
            // The program asked the portal for F10 to F12, and the backend bound them.
            ASSERT_TRUE(backendSaid("bound return-f10 F10")) << quillan->output().toStdString();
            ASSERT_TRUE(backendSaid("bound return-f12 F12"));
            session.key(QStringLiteral("s"), {QStringLiteral("ctrl")});
            ASSERT_TRUE(waitForOverlay(false));
            session.key(QStringLiteral("F10"));
            EXPECT_TRUE(backendSaid("activated return-f10"));
            ASSERT_TRUE(waitForOverlay()) << "F10 did not bring the overlay back";
            EXPECT_EQ(waitForInk([&](const QRect &box) { return box == text; }), text);
        }
        session.type(QStringLiteral("!"));
        waitForInk([&](const QRect &box) { return box.width() > text.width() + device(4); });
        session.key(QStringLiteral("F4"), {QStringLiteral("alt")});
        QElapsedTimer ending;
        ending.start();
        const bool ended = quillan->process().waitForFinished(1000);
        std::printf("[ exit ] %s: ended %lld ms after Alt+F4\n",
                    failing ? "binding failed" : "keys bound", (long long)ending.elapsed());
        EXPECT_TRUE(ended) << "still running a second after Alt+F4, failing " << failing;
        EXPECT_EQ(quillan->waitForExit(), 0) << quillan->output().toStdString();
        EXPECT_EQ(program.savedText(), QStringLiteral("Away!"));
    }
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
