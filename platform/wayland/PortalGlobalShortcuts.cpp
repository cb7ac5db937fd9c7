#include "PortalGlobalShortcuts.h"
#include "PortalPaths.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>

namespace {

// One entry of BindShortcuts' a(sa{sv}).
struct PortalShortcut
{
    QString id;
    QVariantMap properties;
};

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(PortalShortcut)

namespace platform::wayland {

namespace {

const QString ShortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString RequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString SessionInterface = QStringLiteral("org.freedesktop.portal.Session");
const char *const StepProperty = "quillanStep";

QString newToken()
{
    return QStringLiteral("quillan%1").arg(QRandomGenerator::global()->generate());
}

QList<PortalShortcut> wantedShortcuts()
{
    static const char *const keys[] = {"F10", "F11", "F12"};
    QList<PortalShortcut> shortcuts;
    for (int i = 0; i < 3; ++i)
        shortcuts.append(
            {PortalGlobalShortcuts::shortcutIds().at(i),
             {{QStringLiteral("description"), QStringLiteral("Bring the overlay back")},
              {QStringLiteral("preferred_trigger"), QString::fromLatin1(keys[i])}}});
    return shortcuts;
}

// Whether the shortcuts a portal lists (results' "shortcuts", a(sa{sv})) hold every key the
// program asks for.
bool listsAllShortcuts(const QVariant &value)
{
    if (!value.canConvert<QDBusArgument>())
        return false;
    QList<PortalShortcut> listed;
    value.value<QDBusArgument>() >> listed;
    for (const QString &id : PortalGlobalShortcuts::shortcutIds())
        if (std::none_of(listed.cbegin(), listed.cend(),
                         [&](const PortalShortcut &shortcut) { return shortcut.id == id; }))
            return false;
    return true;
}

// The portal names the session in a string; some versions send an object path instead.
QString sessionHandle(const QVariant &value)
{
    const QString handle
        = value.canConvert<QDBusObjectPath>() && value.userType() != QMetaType::QString
        ? value.value<QDBusObjectPath>().path()
        : value.toString();
    return QDBusObjectPath(handle).path().isEmpty() ? QString() : handle;
}

} // namespace

const QStringList &PortalGlobalShortcuts::shortcutIds()
{
    static const QStringList ids {QStringLiteral("return-f10"), QStringLiteral("return-f11"),
                                  QStringLiteral("return-f12")};
    return ids;
}

PortalGlobalShortcuts::PortalGlobalShortcuts(QDBusConnection bus, QString service, QString path)
    : m_bus(std::move(bus))
    , m_service(std::move(service))
    , m_path(std::move(path))
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
}

PortalGlobalShortcuts::~PortalGlobalShortcuts()
{
    stopListening();
    if (!m_session.isEmpty())
        m_bus.send(QDBusMessage::createMethodCall(m_service, m_session, SessionInterface,
                                                  QStringLiteral("Close")));
}

void PortalGlobalShortcuts::watchReturnKeys(std::function<void(int key)> onPressed)
{
    if (m_state != State::Idle)
        return;
    m_onPressed = std::move(onPressed);
    if (!m_bus.isConnected()) {
        m_state = State::Unavailable;
        return;
    }
    m_state = State::Asking;
    // A desktop without the interface says so here (no such service, interface or property),
    // before anything is asked of the user.
    QDBusMessage get = QDBusMessage::createMethodCall(
        m_service, m_path, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << ShortcutsInterface << QStringLiteral("version");
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(get), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &PortalGlobalShortcuts::onVersion);
}

void PortalGlobalShortcuts::onVersion(QDBusPendingCallWatcher *watcher)
{
    watcher->deleteLater();
    const QDBusMessage reply = watcher->reply();
    const QVariant version = reply.type() == QDBusMessage::ReplyMessage
        ? reply.arguments().value(0).value<QDBusVariant>().variant()
        : QVariant();
    bool numeric = false;
    if (version.toUInt(&numeric) < 1 || !numeric) {
        // The usual case on desktops without the interface: nothing to say.
        giveUp(nullptr);
        return;
    }
    createSession();
}

void PortalGlobalShortcuts::createSession()
{
    QDBusMessage call = QDBusMessage::createMethodCall(m_service, m_path, ShortcutsInterface,
                                                       QStringLiteral("CreateSession"));
    const QString token = newToken();
    // The keys go with the session too: KDE Plasma 5.27 binds them here, from an early form of
    // the interface, and its BindShortcuts only opens the desktop's shortcut settings. Other
    // portals pass over the option.
    // The session's name is the same at every start: KDE Plasma 5.27 files the keys under it
    // (with the program's id), and a new name each time would leave the keys to the first
    // start's entry, where the next start could not have them.
    call << QVariantMap {
        {QStringLiteral("handle_token"), token},
        {QStringLiteral("session_handle_token"), QStringLiteral("quillan_standby")},
        {QStringLiteral("shortcuts"), QVariant::fromValue(wantedShortcuts())}};
    send(call, token, Step::CreateSession);
}

void PortalGlobalShortcuts::bindShortcuts()
{
    QDBusMessage call = QDBusMessage::createMethodCall(m_service, m_path, ShortcutsInterface,
                                                       QStringLiteral("BindShortcuts"));
    const QString token = newToken();
    call << QVariant::fromValue(QDBusObjectPath(m_session))
         << QVariant::fromValue(wantedShortcuts()) << QString()
         << QVariantMap {{QStringLiteral("handle_token"), token}};
    send(call, token, Step::BindShortcuts);
}

void PortalGlobalShortcuts::send(QDBusMessage call, const QString &token, Step step)
{
    // Listen before asking: the answer may come before the call returns.
    m_step = step;
    listenForResponse(PortalHandlePath(m_bus.baseService(), QStringLiteral("request"), token));
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    watcher->setProperty(StepProperty, int(step));
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            &PortalGlobalShortcuts::onRequestReply);
}

