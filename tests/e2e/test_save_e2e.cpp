// The settings file when the save goes wrong: the program killed at chosen moments while it
// saves, a program folder that cannot be written, a disk that is full. The file on disk is always
// the old one or the new one, and what the user set reaches the per-user folder with a message.
#include "E2eHarness.h"

#include "settings/Palette.h"
#include "settings/Settings.h"
#include "settings/SettingsCodec.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace e2e;

namespace {

QString decodedText(const QByteArray &bytes)
{
    BuildPalette();
    Settings record;
    record.gsPalette = gSettings.gsPalette;
    return DecodeSettings(bytes, record).ok ? record.gsText : QStringLiteral("<unreadable>");
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// True when a file can be created in the folder (root writes through any permission bits).
bool folderIsWritable(const QString &folder)
{
    const QByteArray probe = QFile::encodeName(folder + QStringLiteral("/.probe"));
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, "probe", 5) == 5 && ::fsync(fd) == 0;
    ::close(fd);
    ::unlink(probe.constData());
    return written;
}

// A mount over a folder for the length of a test, taken away again however the test ends.
class MountOver
{
public:
    ~MountOver()
    {
        if (!m_target.isEmpty())
            ::umount2(QFile::encodeName(m_target).constData(), MNT_DETACH);
        if (!m_chmodded.isEmpty())
            ::chmod(QFile::encodeName(m_chmodded).constData(), 0700);
    }

    // The folder, as it is, made read-only: a read-only bind mount of it over itself, which
    // holds for root too; where mounting is not allowed, taking the write permission away,
    // which holds for other users. Empty when it worked, otherwise why not.
    QString makeReadOnly(const QString &folder)
    {
        const QByteArray path = QFile::encodeName(folder);
        if (::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) == 0) {
            m_target = folder;
            if (::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY,
                        nullptr)
                == 0)
                return folderIsWritable(folder) ? QStringLiteral("the mount stays writable")
                                                : QString();
        }
        const QString mountError = QString::fromLocal8Bit(std::strerror(errno));
        if (::chmod(path.constData(), 0555) == 0) {
            m_chmodded = folder;
            if (!folderIsWritable(folder))
                return {};
        }
        return QStringLiteral("no read-only bind mount (%1), and as this user a folder without "
                              "write permission can still be written")
            .arg(mountError);
    }

    // A tmpfs of `bytes` over the folder (hiding what it held). Empty when it worked.
    QString mountTmpfs(const QString &folder, qint64 bytes)
    {
        const QByteArray path = QFile::encodeName(folder);
        const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0700";
        if (::mount("tmpfs", path.constData(), "tmpfs", 0, options.constData()) != 0)
            return QString::fromLocal8Bit(std::strerror(errno));
        m_target = folder;
        return {};
    }

private:
    QString m_target; // mounted over
    QString m_chmodded; // write permission taken away
};

// Fills the file system that holds `folder` until not one more byte fits.
bool fillDisk(const QString &folder)
{
    QFile filler(folder + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::WriteOnly))
        return false;
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size() && filler.flush()) { }
    filler.close();
    // Any last partial page.
    const QByteArray path = QFile::encodeName(folder + QStringLiteral("/filler-tail"));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0600);
    while (fd >= 0 && ::write(fd, "t", 1) == 1) { }
    if (fd >= 0)
        ::close(fd);
    struct statvfs fs
    {
    };
    return ::statvfs(QFile::encodeName(folder).constData(), &fs) == 0 && fs.f_bavail == 0;
}

// A long text with letters beyond ASCII. An older version stored it in UTF-8; a run now stores
// it in Windows-1252, so the file a run saves differs from the one it read from the text on,
// although nothing was typed.
QString longText()
{
    QString text;
    for (int line = 0; line < 1500; ++line)
        text += QStringLiteral("line %1 of a long text, caf\u00E9\r\n").arg(line);
    return text;
}

QByteArray newFile()
{
    return Program::settingsBytes([] { gSettings.gsText = longText(); });
}

QByteArray oldFile()
{
    const QByteArray utf8 = longText().toUtf8();
    const QByteArray cp1252 = newFile();
    const auto length = static_cast<uint16_t>(utf8.size());
    return cp1252.left(8) + char(length & 0xFF) + char(length >> 8) + utf8
        + cp1252.mid(8 + 2 + longText().size());
}

