#include "settings/Palette.h"
#include "settings/Settings.h"
#include "settings/SettingsCodec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>

namespace {

// QUILLAN.DAT as written with the factory settings, field by field.
QByteArray DefaultFile()
{
    return QByteArray::fromHex("00004843" // text X 200.0
                               "00004843" // text Y 200.0
                               "0600"
                               "48656C6C6F21" // "Hello!"
                               "0500"
                               "417269616C" // "Arial"
                               "2400" // font size 36
                               "0100"
                               "0000"
                               "0000"
                               "0000" // bold only
                               "0200" // shadow offset
                               "0000" // caret style
                               "0C00" // line width
                               "06000500"
                               "01000D00"
                               "02000100"
                               "04000100" // cells
                               "0000000000000000" // margins
                               "0000010043"
                               "000001004C"
                               "0000010052"
                               "0000010053" // hot keys
                               "0000"); // standby key F10
}

uint32_t Bits(float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Every stored field and the derived colours agree.
void ExpectSameStored(const Settings &a, const Settings &b)
{
    EXPECT_EQ(Bits(a.gnTextX), Bits(b.gnTextX));
    EXPECT_EQ(Bits(a.gnTextY), Bits(b.gnTextY));
    EXPECT_EQ(a.gsText, b.gsText);
    EXPECT_EQ(a.gsFontName, b.gsFontName);
    EXPECT_EQ(a.gsFontSize, b.gsFontSize);
    EXPECT_EQ(a.gnFontStyle, b.gnFontStyle);
    EXPECT_EQ(a.gnShadowGap, b.gnShadowGap);
    EXPECT_EQ(a.gnCursorStyle, b.gnCursorStyle);
    EXPECT_EQ(a.gnLineWidth, b.gnLineWidth);
    EXPECT_EQ(a.gnColorCol, b.gnColorCol);
    EXPECT_EQ(a.gnColorRow, b.gnColorRow);
    EXPECT_EQ(a.gnMarginLeft, b.gnMarginLeft);
    EXPECT_EQ(a.gnMarginRight, b.gnMarginRight);
    EXPECT_EQ(a.gnMarginTop, b.gnMarginTop);
    EXPECT_EQ(a.gnMarginBottom, b.gnMarginBottom);
    EXPECT_EQ(a.gnHotKeyMods, b.gnHotKeyMods);
    EXPECT_EQ(a.gsHotKeyLetter, b.gsHotKeyLetter);
    EXPECT_EQ(a.gnStandbyKey, b.gnStandbyKey);
    EXPECT_EQ(a.glColor, b.glColor);
}

class SettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gSettings = Settings {};
        BuildPalette(); // colour lookups read gSettings.gsPalette
    }

    static Settings defaults()
    {
        SetDefaults();
        return gSettings;
    }
};

TEST_F(SettingsTest, DefaultsAreTheFactoryValuesAndKeepTheStandbyKey)
{
    gSettings.gnStandbyKey = 2;
    gSettings.gsText = QStringLiteral("left over");
    gSettings.gnMarginTop = 99;
    SetDefaults();
    const Settings &s = gSettings;
    EXPECT_EQ(s.gnTextX, 200.0f);
    EXPECT_EQ(s.gnTextY, 200.0f);
    EXPECT_EQ(s.gsText, QStringLiteral("Hello!"));
    EXPECT_EQ(s.gsFontName, QStringLiteral("Arial"));
    EXPECT_EQ(s.gsFontSize, QStringLiteral("36"));
    EXPECT_EQ(s.gnFontStyle, (std::array<int16_t, 4> {1, 0, 0, 0}));
    EXPECT_EQ(s.gnShadowGap, 2);
    EXPECT_EQ(s.gnCursorStyle, 0);
    EXPECT_EQ(s.gnLineWidth, 12);
    EXPECT_EQ(s.gnColorCol, (std::array<int16_t, 4> {6, 1, 2, 4}));
    EXPECT_EQ(s.gnColorRow, (std::array<int16_t, 4> {5, 13, 1, 1}));
    EXPECT_EQ(s.glColor, (std::array<int32_t, 4> {5243135, 16777136, 65280, 16711680}));
    EXPECT_EQ(s.gnMarginLeft, 0);
    EXPECT_EQ(s.gnMarginRight, 0);
    EXPECT_EQ(s.gnMarginTop, 0);
    EXPECT_EQ(s.gnMarginBottom, 0);
    EXPECT_EQ(s.gnHotKeyMods, (std::array<int16_t, 4> {0, 0, 0, 0}));
    EXPECT_EQ(s.gsHotKeyLetter, (std::array<QString, 4> {"C", "L", "R", "S"}));
    EXPECT_EQ(s.gnStandbyKey, 2);
}

