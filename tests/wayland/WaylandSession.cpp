#include "WaylandSession.h"

#include <QDeadlineTimer>
#include <QFile>
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

} // namespace

WaylandSession::~WaylandSession()
{
    if (m_pointer) {
        m_pointer->terminate();
        m_pointer->waitForFinished(WaitMs);
    }
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
    // One output at its own device pixels: grim would otherwise scale it to the largest of the
    // (whole-number) scales the compositor announces, 2 for an output at 1.5.
    const bool second = output == QLatin1String("HEADLESS-2");
    const QStringList arguments {
        QStringLiteral("-t"), QStringLiteral("png"),
        QStringLiteral("-o"), second ? output : QStringLiteral("HEADLESS-1"),
        QStringLiteral("-s"), QString::number(second ? secondScale() : scale()),
        QStringLiteral("-")};
    const QByteArray png = run(QStringLiteral("grim"), arguments);
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
    run(QStringLiteral("wtype"), {QStringLiteral("-s"), KeyboardSettleMs, text});
}

void WaylandSession::key(const QString &name, const QStringList &modifiers) const
{
    settleClients();
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
    QStringList arguments {QStringLiteral("-s"), KeyboardSettleMs};
    for (const QString &name : names)
        arguments << QStringLiteral("-k") << name;
    run(QStringLiteral("wtype"), arguments);
}

void WaylandSession::moveTo(QPoint at) const
{
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
    pointer(QStringLiteral("press %1\n").arg(button).toLatin1());
}

void WaylandSession::release(int button) const
{
    pointer(QStringLiteral("release %1\n").arg(button).toLatin1());
}

void WaylandSession::pointer(const QByteArray &commands) const
{
    settleClients();
    if (!m_pointer) {
        m_pointer = std::make_unique<QProcess>();
        m_pointer->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_pointer->start(qEnvironmentVariable("RUN_WAYLAND_POINTER"), QStringList {});
        QByteArray said;
        while (!said.contains("ready\n") && m_pointer->waitForReadyRead(WaitMs))
            said += m_pointer->readAllStandardOutput();
    }
    m_pointer->write(commands + "sync\n");
    QByteArray said;
    while (!said.contains("synced\n") && m_pointer->waitForReadyRead(WaitMs))
        said += m_pointer->readAllStandardOutput();
}

QByteArray WaylandSession::swaymsg(const QStringList &arguments) const
{
    return run(QStringLiteral("swaymsg"), arguments);
}

Client::Client(const QString &program, const QStringList &arguments,
               const QProcessEnvironment &environment)
{
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
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

QString Client::waitForLine(const QString &prefix)
{
    QDeadlineTimer deadline(WaitMs);
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
