#pragma once

#include "platform/SingleInstance.h"

#include <memory>
#include <string>

namespace platform::qt {

// One copy per session over the toolkit's local sockets (a named pipe on Windows), open to the
// user alone. For systems without the POSIX one; it loads the toolkit's networking library.
// `session` names the desktop session; empty means none (no copy is looked for or listened for).
std::unique_ptr<SingleInstance> makeSingleInstance(const std::string &session);

} // namespace platform::qt
