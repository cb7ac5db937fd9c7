#include "WaylandSession.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSizeF>
#include <QThread>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr int WaitMs = 10000;

QByteArray run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(WaitMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return process.readAllStandardOutput();
}

std::vector<const Client *> &clients()
{
    static std::vector<const Client *> running;
    return running;
}

// A process's state letter and CPU time in ticks, from /proc (the tests run in the session's
// process namespace, so its clients are there).
std::pair<char, qint64> cpuOf(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {'?', -1};
    const QByteArray text = stat.readAll();
    // After the name in parentheses: state, then 10 fields, then user and system time.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return {'?', -1};
    return {fields[0].isEmpty() ? '?' : fields[0][0],
            fields[11].toLongLong() + fields[12].toLongLong()};
}

// Waits until every client is asleep with its CPU time unchanged over several readings, so that
// what was sent to it has been taken in before the next key or click goes out: a key sent while a
// client is still busy with the last one (a menu closing, a window coming up) can reach a window
// that is going away. On a busy machine this is what keeps the tests' input in order.
void settleClients()
{
    constexpr int QuietReadings = 4;
    std::vector<std::pair<char, qint64>> last;
    int quiet = 0;
    const QDeadlineTimer deadline(WaitMs);
    while (quiet < QuietReadings && !deadline.hasExpired()) {
        std::vector<std::pair<char, qint64>> now;
        for (const Client *client : clients())
            if (client->pid() > 0)
                now.push_back(cpuOf(client->pid()));
        bool still = now.size() == last.size();
        for (std::size_t i = 0; still && i < now.size(); ++i)
            still = now[i].first == 'S' && now[i] == last[i];
        last = std::move(now);
        quiet = still ? quiet + 1 : 0;
        if (quiet < QuietReadings)
            QThread::msleep(25);
    }
}

// The windows in sway's tree, depth first.
void collectWindows(const QJsonObject &node, QList<WaylandSession::Window> &windows)
{
    const QString type = node.value(QLatin1String("type")).toString();
    if (type == QLatin1String("con") || type == QLatin1String("floating_con")) {
        const QJsonObject rect = node.value(QLatin1String("rect")).toObject();
        windows.append(
            {node.value(QLatin1String("app_id")).toString(),
             node.value(QLatin1String("name")).toString(),
             QRect(rect.value(QLatin1String("x")).toInt(), rect.value(QLatin1String("y")).toInt(),
                   rect.value(QLatin1String("width")).toInt(),
                   rect.value(QLatin1String("height")).toInt()),
             node.value(QLatin1String("fullscreen_mode")).toInt() == 1,
             node.value(QLatin1String("focused")).toBool(),
             node.value(QLatin1String("visible")).toBool()});
    }
    for (const char *children : {"nodes", "floating_nodes"})
        for (const QJsonValue child : node.value(QLatin1String(children)).toArray())
            collectWindows(child.toObject(), windows);
}

// Linux key codes of the keys the tests press on KWin.
int linuxKeyCode(const QString &name)
{
    static const QHash<QString, int> codes {{QStringLiteral("Escape"), 1},
                                            {QStringLiteral("Return"), 28},
                                            {QStringLiteral("F10"), 68},
                                            {QStringLiteral("F11"), 87},
                                            {QStringLiteral("F12"), 88}};
    return codes.value(name, 0);
}

} // namespace

WaylandSession::~WaylandSession()
{
    for (auto *helper : {&m_pointer, &m_fakeInput}) {
        if (*helper) {
            (*helper)->terminate();
            (*helper)->waitForFinished(WaitMs);
        }
    }
}

WaylandSession::Desktop WaylandSession::desktop() const
{
    const QString name = qEnvironmentVariable("RUN_WAYLAND_DESKTOP");
    return name == QLatin1String("gnome") ? Desktop::Gnome
        : name == QLatin1String("kwin")   ? Desktop::Kwin
                                          : Desktop::Sway;
}

QSize WaylandSession::outputSize() const
{
    const QStringList parts = qEnvironmentVariable("RUN_WAYLAND_SIZE").split('x');
    return parts.size() == 2 ? QSize(parts[0].toInt(), parts[1].toInt()) : QSize();
}

