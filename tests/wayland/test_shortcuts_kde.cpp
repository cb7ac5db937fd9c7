// The standby keys through KDE Plasma's own global shortcuts: the program's client (made as the
// program makes it) against KDE's portal backend and the kglobalaccel in KWin, with keys pressed
// through KWin's input. Only the keys the program asked for reach it, each as itself, the client
// ends at once when the program does, and the next start of the program gets the keys again.
#include "WaylandSession.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

namespace {

TEST(KdeShortcuts, TheStandbyKeysComeThroughKdesGlobalShortcutsAtEveryStart)
{
    WaylandSession session;
    for (int start = 1; start <= 2; ++start) {
        Client client(QStringLiteral(SHORTCUTS_CLIENT));
        ASSERT_EQ(client.waitForLine(QString()), QStringLiteral("bound"))
            << start << client.output().toStdString();

        // F12, then a key nobody asked for, then F11: two presses, in that order.
        session.key(QStringLiteral("F12"));
        ASSERT_EQ(client.waitForLine(QStringLiteral("pressed")), QStringLiteral("pressed 2"))
            << start;
        session.key(QStringLiteral("Escape"));
        session.key(QStringLiteral("F11"));
        ASSERT_EQ(client.waitForLine(QStringLiteral("pressed")), QStringLiteral("pressed 1"))
            << start << client.output().toStdString();

        // Ended as the program ends: its shortcut objects go before the application, with no
        // wait.
        client.process().write("quit\n");
        EXPECT_EQ(client.waitForExit(), 0) << start << client.output().toStdString();
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
