#pragma once

#include <functional>

namespace platform {

// One running copy of the program per user and desktop session. The first copy listens; a later
// start finds it, asks it to bring its overlay back from standby, and ends without touching
// anything else. Only a copy of the same user counts, both ways: a listener of another user is no
// running copy (the program starts as usual), and another user's request is not heard.
class SingleInstance
{
public:
    virtual ~SingleInstance() = default;

    // True when a running copy of this user's, in this session, was found and asked to come back;
    // this copy should end then.
    virtual bool askRunningCopy() = 0;
    // Listens for later copies; onRequest runs on the user-interface thread for each one that
    // asks. False when it cannot listen: the program then runs as a lone copy, without the return
    // by a second start.
    virtual bool listen(std::function<void()> onRequest) = 0;
};

} // namespace platform