void PortalGlobalShortcuts::onRequestReply(QDBusPendingCallWatcher *watcher)
{
    watcher->deleteLater();
    // The Response of this step has come already: the program has moved on.
    if (watcher->property(StepProperty).toInt() != int(m_step) || m_state != State::Asking)
        return;
    const QDBusMessage reply = watcher->reply();
    if (reply.type() != QDBusMessage::ReplyMessage) {
        giveUp("the desktop portal would not take the request");
        return;
    }
    // Portals older than the handle_token option answer on a path of their own choosing.
    const QString given = reply.arguments().value(0).value<QDBusObjectPath>().path();
    if (!given.isEmpty() && given != m_request)
        listenForResponse(given);
}

void PortalGlobalShortcuts::onResponse(uint response, const QVariantMap &results)
{
    if (m_state != State::Asking)
        return;
    const Step step = m_step;
    stopListening();
    if (response == 1) {
        giveUp("the global shortcuts were declined");
        return;
    }
    if (response != 0) {
        giveUp("the desktop portal could not give the global shortcuts");
        return;
    }
    if (step == Step::CreateSession) {
        m_session = sessionHandle(results.value(QStringLiteral("session_handle")));
        if (m_session.isEmpty()) {
            giveUp("the desktop portal gave no shortcut session");
            return;
        }
        // A press is heard from the moment the keys are asked for.
        m_hearingActivated = m_bus.connect(
            m_service, m_path, ShortcutsInterface, QStringLiteral("Activated"), this,
            SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
        // Bound with the session already (KDE Plasma 5.27): binding again would only open the
        // desktop's settings at every start.
        if (listsAllShortcuts(results.value(QStringLiteral("shortcuts")))) {
            m_step = Step::None;
            m_state = State::Bound;
            return;
        }
        bindShortcuts();
    } else if (step == Step::BindShortcuts) {
        m_step = Step::None;
        m_state = State::Bound;
    }
}

void PortalGlobalShortcuts::onActivated(const QDBusObjectPath &session, const QString &id,
                                        qulonglong, const QVariantMap &)
{
    if (m_state == State::Unavailable || session.path() != m_session || !shortcutIds().contains(id))
        return;
    if (m_onPressed)
        m_onPressed(int(shortcutIds().indexOf(id)));
}

void PortalGlobalShortcuts::listenForResponse(const QString &handle)
{
    stopListening();
    m_request = handle;
    m_bus.connect(m_service, m_request, RequestInterface, QStringLiteral("Response"), this,
                  SLOT(onResponse(uint, QVariantMap)));
}

void PortalGlobalShortcuts::stopListening()
{
    if (m_request.isEmpty())
        return;
    m_bus.disconnect(m_service, m_request, RequestInterface, QStringLiteral("Response"), this,
                     SLOT(onResponse(uint, QVariantMap)));
    m_request.clear();
}

void PortalGlobalShortcuts::giveUp(const char *why)
{
    m_state = State::Unavailable;
    m_step = Step::None;
    stopListening();
    if (m_hearingActivated)
        m_bus.disconnect(m_service, m_path, ShortcutsInterface, QStringLiteral("Activated"), this,
                         SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    m_hearingActivated = false;
    if (!m_session.isEmpty())
        m_bus.send(QDBusMessage::createMethodCall(m_service, m_session, SessionInterface,
                                                  QStringLiteral("Close")));
    m_session.clear();
    // The second start stays the way back; one line says why the keys do not work.
    if (why)
        std::fprintf(stderr,
                     "F10 to F12 cannot bring the overlay back: %s; start the program "
                     "again instead.\n",
                     why);
}

std::unique_ptr<GlobalShortcuts> makeGlobalShortcuts()
{
    return std::make_unique<PortalGlobalShortcuts>();
}

} // namespace platform::wayland