TEST_F(SettingsTest, SlotColourFollowsItsCell)
{
    gSettings.glColor[SlotShadow] = 12345;
    gSettings.gnColorCol[SlotShadow] = 10; // an empty cell is white
    gSettings.gnColorRow[SlotShadow] = 1;
    DeriveSlotColor(SlotShadow);
    EXPECT_EQ(gSettings.glColor[SlotShadow], 16777215);

    // Off the grid there are no components: the colour the slot had stays.
    for (const auto &[column, row] : {std::pair {12, 0}, {-1, 5}, {0, 22}, {-32768, 32767}}) {
        gSettings.glColor[SlotLines] = 4242;
        gSettings.gnColorCol[SlotLines] = static_cast<int16_t>(column);
        gSettings.gnColorRow[SlotLines] = static_cast<int16_t>(row);
        DeriveSlotColor(SlotLines);
        EXPECT_EQ(gSettings.glColor[SlotLines], 4242) << column << "," << row;
    }

    const auto before = gSettings.glColor;
    DeriveSlotColor(4); // no such slot: nothing happens
    DeriveSlotColor(-1);
    EXPECT_EQ(gSettings.glColor, before);
}

TEST_F(SettingsTest, DefaultFileIsThe85BytesAndReadsBack)
{
    const Settings factory = defaults();
    const EncodeResult written = EncodeSettings(factory);
    EXPECT_FALSE(written.truncated);
    EXPECT_EQ(written.bytes.toHex(' '), DefaultFile().toHex(' '));
    ASSERT_EQ(written.bytes.size(), 85);

    Settings read;
    const DecodeResult result = DecodeSettings(DefaultFile(), read);
    EXPECT_TRUE(result.ok) << result.problem.toStdString();
    EXPECT_TRUE(result.standbyKeyRead);
    EXPECT_TRUE(result.problem.isEmpty());
    ExpectSameStored(read, factory);
}

TEST_F(SettingsTest, EveryFieldRoundTripsIn83Bytes)
{
    Settings s = defaults();
    s.gnTextX = 12.25f;
    s.gnTextY = -3.5f;
    s.gsText = QStringLiteral("\u00E9\u20AC"); // one byte each in Windows-1252
    s.gsFontName = QStringLiteral("Verdana");
    s.gsFontSize = QStringLiteral("11");
    s.gnFontStyle = {0, 1, 1, 5};
    s.gnShadowGap = -20;
    s.gnCursorStyle = 1;
    s.gnLineWidth = 50;
    s.gnColorCol = {0, 11, 9, 7};
    s.gnColorRow = {2, 19, 0, 21};
    s.gnMarginLeft = 10;
    s.gnMarginRight = 20;
    s.gnMarginTop = -30;
    s.gnMarginBottom = 32767;
    s.gnHotKeyMods = {1, 0, 1, -1};
    s.gsHotKeyLetter = {"A", "B", "X", "Q"};
    s.gnStandbyKey = 2;
    // What reading derives for these cells.
    s.glColor = {PackColor(255, 240, 208), PackColor(80, 80, 0), PackColor(160, 200, 240),
                 PackColor(16, 16, 16)};

    const QByteArray bytes = EncodeSettings(s).bytes;
    ASSERT_EQ(bytes.size(), 70 + 2 + 7 + 4);
    EXPECT_EQ(bytes.mid(8, 4), QByteArray("\x02\x00\xE9\x80", 4));
    Settings read;
    const DecodeResult result = DecodeSettings(bytes, read);
    EXPECT_TRUE(result.ok) << result.problem.toStdString();
    ExpectSameStored(read, s);
    EXPECT_EQ(EncodeSettings(read).bytes, bytes);
}

