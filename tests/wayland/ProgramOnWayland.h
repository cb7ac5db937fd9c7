#pragma once

// What the tests of the program on a Wayland desktop share: the program copied into a folder of
// its own with its settings, the command menu's layout, and a fixture that starts from a desktop
// whose every pixel differs from its neighbours and looks at the screen and the compositor's tree.
#include "WaylandSession.h"
#include "settings/Palette.h"
#include "settings/Settings.h"
#include "settings/SettingsCodec.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QTemporaryDir>
#include <QThread>

#include <functional>
#include <memory>

inline const QString AppId = QStringLiteral(QUILLAN_APP_ID);

// The bounding box of the pixels where two screenshots differ, outside `ignored`; empty when
// they are equal there.
inline QRect differences(const QImage &a, const QImage &b, const QRect &ignored = {})
{
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y) && !ignored.contains(x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

// Whether the compositor's tree holds a node that satisfies `match`.
inline bool treeHas(const QJsonObject &node, const std::function<bool(const QJsonObject &)> &match)
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

    // The folder is writable again, so that it can go.
    ~Program()
    {
        QFile::setPermissions(m_folder.path(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                  | QFileDevice::ExeOwner);
    }

    QString path() const { return m_folder.filePath(QStringLiteral("quillan")); }
    // Puts the manual beside the program.
    void addManual() const
    {
        QFile::copy(QStringLiteral(QUILLAN_HELP_SOURCE),
                    m_folder.filePath(QStringLiteral("Quillan.hlp")));
    }
    QString settingsPath() const { return m_folder.filePath(QStringLiteral("QUILLAN.DAT")); }
    std::unique_ptr<Client> start() const { return std::make_unique<Client>(path()); }

    // Starts the program where no settings can be saved: its folder is read-only and the
    // per-user folder cannot be made (a file stands where it would go).
    std::unique_ptr<Client> startUnableToSave() const
    {
        const QString blocker = m_folder.filePath(QStringLiteral("config"));
        QFile file(blocker);
        file.open(QIODevice::WriteOnly);
        file.close();
        QFile::setPermissions(m_folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), blocker);
        return std::make_unique<Client>(path(), QStringList {}, environment);
    }

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

// The command menu built as the program builds it (same captions, same kinds of item, Exit
// hidden), so that the places of its items are known; the style and fonts are the session's, as
// the program's are.
class MenuLayout
{
public:
    MenuLayout()
    {
        for (const char *caption :
             {"Clear &Text", "Clear &Lines", "&Restore Text", "-", "&Standby", "-", "Enter &Text",
              "Draw &Lines", "-", ">", "-", "&Help Topics...", "&About..."}) {
            const QString text = QString::fromLatin1(caption);
            QAction *action = text == QLatin1String("-") ? m_menu.addSeparator()
                : text == QLatin1String(">")             ? m_menu.addMenu(&m_preferences)
                                                         : m_menu.addAction(text);
            if (text.contains(QLatin1String("Enter")) || text.contains(QLatin1String("Draw")))
                action->setCheckable(true);
            m_items.insert(text, action);
        }
        m_preferences.setTitle(QStringLiteral("&Preferences"));
    }

    QSize size() const { return m_menu.sizeHint(); }
    // The height of one item (logical).
    int itemHeight() const
    {
        return m_menu.actionGeometry(m_items.value(QStringLiteral("Clear &Text"))).height();
    }
    // The centre of the item with that caption, from the menu's top left corner (logical).
    QPoint centreOf(const QString &caption) const
    {
        return m_menu.actionGeometry(m_items.value(caption)).center();
    }

private:
    QMenu m_menu;
    QMenu m_preferences;
    QHash<QString, QAction *> m_items;
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
        // (On an output at a fractional scale the compositor scales the probe's picture down, so
        // its corner is near the pattern's rather than equal to it.)
        const auto patternUp = [](const QImage &shot) {
            const QRgb corner = shot.pixel(1, 2);
            return qRed(corner) < 8 && qGreen(corner) < 8 && qBlue(corner) == 0;
        };
        desktop = session.waitForScreen(patternUp);
        ASSERT_TRUE(patternUp(desktop));
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

    // Logical pixels to the output's device pixels.
    int device(int logical) const { return int(logical * session.scale()); }
    QPoint device(QPoint logical) const { return logical * session.scale(); }
    QPoint logical(QPoint device) const { return device / session.scale(); }

    // Where the pointer rests between actions: the output's top right corner, where only a corner
    // of a pointer image (the pen's) can show. Screens are compared outside that corner.
    int outputLogicalWidth() const { return int(session.outputSize().width() / session.scale()); }
    QRect ignoredCorner() const
    {
        const int side = device(40);
        return QRect(session.outputSize().width() - side, 0, side, side);
    }
    void restPointer() const { session.moveTo(QPoint(outputLogicalWidth() - 1, 0)); }

    // Waits for a screen whose differences from the desktop satisfy `ready`; their box.
    QRect waitForInk(const std::function<bool(const QRect &)> &ready) const
    {
        QRect box;
        session.waitForScreen([&](const QImage &shot) {
            box = differences(shot, desktop, ignoredCorner());
            return ready(box);
        });
        return box;
    }

    // A left-button drag through the points (logical), the pointer resting afterwards.
    void drag(const QList<QPoint> &points) const
    {
        session.moveTo(points.first());
        session.press(1);
        for (const QPoint &point : points.mid(1))
            session.moveTo(point);
        session.release(1);
        restPointer();
    }

    // Whether a window with that title stands visible in the compositor's tree.
    bool windowShown(const QString &title) const
    {
        const QJsonObject tree
            = QJsonDocument::fromJson(
                  session.swaymsg({QStringLiteral("-t"), QStringLiteral("get_tree")}))
                  .object();
        return treeHas(tree, [&](const QJsonObject &node) {
            return isWindow(node, title) && node.value(QLatin1String("visible")).toBool();
        });
    }
    // Whether the tree's node is the program's window with that title; an empty title stands for
    // its window that does not cover the output, whatever its title.
    static bool isWindow(const QJsonObject &node, const QString &title)
    {
        if (!title.isEmpty())
            return node.value(QLatin1String("name")).toString() == title;
        return node.value(QLatin1String("app_id")).toString() == AppId
            && node.value(QLatin1String("fullscreen_mode")).toInt() == 0;
    }

    // The place of the window with that title (logical pixels); empty when there is none.
    QRect windowRect(const QString &title) const
    {
        const QJsonObject tree
            = QJsonDocument::fromJson(
                  session.swaymsg({QStringLiteral("-t"), QStringLiteral("get_tree")}))
                  .object();
        QRect found;
        treeHas(tree, [&](const QJsonObject &node) {
            if (!isWindow(node, title))
                return false;
            const QJsonObject rect = node.value(QLatin1String("rect")).toObject();
            found = QRect(rect.value(QLatin1String("x")).toInt(),
                          rect.value(QLatin1String("y")).toInt(),
                          rect.value(QLatin1String("width")).toInt(),
                          rect.value(QLatin1String("height")).toInt());
            return true;
        });
        return found;
    }
    // A click on a blank spot inside the dialog's edge: a compositor gives the keyboard to a
    // window the user clicks (a Wayland client cannot take it by itself).
    void clickInto(const QString &title) const
    {
        const QRect rect = windowRect(title);
        session.click(rect.topLeft() + QPoint(3, 3));
        restPointer();
    }
    bool waitForWindow(const QString &title, bool shown = true) const
    {
        const QDeadlineTimer deadline(10000);
        do {
            if (windowShown(title) == shown)
                return true;
            QThread::msleep(50);
        } while (!deadline.hasExpired());
        return false;
    }

    // Whether the window with that title (see isWindow) stands on the screen above the overlay:
    // inside its place the screen shows it, not the frozen desktop.
    bool shownAbove(const QString &title) const
    {
        const QRect rect = windowRect(title);
        const QRect place(device(rect.topLeft()), device(rect.bottomRight()));
        if (place.width() < device(50) || place.height() < device(50))
            return false;
        bool above = false;
        session.waitForScreen([&](const QImage &shot) {
            qint64 same = 0;
            for (int y = place.top(); y <= place.bottom(); ++y)
                for (int x = place.left(); x <= place.right(); ++x)
                    same += shot.pixel(x, y) == desktop.pixel(x, y);
            above = same * 10 < qint64(place.width()) * place.height();
            return above;
        });
        return above;
    }

    // Opens the command menu with a right press at `at` (logical) and waits until it shows; the
    // box it covers on the screen (device pixels), empty when it did not come.
    QRect openMenu(QPoint at) const
    {
        // Only the menu's part of the screen is looked at: the caret blinks elsewhere.
        const QRect area = QRect(device(at), QSize(device(400), device(500)))
                               .intersected(QRect(QPoint(), session.outputSize()));
        const QImage before = session.screenshot().copy(area);
        session.moveTo(at);
        session.press(3);
        session.release(3);
        const auto big = [&](const QRect &box) {
            return box.width() >= device(80) && box.height() >= device(150);
        };
        QRect box;
        session.waitForScreen([&](const QImage &shot) {
            box = differences(shot.copy(area), before, ignoredCorner().translated(-area.topLeft()));
            return big(box);
        });
        return big(box) ? box.translated(area.topLeft()) : QRect();
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
