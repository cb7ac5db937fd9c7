#include "PosixSingleInstance.h"

#include "PosixLocalSocket.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <unistd.h>

namespace platform::posix {

namespace {

// What a later copy sends; the running copy needs nothing more than the connection itself, but a
// word on it keeps the exchange readable in a trace.
constexpr char kReturnRequest[] = "return\n";

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

std::string nativePath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace

QString PosixSingleInstance::serverName(const QString &runtimeDir, const QString &display,
                                        qint64 uid)
{
    if (display.isEmpty())
        return {};
    const QString session = safeName(display);
    // A runtime folder that is not the user's alone (one inherited through su, say) is passed
    // over, as a shared temporary folder is.
    if (!runtimeDir.isEmpty() && isPrivateFolder(nativePath(runtimeDir)))
        return QDir(runtimeDir).filePath(QStringLiteral("vyn-quillane-") + session);
    return QDir(QDir::tempPath())
        .filePath(QStringLiteral("vyn-quillane-%1/%2").arg(uid).arg(session));
}

PosixSingleInstance::PosixSingleInstance(QString path)
    : m_path(std::move(path))
{
}

PosixSingleInstance::~PosixSingleInstance()
{
    m_notifier.reset();
    // Removing the socket makes the next start a first one.
    stopListening(m_listener, nativePath(m_path));
}

bool PosixSingleInstance::askRunningCopy()
{
    // A socket left by a crashed copy refuses the connection at once.
    return !m_path.isEmpty() && tellListener(nativePath(m_path), kReturnRequest);
}

bool PosixSingleInstance::listen(std::function<void()> onRequest)
{
    if (m_path.isEmpty() || m_listener >= 0)
        return false;
    // The folder of the user's own in the temporary folder is made on the first start. One that
    // is there and not the user's alone (another user took the name first) keeps this copy a
    // lone one: the program starts as usual.
    const QString folder = QFileInfo(m_path).path();
    if (!makePrivateFolder(nativePath(folder)))
        return false;
    m_listener = listenAt(nativePath(m_path));
    if (m_listener < 0)
        return false;
    m_onRequest = std::move(onRequest);
    m_notifier = std::make_unique<QSocketNotifier>(qintptr(m_listener), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] {
        for (int requests = acceptWaiting(m_listener); requests > 0; --requests)
            if (m_onRequest)
                m_onRequest();
    });
    return true;
}

std::unique_ptr<SingleInstance> makeSingleInstance(const QString &display)
{
    return std::make_unique<PosixSingleInstance>(PosixSingleInstance::serverName(
        qEnvironmentVariable("XDG_RUNTIME_DIR"), display, qint64(::geteuid())));
}

} // namespace platform::posix
