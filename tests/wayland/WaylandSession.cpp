#include "WaylandSession.h"

#include <QDeadlineTimer>
#include <QSizeF>
#include <QThread>

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

QImage WaylandSession::screenshot() const
{
    const QByteArray png = run(QStringLiteral("grim"),
                               {QStringLiteral("-t"), QStringLiteral("png"), QStringLiteral("-")});
    QImage image;
    if (!image.loadFromData(png, "PNG"))
        return {};
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage WaylandSession::waitForScreen(const std::function<bool(const QImage &)> &ready) const
{
    QDeadlineTimer deadline(WaitMs);
    QImage shot;
    do {
        shot = screenshot();
        if (!shot.isNull() && ready(shot))
            break;
        QThread::msleep(50);
    } while (!deadline.hasExpired());
    return shot;
}

void WaylandSession::type(const QString &text) const
{
    // wtype makes a new virtual keyboard each time; the compositor drops the keys that arrive
    // before it has sent the keymap, so wait a moment before the first key.
    run(QStringLiteral("wtype"), {QStringLiteral("-s"), QStringLiteral("50"), text});
}

void WaylandSession::key(const QString &name, const QStringList &modifiers) const
{
    QStringList arguments {QStringLiteral("-s"), QStringLiteral("50")};
    for (const QString &modifier : modifiers)
        arguments << QStringLiteral("-M") << modifier;
    arguments << QStringLiteral("-k") << name;
    for (const QString &modifier : modifiers)
        arguments << QStringLiteral("-m") << modifier;
    run(QStringLiteral("wtype"), arguments);
}

void WaylandSession::keys(const QStringList &names) const
{
    QStringList arguments {QStringLiteral("-s"), QStringLiteral("50")};
    for (const QString &name : names)
        arguments << QStringLiteral("-k") << name;
    run(QStringLiteral("wtype"), arguments);
}

void WaylandSession::moveTo(QPoint at) const
{
    const QSize layout = (QSizeF(outputSize()) / scale()).toSize();
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
}

Client::~Client()
{
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