TEST_F(SettingsTest, DecodingFillsOnlyTheGivenRecord)
{
    const Settings before = defaults();
    QByteArray bytes = DefaultFile();
    bytes[39] = 12; // slot 0 column 12: off the grid
    Settings read;
    read.glColor[SlotText] = 777;
    read.gnTwipsX = 12; // run-time values are not the file's business
    DecodeSettings(bytes, read);
    EXPECT_EQ(read.gnColorCol[SlotText], 12);
    EXPECT_EQ(read.glColor[SlotText], 777);
    EXPECT_EQ(read.glColor[SlotShadow], 16777136);
    EXPECT_EQ(read.gnTwipsX, 12);
    ExpectSameStored(gSettings, before);
}

TEST_F(SettingsTest, FontSizeIsWrittenAsTheNearestWholeNumber)
{
    struct Row
    {
        const char *text;
        int16_t written;
        const char *readBack;
    };
    const Row rows[] = {
        {"36", 36, "36"},        {" 36", 36, "36"},
        {"10.5", 10, "10"},      {"11.5", 12, "12"},
        {"-5", -5, "-5"},        {"abc", 0, "0"},
        {"1e9", 32767, "32767"}, {"-99999", -32768, "-32768"},
        {"12pt", 12, "12"},
    };
    for (const Row &row : rows) {
        Settings s = defaults();
        s.gsFontSize = QLatin1String(row.text);
        const QByteArray bytes = EncodeSettings(s).bytes;
        ASSERT_EQ(bytes.size(), 85);
        const auto low = static_cast<uint8_t>(bytes[23]), high = static_cast<uint8_t>(bytes[24]);
        EXPECT_EQ(static_cast<int16_t>(low | (high << 8)), row.written) << row.text;
        Settings read;
        const DecodeResult result = DecodeSettings(bytes, read);
        EXPECT_EQ(read.gsFontSize, QLatin1String(row.readBack)) << row.text;
        EXPECT_EQ(result.ok, row.written > 0) << row.text;
    }
}

TEST_F(SettingsTest, FontThatCannotBeAppliedFailsButTheStandbyKeyHolds)
{
    struct Row
    {
        const char *name;
        int offset; // a byte to change in the default file
        char value;
    };
    const Row rows[] = {
        {"size 0", 23, 0x00},
        {"size negative", 24, char(0x80)},
    };
    for (const Row &row : rows) {
        QByteArray bytes = DefaultFile();
        bytes[row.offset] = row.value;
        bytes[83] = 2; // F12
        Settings read;
        const DecodeResult result = DecodeSettings(bytes, read);
        EXPECT_FALSE(result.ok) << row.name;
        EXPECT_TRUE(result.standbyKeyRead) << row.name;
        EXPECT_FALSE(result.problem.isEmpty()) << row.name;
        EXPECT_EQ(read.gnStandbyKey, 2) << row.name;
    }

    Settings noFace = defaults();
    noFace.gsFontName.clear();
    noFace.gnStandbyKey = 1;
    Settings read;
    const DecodeResult result = DecodeSettings(EncodeSettings(noFace).bytes, read);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.standbyKeyRead);
    EXPECT_EQ(read.gnStandbyKey, 1);
}

TEST_F(SettingsTest, BytesAfterTheStandbyKeyAreIgnored)
{
    const Settings factory = defaults();
    QByteArray bytes = DefaultFile();
    bytes.append(QByteArray::fromHex("FFFF0700") + QByteArray(300, 'x'));
    Settings read;
    const DecodeResult result = DecodeSettings(bytes, read);
    EXPECT_TRUE(result.ok);
    ExpectSameStored(read, factory);
}

