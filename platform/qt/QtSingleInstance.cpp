#include "QtSingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

namespace platform::qt {

namespace {

constexpr char kReturnRequest[] = "return\n";
// A running copy accepts at once; the wait only bounds a copy that hangs.
constexpr int kConnectMilliseconds = 2000;

class QtSingleInstance final : public SingleInstance
{
public:
    explicit QtSingleInstance(QString name)
        : m_name(std::move(name))
    {
    }
    ~QtSingleInstance() override
    {
        // Closing the server removes its socket, so the next start is a first one.
        if (m_server)
            m_server->close();
    }

    bool askRunningCopy() override
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

    bool listen(std::function<void()> onRequest) override
    {
        if (m_name.isEmpty() || m_server)
            return false;
        m_onRequest = std::move(onRequest);
        m_server = std::make_unique<QLocalServer>();
        // The pipe or socket is created for the user alone.
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(), [this] {
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

private:
    QString m_name;
    std::function<void()> m_onRequest;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace

std::unique_ptr<SingleInstance> makeSingleInstance(const std::string &session)
{
    // The user's name keeps users apart where the toolkit's names are the system's (a Windows
    // pipe's name is global).
    QString name;
    if (!session.empty())
        name = QStringLiteral("vyn-quillane-%1-%2")
                   .arg(QDir::home().dirName(), QString::fromStdString(session));
    return std::make_unique<QtSingleInstance>(name);
}

} // namespace platform::qt
