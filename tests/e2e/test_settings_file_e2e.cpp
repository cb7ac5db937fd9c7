// QUILLAN.DAT as other programs and older versions leave it: strings in Windows-1252 or UTF-8,
// texts with lone line feeds or a byte-order mark, and files that are no plain file at all (a
// named pipe, a link to a device, a file far too long).
#include "E2eHarness.h"

#include "settings/Settings.h"
#include "settings/SettingsCodec.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace e2e;

namespace {

constexpr QRgb TextColour = 0xFFFF0050; // the default text colour, cell (6, 5)

// The default file with the text stored as exactly these bytes.
QByteArray fileWithTextBytes(const QByteArray &text)
{
    QByteArray file = Program::settingsBytes();
    const auto length = static_cast<uint16_t>(text.size());
    file.replace(8, 8, QByteArray(1, char(length & 0xFF)) + char(length >> 8) + text);
    return file;
}

// Where the text colour is on the screen, once the caret (a distinct colour) is off, so that two
// runs showing the same text give the same picture.
QImage textPixels()
{
    QImage shot;
    waitUntil([&] {
        shot = screenshot();
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (shot.pixel(x, y) == CaretColour)
                    return false;
        return true;
    });
    QImage mask(shot.size(), QImage::Format_Mono);
    mask.fill(0);
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (shot.pixel(x, y) == TextColour)
                mask.setPixel(x, y, 1);
    return mask;
}

int pixelCount(const QImage &mask)
{
    int count = 0;
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x)
            count += mask.pixelIndex(x, y);
    return count;
}

class SettingsFileOnDisk : public ::testing::Test
{
protected:
    void SetUp() override { paintDesktopPlain(0x404040); }

    // Runs the program on `file` with nothing typed, returns the text it showed, and leaves
    // through "E&xit".
    QImage runUnchanged(const QByteArray &file)
    {
        m_program.writeSettings(file);
        if (!m_program.start()) {
            ADD_FAILURE() << m_program.output().toStdString();
            return {};
        }
        const QImage shown = textPixels();
        m_program.exitThroughMenu();
        EXPECT_TRUE(m_program.waitForExit());
        EXPECT_EQ(m_program.exitCode(), 0);
        return shown;
    }

    // The start with a file that is not a plain one: the broken-file message, then the
    // defaults, and the exit leaves a plain file with the defaults in its place.
    void brokenFileGivesTheDefaultsAndIsReplaced()
    {
        ASSERT_TRUE(m_program.start(/*expectFirstStartBox=*/true))
            << "the message, then the overlay\n"
            << m_program.output().toStdString();
        m_program.exitThroughMenu();
        ASSERT_TRUE(m_program.waitForExit());
        EXPECT_EQ(m_program.exitCode(), 0);
        const QFileInfo after(m_program.settingsPath());
        EXPECT_FALSE(after.isSymLink());
        EXPECT_TRUE(after.isFile());
        EXPECT_EQ(m_program.readSettings().toHex(' '), Program::settingsBytes().toHex(' '));
    }

    Program m_program;
};

} // namespace

TEST_F(SettingsFileOnDisk, Windows1252TextIsShownAndAnUnchangedRunLeavesTheFileAsItWas)
{
    const QString text = QStringLiteral("Gr\u00FC\u00DFe, caf\u00E9");
    const QByteArray cp1252 = fileWithTextBytes(QByteArray("Gr\xFC\xDF"
                                                           "e, caf\xE9"));
    ASSERT_EQ(cp1252, Program::settingsBytes([&] { gSettings.gsText = text; }));
    const QImage shown = runUnchanged(cp1252);
    ASSERT_FALSE(HasFailure());
    EXPECT_EQ(m_program.readSettings().toHex(' '), cp1252.toHex(' '));

    // The same text in UTF-8, as an older version wrote it, shows the same letters (nothing
    // replaced, nothing missing) and is stored in Windows-1252 from then on.
    const QImage reference = runUnchanged(fileWithTextBytes(text.toUtf8()));
    ASSERT_FALSE(HasFailure());
    EXPECT_GT(pixelCount(reference), 200);
    EXPECT_TRUE(shown == reference)
        << "the Windows-1252 text shows other letters (" << pixelCount(shown) << " pixels of text, "
        << pixelCount(reference) << " expected)";
    EXPECT_EQ(m_program.readSettings().toHex(' '), cp1252.toHex(' '));
}

TEST_F(SettingsFileOnDisk, ByteOrderMarksLoneLineFeedsAndOtherScriptsAreKeptByteForByte)
{
    const QByteArray texts[] = {
        QByteArray("\xEF\xBB\xBF"
                   "first\nsecond"), // UTF-8 with a byte-order mark and a lone line feed
        QByteArray("Stra\xDF"
                   "e\nPlatz"), // Windows-1252 with a lone line feed
        QByteArray("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xF0\x9F\x98\x80"), // UTF-8
    };
    for (const QByteArray &text : texts) {
        const QByteArray file = fileWithTextBytes(text);
        runUnchanged(file);
        ASSERT_FALSE(HasFailure()) << text.toHex().constData();
        EXPECT_EQ(m_program.readSettings().toHex(' '), file.toHex(' ')) << text.toHex().constData();
    }
}

TEST_F(SettingsFileOnDisk, ANamedPipeIsABrokenFileAndNeverHoldsUpTheStart)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(m_program.settingsPath()).constData(), 0600), 0);
    brokenFileGivesTheDefaultsAndIsReplaced();
}

TEST_F(SettingsFileOnDisk, ALinkToADeviceIsABrokenFileAndIsNotReadToTheEnd)
{
    ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(m_program.settingsPath()).constData()), 0);
    brokenFileGivesTheDefaultsAndIsReplaced();
}

TEST_F(SettingsFileOnDisk, AFileLongerThanAnySettingsCanBeIsBroken)
{
    // A good beginning, then more than six strings of the longest length could fill.
    QByteArray file = Program::settingsBytes([] { gSettings.gsText = QStringLiteral("long"); });
    file.append(QByteArray(MaxSettingsFileBytes + 1 - file.size(), '\0'));
    m_program.writeSettings(file);
    brokenFileGivesTheDefaultsAndIsReplaced();
}
