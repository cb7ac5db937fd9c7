#pragma once

#include <string>

namespace platform::posix {

// The local stream socket by which one running copy of the program per session hears from later
// copies. Paths are file names of the socket (in the user's runtime folder, or the temporary one).

// Connects to whatever listens at `path` and sends it `message`. True when something took the
// connection: a listener that is there but slow to accept counts as there.
bool tellListener(const std::string &path, const std::string &message);

// Listens at `path`, for the user alone. A socket file already there is taken for one a crashed
// copy left (ask with tellListener first) and replaced; any other kind of file is left alone.
// The descriptor, which does not block, or -1 when it cannot listen.
int listenAt(const std::string &path);

// Takes every connection waiting on a listening descriptor and closes it at once (a later copy
// has nothing more to say). How many there were.
int acceptWaiting(int listener);

// Stops listening and removes the socket file.
void stopListening(int listener, const std::string &path);

} // namespace platform::posix
