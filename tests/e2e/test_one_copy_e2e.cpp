// One copy per session, with another local user (`nobody`) on the machine and no runtime folder:
// the socket is looked for in a temporary folder anyone may write to. Another user's listener
// there is no running copy (the program starts as usual and never talks to it), another user
// cannot reach the running copy's socket, and the user's own second start still brings the
// overlay back.
#include "E2eHarness.h"

#include <QDir>
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

// A child process that has become `nobody` and runs `work` (system calls only: it is a copy of a
// process with threads); ended with the test at the latest.
struct AsNobody
{
    template<typename Work> explicit AsNobody(Work work)
    {
        const passwd *nobody = ::getpwnam("nobody");
        if (nobody && (pid = ::fork()) == 0) {
            if (::setgroups(0, nullptr) == 0
                && ::setresgid(nobody->pw_gid, nobody->pw_gid, nobody->pw_gid) == 0
                && ::setresuid(nobody->pw_uid, nobody->pw_uid, nobody->pw_uid) == 0)
                ::_exit(work());
            ::_exit(99);
        }
    }
    ~AsNobody() { end(); }
    int end(bool kill = true)
    {
        int status = -1;
        if (pid > 0 && (!kill || ::kill(pid, SIGKILL) == 0))
            ::waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    pid_t pid = -1;
};

int socketAt(const char *path, sockaddr_un &address)
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
    QTemporaryDir shared; // as /tmp is: anyone may make files in it
    ASSERT_EQ(::chmod(QFile::encodeName(shared.path()).constData(), 01777), 0);
    const QString session
        = qEnvironmentVariable("DISPLAY").replace(QLatin1Char(':'), QLatin1Char('_'));
    const QString folder = shared.filePath(QStringLiteral("vyn-quillane-0"));
    const QByteArray folderPath = QFile::encodeName(folder);
    // Where the socket is, and where the program once put it.
    const QByteArray paths[] = {QFile::encodeName(folder + QLatin1Char('/') + session),
                                QFile::encodeName(folder + QLatin1Char('-') + session)};
    const auto inTheSharedFolder = [&](Program &program) {
        program.setEnvironment(QStringLiteral("XDG_RUNTIME_DIR"), QString());
        program.setEnvironment(QStringLiteral("TMPDIR"), shared.path());
        program.writeSettings(Program::settingsBytes());
    };

    // The other user came first: a folder by the user's name, open to all, and a listener in it
    // and at the old name. Each connection it takes is told on a pipe.
    int told[2];
    ASSERT_EQ(::pipe(told), 0);
    AsNobody squatter([&] {
        ::mkdir(folderPath.constData(), 0777);
        ::chmod(folderPath.constData(), 0777);
        pollfd listeners[2];
        for (int i = 0; i < 2; ++i) {
            sockaddr_un address;
            listeners[i] = {socketAt(paths[i].constData(), address), POLLIN, 0};
            if (::bind(listeners[i].fd, reinterpret_cast<sockaddr *>(&address), sizeof(address))
                || ::chmod(paths[i].constData(), 0777) || ::listen(listeners[i].fd, 8))
                return 1;
        }
        ::write(told[1], "L", 1);
        while (::poll(listeners, 2, -1) > 0)
            for (const pollfd &listener : listeners)
                if ((listener.revents & POLLIN) && ::accept(listener.fd, nullptr, nullptr) >= 0)
                    ::write(told[1], "C", 1);
        return 2;
    });
    ::close(told[1]);
    char word = 0;
    ASSERT_TRUE(::read(told[0], &word, 1) == 1 && word == 'L') << "the other user's listener";
    {
        Program program;
        inTheSharedFolder(program);
        ASSERT_TRUE(program.start()) << "another user's listener kept the program from starting:\n"
                                     << program.output().toStdString();
        pollfd pipe {told[0], POLLIN, 0};
        EXPECT_EQ(::poll(&pipe, 1, 0), 0) << "the program talked to another user's listener";
    }
    squatter.end();
    ::close(told[0]);
    ASSERT_TRUE(QDir(folder).removeRecursively());
    ::unlink(paths[1].constData());

    // Without the squatter: on standby, another user cannot reach the socket the program made,
    // and the overlay stays away.
    Program first;
    inTheSharedFolder(first);
    ASSERT_TRUE(first.start()) << first.output().toStdString();
    chord({"Control_L", "s"});
    ASSERT_TRUE(waitUntil([&] { return !isMapped(first.overlay()); }));
    AsNobody stranger([&] {
        sockaddr_un address;
        const int fd = socketAt(paths[0].constData(), address);
        return ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0 ? 1 : 0;
    });
    EXPECT_EQ(stranger.end(/*kill=*/false), 0) << "another user reached the program's socket";
    ASSERT_TRUE(settle());
    EXPECT_FALSE(isMapped(first.overlay())) << "another user brought the overlay back";

    // The user's own second start brings it back and ends.
    Program second;
    inTheSharedFolder(second);
    ASSERT_TRUE(second.startWithoutWaiting() && second.waitForExit(5000))
        << second.output().toStdString();
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(waitUntil([&] { return isMapped(first.overlay()); }))
        << "the user's second start did not bring the overlay back";
}

} // namespace