double WaylandSession::scale() const
{
    bool ok = false;
    const double value = qEnvironmentVariable("RUN_WAYLAND_SCALE").toDouble(&ok);
    return ok ? value : 1.0;
}

QSize WaylandSession::secondOutputSize() const
{
    const QStringList parts
        = qEnvironmentVariable("RUN_WAYLAND_SECOND_OUTPUT").section('@', 0, 0).split('x');
    return parts.size() == 2 ? QSize(parts[0].toInt(), parts[1].toInt()) : QSize();
}

double WaylandSession::secondScale() const
{
    bool ok = false;
    const double value
        = qEnvironmentVariable("RUN_WAYLAND_SECOND_OUTPUT").section('@', 1, 1).toDouble(&ok);
    return ok ? value : 1.0;
}

QSize WaylandSession::layoutSize() const
{
    const QSize first = (QSizeF(outputSize()) / scale()).toSize();
    if (secondOutputSize().isEmpty())
        return first;
    const QSize second = (QSizeF(secondOutputSize()) / secondScale()).toSize();
    return QSize(first.width() + second.width(), std::max(first.height(), second.height()));
}

QImage WaylandSession::screenshot(const QString &output) const
{
    QByteArray png;
    if (desktop() == Desktop::Gnome) {
        // The shell writes the picture (without the cursor, without a flash) to a file of ours.
        static int taken = 0;
        const QString path = QStringLiteral("%1/screenshot-%2.png")
                                 .arg(qEnvironmentVariable("XDG_RUNTIME_DIR"))
                                 .arg(++taken);
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.gnome.Shell"), QStringLiteral("/org/gnome/Shell/Screenshot"),
            QStringLiteral("org.gnome.Shell.Screenshot"), QStringLiteral("Screenshot"));
        call << false << false << path;
        QDBusConnection::sessionBus().call(call, QDBus::Block, WaitMs);
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            png = file.readAll();
        file.remove();
    } else if (desktop() == Desktop::Sway) {
        // One output at its own device pixels: grim would otherwise scale it to the largest of
        // the (whole-number) scales the compositor announces, 2 for an output at 1.5.
        const bool second = output == QLatin1String("HEADLESS-2");
        const QStringList arguments {
            QStringLiteral("-t"), QStringLiteral("png"),
            QStringLiteral("-o"), second ? output : QStringLiteral("HEADLESS-1"),
            QStringLiteral("-s"), QString::number(second ? secondScale() : scale()),
            QStringLiteral("-")};
        png = run(QStringLiteral("grim"), arguments);
    }
    QImage image;
    if (!image.loadFromData(png, "PNG"))
        return {};
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage WaylandSession::waitForScreen(const std::function<bool(const QImage &)> &ready,
                                     const QString &output) const
{
    QDeadlineTimer deadline(WaitMs);
    QImage shot;
    do {
        shot = screenshot(output);
        if (!shot.isNull() && ready(shot))
            break;
        QThread::msleep(50);
    } while (!deadline.hasExpired());
    return shot;
}

// wtype makes a new virtual keyboard each time, and the compositor drops the keys that arrive
// before it has taken that keyboard in; wtype cannot wait for that, so it waits a while before
// the first key (50 ms was tight on a busy machine).
const QString KeyboardSettleMs = QStringLiteral("250");

void WaylandSession::type(const QString &text) const
{
    settleClients();
    if (desktop() == Desktop::Gnome) {
        QStringList characters;
        for (const QChar character : text)
            characters << QString(character);
        shellKeys(characters, {}, true);
        return;
    }
    run(QStringLiteral("wtype"), {QStringLiteral("-s"), KeyboardSettleMs, text});
}

void WaylandSession::key(const QString &name, const QStringList &modifiers) const
{
    settleClients();
    if (desktop() == Desktop::Gnome) {
        shellKeys({name}, modifiers, false);
        return;
    }
    if (desktop() == Desktop::Kwin) {
        helper(m_fakeInput, qEnvironmentVariable("RUN_WAYLAND_FAKE_INPUT"),
               QStringLiteral("key %1\n").arg(linuxKeyCode(name)).toLatin1());
        return;
    }
    QStringList arguments {QStringLiteral("-s"), KeyboardSettleMs};
    for (const QString &modifier : modifiers)
        arguments << QStringLiteral("-M") << modifier;
    arguments << QStringLiteral("-k") << name;
    for (const QString &modifier : modifiers)
        arguments << QStringLiteral("-m") << modifier;
    run(QStringLiteral("wtype"), arguments);
}

