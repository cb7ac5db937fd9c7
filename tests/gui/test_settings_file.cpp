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
    }
    void TearDown() override { SetProgramFolderForTests({}); }

    void write(const QByteArray &bytes)
    {
        QFile file(ProgramSettingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    QTemporaryDir m_folder;
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
