#pragma once

// The standby keys through the desktop portal's global shortcuts: the program opens a session,
// asks for F10, F11 and F12 in it, and hears each press as the portal's Activated signal. All of
// it is asynchronous; start-up never waits for the portal (which may be asking the user).
#include "platform/GlobalShortcuts.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class QDBusPendingCallWatcher;

namespace platform::wayland {

class PortalGlobalShortcuts final : public QObject, public GlobalShortcuts
{
    Q_OBJECT
public:
    enum class State { Idle, Asking, Bound, Unavailable };

    // The ids the program asks for, F10, F11 and F12 in that order.
    static const QStringList &shortcutIds();

    explicit PortalGlobalShortcuts(QDBusConnection bus = QDBusConnection::sessionBus(),
                                   QString service
                                   = QStringLiteral("org.freedesktop.portal.Desktop"),
                                   QString path
                                   = QStringLiteral("/org/freedesktop/portal/desktop"));
    ~PortalGlobalShortcuts() override;

    void watchReturnKeys(std::function<void(int key)> onPressed) override;

    State state() const { return m_state; }
    QString session() const { return m_session; }

private Q_SLOTS:
    void onVersion(QDBusPendingCallWatcher *watcher);
    void onRequestReply(QDBusPendingCallWatcher *watcher);
    void onResponse(uint response, const QVariantMap &results);
    void onActivated(const QDBusObjectPath &session, const QString &id, qulonglong timestamp,
                     const QVariantMap &options);

private:
    enum class Step { None, CreateSession, BindShortcuts };

    void createSession();
    void bindShortcuts();
    void send(QDBusMessage call, const QString &token, Step step);
    void listenForResponse(const QString &handle);
    void stopListening();
    void giveUp(const char *why);

    QDBusConnection m_bus;
    QString m_service;
    QString m_path;
    std::function<void(int key)> m_onPressed;
    State m_state = State::Idle;
    Step m_step = Step::None;
    QString m_request;
    QString m_session;
    bool m_hearingActivated = false;
};

} // namespace platform::wayland
