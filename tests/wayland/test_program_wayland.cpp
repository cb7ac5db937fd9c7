// The program itself on a Wayland desktop, driven as a user drives it: the frozen screen is the
// desktop pixel for pixel, margins move the text as far, typing goes through the seat's keyboard,
// standby hides the overlay and a second start brings it back, and Alt+F4 saves what was typed;
// where XWayland runs too, the program still runs on Wayland.
#include "WaylandSession.h"
#include "settings/Palette.h"
#include "settings/Settings.h"
#include "settings/SettingsCodec.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>

#include <functional>
#include <memory>

namespace {

const QString AppId = QStringLiteral(QUILLAN_APP_ID);

// The bounding box of the pixels where two screenshots differ; empty when they are equal.
QRect differences(const QImage &a, const QImage &b)
{
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

// Whether the compositor's tree holds a node that satisfies `match`.
bool treeHas(const QJsonObject &node, const std::function<bool(const QJsonObject &)> &match)
{
    if (match(node))
        return true;
    for (const char *children : {"nodes", "floating_nodes"})
        for (const QJsonValue child : node.value(QLatin1String(children)).toArray())
            if (treeHas(child.toObject(), match))
                return true;
    return false;
}

// The program, copied into a folder of its own with a settings file beside it.
class Program
{
public:
    explicit Program(const std::function<void()> &edit = {})
    {
        QFile::copy(QStringLiteral(QUILLAN_EXE), path());
        const Settings saved = gSettings;
        gSettings = Settings {};
        BuildPalette();
        SetDefaults();
        gSettings.gsText.clear();
        if (edit)
            edit();
        QFile file(settingsPath());
        file.open(QIODevice::WriteOnly);
        file.write(EncodeSettings(gSettings).bytes);
        gSettings = saved;
    }

    QString path() const { return m_folder.filePath(QStringLiteral("quillan")); }
    QString settingsPath() const { return m_folder.filePath(QStringLiteral("QUILLAN.DAT")); }
    std::unique_ptr<Client> start() const { return std::make_unique<Client>(path()); }

    // The text the settings file holds now.
    QString savedText() const
    {
        QFile file(settingsPath());
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("<no file>");
        Settings read;
        DecodeSettings(file.readAll(), read);
        return read.gsText;
    }

private:
    QTemporaryDir m_folder;
};

class ProgramOnWayland : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A desktop where every pixel differs from its neighbours, so a copy off by one shows.
        probe = std::make_unique<Client>(QStringLiteral(PROBE_WINDOW),
                                         QStringList {QStringLiteral("pattern")});
        ASSERT_FALSE(probe->waitForLine("shown ").isEmpty()) << probe->output().toStdString();
        desktop = session.waitForScreen(
            [](const QImage &shot) { return shot.pixel(1, 2) == qRgb(1, 2, 0); });
        ASSERT_EQ(desktop.pixel(1, 2), qRgb(1, 2, 0));
    }

    // Waits until the program's window covers the output and has the keyboard.
    bool waitForOverlay(bool shown = true) const
    {
        const QDeadlineTimer deadline(10000);
        do {
            const QJsonObject tree
                = QJsonDocument::fromJson(
                      session.swaymsg({QStringLiteral("-t"), QStringLiteral("get_tree")}))
                      .object();
            const bool found = treeHas(tree, [](const QJsonObject &node) {
                return node.value(QLatin1String("app_id")).toString() == AppId
                    && node.value(QLatin1String("fullscreen_mode")).toInt() == 1
                    && node.value(QLatin1String("focused")).toBool()
                    && node.value(QLatin1String("visible")).toBool();
            });
            if (found == shown)
                return true;
            QThread::msleep(50);
        } while (!deadline.hasExpired());
        return false;
    }

    // Waits for a screen whose differences from the desktop satisfy `ready`; their box.
    QRect waitForInk(const std::function<bool(const QRect &)> &ready) const
    {
        QRect box;
        session.waitForScreen([&](const QImage &shot) {
            box = differences(shot, desktop);
            return ready(box);
        });
        return box;
    }

    // Types, and waits until the ink is at least `width` wide: the text stands on the overlay.
    QRect typeAndWait(const QString &text, int width) const
    {
        session.type(text);
        return waitForInk([width](const QRect &box) { return box.width() >= width; });
    }

    WaylandSession session;
    std::unique_ptr<Client> probe;
    QImage desktop;
};

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
        EXPECT_LE(caret.width(), 20);
        EXPECT_LE(caret.height(), 60);
        plain = typeAndWait(QStringLiteral("Hello"), 30);
        EXPECT_LE(plain.width(), 200);
        EXPECT_LE(plain.height(), 80);
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
        // The strips show the frozen desktop, and the text stands 50/30 further; the box is
        // compared in one blink phase of the caret.
        const QRect moved
            = waitForInk([&](const QRect &box) { return box == plain.translated(50, 30); });
        EXPECT_EQ(moved, plain.translated(50, 30));
        session.key(QStringLiteral("F4"), {QStringLiteral("alt")});
        EXPECT_EQ(quillan->waitForExit(), 0) << quillan->output().toStdString();
    }
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

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
