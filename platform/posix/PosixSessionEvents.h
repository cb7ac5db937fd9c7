#pragma once

#include "platform/SessionEvents.h"

#include <memory>

namespace platform::posix {

// The end of the session as a POSIX system announces it: SIGTERM. Any Unix windowing system.
std::unique_ptr<SessionEvents> makeSessionEvents();

} // namespace platform::posix
