// Reading QUILLAN.DAT from the disk: only a regular file of a size the format can have.
#include "settings/SettingsCodec.h"
#include "settings/SettingsFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

class SettingsFileReading : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        SetProgramFolderForTests(m_folder.path());
        // A save clears the per-user copy: that of this test, not the user's.
        m_hadConfigHome = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        m_savedConfigHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_folder.path() + QStringLiteral("/config")));
    }
    void TearDown() override
    {
        SetProgramFolderForTests({});
        if (m_hadConfigHome)
            qputenv("XDG_CONFIG_HOME", m_savedConfigHome);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }

    void write(const QByteArray &bytes)
    {
        QFile file(ProgramSettingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    QTemporaryDir m_folder;
    bool m_hadConfigHome = false;
    QByteArray m_savedConfigHome;
};

TEST_F(SettingsFileReading, TheLongestMeaningfulFileIsReadAndOneByteMoreIsNot)
{
    const QByteArray longest(MaxSettingsFileBytes, 'x');
    write(longest);
    LoadedBytes read = LoadSettingsBytes();
    EXPECT_TRUE(read.opened) << read.error.toStdString();
    EXPECT_EQ(read.bytes, longest);

    write(longest + 'x');
    read = LoadSettingsBytes();
    EXPECT_FALSE(read.opened);
    EXPECT_TRUE(read.bytes.isEmpty());
    EXPECT_FALSE(read.error.isEmpty());
}

TEST_F(SettingsFileReading, AMissingFileIsCreatedEmpty)
{
    const LoadedBytes read = LoadSettingsBytes();
    EXPECT_TRUE(read.opened) << read.error.toStdString();
    EXPECT_TRUE(read.bytes.isEmpty());
    EXPECT_TRUE(QFileInfo(ProgramSettingsPath()).isFile());
}

TEST_F(SettingsFileReading, ANamedPipeIsRefusedAtOnceAndTheSaveReplacesItWithAFile)
{
    const QByteArray path = QFile::encodeName(ProgramSettingsPath());
    ASSERT_EQ(::mkfifo(path.constData(), 0600), 0);
    const LoadedBytes read = LoadSettingsBytes(); // would wait for ever for a writer
    EXPECT_FALSE(read.opened);

    const SaveOutcome saved = SaveSettingsBytes("new"); // would wait for ever for a reader
    EXPECT_TRUE(saved.saved) << saved.error.toStdString();
    EXPECT_FALSE(saved.usedFallback);
    EXPECT_TRUE(QFileInfo(ProgramSettingsPath()).isFile());
    EXPECT_EQ(LoadSettingsBytes().bytes, QByteArray("new"));
}

TEST_F(SettingsFileReading, ALinkToARegularFileIsFollowedAndStaysALink)
{
    const QString target = m_folder.path() + QStringLiteral("/elsewhere.dat");
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old");
    }
    ASSERT_TRUE(QFile::link(target, ProgramSettingsPath()));
    EXPECT_EQ(LoadSettingsBytes().bytes, QByteArray("old"));
    ASSERT_TRUE(SaveSettingsBytes("new").saved);
    EXPECT_TRUE(QFileInfo(ProgramSettingsPath()).isSymLink());
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("new"));
}

} // namespace
