// One copy per session, with another local user on the machine and no runtime folder (a session
// started without a login manager): the socket is found in the shared temporary folder, which
// anyone may write to. Another user's listener there is no running copy (the program starts as
// usual and never talks to it), another user cannot reach the running copy's socket, and the
// user's own second start still brings the overlay back. The other user is `nobody`.
#include "E2eHarness.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

// GoogleTest before Xlib, whose macros (None, True, False) it would trip over.
#include <gtest/gtest.h>

using namespace e2e;

namespace {

// Runs `work` in a child process that has become `nobody`; its pid, or -1. The child calls only
// system functions (it is a copy of a process with threads).
template<typename Work> pid_t runAsNobody(Work work)
{
    const passwd *nobody = ::getpwnam("nobody");
    if (!nobody)
        return -1;
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(gid, gid, gid) != 0
            || ::setresuid(uid, uid, uid) != 0)
            ::_exit(99);
        ::_exit(work());
    }
    return pid;
}

int exitStatusOf(pid_t pid)
{
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A child process that is ended with the test, however the test ends.
struct Child
{
    pid_t pid;
    void end()
    {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            exitStatusOf(pid);
        }
        pid = -1;
    }
    ~Child() { end(); }
};

int unixSocketAt(const char *path, sockaddr_un &address)
{
    address = {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path, sizeof(address.sun_path) - 1);
    return ::socket(AF_UNIX, SOCK_STREAM, 0);
}

TEST(OneCopy, AnotherUserCanNeitherPoseAsTheRunningCopyNorReachIt)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "acting as another user needs root";
    // A folder as /tmp is: anyone may make files in it, and only the maker may remove them.
    QTemporaryDir shared;
    ASSERT_EQ(::chmod(QFile::encodeName(shared.path()).constData(), 01777), 0);
    const QString session
        = qEnvironmentVariable("DISPLAY").replace(QLatin1Char(':'), QLatin1Char('_'));
    const QString ownFolder = shared.filePath(QStringLiteral("vyn-quillane-0"));
    const QByteArray socketPath = QFile::encodeName(ownFolder + QLatin1Char('/') + session);
    const QByteArray oldSocketPath = QFile::encodeName(ownFolder + QLatin1Char('-') + session);
    const QByteArray folderPath = QFile::encodeName(ownFolder);
    const auto inTheSharedFolder = [&](Program &program) {
        program.setEnvironment(QStringLiteral("XDG_RUNTIME_DIR"), QString());
        program.setEnvironment(QStringLiteral("TMPDIR"), shared.path());
    };

    // The other user is first: a folder by the user's name, open to all, with a listener in it,
    // and a listener at the name the program once used. Each connection it takes is told on a
    // pipe.
    int told[2];
    ASSERT_EQ(::pipe(told), 0);
    Child squatter {runAsNobody([&] {
        ::close(told[0]);
        ::mkdir(folderPath.constData(), 0777);
        ::chmod(folderPath.constData(), 0777);
        pollfd listeners[2];
        const char *paths[] = {socketPath.constData(), oldSocketPath.constData()};
        for (int i = 0; i < 2; ++i) {
            sockaddr_un address;
            listeners[i] = {unixSocketAt(paths[i], address), POLLIN, 0};
            if (::bind(listeners[i].fd, reinterpret_cast<sockaddr *>(&address), sizeof(address))
                    != 0
                || ::chmod(paths[i], 0777) != 0 || ::listen(listeners[i].fd, 8) != 0)
                return 1;
        }
        ::write(told[1], "L", 1); // listening
        for (;;) {
            if (::poll(listeners, 2, -1) < 0)
                return 2;
            for (const pollfd &listener : listeners)
                if (listener.revents & POLLIN) {
                    ::close(::accept(listener.fd, nullptr, nullptr));
                    ::write(told[1], "C", 1);
                }
        }
    })};
    ASSERT_GT(squatter.pid, 0);
    ::close(told[1]);
    char word = 0;
    ASSERT_EQ(::read(told[0], &word, 1), 1);
    ASSERT_EQ(word, 'L') << "the other user's listener did not start";

    {
        Program first;
        inTheSharedFolder(first);
        first.writeSettings(Program::settingsBytes());
        ASSERT_TRUE(first.start())
            << "a listener of another user's kept the program from starting:\n"
            << first.output().toStdString();
        pollfd pipe {told[0], POLLIN, 0};
        EXPECT_EQ(::poll(&pipe, 1, 0), 0) << "the program talked to another user's listener";
    }
    squatter.end();
    ::close(told[0]);
    ASSERT_TRUE(QDir(ownFolder).removeRecursively());
    ::unlink(oldSocketPath.constData());

    // Without the squatter: the folder the program makes is the user's alone, and so is the
    // socket in it from the moment it is there.
    Program first;
    inTheSharedFolder(first);
    first.writeSettings(Program::settingsBytes());
    ASSERT_TRUE(first.start()) << first.output().toStdString();
    struct stat folder
    {
    };
    struct stat socket
    {
    };
    ASSERT_EQ(::lstat(folderPath.constData(), &folder), 0);
    EXPECT_TRUE(S_ISDIR(folder.st_mode) && folder.st_uid == 0);
    EXPECT_EQ(folder.st_mode & 07777, 0700u);
    ASSERT_EQ(::lstat(socketPath.constData(), &socket), 0);
    EXPECT_TRUE(S_ISSOCK(socket.st_mode));
    EXPECT_EQ(socket.st_mode & 077, 0u);

    // On standby, another user's attempt to reach the socket is refused, and the overlay stays
    // away.
    chord({"Control_L", "s"});
    ASSERT_TRUE(waitUntil([&] { return !isMapped(first.overlay()); }));
    const pid_t stranger = runAsNobody([&] {
        sockaddr_un address;
        const int fd = unixSocketAt(socketPath.constData(), address);
        return ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0 ? 1 : 0;
    });
    ASSERT_GT(stranger, 0);
    EXPECT_EQ(exitStatusOf(stranger), 0) << "another user reached the program's socket";
    ASSERT_TRUE(settle());
    EXPECT_FALSE(isMapped(first.overlay())) << "another user brought the overlay back";

    // The user's own second start brings it back and ends.
    Program second;
    inTheSharedFolder(second);
    ASSERT_TRUE(second.startWithoutWaiting() && second.waitForExit(5000))
        << "the user's second start keeps running:\n"
        << second.output().toStdString();
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(waitUntil([&] { return isMapped(first.overlay()); }))
        << "the user's second start did not bring the overlay back";
}

} // namespace