// Every prefix of the default file: missing bytes read as zeros, so only a string whose bytes
// are cut off breaks the file, and otherwise the font decides.
TEST_F(SettingsTest, FileEndingPartWay)
{
    const std::set<int> stringCutOff = {9,  10, 11, 12, 13, 14, 15, // "Hello!"
                                        17, 18, 19, 20, 21, 22, // "Arial"
                                        66, 67, 71, 72, 76, 77, 81, 82}; // the four letters
    const std::set<int> noUsableFont = {0, 1, 2, 3, 4, 5, 6, 7, 8, 16, 23};
    const QByteArray file = DefaultFile();
    for (int length = 0; length < file.size(); ++length) {
        Settings read = defaults();
        read.gnStandbyKey = 2;
        const DecodeResult result = DecodeSettings(file.left(length), read);
        if (stringCutOff.count(length)) {
            EXPECT_FALSE(result.ok) << length;
            EXPECT_FALSE(result.standbyKeyRead) << length;
            EXPECT_FALSE(result.problem.isEmpty()) << length;
            EXPECT_EQ(read.gnStandbyKey, 2) << length;
        } else {
            EXPECT_EQ(result.ok, !noUsableFont.count(length)) << length;
            EXPECT_TRUE(result.standbyKeyRead) << length;
            EXPECT_EQ(read.gnStandbyKey, 0) << length;
        }
    }

    // A file that stops after the margins still reads: the cells are there, the keys are not.
    Settings read;
    ASSERT_TRUE(DecodeSettings(file.left(63), read).ok);
    EXPECT_EQ(read.gsFontSize, QStringLiteral("36"));
    EXPECT_EQ(read.glColor[SlotShadow], 16777136);
    EXPECT_EQ(read.gsHotKeyLetter, (std::array<QString, 4> {}));
    // One byte of the font size: the missing high byte is 0.
    ASSERT_TRUE(DecodeSettings(file.left(24), read).ok);
    EXPECT_EQ(read.gsFontSize, QStringLiteral("36"));
    EXPECT_EQ(read.gnLineWidth, 0);
}

TEST_F(SettingsTest, EmptyFileCannotBeUsed)
{
    Settings read = defaults();
    const DecodeResult result = DecodeSettings(QByteArray(), read);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.standbyKeyRead);
    EXPECT_TRUE(read.gsText.isEmpty());
    EXPECT_TRUE(read.gsFontName.isEmpty());
    EXPECT_EQ(read.gsFontSize, QStringLiteral("0"));
    EXPECT_EQ(read.glColor[SlotText], 0); // cell (0, 0) is black
}

TEST_F(SettingsTest, LengthBeyondTheDataIsBrokenNotOverRead)
{
    for (const QByteArray &lengthField : {QByteArray("\xFF\xFF"), QByteArray("\x00\x80", 2)}) {
        QByteArray bytes = QByteArray::fromHex("0000484300004843") + lengthField + "Hello!";
        Settings read;
        const DecodeResult result = DecodeSettings(bytes, read);
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.standbyKeyRead);
        EXPECT_FALSE(result.problem.isEmpty());
    }
}

TEST_F(SettingsTest, LengthsAbove32767AreUnsigned)
{
    Settings s = defaults();
    s.gsText = QString(40000, u'a');
    const EncodeResult written = EncodeSettings(s);
    EXPECT_FALSE(written.truncated);
    EXPECT_EQ(written.bytes.size(), 85 - 6 + 40000);
    Settings read;
    ASSERT_TRUE(DecodeSettings(written.bytes, read).ok);
    EXPECT_EQ(read.gsText, s.gsText);
}

TEST_F(SettingsTest, OverlongStringsAreCutAtACharacterBoundary)
{
    struct Row
    {
        QString unit;
        int repeat;
        qsizetype keptBytes;
        int bytesPerUnit;
    };
    const Row rows[] = {
        {QStringLiteral("a"), 70000, 65535, 1},
        {QStringLiteral("\u00FC"), 70000, 65535, 1}, // Windows-1252
        {QStringLiteral("\u0436"), 40000, 65534, 2}, // UTF-8 from here on
        {QStringLiteral("\u6F22"), 30000, 65535, 3},
        {QString::fromUtf16(u"\U0001F600"), 20000, 65532, 4}, // a surrogate pair
    };
    for (const Row &row : rows) {
        Settings s = defaults();
        s.gsText = row.unit.repeated(row.repeat);
        const EncodeResult written = EncodeSettings(s);
        EXPECT_TRUE(written.truncated);
        EXPECT_EQ(written.bytes.size(), 85 - 6 + row.keptBytes);
        Settings read;
        ASSERT_TRUE(DecodeSettings(written.bytes, read).ok);
        EXPECT_EQ(read.gsText, row.unit.repeated(row.keptBytes / row.bytesPerUnit));
    }
}

