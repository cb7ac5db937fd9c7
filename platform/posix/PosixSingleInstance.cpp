#include "SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#ifdef Q_OS_UNIX
#include "platform/posix/PosixLocalSocket.h"

#include <QSocketNotifier>
#else
#include <QLocalServer>
#include <QLocalSocket>
#endif

namespace {

// What a later copy sends; the running copy needs nothing more than the connection itself, but a
// word on it keeps the exchange readable in a trace.
constexpr char kReturnRequest[] = "return\n";
// A running copy accepts at once; the wait only bounds a copy that hangs.
constexpr int kConnectMilliseconds = 2000;

QString safeName(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.')
            || c == QLatin1Char('_') || c == QLatin1Char('-');
        out += plain ? c : QLatin1Char('_');
    }
    return out;
}

} // namespace

QString SingleInstance::serverName(const QString &runtimeDir, const QString &display, qint64 uid)
{
    if (display.isEmpty())
        return {};
    const QString session = safeName(display);
    if (!runtimeDir.isEmpty() && QFileInfo(runtimeDir).isDir())
        return QDir(runtimeDir).filePath(QStringLiteral("vyn-quillane-") + session);
    return QStringLiteral("vyn-quillane-%1-%2").arg(uid).arg(session);
}

QString SingleInstance::serverNameForThisSession()
{
    const QString platform = QGuiApplication::platformName();
    QString display;
    if (platform.startsWith(QLatin1String("wayland"))) {
        display = qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"));
    } else if (platform == QLatin1String("xcb")) {
        display = qEnvironmentVariable("DISPLAY");
    } else if (platform == QLatin1String("windows")) {
        display = QStringLiteral("desktop");
    }
    // The home folder's owner is the user (-2 where the system has no such id).
    return serverName(qEnvironmentVariable("XDG_RUNTIME_DIR"), display,
                      QFileInfo(QDir::homePath()).ownerId());
}

SingleInstance::SingleInstance(QString name)
    : m_name(std::move(name))
{
}

#ifdef Q_OS_UNIX

// A name without a folder lives in the temporary folder, as the toolkit's local sockets do.
QString SingleInstance::path() const
{
    return QDir::isAbsolutePath(m_name) ? m_name : QDir(QDir::tempPath()).filePath(m_name);
}

SingleInstance::~SingleInstance()
{
    // Removing the socket makes the next start a first one.
    platform::posix::stopListening(m_listener, QFile::encodeName(path()).toStdString());
}

bool SingleInstance::askRunningCopy()
{
    if (m_name.isEmpty())
        return false;
    // A socket left by a crashed copy refuses the connection at once.
    return platform::posix::tellListener(QFile::encodeName(path()).toStdString(), kReturnRequest);
}

bool SingleInstance::listen(std::function<void()> onRequest)
{
    if (m_name.isEmpty() || m_listener >= 0)
        return false;
    m_listener = platform::posix::listenAt(QFile::encodeName(path()).toStdString());
    if (m_listener < 0)
        return false;
    m_onRequest = std::move(onRequest);
    m_notifier = new QSocketNotifier(qintptr(m_listener), QSocketNotifier::Read, this);
    QObject::connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        for (int requests = platform::posix::acceptWaiting(m_listener); requests > 0; --requests)
            if (m_onRequest)
                m_onRequest();
    });
    return true;
}

#else

SingleInstance::~SingleInstance()
{
    // Closing the server removes its socket, so the next start is a first one.
    if (m_server)
        m_server->close();
}

bool SingleInstance::askRunningCopy()
{
    if (m_name.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(m_name);
    // A socket left by a crashed copy refuses the connection at once.
    if (!socket.waitForConnected(kConnectMilliseconds))
        return false;
    socket.write(kReturnRequest);
    socket.waitForBytesWritten(kConnectMilliseconds);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::listen(std::function<void()> onRequest)
{
    if (m_name.isEmpty())
        return false;
    m_onRequest = std::move(onRequest);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *peer = m_server->nextPendingConnection()) {
            QObject::connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            // The later copy has nothing more to say; it may be gone already.
            peer->disconnectFromServer();
            if (m_onRequest)
                m_onRequest();
        }
    });
    if (m_server->listen(m_name))
        return true;
    // Nobody answered on the name (askRunningCopy came first), so what holds it is a stale
    // socket: it goes.
    QLocalServer::removeServer(m_name);
    return m_server->listen(m_name);
}

#endif