void WaylandSession::keys(const QStringList &names) const
{
    settleClients();
    if (desktop() == Desktop::Gnome) {
        shellKeys(names, {}, false);
        return;
    }
    QStringList arguments {QStringLiteral("-s"), KeyboardSettleMs};
    for (const QString &name : names)
        arguments << QStringLiteral("-k") << name;
    run(QStringLiteral("wtype"), arguments);
}

void WaylandSession::moveTo(QPoint at) const
{
    if (desktop() == Desktop::Gnome) {
        settleClients();
        shellEval(QStringLiteral("global.bedPointer.notify_absolute_motion("
                                 "imports.gi.GLib.get_monotonic_time(), %1, %2)")
                      .arg(at.x())
                      .arg(at.y()));
        // The motion goes through the compositor's input thread: a press sent before the shell
        // has the pointer there would land where it was.
        const QString there = QStringLiteral("[%1,%2]").arg(at.x()).arg(at.y());
        for (QDeadlineTimer deadline(WaitMs);
             shellEval(QStringLiteral("global.get_pointer().slice(0, 2)")) != there
             && !deadline.hasExpired();)
            QThread::msleep(10);
        return;
    }
    // The virtual pointer's absolute motion spans the whole layout.
    const QSize layout = layoutSize();
    pointer(QStringLiteral("move %1 %2 %3 %4\n")
                .arg(at.x())
                .arg(at.y())
                .arg(layout.width())
                .arg(layout.height())
                .toLatin1());
}

void WaylandSession::click(QPoint at, int button) const
{
    moveTo(at);
    press(button);
    release(button);
}

void WaylandSession::press(int button) const
{
    if (desktop() == Desktop::Gnome) {
        settleClients();
        // Clutter numbers the buttons as the tests do: 1 left, 2 middle, 3 right.
        shellEval(QStringLiteral("global.bedPointer.notify_button("
                                 "imports.gi.GLib.get_monotonic_time(), %1, "
                                 "imports.gi.Clutter.ButtonState.PRESSED)")
                      .arg(button));
        return;
    }
    pointer(QStringLiteral("press %1\n").arg(button).toLatin1());
}

void WaylandSession::release(int button) const
{
    if (desktop() == Desktop::Gnome) {
        settleClients();
        shellEval(QStringLiteral("global.bedPointer.notify_button("
                                 "imports.gi.GLib.get_monotonic_time(), %1, "
                                 "imports.gi.Clutter.ButtonState.RELEASED)")
                      .arg(button));
        return;
    }
    pointer(QStringLiteral("release %1\n").arg(button).toLatin1());
}

void WaylandSession::pointer(const QByteArray &commands) const
{
    settleClients();
    helper(m_pointer, qEnvironmentVariable("RUN_WAYLAND_POINTER"), commands);
}

void WaylandSession::helper(std::unique_ptr<QProcess> &process, const QString &program,
                            const QByteArray &commands) const
{
    if (!process) {
        process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(program, QStringList {});
        QByteArray said;
        while (!said.contains("ready\n") && process->waitForReadyRead(WaitMs))
            said += process->readAllStandardOutput();
    }
    process->write(commands + "sync\n");
    QByteArray said;
    while (!said.contains("synced\n") && process->waitForReadyRead(WaitMs))
        said += process->readAllStandardOutput();
}

