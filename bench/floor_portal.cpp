// The start-up floor on a Wayland desktop: the least a program must do there to freeze the
// screen. A Wayland client cannot read the screen itself, so it asks the desktop portal for a
// screenshot (org.freedesktop.portal.Screenshot, not interactive) over Qt D-Bus, reads the file
// the portal names and removes it, then shows the picture in one frameless full-screen window.
// Nothing else: no settings, no text, no error messages beyond a line on standard error.
#include "FrozenWindow.h"
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTimer>
#include <QUrl>

#include <cstdio>

namespace {

// Waits for the Response signal of the request.
class Response final : public QObject
{
    Q_OBJECT
public:
    bool answered = false;
    uint code = 2;
    QVariantMap results;
    QEventLoop loop;

public Q_SLOTS:
    void onResponse(uint answer, const QVariantMap &map)
    {
        answered = true;
        code = answer;
        results = map;
        loop.quit();
    }
};

QImage portalScreenshot()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
    const QString token = QStringLiteral("floor%1").arg(QCoreApplication::applicationPid());
    // The request's path is known before the call, so the answer cannot come unheard.
    QString sender = bus.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString handle
        = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    Response response;
    bus.connect(service, handle, QStringLiteral("org.freedesktop.portal.Request"),
                QStringLiteral("Response"), &response, SLOT(onResponse(uint, QVariantMap)));
    QDBusMessage call = QDBusMessage::createMethodCall(
        service, QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Screenshot"), QStringLiteral("Screenshot"));
    call << QString()
         << QVariantMap {{QStringLiteral("handle_token"), token},
                         {QStringLiteral("interactive"), false}};
    const QDBusMessage reply = bus.call(call);
    if (reply.type() == QDBusMessage::ErrorMessage)
        return {};
    if (!response.answered) {
        QTimer::singleShot(30000, &response.loop, &QEventLoop::quit);
        response.loop.exec();
    }
    if (!response.answered || response.code != 0)
        return {};
    const QString path
        = QUrl(response.results.value(QStringLiteral("uri")).toString()).toLocalFile();
    QImage picture = QImageReader(path).read();
    QFile::remove(path);
    return picture;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QImage picture = portalScreenshot();
    if (picture.isNull()) {
        std::fprintf(stderr, "floor_portal: no screenshot from the portal\n");
        return 1;
    }
    // Device pixels on the screen, whatever its scale.
    picture.setDevicePixelRatio(application.devicePixelRatio());
    FrozenWindow window(std::move(picture));
    window.showFullScreen();
    return QApplication::exec();
}

#include "floor_portal.moc"
