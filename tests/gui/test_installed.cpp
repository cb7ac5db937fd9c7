// An installed program: how it tells it is installed, where its settings then live, and where
// it finds its manual.
#include "HelpRecorder.h"
#include "ProgramFixture.h"

#include "app/DataFile.h"
#include "forms/Help.h"
#include "settings/InstallLayout.h"
#include "settings/Settings.h"
#include "settings/SettingsCodec.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

bool makeFile(const QString &path, const QByteArray &bytes = {})
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The settings file the defaults make, with `text` as the text.
QByteArray defaultsWithText(const char *text)
{
    const Settings saved = gSettings;
    gSettings = Settings {};
    SetDefaults();
    gSettings.gsText = QString::fromLatin1(text);
    const QByteArray bytes = EncodeSettings(gSettings).bytes;
    gSettings = saved;
    return bytes;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The program in <prefix>/bin with <prefix>/share/vyn-quillane beside it, as cmake --install
// lays it out.
class InstalledProgramTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        bin = programFolder() + QStringLiteral("/prefix/bin");
        data = programFolder() + QStringLiteral("/prefix/share/vyn-quillane");
        ASSERT_TRUE(QDir().mkpath(bin));
        ASSERT_TRUE(QDir().mkpath(data));
        SetProgramFolderForTests(bin);
    }

    QString bin, data;
};

} // namespace

TEST(InstallLayout, ABinFolderWithTheDataFolderBesideItIsAnInstallation)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString prefix = root.path() + QStringLiteral("/prefix");
    ASSERT_TRUE(QDir().mkpath(prefix + QStringLiteral("/bin")));
    // Only the bin folder: a program copied into a folder that happens to be called bin.
    EXPECT_TRUE(InstalledDataFolder(prefix + QStringLiteral("/bin")).isEmpty());
    EXPECT_FALSE(IsInstalledProgramFolder(prefix + QStringLiteral("/bin")));

    ASSERT_TRUE(QDir().mkpath(prefix + QStringLiteral("/share/vyn-quillane")));
    EXPECT_EQ(InstalledDataFolder(prefix + QStringLiteral("/bin")),
              QDir::toNativeSeparators(prefix + QStringLiteral("/share/vyn-quillane/")));
    EXPECT_TRUE(IsInstalledProgramFolder(prefix + QStringLiteral("/bin/")));
    // A folder of its own beside that installation is not part of it.
    ASSERT_TRUE(QDir().mkpath(prefix + QStringLiteral("/tools")));
    EXPECT_FALSE(IsInstalledProgramFolder(prefix + QStringLiteral("/tools")));
    // A data folder that is a file does not count.
    ASSERT_TRUE(QDir().mkpath(root.path() + QStringLiteral("/other/bin")));
    ASSERT_TRUE(makeFile(root.path() + QStringLiteral("/other/share/vyn-quillane")));
    EXPECT_FALSE(IsInstalledProgramFolder(root.path() + QStringLiteral("/other/bin")));
}

TEST(InstallLayout, SystemFoldersAreNeverTheProgramsOwn)
{
    for (const char *folder : {"/usr/bin", "/usr/local/bin", "/usr/games", "/usr", "/bin", "/sbin",
                               "/usr/lib/vyn-quillane", "/usr/bin/"})
        EXPECT_TRUE(IsSystemFolder(QLatin1String(folder))) << folder;
    for (const char *folder :
         {"/opt/quillan", "/usrlocal/bin", "/home/someone/bin", "/tmp", "", "/binaries"})
        EXPECT_FALSE(IsSystemFolder(QLatin1String(folder))) << folder;
    // A link to a system folder is that folder.
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString link = root.path() + QStringLiteral("/tools");
    ASSERT_TRUE(QFile::link(QStringLiteral("/usr/bin"), link));
    EXPECT_TRUE(IsSystemFolder(link));
    EXPECT_TRUE(IsInstalledProgramFolder(link));
}

