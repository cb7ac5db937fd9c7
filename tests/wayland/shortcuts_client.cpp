// The program's global-shortcuts client on its own, for a desktop where the program itself cannot
// start (KWin without a GPU takes no screenshots): the platform layer made and ended as the
// program makes and ends it, on the Wayland platform. It says on standard output
//   bound | unavailable   once the desktop has answered
//   pressed N             for each press of a standby key it hears (0 F10, 1 F11, 2 F12)
// and ends when its standard input says "quit" or ends.
#include "platform/Platform.h"
#include "platform/wayland/PortalGlobalShortcuts.h"

#include <QGuiApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

using platform::wayland::PortalGlobalShortcuts;

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    const platform::CapabilitiesScope platformScope;
    platform::caps().shortcuts->watchReturnKeys([](int key) {
        std::printf("pressed %d\n", key);
        std::fflush(stdout);
    });
    auto *shortcuts = dynamic_cast<PortalGlobalShortcuts *>(platform::caps().shortcuts.get());
    if (!shortcuts) {
        std::printf("not the portal's shortcuts: %s\n", qPrintable(application.platformName()));
        return 1;
    }
    QTimer answered;
    QObject::connect(&answered, &QTimer::timeout, [&] {
        if (shortcuts->state() == PortalGlobalShortcuts::State::Asking)
            return;
        std::printf(shortcuts->state() == PortalGlobalShortcuts::State::Bound ? "bound\n"
                                                                              : "unavailable\n");
        std::fflush(stdout);
        answered.stop();
    });
    answered.start(20);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char said[64];
        const ssize_t got = read(STDIN_FILENO, said, sizeof said);
        if (got <= 0 || QByteArray(said, int(got)).contains("quit"))
            QGuiApplication::quit();
    });
    return QGuiApplication::exec();
}
