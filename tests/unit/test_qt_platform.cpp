// The toolkit's implementations of platform capabilities that the Windows build uses (one copy
// per session, the regular file read), built and run here so that they are proven on every build
// and not only where Windows is.
#include "platform/RegularFile.h"
#include "platform/qt/QtSingleInstance.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QTemporaryDir>

namespace {

bool waitFor(const bool &flag)
{
    for (QDeadlineTimer deadline(5000); !flag && !deadline.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return flag;
}

} // namespace

TEST(QtSingleInstance, ALaterStartOfTheSameSessionFindsTheFirstAndNoOtherDoes)
{
    const std::string session = "test-" + std::to_string(QCoreApplication::applicationPid());
    auto first = platform::qt::makeSingleInstance(session);
    EXPECT_FALSE(first->askRunningCopy());
    bool asked = false;
    ASSERT_TRUE(first->listen([&] { asked = true; }));

    EXPECT_TRUE(platform::qt::makeSingleInstance(session)->askRunningCopy());
    EXPECT_TRUE(waitFor(asked));
    EXPECT_FALSE(platform::qt::makeSingleInstance(session + "-other")->askRunningCopy());
    // No session: nothing is looked for or listened for.
    EXPECT_FALSE(platform::qt::makeSingleInstance({})->askRunningCopy());
    EXPECT_FALSE(platform::qt::makeSingleInstance({})->listen([] { }));

    // Once the first has gone, the next start is a first one again, even over what a copy that
    // crashed would have left at the name.
    first.reset();
    const QString name = QStringLiteral("vyn-quillane-%1-%2")
                             .arg(QDir::home().dirName(), QString::fromStdString(session));
    QFile stale(QDir::temp().filePath(name));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    auto next = platform::qt::makeSingleInstance(session);
    EXPECT_FALSE(next->askRunningCopy());
    EXPECT_TRUE(next->listen([] { }));
}

TEST(QtRegularFile, ReadsOnlyAWholeRegularFileWithinItsLimit)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("QUILLAN.DAT"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("12345");
    file.close();

    const platform::RegularFileRead read = platform::ReadRegularFile(path, 5);
    EXPECT_EQ(read.outcome, platform::RegularFileOutcome::Read);
    EXPECT_EQ(read.bytes, QByteArray("12345"));
    EXPECT_EQ(platform::ReadRegularFile(path, 4).outcome, platform::RegularFileOutcome::TooLarge);
    EXPECT_EQ(platform::ReadRegularFile(folder.filePath(QStringLiteral("none")), 5).outcome,
              platform::RegularFileOutcome::Missing);
    const platform::RegularFileRead notFile = platform::ReadRegularFile(folder.path(), 5);
    EXPECT_EQ(notFile.outcome, platform::RegularFileOutcome::NotRegular);
    EXPECT_FALSE(notFile.error.isEmpty());
}

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