TEST_F(SettingsTest, RandomBytesNeverCrash)
{
    std::mt19937 rng(20240611);
    const QByteArray file = DefaultFile();
    for (int round = 0; round < 4000; ++round) {
        QByteArray bytes;
        if (round % 2 == 0) {
            bytes.resize(std::uniform_int_distribution<int>(0, 160)(rng));
            for (char &b : bytes)
                b = static_cast<char>(rng());
        } else {
            // A damaged default file gets much further through the groups.
            bytes = file.left(std::uniform_int_distribution<int>(0, 100)(rng));
            const int flips = std::uniform_int_distribution<int>(1, 4)(rng);
            for (int i = 0; i < flips && !bytes.isEmpty(); ++i)
                bytes[int(rng() % bytes.size())] = static_cast<char>(rng());
        }
        Settings read;
        const DecodeResult result = DecodeSettings(bytes, read);
        EXPECT_TRUE(!result.ok || result.standbyKeyRead);
        EXPECT_EQ(result.ok, result.problem.isEmpty());
        if (result.ok) {
            // What could be read is written back and read again unchanged.
            Settings again;
            ASSERT_TRUE(DecodeSettings(EncodeSettings(read).bytes, again).ok);
            ExpectSameStored(again, read);
        }
    }
}

// The settings file with `text` stored as these bytes.
QByteArray FileWithTextBytes(const QByteArray &text)
{
    QByteArray file = DefaultFile();
    const auto length = static_cast<uint16_t>(text.size());
    file.replace(8, 8, QByteArray(1, char(length & 0xFF)) + char(length >> 8) + text);
    return file;
}

TEST_F(SettingsTest, TextsThatFitWindows1252AreStoredInIt)
{
    const struct
    {
        QString text;
        QByteArray bytes;
    } rows[] = {
        {QStringLiteral("Gr\u00FC\u00DFe, caf\u00E9"),
         QByteArray("Gr\xFC\xDF"
                    "e, caf\xE9")},
        {QStringLiteral("\u20AC\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039"
                        "\u0152\u017D\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122"
                        "\u0161\u203A\u0153\u017E\u0178"),
         QByteArray("\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E\x91\x92\x93\x94\x95"
                    "\x96\x97\x98\x99\x9A\x9B\x9C\x9E\x9F")},
        {QStringLiteral("\u00A0\u00BF\u00C0\u00FF"), QByteArray("\xA0\xBF\xC0\xFF")},
        {QStringLiteral("plain"), QByteArray("plain")},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(ToCodePage(row.text).toHex(' '), row.bytes.toHex(' '));
        EXPECT_EQ(FromCodePage(row.bytes), row.text);
        Settings s = defaults();
        s.gsText = row.text;
        s.gsFontName = row.text; // every string goes the same way
        Settings read;
        const QByteArray file = EncodeSettings(s).bytes;
        EXPECT_EQ(file.size(), 70 + 2 * row.bytes.size() + 4);
        ASSERT_TRUE(DecodeSettings(file, read).ok);
        EXPECT_EQ(read.gsText, row.text);
        EXPECT_EQ(read.gsFontName, row.text);
    }
}

TEST_F(SettingsTest, EveryByteReadsAsACharacterAndIsWrittenBackAsItWas)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b) {
        const QByteArray one(1, static_cast<char>(b));
        const QString read = FromCodePage(one);
        ASSERT_EQ(read.size(), 1) << b;
        EXPECT_NE(read.at(0), QChar::ReplacementCharacter) << b;
        EXPECT_EQ(ToCodePage(read), one) << b;
        all.append(one);
    }
    // The five bytes Windows-1252 leaves undefined.
    for (const char b : {'\x81', '\x8D', '\x8F', '\x90', '\x9D'})
        EXPECT_EQ(FromCodePage(QByteArray(1, b)).at(0).unicode(), static_cast<uint8_t>(b));
    EXPECT_EQ(ToCodePage(FromCodePage(all)), all);
}