// Microseconds from a SIGTERM (the session's end, which saves) to the moment the new file takes
// the old one's name, seen through inotify.
qint64 microsecondsToCommit(Program &program)
{
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ::inotify_add_watch(watch, QFile::encodeName(program.folder()).constData(), IN_MOVED_TO);
    QElapsedTimer timer;
    program.signal(SIGTERM);
    timer.start();
    qint64 micros = -1;
    char buffer[4096];
    while (timer.elapsed() < 5000 && micros < 0) {
        pollfd fd {watch, POLLIN, 0};
        if (::poll(&fd, 1, 50) <= 0)
            continue;
        const ssize_t got = ::read(watch, buffer, sizeof buffer);
        for (ssize_t at = 0; at < got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            if (event->len && std::strcmp(event->name, "QUILLAN.DAT") == 0)
                micros = timer.nsecsElapsed() / 1000;
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    ::close(watch);
    return micros;
}

} // namespace

TEST(SaveUnderKill, TheFileIsAlwaysTheOldOneOrTheNewOne)
{
    const QByteArray before = oldFile();
    const QByteArray after = newFile();
    ASSERT_NE(before, after);
    ASSERT_NE(before.left(before.size() / 2), after.left(before.size() / 2));

    Program program;
    // How long a save takes from the signal, measured on this machine, so that the kills fall
    // before, inside and after it.
    std::vector<qint64> commits;
    for (int run = 0; run < 3; ++run) {
        program.writeSettings(before);
        ASSERT_TRUE(program.start(false, 0)) << program.output().toStdString();
        commits.push_back(microsecondsToCommit(program));
        ASSERT_TRUE(program.waitForExit());
        ASSERT_EQ(program.readSettings(), after) << "a save that is left alone completes";
    }
    std::sort(commits.begin(), commits.end());
    ASSERT_GT(commits.front(), 0) << "the save was never seen";
    const qint64 window = commits.back() * 3 / 2;

    const int iterations = qEnvironmentVariableIntValue("E2E_KILL_ITERATIONS") > 0
        ? qEnvironmentVariableIntValue("E2E_KILL_ITERATIONS")
        : 200;
    // The kill moments come from a fixed seed, so every run makes the same choices (E2E_SEED
    // picks others). Kill i falls at a random place in the i-th of `iterations` equal slices of
    // the window: the kills cover it evenly from the signal itself to half as long again as the
    // slowest save seen, so some always land before the commit and some after it.
    const unsigned seed = qEnvironmentVariableIsSet("E2E_SEED")
        ? unsigned(qEnvironmentVariableIntValue("E2E_SEED"))
        : 20261207u;
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> withinSlice(0.0, 1.0);

    int sawOld = 0, sawNew = 0, strays = 0;
    for (int i = 0; i < iterations; ++i) {
        program.writeSettings(before);
        ASSERT_TRUE(program.start(false, 0)) << "iteration " << i;
        const qint64 micros
            = qint64((double(i) + withinSlice(random)) * double(window) / double(iterations));
        program.signal(SIGTERM);
        std::this_thread::sleep_for(std::chrono::microseconds(micros));
        program.signal(SIGKILL);
        ASSERT_TRUE(program.waitForExit()) << "iteration " << i;

        const QByteArray onDisk = program.readSettings();
        if (onDisk == before) {
            ++sawOld;
        } else if (onDisk == after) {
            ++sawNew;
        } else {
            FAIL() << "iteration " << i << " (seed " << seed << ", kill " << micros
                   << " us after the signal) left " << onDisk.size()
                   << " bytes that are neither the old file nor the new one";
        }
        // A kill between the temporary file's naming and its rename leaves it behind, beside an
        // intact QUILLAN.DAT.
        const QStringList others
            = QDir(program.folder()).entryList({QStringLiteral("QUILLAN.DAT.*")}, QDir::Files);
        strays += int(others.size());
        for (const QString &name : others)
            QFile::remove(program.folder() + QLatin1Char('/') + name);
    }
    std::printf("%d kills within %lld us of the signal (save committed after %lld..%lld us; seed "
                "%u): %d left the old file, %d the new one, %d a stray temporary file\n",
                iterations, static_cast<long long>(window), static_cast<long long>(commits.front()),
                static_cast<long long>(commits.back()), seed, sawOld, sawNew, strays);
    RecordProperty("kills", iterations);
    RecordProperty("old", sawOld);
    RecordProperty("new", sawNew);
    // The kills fell on both sides of the commit, so the save was really interrupted.
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
}

namespace {

class SaveFault : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_userConfig.isValid());
        m_program.setEnvironment(QStringLiteral("XDG_CONFIG_HOME"), m_userConfig.path());
    }

    QString userFile() const
    {
        return m_userConfig.path() + QStringLiteral("/vyn-quillane/QUILLAN.DAT");
    }

    // Starts the program, types, and exits through the menu: the save cannot go to the program's
    // folder, so it goes to the per-user folder and a message says so.
    void typeAndExitIntoTheFallback(const QByteArray &programFileBefore)
    {
        ASSERT_TRUE(m_program.start()) << m_program.output().toStdString();
        typeText(QStringLiteral("new"));
        settle();
        m_program.exitThroughMenu();
        ASSERT_TRUE(closeMessageBox()) << "the message saying where the settings went";
        ASSERT_TRUE(m_program.waitForExit());
        EXPECT_EQ(m_program.exitCode(), 0);
        EXPECT_EQ(m_program.readSettings(), programFileBefore) << "the old file is untouched";
        EXPECT_TRUE(decodedText(readFile(userFile())).contains(QStringLiteral("new")));
        EXPECT_TRUE(decodedText(readFile(userFile())).contains(QStringLiteral("old")));
    }

    // The next run reads the per-user file and saves there again, with no message now.
    void nextRunKeepsWhatWasTyped(const QByteArray &programFileBefore)
    {
        ASSERT_TRUE(m_program.start()) << m_program.output().toStdString();
        typeText(QStringLiteral("er"));
        settle();
        m_program.exitThroughMenu();
        ASSERT_TRUE(m_program.waitForExit()) << "no message stops the second save";
        EXPECT_EQ(m_program.readSettings(), programFileBefore);
        const QString text = decodedText(readFile(userFile()));
        EXPECT_TRUE(text.contains(QStringLiteral("new"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("er"))) << text.toStdString();
    }

    QTemporaryDir m_userConfig;
    Program m_program;
    MountOver m_mount;
};

} // namespace

