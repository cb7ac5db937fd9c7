#include "FakeShortcutsPortal.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace {

const QString Service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString Root = QStringLiteral("/org/freedesktop/portal/desktop");
const QString Shortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

// Where the portal puts a request or session of this caller: its unique name without the colon,
// dots made underscores.
QString handlePath(QString sender, const QString &kind, const QString &token)
{
    sender.remove(0, 1).replace(QLatin1Char('.'), QLatin1Char('_'));
    return Root + QLatin1Char('/') + kind + QLatin1Char('/') + sender + QLatin1Char('/') + token;
}

QVariantMap optionsAt(const QDBusMessage &message, int index)
{
    return qdbus_cast<QVariantMap>(message.arguments().value(index));
}

} // namespace

FakeShortcutsPortal::FakeShortcutsPortal(QDBusConnection bus)
    : m_bus(std::move(bus))
{
    m_registered = m_bus.registerVirtualObject(Root, this, QDBusConnection::SubPath)
        && m_bus.registerService(Service);
}

FakeShortcutsPortal::~FakeShortcutsPortal()
{
    m_bus.unregisterService(Service);
    m_bus.unregisterObject(Root, QDBusConnection::UnregisterTree);
}

void FakeShortcutsPortal::press(const QString &session, const QString &id)
{
    QDBusMessage signal = QDBusMessage::createSignal(Root, Shortcuts, QStringLiteral("Activated"));
    signal << QVariant::fromValue(QDBusObjectPath(session)) << id << QVariant::fromValue(++m_clock)
           << QVariantMap();
    m_bus.send(signal);
}

QString FakeShortcutsPortal::introspect(const QString &) const
{
    return {};
}

bool FakeShortcutsPortal::handleMessage(const QDBusMessage &message, const QDBusConnection &)
{
    const QString member = message.member();
    if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties")
        && member == QLatin1String("Get")) {
        if (offersInterface && message.arguments().value(0).toString() == Shortcuts
            && message.arguments().value(1).toString() == QLatin1String("version"))
            m_bus.send(message.createReply(QVariant::fromValue(QDBusVariant(1u))));
        else
            m_bus.send(message.createErrorReply(
                QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"), QString()));
        return true;
    }
    if (message.interface() == QLatin1String("org.freedesktop.portal.Session")
        && member == QLatin1String("Close")) {
        closedSessions << message.path();
        m_bus.send(message.createReply());
        return true;
    }
    if (!offersInterface || message.interface() != Shortcuts) {
        m_bus.send(message.createErrorReply(
            QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"), QString()));
        return true;
    }

    if (member == QLatin1String("CreateSession")) {
        ++requests;
        const QVariantMap options = optionsAt(message, 0);
        const QString request
            = handlePath(message.service(), QStringLiteral("request"),
                         options.value(QStringLiteral("handle_token")).toString());
        const QString session
            = handlePath(message.service(), QStringLiteral("session"),
                         options.value(QStringLiteral("session_handle_token")).toString());
        QVariantMap results;
        if (sessionResponse == 0) {
            sessions << session;
            results.insert(QStringLiteral("session_handle"), session);
        }
        answer(message, request, sessionResponse, results);
        return true;
    }
    if (member == QLatin1String("BindShortcuts")) {
        ++requests;
        boundSession = message.arguments().value(0).value<QDBusObjectPath>().path();
        const QDBusArgument list = message.arguments().value(1).value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            QString id;
            QVariantMap properties;
            list.beginStructure();
            list >> id >> properties;
            list.endStructure();
            bound.append({id, properties.value(QStringLiteral("description")).toString(),
                          properties.value(QStringLiteral("preferred_trigger")).toString()});
        }
        list.endArray();
        const QString request
            = handlePath(message.service(), QStringLiteral("request"),
                         optionsAt(message, 3).value(QStringLiteral("handle_token")).toString());
        answer(message, request, bindResponse, {});
        return true;
    }
    m_bus.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
                                        QString()));
    return true;
}

void FakeShortcutsPortal::answer(const QDBusMessage &call, const QString &requestPath,
                                 unsigned response, const QVariantMap &results)
{
    m_bus.send(call.createReply(QVariant::fromValue(QDBusObjectPath(requestPath))));
    // The portal answers on the request, to its caller only.
    QDBusMessage signal = QDBusMessage::createTargetedSignal(
        call.service(), requestPath, QStringLiteral("org.freedesktop.portal.Request"),
        QStringLiteral("Response"));
    signal << response << results;
    m_bus.send(signal);
}
