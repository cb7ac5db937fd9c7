#include "WaylandDesktopCapture.h"

#include "KeptScreenshotAnswer.h"
#include "PortalPaths.h"
#include "PortalScreenshot.h"
#include "ScreencopyDesktopCapture.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QEventLoop>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTimer>

namespace platform::wayland {

namespace {

const QString RequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString ScreenshotInterface = QStringLiteral("org.freedesktop.portal.Screenshot");

// Waits for the Response signal of one portal request.
class ResponseWaiter final : public QObject
{
    Q_OBJECT
public:
    bool answered = false;
    unsigned response = 2;
    QVariantMap results;
    QEventLoop loop;

public Q_SLOTS:
    void onResponse(uint code, const QVariantMap &map)
    {
        answered = true;
        response = code;
        results = map;
        loop.quit();
    }
};

bool serviceKnown(QDBusConnection &bus, const QString &service)
{
    QDBusConnectionInterface *daemon = bus.interface();
    if (!daemon)
        return false;
    if (daemon->isServiceRegistered(service).value())
        return true;
    // Not running yet, but the bus starts it on the first call.
    const QDBusReply<QStringList> activatable = daemon->activatableServiceNames();
    return activatable.isValid() && activatable.value().contains(service);
}

} // namespace

PortalDesktopCapture::PortalDesktopCapture(QString service, QString path, int timeoutSeconds)
    : m_service(std::move(service))
    , m_path(std::move(path))
    , m_timeoutSeconds(timeoutSeconds)
{
}

std::string PortalDesktopCapture::unavailableReason()
{
    if (m_kept.isNull())
        m_kept = requestScreenshot();
    return m_kept.isNull() ? m_failure : std::string();
}

DesktopImage PortalDesktopCapture::captureDesktop(int x, int y, int width, int height)
{
    if (width <= 0 || height <= 0)
        return {};
    QImage desktop = m_kept.isNull() ? requestScreenshot() : std::move(m_kept);
    m_kept = QImage();
    if (desktop.isNull())
        return {};
    return CutDesktop(desktop, x, y, width, height);
}

DesktopImage PortalDesktopCapture::captureOutput(const std::string &)
{
    if (QGuiApplication::screens().size() != 1)
        return {};
    QImage desktop = m_kept.isNull() ? requestScreenshot() : std::move(m_kept);
    m_kept = QImage();
    if (desktop.isNull())
        return {};
    return CutDesktop(desktop, 0, 0, desktop.width(), desktop.height());
}

QImage PortalDesktopCapture::requestScreenshot()
{
    m_failure.clear();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        m_failure = reasons::noSessionBus();
        return {};
    }
    if (!serviceKnown(bus, m_service)) {
        m_failure = reasons::noPortal();
        return {};
    }

    // Listen before asking: the answer may come before the call returns.
    const QString token = QStringLiteral("quillan%1").arg(QRandomGenerator::global()->generate());
    QString handle = PortalHandlePath(bus.baseService(), QStringLiteral("request"), token);
    ResponseWaiter waiter;
    bus.connect(m_service, handle, RequestInterface, QStringLiteral("Response"), &waiter,
                SLOT(onResponse(uint, QVariantMap)));

    QDBusMessage call = QDBusMessage::createMethodCall(m_service, m_path, ScreenshotInterface,
                                                       QStringLiteral("Screenshot"));
    const QVariantMap options {{QStringLiteral("handle_token"), token},
                               {QStringLiteral("interactive"), false},
                               {QStringLiteral("modal"), false}};
    call << QString() << options;
    const QDBusMessage reply = bus.call(call, QDBus::Block, m_timeoutSeconds * 1000);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        bus.disconnect(m_service, handle, RequestInterface, QStringLiteral("Response"), &waiter,
                       SLOT(onResponse(uint, QVariantMap)));
        const QString error = reply.errorName();
        if (error == QLatin1String("org.freedesktop.DBus.Error.AccessDenied")
            || error == QLatin1String("org.freedesktop.portal.Error.NotAllowed"))
            m_failure = reasons::refused();
        else if (error == QLatin1String("org.freedesktop.DBus.Error.NoReply")
                 || error == QLatin1String("org.freedesktop.DBus.Error.Timeout"))
            m_failure = reasons::noAnswer(m_timeoutSeconds);
        else if (error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown"))
            m_failure = reasons::noPortal();
        else
            m_failure = reasons::noScreenshotPortal();
        return {};
    }
    // Portals older than the handle_token option answer on a path of their own choosing.
    const QString given = reply.arguments().value(0).value<QDBusObjectPath>().path();
    if (!given.isEmpty() && given != handle && !waiter.answered) {
        bus.disconnect(m_service, handle, RequestInterface, QStringLiteral("Response"), &waiter,
                       SLOT(onResponse(uint, QVariantMap)));
        handle = given;
        bus.connect(m_service, handle, RequestInterface, QStringLiteral("Response"), &waiter,
                    SLOT(onResponse(uint, QVariantMap)));
    }

    // The portal takes the picture now, in processes of its own; the answer waits on the bus.
    if (!waiter.answered)
        runWorkWhileWaiting();
    if (!waiter.answered) {
        QTimer::singleShot(m_timeoutSeconds * 1000, &waiter.loop, &QEventLoop::quit);
        // Nothing of the program is on the screen yet; only the bus is waited for.
        waiter.loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    bus.disconnect(m_service, handle, RequestInterface, QStringLiteral("Response"), &waiter,
                   SLOT(onResponse(uint, QVariantMap)));
    if (!waiter.answered) {
        // Whatever the portal still makes is not wanted: close the request.
        bus.send(QDBusMessage::createMethodCall(m_service, handle, RequestInterface,
                                                QStringLiteral("Close")));
        m_failure = ReasonForNoAnswer(LookUpKeptScreenshotAnswer(bus),
                                      DesktopAsksBeforeScreenshots(), m_timeoutSeconds);
        return {};
    }

    // A 2 may be the user's "no"; what the desktop keeps tells.
    const ScreenshotAnswer answer = ReadScreenshotResponse(
        waiter.response, waiter.results,
        waiter.response == 2 ? LookUpKeptScreenshotAnswer(bus) : KeptAnswer::Unknown);
    if (answer.path.isEmpty()) {
        m_failure = answer.failure;
        return {};
    }
    QImage picture = TakeScreenshotFile(answer.path);
    if (picture.isNull())
        m_failure = reasons::unreadablePicture();
    return picture;
}

std::unique_ptr<DesktopCapture> makeDesktopCapture(std::shared_ptr<WaylandOutputs> outputs)
{
    // Straight from the compositor where it copies its outputs (wlroots); elsewhere (GNOME, KDE
    // Plasma) through the desktop portal.
    if (outputs && outputs->copiesOutputs())
        return std::make_unique<ScreencopyDesktopCapture>(std::move(outputs));
    return std::make_unique<PortalDesktopCapture>();
}

} // namespace platform::wayland

#include "WaylandDesktopCapture.moc"
