#include "KeptScreenshotAnswer.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QMap>

namespace platform::wayland {

KeptAnswer LookUpKeptScreenshotAnswer(QDBusConnection &bus)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.impl.portal.PermissionStore"),
        QStringLiteral("/org/freedesktop/impl/portal/PermissionStore"),
        QStringLiteral("org.freedesktop.impl.portal.PermissionStore"), QStringLiteral("Lookup"));
    call << QStringLiteral("screenshot") << QStringLiteral("screenshot");
    // The store answers at once; it only matters for the words of a message.
    const QDBusMessage reply = bus.call(call, QDBus::Block, 3000);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        // Nothing was ever kept there.
        return reply.errorName() == QLatin1String("org.freedesktop.portal.Error.NotFound")
            ? KeptAnswer::None
            : KeptAnswer::Unknown;
    }
    const QVariant permissions = reply.arguments().value(0);
    if (!permissions.canConvert<QDBusArgument>())
        return KeptAnswer::Unknown;
    QMap<QString, QStringList> byProgram;
    permissions.value<QDBusArgument>() >> byProgram;
    // Programs outside a sandbox have no id of their own: the empty one.
    const QStringList kept = byProgram.value(QString());
    if (kept.value(0) == QLatin1String("yes"))
        return KeptAnswer::Yes;
    if (kept.value(0) == QLatin1String("no"))
        return KeptAnswer::No;
    return KeptAnswer::None;
}

bool DesktopAsksBeforeScreenshots()
{
    const QStringList desktops
        = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'));
    return desktops.contains(QLatin1String("GNOME"), Qt::CaseInsensitive);
}

} // namespace platform::wayland
