#pragma once

#include <functional>

namespace platform {

// The end of the user's session as the operating system announces it to a running program
// (on X11 a SIGTERM, which is what a session ending or a plain `kill` sends). The callback runs
// on the user-interface thread, once.
class SessionEvents
{
public:
    virtual ~SessionEvents() = default;
    virtual void watchSessionEnd(std::function<void()> onSessionEnd) = 0;
};

} // namespace platform