TEST_F(InstalledProgramTest, FirstStartShowsTheOneMessageAndTheExitSavesPerUserOnly)
{
    ASSERT_TRUE(SettingsArePerUser());
    startProgram();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QString::fromLatin1(BrokenFileMessage()));
    // While it runs, the empty file is in the per-user folder, as it is beside a program that
    // keeps its own.
    EXPECT_TRUE(QFileInfo(UserSettingsPath()).isFile());
    EXPECT_TRUE(UserSettingsPath().startsWith(programFolder() + QStringLiteral("/config/")));

    boxes.clear();
    main().mnuQuit_Click();
    EXPECT_TRUE(boxes.empty()) << boxes[0].text.toStdString();
    EXPECT_EQ(contents(UserSettingsPath()), DefaultSettingsBytes());
    EXPECT_EQ(QDir(bin).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList());

    frmShow.destroy();
    frmMain.destroy();
    gSettings = Settings {};
    startProgram();
    EXPECT_TRUE(boxes.empty());
}

TEST_F(InstalledProgramTest, AFileBesideTheInstalledProgramIsNeitherReadNorReplaced)
{
    // Left by someone who once ran the program from that folder: the installed program does not
    // take it over, even when it is newer than the per-user one.
    const QByteArray stray = defaultsWithText("from the bin folder");
    ASSERT_TRUE(makeFile(bin + QStringLiteral("/QUILLAN.DAT"), stray));
    const QByteArray mine = defaultsWithText("mine");
    ASSERT_TRUE(makeFile(UserSettingsPath(), mine));
    {
        QFile stale(bin + QStringLiteral("/QUILLAN.DAT"));
        ASSERT_TRUE(stale.open(QIODevice::ReadWrite));
        ASSERT_TRUE(stale.setFileTime(QFileInfo(UserSettingsPath()).lastModified().addSecs(60),
                                      QFileDevice::FileModificationTime));
    }
    startProgram();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(main().txtInput->text(), QStringLiteral("mine"));
    main().txtInput->setText(QStringLiteral("changed"));
    main().mnuQuit_Click();
    EXPECT_EQ(contents(bin + QStringLiteral("/QUILLAN.DAT")), stray);
    EXPECT_EQ(contents(UserSettingsPath()), defaultsWithText("changed"));
}

TEST_F(InstalledProgramTest, ASaveThatFailsNamesThePerUserFileAlone)
{
    startProgram();
    // Where the per-user folder would be there is a file.
    const QString userFolder = QFileInfo(UserSettingsPath()).absolutePath();
    ASSERT_TRUE(QDir(userFolder).removeRecursively());
    ASSERT_TRUE(makeFile(userFolder));
    boxes.clear();
    WriteData(frmMain->txtInput->text());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(boxes[0].text.contains(UserSettingsPath())) << boxes[0].text.toStdString();
    EXPECT_FALSE(boxes[0].text.contains(bin)) << boxes[0].text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(bin + QStringLiteral("/QUILLAN.DAT")));
}

TEST_F(InstalledProgramTest, TheManualIsFoundInTheDataFolderUnlessItIsBesideTheProgram)
{
    startProgram();
    boxes.clear();
    HelpRecorder &help = recordHelp();
    ASSERT_TRUE(makeFile(data + QStringLiteral("/Quillan.hlp"), "<html></html>"));
    main().mnuContents_Click();
    ASSERT_EQ(help.requests.size(), 1u);
    EXPECT_EQ(QString::fromStdString(help.requests[0].file),
              QDir::toNativeSeparators(data + QStringLiteral("/quillan.hlp")));
    // The program's own folder comes first.
    ASSERT_TRUE(makeFile(bin + QStringLiteral("/Quillan.hlp"), "<html></html>"));
    ShowHelp(nullptr, HelpFileName(), platform::HELP_CONTEXT_Command, HelpTopicPreferences);
    ASSERT_EQ(help.requests.size(), 2u);
    EXPECT_EQ(QString::fromStdString(help.requests[1].file),
              AppPathSlash() + QStringLiteral("Quillan.hlp"));
    EXPECT_TRUE(boxes.empty());
}
