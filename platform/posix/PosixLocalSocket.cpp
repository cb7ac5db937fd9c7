#include "PosixLocalSocket.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform::posix {

namespace {

// The address of `path`; false when the path does not fit a socket's address.
bool addressOf(const std::string &path, sockaddr_un &address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

int localSocket()
{
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
}

} // namespace

bool tellListener(const std::string &path, const std::string &message)
{
    sockaddr_un address;
    if (!addressOf(path, address))
        return false;
    const int fd = localSocket();
    if (fd < 0)
        return false;
    bool there = false;
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) == 0) {
        there = true;
        // The listener needs the connection, not the words; a full buffer loses nothing.
        (void)::send(fd, message.data(), message.size(), MSG_NOSIGNAL);
    } else {
        // EAGAIN: a listener whose queue of connections is full. Refused or missing: nobody.
        there = errno == EAGAIN;
    }
    ::close(fd);
    return there;
}

int listenAt(const std::string &path)
{
    sockaddr_un address;
    if (!addressOf(path, address))
        return -1;
    const int fd = localSocket();
    if (fd < 0)
        return -1;
    const auto *raw = reinterpret_cast<const sockaddr *>(&address);
    if (::bind(fd, raw, sizeof(address)) != 0) {
        struct stat info
        {
        };
        // The caller asked first whether anything listens there; nothing answered, so a socket
        // there is one a crashed copy left, and it goes. Only a socket goes.
        if (errno != EADDRINUSE || ::lstat(path.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode)
            || ::unlink(path.c_str()) != 0 || ::bind(fd, raw, sizeof(address)) != 0) {
            ::close(fd);
            return -1;
        }
    }
    // The user's own: in the runtime folder the folder already is, in the temporary one the file
    // must be.
    if (::chmod(path.c_str(), S_IRUSR | S_IWUSR) != 0 || ::listen(fd, 8) != 0) {
        ::unlink(path.c_str());
        ::close(fd);
        return -1;
    }
    return fd;
}

int acceptWaiting(int listener)
{
    int count = 0;
    for (;;) {
        const int peer = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (peer < 0) {
            if (errno == EINTR)
                continue;
            return count;
        }
        ::close(peer);
        ++count;
    }
}

void stopListening(int listener, const std::string &path)
{
    if (listener < 0)
        return;
    ::close(listener);
    ::unlink(path.c_str());
}

} // namespace platform::posix
