#include "PosixSessionEvents.h"

#include <QSocketNotifier>

#include <csignal>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace platform::posix {

namespace {

// A signal handler may do almost nothing; it writes one byte into a socket pair, and the event
// loop, watching the other end, runs the callback on the user-interface thread.
int gSignalSocket[2] = {-1, -1};

void onTerminate(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(gSignalSocket[0], &byte, 1);
}

class PosixSessionEvents final : public SessionEvents
{
public:
    ~PosixSessionEvents() override
    {
        if (m_notifier) {
            std::signal(SIGTERM, SIG_DFL);
            m_notifier.reset();
            ::close(gSignalSocket[0]);
            ::close(gSignalSocket[1]);
            gSignalSocket[0] = gSignalSocket[1] = -1;
        }
    }

    void watchSessionEnd(std::function<void()> onSessionEnd) override
    {
        m_callback = std::move(onSessionEnd);
        if (m_notifier)
            return;
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalSocket) != 0)
            return;
        m_notifier = std::make_unique<QSocketNotifier>(gSignalSocket[1], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] {
            char byte = 0;
            [[maybe_unused]] const auto got = ::read(gSignalSocket[1], &byte, 1);
            if (m_callback) {
                auto callback = std::move(m_callback);
                m_callback = nullptr;
                callback();
            }
        });
        struct sigaction action
        {
        };
        action.sa_handler = onTerminate;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGTERM, &action, nullptr);
    }

private:
    std::function<void()> m_callback;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace

std::unique_ptr<SessionEvents> makeSessionEvents()
{
    return std::make_unique<PosixSessionEvents>();
}

} // namespace platform::posix
