#pragma once

#include <QString>

namespace platform::wayland {

// The object path the desktop portal gives a request or session ("request", "session") made with
// this token: the caller's unique bus name without its colon, dots made underscores.
inline QString PortalHandlePath(const QString &uniqueName, const QString &kind,
                                const QString &token)
{
    QString sender = uniqueName;
    if (sender.startsWith(QLatin1Char(':')))
        sender.remove(0, 1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/%1/%2/%3").arg(kind, sender, token);
}

} // namespace platform::wayland
