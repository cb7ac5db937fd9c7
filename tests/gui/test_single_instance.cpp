// One running copy per session: the socket's name keeps users and sessions apart, a later copy
// reaches the running one, and a socket left behind by a crashed copy does not block a start.
#include "platform/posix/PosixSingleInstance.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace {

using SingleInstance = platform::posix::PosixSingleInstance;

TEST(SingleInstance, NamesKeepUsersAndSessionsApart)
{
    QTemporaryDir runtime;
    const QString x = SingleInstance::serverName(runtime.path(), QStringLiteral(":0"), 1000);
    EXPECT_TRUE(x.startsWith(runtime.path() + QLatin1Char('/')));
    EXPECT_FALSE(x.mid(runtime.path().size() + 1).contains(QLatin1Char(':')));
    EXPECT_NE(x, SingleInstance::serverName(runtime.path(), QStringLiteral(":1"), 1000));
    EXPECT_NE(SingleInstance::serverName(runtime.path(), QStringLiteral("wayland-0"), 1000),
              SingleInstance::serverName(runtime.path(), QStringLiteral("wayland-1"), 1000));
    // A display path cannot lead out of the runtime folder.
    EXPECT_EQ(QFileInfo(SingleInstance::serverName(runtime.path(), QStringLiteral("../../x"), 1000))
                  .absolutePath(),
              QFileInfo(runtime.path()).absoluteFilePath());
    // Without a runtime folder the user's id keeps users apart.
    const QString shared = SingleInstance::serverName({}, QStringLiteral(":0"), 1000);
    EXPECT_NE(shared, SingleInstance::serverName({}, QStringLiteral(":0"), 1001));
    EXPECT_EQ(
        SingleInstance::serverName(QStringLiteral("/no/such/folder"), QStringLiteral(":0"), 1000),
        shared);
    // No display, no session to keep one copy in.
    EXPECT_TRUE(SingleInstance::serverName(runtime.path(), {}, 1000).isEmpty());
    SingleInstance lone({});
    EXPECT_FALSE(lone.askRunningCopy());
    EXPECT_FALSE(lone.listen([] {}));
}

TEST(SingleInstance, LaterCopyReachesTheRunningOne)
{
    QTemporaryDir runtime;
    const QString name = SingleInstance::serverName(runtime.path(), QStringLiteral(":7"), 1);
    SingleInstance first(name);
    EXPECT_FALSE(first.askRunningCopy());
    int requests = 0;
    ASSERT_TRUE(first.listen([&] { ++requests; }));
    SingleInstance second(name);
    EXPECT_TRUE(second.askRunningCopy());
    const QDeadlineTimer deadline(5000);
    while (requests == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(requests, 1);
}

TEST(SingleInstance, StaleSocketOfACrashedCopyIsReplaced)
{
    QTemporaryDir runtime;
    const QString name = SingleInstance::serverName(runtime.path(), QStringLiteral(":8"), 1);
    // A socket bound and abandoned without being removed, as a crashed copy leaves it.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(name);
    ASSERT_LT(size_t(path.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    ::close(fd);
    ASSERT_TRUE(QFile::exists(name));

    SingleInstance start(name);
    EXPECT_FALSE(start.askRunningCopy());
    int requests = 0;
    ASSERT_TRUE(start.listen([&] { ++requests; }));
    SingleInstance later(name);
    EXPECT_TRUE(later.askRunningCopy());
    const QDeadlineTimer deadline(5000);
    while (requests == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(requests, 1);
}

// The socket is the user's alone; what is not a socket is never taken for a stale one; the
// socket goes when the copy ends, so the next start is a first one; several later copies at
// once each reach the running one.
TEST(SingleInstance, TheSocketIsTheUsersAndNothingElseIsRemoved)
{
    QTemporaryDir runtime;
    const QString name = SingleInstance::serverName(runtime.path(), QStringLiteral(":9"), 1);
    int requests = 0;
    {
        SingleInstance first(name);
        ASSERT_TRUE(first.listen([&] { ++requests; }));
        EXPECT_EQ(
            QFileInfo(name).permissions()
                & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
            QFile::Permissions());
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(SingleInstance(name).askRunningCopy());
        const QDeadlineTimer deadline(5000);
        while (requests < 3 && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        EXPECT_EQ(requests, 3);
    }
    EXPECT_FALSE(QFile::exists(name));
    EXPECT_FALSE(SingleInstance(name).askRunningCopy());

    // A plain file where the socket would be: no copy listens, and the file stays as it was.
    QFile plain(name);
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("keep");
    plain.close();
    SingleInstance blocked(name);
    EXPECT_FALSE(blocked.askRunningCopy());
    EXPECT_FALSE(blocked.listen([] {}));
    ASSERT_TRUE(plain.open(QIODevice::ReadOnly));
    EXPECT_EQ(plain.readAll(), QByteArray("keep"));
}

} // namespace