void WaylandSession::shellKeys(const QStringList &keysyms, const QStringList &modifiers,
                               bool characters) const
{
    static const QHash<QString, QString> modifierKeys {
        {QStringLiteral("alt"), QStringLiteral("Alt_L")},
        {QStringLiteral("ctrl"), QStringLiteral("Control_L")},
        {QStringLiteral("shift"), QStringLiteral("Shift_L")}};
    QStringList held;
    for (const QString &modifier : modifiers)
        held << modifierKeys.value(modifier, modifier);
    const auto json = [](const QStringList &list) {
        return QString::fromUtf8(
            QJsonDocument(QJsonArray::fromStringList(list)).toJson(QJsonDocument::Compact));
    };
    // The virtual keyboard turns a key's symbol into its key (and the Shift it needs) by the
    // keymap, as a keyboard would type it.
    shellEval(
        QStringLiteral(
            "const C = imports.gi.Clutter; const GLib = imports.gi.GLib;"
            "const send = (v, state) => global.bedKeyboard.notify_keyval("
            "    GLib.get_monotonic_time(), v, state);"
            "const held = %1.map(n => C['KEY_' + n]);"
            "const keys = %2.map(k => %3);"
            "held.forEach(v => send(v, C.KeyState.PRESSED));"
            "keys.forEach(v => { send(v, C.KeyState.PRESSED); send(v, C.KeyState.RELEASED); });"
            "held.reverse().forEach(v => send(v, C.KeyState.RELEASED)); true")
            .arg(json(held), json(keysyms),
                 characters ? QStringLiteral("C.unicode_to_keysym(k.codePointAt(0))")
                            : QStringLiteral("C['KEY_' + k]")));
}

QList<WaylandSession::Window> WaylandSession::windows() const
{
    QList<Window> windows;
    if (desktop() == Desktop::Sway) {
        collectWindows(
            QJsonDocument::fromJson(swaymsg({QStringLiteral("-t"), QStringLiteral("get_tree")}))
                .object(),
            windows);
    } else if (desktop() == Desktop::Gnome) {
        // Qt gives a Wayland window's app id as its class.
        const QString listed = shellEval(QStringLiteral(
            "global.get_window_actors().map(a => { const w = a.get_meta_window();"
            "  const r = w.get_frame_rect();"
            "  return [w.get_wm_class() || '', w.get_title() || '', r.x, r.y, r.width, r.height,"
            "          w.is_fullscreen(), w.has_focus(), a.visible && "
            "w.showing_on_its_workspace()];"
            "})"));
        for (const QJsonValue value : QJsonDocument::fromJson(listed.toUtf8()).array()) {
            const QJsonArray w = value.toArray();
            windows.append({w[0].toString(), w[1].toString(),
                            QRect(w[2].toInt(), w[3].toInt(), w[4].toInt(), w[5].toInt()),
                            w[6].toBool(), w[7].toBool(), w[8].toBool()});
        }
    }
    return windows;
}

QByteArray WaylandSession::swaymsg(const QStringList &arguments) const
{
    return run(QStringLiteral("swaymsg"), arguments);
}

QString WaylandSession::shellEval(const QString &script) const
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.gnome.Shell"), QStringLiteral("/org/gnome/Shell"),
        QStringLiteral("org.gnome.Shell"), QStringLiteral("Eval"));
    call << script;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, WaitMs);
    if (reply.type() != QDBusMessage::ReplyMessage || !reply.arguments().value(0).toBool())
        return {};
    return reply.arguments().value(1).toString();
}

Client::Client(const QString &program, const QStringList &arguments,
               const QProcessEnvironment &environment, QProcess::ProcessChannelMode channels)
{
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(channels);
    m_process.start(program, arguments);
    clients().push_back(this);
}

qint64 Client::pid() const
{
    return m_process.state() == QProcess::NotRunning ? 0 : m_process.processId();
}

Client::~Client()
{
    clients().erase(std::remove(clients().begin(), clients().end(), this), clients().end());
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(WaitMs)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
}

QString Client::waitForLine(const QString &prefix, int ms)
{
    QDeadlineTimer deadline(ms);
    for (;;) {
        m_output += m_process.readAllStandardOutput();
        const QList<QByteArray> lines = m_output.split('\n');
        // The last piece is an unfinished line.
        for (int i = m_consumed; i + 1 < lines.size(); ++i) {
            const QString line = QString::fromUtf8(lines[i]);
            if (line.startsWith(prefix)) {
                m_consumed = i + 1;
                return line;
            }
        }
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return {};
        m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    }
}

int Client::waitForExit()
{
    if (!m_process.waitForFinished(WaitMs) && m_process.state() != QProcess::NotRunning)
        return -1;
    m_output += m_process.readAllStandardOutput();
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}
