// A global-shortcuts backend of the desktop portal for the Wayland test bed (run-wayland.sh
// --shortcuts-backend): the bed registers it for sway, and the real xdg-desktop-portal hands it
// the program's requests. It binds each shortcut's preferred trigger as a sway key binding that
// calls back here, so a key pressed on the bed's keyboard comes to the program as the portal's
// Activated signal, as on a desktop whose shortcuts the portal serves. It says on standard output
// what it was asked ("session PATH", "bound ID TRIGGER", "activated ID").
//
// It serves org.freedesktop.impl.portal.GlobalShortcuts (CreateSession, BindShortcuts, the
// Activated signal) and the sessions' org.freedesktop.impl.portal.Session.
// Told Fail(true) on its own interface, it answers BindShortcuts with a failure (2), as a backend
// that offers the interface but cannot serve it does.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QDateTime>
#include <QProcess>

#include <cstdio>

namespace {

const QString Name = QStringLiteral("org.freedesktop.impl.portal.desktop.quillantest");
const QString DesktopPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString ShortcutsInterface = QStringLiteral("org.freedesktop.impl.portal.GlobalShortcuts");
const QString SessionInterface = QStringLiteral("org.freedesktop.impl.portal.Session");
// The bed's key bindings call this to press a shortcut.
const QString PressInterface = QStringLiteral("org.freedesktop.impl.portal.desktop.quillantest");

struct Shortcut
{
    QString id;
    QVariantMap properties;
};

QDBusArgument &operator<<(QDBusArgument &argument, const Shortcut &shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, Shortcut &shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(Shortcut)

namespace {

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

class Backend final : public QDBusVirtualObject
{
public:
    // The portal calls the methods by name; it asks for no description of them.
    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        QDBusConnection bus = connection;
        const QString member = message.member();
        const QList<QVariant> in = message.arguments();
        if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties")) {
            bus.send(message.createReply(QVariant::fromValue(QDBusVariant(1u))));
            return true;
        }
        if (member == QLatin1String("CreateSession")) {
            const QString session = in.value(1).value<QDBusObjectPath>().path();
            m_session = session;
            bus.registerVirtualObject(session, this);
            say(QStringLiteral("session ") + session);
            bus.send(message.createReply({0u, QVariantMap {}}));
            return true;
        }
        if (member == QLatin1String("Fail")) {
            m_failing = in.value(0).toBool();
            bus.send(message.createReply());
            return true;
        }
        if (member == QLatin1String("BindShortcuts") && m_failing) {
            say(QStringLiteral("failed BindShortcuts"));
            bus.send(message.createReply({2u, QVariantMap {}}));
            return true;
        }
        if (member == QLatin1String("BindShortcuts")) {
            QList<Shortcut> shortcuts;
            in.value(2).value<QDBusArgument>() >> shortcuts;
            QList<Shortcut> bound;
            for (Shortcut shortcut : shortcuts) {
                const QString trigger
                    = shortcut.properties.value(QStringLiteral("preferred_trigger")).toString();
                if (!trigger.isEmpty() && bindKey(trigger, shortcut.id)) {
                    shortcut.properties.insert(QStringLiteral("trigger_description"), trigger);
                    bound.append(shortcut);
                    say(QStringLiteral("bound %1 %2").arg(shortcut.id, trigger));
                }
            }
            bus.send(message.createReply(
                {0u, QVariantMap {{QStringLiteral("shortcuts"), QVariant::fromValue(bound)}}}));
            return true;
        }
        if (member == QLatin1String("Press")) {
            // From the bed's key binding: the shortcut's key went down.
            const QString id = in.value(0).toString();
            QDBusMessage activated = QDBusMessage::createSignal(DesktopPath, ShortcutsInterface,
                                                                QStringLiteral("Activated"));
            activated << QVariant::fromValue(QDBusObjectPath(m_session)) << id
                      << qulonglong(QDateTime::currentMSecsSinceEpoch()) << QVariantMap {};
            bus.send(activated);
            say(QStringLiteral("activated ") + id);
            bus.send(message.createReply());
            return true;
        }
        if (message.interface() == SessionInterface && member == QLatin1String("Close")) {
            say(QStringLiteral("closed ") + message.path());
            bus.send(message.createReply());
            return true;
        }
        bus.send(message.createErrorReply(
            QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"), member));
        return true;
    }

private:
    // A sway key binding that presses the shortcut through this backend.
    static bool bindKey(const QString &trigger, const QString &id)
    {
        const QString command
            = QStringLiteral("dbus-send --session --type=method_call --dest=%1 %2 %3.Press "
                             "string:%4")
                  .arg(Name, DesktopPath, PressInterface, id);
        return QProcess::execute(QStringLiteral("swaymsg"),
                                 {QStringLiteral("-q"), QStringLiteral("--"),
                                  QStringLiteral("bindsym"), QStringLiteral("--no-repeat"), trigger,
                                  QStringLiteral("exec"), command})
            == 0;
    }

    QString m_session;
    bool m_failing = false;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<QList<Shortcut>>();
    QDBusConnection bus = QDBusConnection::sessionBus();
    Backend backend;
    if (!bus.registerVirtualObject(DesktopPath, &backend) || !bus.registerService(Name)) {
        std::fprintf(stderr, "shortcuts_backend: cannot serve %s on the session bus\n",
                     qPrintable(Name));
        return 1;
    }
    return QCoreApplication::exec();
}