TEST_F(SaveFault, AReadOnlyProgramFolderSavesInThePerUserFolder)
{
    const QByteArray before = Program::settingsBytes([] { gSettings.gsText = "old"; });
    m_program.writeSettings(before);
    const QString why = m_mount.makeReadOnly(m_program.folder());
    if (!why.isEmpty())
        GTEST_SKIP() << "cannot make a read-only folder here: " << why.toStdString();
    ASSERT_FALSE(folderIsWritable(m_program.folder()));

    typeAndExitIntoTheFallback(before);
    if (!HasFatalFailure())
        nextRunKeepsWhatWasTyped(before);
}

TEST_F(SaveFault, AFullDiskSavesInThePerUserFolderAndKeepsTheOldFile)
{
    // A small disk of its own for the program's folder, holding the program and its file.
    const QString program = Program::executable();
    const qint64 programSize = QFileInfo(program).size();
    const QString why = m_mount.mountTmpfs(m_program.folder(), programSize + 256 * 1024);
    if (!why.isEmpty())
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << why.toStdString();
    ASSERT_TRUE(QFile::copy(program, m_program.folder() + QStringLiteral("/quillan")));
    QFile::setPermissions(m_program.folder() + QStringLiteral("/quillan"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray before = Program::settingsBytes([] { gSettings.gsText = "old"; });
    m_program.writeSettings(before);
    ASSERT_TRUE(fillDisk(m_program.folder()));

    typeAndExitIntoTheFallback(before);
    if (!HasFatalFailure())
        nextRunKeepsWhatWasTyped(before);
}

TEST_F(SaveFault, WhenNoFolderCanTakeTheFileTheUserIsTold)
{
    const QByteArray before = Program::settingsBytes([] { gSettings.gsText = "old"; });
    m_program.writeSettings(before);
    // The per-user folder lies inside the read-only program folder.
    m_program.setEnvironment(QStringLiteral("XDG_CONFIG_HOME"),
                             m_program.folder() + QStringLiteral("/config"));
    const QString why = m_mount.makeReadOnly(m_program.folder());
    if (!why.isEmpty())
        GTEST_SKIP() << "cannot make a read-only folder here: " << why.toStdString();

    ASSERT_TRUE(m_program.start()) << m_program.output().toStdString();
    typeText(QStringLiteral("new"));
    settle();
    m_program.exitThroughMenu();
    ASSERT_TRUE(closeMessageBox()) << "the message saying the settings could not be saved";
    ASSERT_TRUE(m_program.waitForExit());
    EXPECT_EQ(m_program.readSettings(), before);
}
