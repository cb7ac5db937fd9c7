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

std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Whether the process at the other end of a connected socket runs as this user. The system says
// who it is (the user at the time it connected or started to listen), not the peer itself.
bool peerIsThisUser(int fd)
{
#ifdef SO_PEERCRED
    ucred peer {};
    socklen_t size = sizeof(peer);
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || size != sizeof(peer))
        return false;
    return peer.uid == ::geteuid();
#else
    uid_t uid = 0;
    gid_t gid = 0;
    return ::getpeereid(fd, &uid, &gid) == 0 && uid == ::geteuid();
#endif
}

} // namespace

bool isPrivateFolder(const std::string &path)
{
    struct stat info
    {
    };
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid()
        && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

bool makePrivateFolder(const std::string &path)
{
    if (::mkdir(path.c_str(), S_IRWXU) != 0 && errno != EEXIST)
        return false;
    return isPrivateFolder(path);
}

bool tellListener(const std::string &path, const std::string &message)
{
    sockaddr_un address;
    if (!addressOf(path, address) || !isPrivateFolder(folderOf(path)))
        return false;
    const int fd = localSocket();
    if (fd < 0)
        return false;
    bool there = false;
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) == 0) {
        there = peerIsThisUser(fd);
        // The listener needs the connection, not the words; a full buffer loses nothing.
        if (there)
            (void)::send(fd, message.data(), message.size(), MSG_NOSIGNAL);
    } else if (errno == EAGAIN) {
        // A listener whose queue of connections is full; in a private folder, the user's own.
        there = true;
    }
    // Refused or missing: nobody.
    ::close(fd);
    return there;
}

int listenAt(const std::string &path)
{
    sockaddr_un address;
    // Bound inside a folder no one else can enter, the socket is never within another user's
    // reach, not even in the moment before its own mode is set.
    if (!addressOf(path, address) || !isPrivateFolder(folderOf(path)))
        return -1;
    const int fd = localSocket();
    if (fd < 0)
        return -1;
    const auto *raw = reinterpret_cast<const sockaddr *>(&address);
    if (::bind(fd, raw, sizeof(address)) != 0) {
        struct stat info
        {
        };
        // The caller asked first whether a copy of the user's listens there; none answered, so a
        // socket there is one a crashed copy left, and it goes. Only a socket goes.
        if (errno != EADDRINUSE || ::lstat(path.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode)
            || ::unlink(path.c_str()) != 0 || ::bind(fd, raw, sizeof(address)) != 0) {
            ::close(fd);
            return -1;
        }
    }
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
        if (peerIsThisUser(peer))
            ++count;
        ::close(peer);
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
