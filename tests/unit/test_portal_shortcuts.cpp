// The standby keys through the desktop portal's global shortcuts, against a stand-in portal on a
// private session bus (the test runs under dbus-run-session). The stand-in lives in this process
// on a connection of its own and answers only from the event loop, so a client that waited for a
// reply instead of carrying on would never hear one.
#include "FakeShortcutsPortal.h"
#include "platform/wayland/PortalGlobalShortcuts.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QEventLoop>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using platform::wayland::PortalGlobalShortcuts;
using State = PortalGlobalShortcuts::State;

namespace {

const QString PortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");

// Runs the event loop until the condition holds; the deadline only keeps a broken client from
// hanging the test run.
template<class Condition> bool runUntil(Condition condition)
{
    const QDeadlineTimer deadline(20000);
    while (!condition() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return condition();
}

// Counts every Activated signal that reaches the client's connection, so a test knows when the
// client has been offered all of them.
class ActivatedCounter final : public QObject
{
    Q_OBJECT
public:
    int seen = 0;
public Q_SLOTS:
    void onActivated() { ++seen; }
};

class PortalShortcuts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected())
            << "run under dbus-run-session with private-session-bus.conf";
        // The portal's own connection, apart from the program's.
        portalBus = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("portal")));
        ASSERT_TRUE(portalBus->isConnected());
    }

    void TearDown() override
    {
        client.reset();
        portal.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
        portalBus.reset();
    }

    void startPortal()
    {
        portal = std::make_unique<FakeShortcutsPortal>(*portalBus);
        ASSERT_TRUE(portal->registered());
    }

    void startClient()
    {
        client = std::make_unique<PortalGlobalShortcuts>();
        client->watchReturnKeys([this](int key) {
            ++presses;
            pressedKeys.push_back(key);
        });
    }

    // Sends the presses and waits until the client's connection has had every one of them and
    // the client has had its turn at each.
    void press(const QList<QPair<QString, QString>> &presses)
    {
        ActivatedCounter counter;
        ASSERT_TRUE(QDBusConnection::sessionBus().connect(
            PortalService, PortalPath, QStringLiteral("org.freedesktop.portal.GlobalShortcuts"),
            QStringLiteral("Activated"), &counter, SLOT(onActivated())));
        for (const auto &p : presses)
            portal->press(p.first, p.second);
        ASSERT_TRUE(runUntil([&] { return counter.seen == presses.size(); }));
        QCoreApplication::sendPostedEvents();
        QDBusConnection::sessionBus().disconnect(
            PortalService, PortalPath, QStringLiteral("org.freedesktop.portal.GlobalShortcuts"),
            QStringLiteral("Activated"), &counter, SLOT(onActivated()));
    }

    std::unique_ptr<QDBusConnection> portalBus;
    std::unique_ptr<FakeShortcutsPortal> portal;
    std::unique_ptr<PortalGlobalShortcuts> client;
    int presses = 0;
    std::vector<int> pressedKeys; // which key each press was, 0 F10 to 2 F12
};

TEST_F(PortalShortcuts, AsksForF10ToF12AndEachPressOfItsOwnSessionBringsTheOverlayBack)
{
    ASSERT_NO_FATAL_FAILURE(startPortal());
    startClient();
    // Start-up goes on while the portal thinks.
    EXPECT_EQ(client->state(), State::Asking);
    EXPECT_EQ(portal->requests, 0);

    ASSERT_TRUE(runUntil([&] { return client->state() != State::Asking; }));
    ASSERT_EQ(client->state(), State::Bound);
    ASSERT_EQ(portal->sessions.size(), 1);
    const QString session = portal->sessions.first();
    EXPECT_EQ(client->session(), session);
    EXPECT_EQ(portal->boundSession, session);
    ASSERT_EQ(portal->bound.size(), 3);
    const char *const keys[] = {"F10", "F11", "F12"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(portal->bound[i].id, PortalGlobalShortcuts::shortcutIds().at(i));
        EXPECT_EQ(portal->bound[i].preferredTrigger, QString::fromLatin1(keys[i]));
        EXPECT_FALSE(portal->bound[i].description.isEmpty());
    }
    EXPECT_EQ(presses, 0);

    const QString otherSession = session + QStringLiteral("x");
    ASSERT_NO_FATAL_FAILURE(press({{otherSession, QStringLiteral("return-f10")},
                                   {session, QStringLiteral("return-f10")},
                                   {session, QStringLiteral("some-other-shortcut")},
                                   {session, QStringLiteral("return-f12")},
                                   {otherSession, QStringLiteral("return-f11")},
                                   {session, QStringLiteral("return-f11")}}));
    EXPECT_EQ(presses, 3);
    EXPECT_EQ(pressedKeys, (std::vector<int> {0, 2, 1}));
    EXPECT_TRUE(portal->closedSessions.isEmpty());

    // The program ending gives the keys back to the desktop.
    client.reset();
    EXPECT_TRUE(runUntil([&] { return portal->closedSessions == QStringList {session}; }));
}

TEST_F(PortalShortcuts, WithoutThePortalOrItsShortcutsTheClientStaysQuiet)
{
    // No portal on the bus at all.
    startClient();
    ASSERT_TRUE(runUntil([&] { return client->state() != State::Asking; }));
    EXPECT_EQ(client->state(), State::Unavailable);

    // A portal without the global shortcuts interface is never asked for a session.
    ASSERT_NO_FATAL_FAILURE(startPortal());
    portal->offersInterface = false;
    startClient();
    ASSERT_TRUE(runUntil([&] { return client->state() != State::Asking; }));
    EXPECT_EQ(client->state(), State::Unavailable);
    EXPECT_EQ(portal->requests, 0);
    EXPECT_EQ(presses, 0);
}

TEST_F(PortalShortcuts, ARefusedSessionOrBindingLeavesTheKeysAlone)
{
    ASSERT_NO_FATAL_FAILURE(startPortal());
    // The user cancels the session.
    portal->sessionResponse = 1;
    startClient();
    ASSERT_TRUE(runUntil([&] { return client->state() != State::Asking; }));
    EXPECT_EQ(client->state(), State::Unavailable);
    EXPECT_TRUE(portal->sessions.isEmpty());
    EXPECT_TRUE(portal->bound.isEmpty());
    EXPECT_EQ(portal->requests, 1);

    // The session opens but the portal fails to bind: the session is closed, and a press the
    // portal still sends for it does nothing.
    portal->sessionResponse = 0;
    portal->bindResponse = 2;
    startClient();
    ASSERT_TRUE(runUntil([&] { return client->state() != State::Asking; }));
    EXPECT_EQ(client->state(), State::Unavailable);
    ASSERT_EQ(portal->sessions.size(), 1);
    const QString session = portal->sessions.first();
    EXPECT_TRUE(runUntil([&] { return portal->closedSessions == QStringList {session}; }));
    ASSERT_NO_FATAL_FAILURE(press({{session, QStringLiteral("return-f10")}}));
    EXPECT_EQ(presses, 0);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "test_portal_shortcuts.moc"
