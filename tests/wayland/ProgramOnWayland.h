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
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>
#include <QMenu>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <functional>
#include <memory>

inline const QString AppId = QStringLiteral(QUILLAN_APP_ID);
inline const QString ProgramBoxTitle = QStringLiteral(" Vyn Quillane");

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
    // Starts it with what it says on its error output readable.
    std::unique_ptr<Client> startHearingErrors() const
    {
        return std::make_unique<Client>(path(), QStringList {},
                                        QProcessEnvironment::systemEnvironment(),
                                        QProcess::MergedChannels);
    }
    QByteArray settingsBytes() const
    {
        QFile file(settingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
    }

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

// GNOME keeps its answer to "may programs take screenshots?" in the portal's permission store,
// for every program outside a sandbox at once.
inline QDBusMessage permissionStore(const QString &method)
{
    return QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.impl.portal.PermissionStore"),
        QStringLiteral("/org/freedesktop/impl/portal/PermissionStore"),
        QStringLiteral("org.freedesktop.impl.portal.PermissionStore"), method);
}
// The answer kept ("yes", "no"), or empty when none is.
inline QString keptScreenshotAnswer()
{
    QDBusMessage lookUp = permissionStore(QStringLiteral("Lookup"));
    lookUp << QStringLiteral("screenshot") << QStringLiteral("screenshot");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(lookUp);
    QMap<QString, QStringList> kept;
    if (reply.type() == QDBusMessage::ReplyMessage)
        reply.arguments().value(0).value<QDBusArgument>() >> kept;
    return kept.value(QString()).value(0);
}
inline void keepScreenshotAnswer(const QString &answer)
{
    QDBusMessage call = permissionStore(QStringLiteral("SetPermission"));
    call << QStringLiteral("screenshot") << true << QStringLiteral("screenshot") << QString()
         << QStringList {answer};
    QDBusConnection::sessionBus().call(call);
}

class ProgramOnWayland : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The screenshots are allowed, unless a test asks to be asked.
        if (session.desktop() == WaylandSession::Desktop::Gnome)
            keepScreenshotAnswer(QStringLiteral("yes"));
        // A desktop where every pixel differs from its neighbours, so a copy off by one shows.
        probe = std::make_unique<Client>(QStringLiteral(PROBE_WINDOW),
                                         QStringList {QStringLiteral("pattern")});
        ASSERT_FALSE(probe->waitForLine("shown ").isEmpty()) << probe->output().toStdString();
        // (On an output at a fractional scale the compositor scales the probe's picture down, so
        // its corner is near the pattern's rather than equal to it; never black, as GNOME's top
        // bar is there until the probe covers it.)
        const auto patternUp = [](const QImage &shot) {
            const QRgb corner = shot.pixel(1, 2);
            return qRed(corner) < 8 && qGreen(corner) < 8 && qBlue(corner) == 0
                && qGreen(corner) > 0;
        };
        desktop = session.waitForScreen(patternUp);
        ASSERT_TRUE(patternUp(desktop));
    }

    // Waits until the program's window covers the output and has the keyboard.
    bool waitForOverlay(bool shown = true) const
    {
        const QDeadlineTimer deadline(10000);
        do {
            const QList<WaylandSession::Window> windows = session.windows();
            const bool found
                = std::any_of(windows.cbegin(), windows.cend(), [](const auto &window) {
                      return window.appId == AppId && window.fullscreen && window.focused
                          && window.visible;
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
        const QList<WaylandSession::Window> windows = session.windows();
        return std::any_of(windows.cbegin(), windows.cend(), [&](const auto &window) {
            return isWindow(window, title) && window.visible;
        });
    }
    // Waits until the window with that title (see isWindow) has the keyboard: it asks for it
    // once the compositor shows it, a moment after it is in the compositor's tree.
    bool waitForKeyboard(const QString &title) const
    {
        const QDeadlineTimer deadline(10000);
        do {
            const QList<WaylandSession::Window> windows = session.windows();
            if (std::any_of(windows.cbegin(), windows.cend(), [&](const auto &window) {
                    return isWindow(window, title) && window.focused;
                }))
                return true;
            QThread::msleep(50);
        } while (!deadline.hasExpired());
        return false;
    }
    // Whether the window is the program's window with that title; an empty title stands for its
    // window that does not cover the output, whatever its title.
    static bool isWindow(const WaylandSession::Window &window, const QString &title)
    {
        if (!title.isEmpty())
            return window.title == title;
        return window.appId == AppId && !window.fullscreen;
    }

    // The place of the window with that title (logical pixels); empty when there is none.
    QRect windowRect(const QString &title) const
    {
        for (const WaylandSession::Window &window : session.windows())
            if (isWindow(window, title))
                return window.rect;
        return {};
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

    // GNOME keeps menus below its top bar, even over a full-screen window (logical pixels).
    int topBarHeight() const
    {
        return session.desktop() == WaylandSession::Desktop::Gnome
            ? session.shellEval(QStringLiteral("Main.panel.height")).toInt()
            : 0;
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

    // Types, and waits until the ink is at least `width` wide and has stopped growing for longer
    // than the caret stays on or off (500 ms): on a busy machine the letters come up one by one,
    // and a box taken at the first that reach `width` misses the rest. The box of the text with
    // its caret.
    QRect typeAndWait(const QString &text, int width) const
    {
        session.type(text);
        QRect settled = waitForInk([width](const QRect &box) { return box.width() >= width; });
        QElapsedTimer unchanged;
        unchanged.start();
        for (QDeadlineTimer deadline(10000); unchanged.elapsed() < 700 && !deadline.hasExpired();
             QThread::msleep(50)) {
            const QRect box = differences(session.screenshot(), desktop, ignoredCorner());
            if (!settled.contains(box)) {
                settled |= box;
                unchanged.restart();
            }
        }
        return settled;
    }

    // GNOME's question, when it is up: the middle of its button with that label (logical).
    QPoint questionButton(const QString &label) const
    {
        const QString script
            = QStringLiteral("const find = a => (a instanceof imports.gi.St.Button"
                             "    && a.label === '%1') ? a"
                             "  : a.get_children().map(find).find(b => b) || null;"
                             "const b = Main.modalCount > 0"
                             "  ? find(Main.layoutManager.modalDialogGroup) : null;"
                             "const [x, y] = b ? b.get_transformed_position() : [];"
                             "b ? [Math.round(x + b.width / 2), Math.round(y + b.height / 2)] : []")
                  .arg(label);
        const QJsonArray at = QJsonDocument::fromJson(session.shellEval(script).toUtf8()).array();
        return at.size() == 2 ? QPoint(at[0].toInt(), at[1].toInt()) : QPoint();
    }
    QPoint waitForQuestion(const QString &label) const
    {
        QPoint at;
        for (QDeadlineTimer deadline(20000); at.isNull() && !deadline.hasExpired();
             QThread::msleep(100))
            at = questionButton(label);
        return at;
    }
    // Answers the question by a click on its button; whether it has gone.
    bool answerQuestion(const QString &label) const
    {
        const QPoint button = waitForQuestion(label);
        if (button.isNull())
            return false;
        session.click(button);
        restPointer();
        const QDeadlineTimer deadline(10000);
        while (session.shellEval(QStringLiteral("Main.modalCount")) != QLatin1String("0")) {
            if (deadline.hasExpired())
                return false;
            QThread::msleep(50);
        }
        return true;
    }

    WaylandSession session;
    std::unique_ptr<Client> probe;
    QImage desktop;
};
