#pragma once

#include <string>

namespace platform::posix {

// The local stream socket by which one running copy of the program per session hears from later
// copies. The socket lives in a folder that only the user can enter (the user's runtime folder, or
// one of the user's own in the temporary folder), so no other user can reach it or put one of
// their own in its place; and both ends check that the other is the same user.

// Whether `path` is a folder only this user can enter: a real folder (not a link to one), owned by
// the user, with no access at all for anyone else.
bool isPrivateFolder(const std::string &path);
// Makes the folder, for the user alone, when it is missing. True when what is there is private
// (an existing folder of anyone else's, or one others may enter, is left as it is).
bool makePrivateFolder(const std::string &path);

// Connects to whatever listens at `path` and sends it `message`. True only when a listener of
// this user took the connection (one that is there but slow to accept counts as there); a socket
// in a folder that is not private, or another user's listener, is nobody.
bool tellListener(const std::string &path, const std::string &message);

// Listens at `path`, whose folder must be private. A socket already there is taken for one a
// crashed copy left (ask with tellListener first) and replaced; any other kind of file is left
// alone. The descriptor, which does not block, or -1 when it cannot listen.
int listenAt(const std::string &path);

// Takes every connection waiting on a listening descriptor and closes it at once (a later copy
// has nothing more to say). How many of them came from this user; another user's are dropped.
int acceptWaiting(int listener);

// Stops listening and removes the socket file.
void stopListening(int listener, const std::string &path);

} // namespace platform::posix
