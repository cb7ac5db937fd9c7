#pragma once

// A stand-in for the desktop portal's global shortcuts, for a private session bus: it answers
// CreateSession and BindShortcuts through Request objects' Response signals as the portal does,
// remembers what it was asked, and presses a shortcut (the Activated signal) when told to.
#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QList>
#include <QString>
#include <QStringList>

struct FakeBoundShortcut
{
    QString id;
    QString description;
    QString preferredTrigger;
};

class FakeShortcutsPortal final : public QDBusVirtualObject
{
public:
    // Takes the portal's name on the bus; registered() says whether it got it.
    explicit FakeShortcutsPortal(QDBusConnection bus);
    ~FakeShortcutsPortal() override;

    bool registered() const { return m_registered; }

    // How it answers.
    bool offersInterface = true; // false: a portal without GlobalShortcuts
    unsigned sessionResponse = 0;
    unsigned bindResponse = 0;

    // What it was asked.
    QStringList sessions; // the sessions it created
    QString boundSession; // the session BindShortcuts named
    QList<FakeBoundShortcut> bound;
    QStringList closedSessions;
    int requests = 0; // CreateSession and BindShortcuts calls

    // Sends Activated for the session and shortcut.
    void press(const QString &session, const QString &id);

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

private:
    void answer(const QDBusMessage &call, const QString &requestPath, unsigned response,
                const QVariantMap &results);

    QDBusConnection m_bus;
    bool m_registered = false;
    quint64 m_clock = 1000;
};