TEST_F(SettingsTest, TextsBeyondWindows1252AreStoredInUtf8AndNothingIsLost)
{
    const QString rows[] = {
        QStringLiteral("\u041F\u0440\u0438\u0432\u0435\u0442, \u043C\u0438\u0440"), // Cyrillic
        QString::fromUtf16(u"ok \U0001F600\U0001F44D"), // emoji, beyond the 16-bit plane
        QStringLiteral("caf\u00E9 \u0436"), // one letter outside makes the whole text UTF-8
        QStringLiteral("\u6F22\u5B57 \u304B\u306A"),
        QStringLiteral("\u00C3\u00A9"), // fits Windows-1252, but those bytes are UTF-8's "é"
    };
    for (const QString &text : rows) {
        EXPECT_EQ(ToCodePage(text), text.toUtf8());
        Settings s = defaults();
        s.gsText = text;
        s.gsHotKeyLetter[2] = text;
        Settings read;
        ASSERT_TRUE(DecodeSettings(EncodeSettings(s).bytes, read).ok);
        EXPECT_EQ(read.gsText, text);
        EXPECT_EQ(read.gsHotKeyLetter[2], text);
    }
}

TEST_F(SettingsTest, FilesReadAndWrittenAgainAreByteForByteTheSame)
{
    const QByteArray texts[] = {
        QByteArray("Gr\xFC\xDF"
                   "e, caf\xE9"), // Windows-1252
        QByteArray("\xD0\x9F\xD1\x80\xD0\xB8"), // Cyrillic in UTF-8
        QByteArray("\xF0\x9F\x98\x80!"), // an emoji in UTF-8
        QByteArray("one\ntwo\rthree\r\n"), // lone line feed and carriage return
        QByteArray("\xEF\xBB\xBFHello"), // a leading byte-order mark
        QByteArray("\xEF\xBB\xBF"), // nothing but one
        QByteArray("\xC3\xA9\xFF"), // UTF-8's "é", then a byte UTF-8 never has: Windows-1252
        QByteArray("\xED\xA0\x80"), // a surrogate in UTF-8 form is not UTF-8
        QByteArray("\xC0\xAF"), // nor an overlong form
        QByteArray("\x81\x8D\x8F\x90\x9D"),
    };
    for (const QByteArray &text : texts) {
        const QByteArray file = FileWithTextBytes(text);
        Settings read;
        ASSERT_TRUE(DecodeSettings(file, read).ok) << text.toHex().constData();
        EXPECT_EQ(EncodeSettings(read).bytes.toHex(' '), file.toHex(' '))
            << text.toHex().constData();
    }
    // Which way each was read.
    Settings read;
    ASSERT_TRUE(DecodeSettings(FileWithTextBytes("\xEF\xBB\xBFHi"), read).ok);
    EXPECT_EQ(read.gsText, QStringLiteral("\uFEFFHi"));
    ASSERT_TRUE(DecodeSettings(FileWithTextBytes("\xC3\xA9\xFF"), read).ok);
    EXPECT_EQ(read.gsText, QStringLiteral("\u00C3\u00A9\u00FF"));
    // A file an older version wrote in UTF-8 reads as what it says, and is written in
    // Windows-1252 from then on.
    ASSERT_TRUE(DecodeSettings(FileWithTextBytes("caf\xC3\xA9"), read).ok);
    EXPECT_EQ(read.gsText, QStringLiteral("caf\u00E9"));
    EXPECT_EQ(EncodeSettings(read).bytes, FileWithTextBytes("caf\xE9"));
}

TEST_F(SettingsTest, AnUnpairedSurrogateBecomesASubstitute)
{
    QString text = QStringLiteral("a");
    text.append(QChar(0xD800)); // a high surrogate with no partner
    text.append(u'b');
    const QString back = FromCodePage(ToCodePage(text));
    ASSERT_EQ(back.size(), 3);
    EXPECT_EQ(back.at(0), u'a');
    EXPECT_FALSE(back.at(1).isSurrogate());
    EXPECT_EQ(back.at(2), u'b');
    // The substitute is stable: written again it reads back the same.
    EXPECT_EQ(FromCodePage(ToCodePage(back)), back);
}

} // namespace
