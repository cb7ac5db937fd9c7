// The keyboard as the key handlers see it: virtual-key codes, the modifier mask, the hot-key
// matcher and the caret's line.
#include "core/HotKeys.h"
#include "core/TextEntry.h"
#include "core/VirtualKeys.h"

#include <gtest/gtest.h>

namespace {

TEST(VirtualKeys, LettersDigitsAndFunctionKeysHaveTheirCodes)
{
    // Qt names a letter key the same whatever the case.
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_A, Qt::NoModifier), 65);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_C, Qt::ShiftModifier | Qt::ControlModifier), 67);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Z, Qt::NoModifier), 90);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_0, Qt::NoModifier), 48);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_5, Qt::ControlModifier), 53);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_9, Qt::NoModifier), 57);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_F1, Qt::NoModifier), 112);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_F10, Qt::NoModifier), 121);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_F12, Qt::NoModifier), 123);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_F24, Qt::NoModifier), 135);
}

TEST(VirtualKeys, TheKeypadHasCodesOfItsOwn)
{
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_5, Qt::KeypadModifier), 101);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_0, Qt::KeypadModifier | Qt::ControlModifier), 96);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Asterisk, Qt::KeypadModifier), 106);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Minus, Qt::KeypadModifier), 109);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Enter, Qt::KeypadModifier), 13);
    // Without Num Lock the keypad moves the caret, as the keys it stands for.
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Home, Qt::KeypadModifier), 36);
}

TEST(VirtualKeys, EditingKeysAndShiftedSymbols)
{
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Backspace, Qt::NoModifier), 8);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Return, Qt::NoModifier), 13);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Left, Qt::NoModifier), 37);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Down, Qt::ShiftModifier), 40);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Delete, Qt::NoModifier), 46);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Control, Qt::ControlModifier), 17);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Space, Qt::NoModifier), 32);
    // Shift+5 is "%", Shift+0 ")": still the digit keys; "?" is the "/" key.
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Percent, Qt::ShiftModifier | Qt::ControlModifier), 53);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_ParenRight, Qt::ShiftModifier), 48);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Question, Qt::ShiftModifier), 0xBF);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Plus, Qt::ShiftModifier), 0xBB);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Eacute, Qt::NoModifier), 0);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_unknown, Qt::NoModifier), 0);
}

TEST(VirtualKeys, ModifierMaskIsShiftOneCtrlTwoAltFour)
{
    EXPECT_EQ(ShiftMaskFrom(Qt::NoModifier), 0);
    EXPECT_EQ(ShiftMaskFrom(Qt::ShiftModifier), 1);
    EXPECT_EQ(ShiftMaskFrom(Qt::ControlModifier), 2);
    EXPECT_EQ(ShiftMaskFrom(Qt::AltModifier), 4);
    EXPECT_EQ(ShiftMaskFrom(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier), 7);
    EXPECT_EQ(ShiftMaskFrom(Qt::ControlModifier | Qt::KeypadModifier | Qt::MetaModifier), 2);
}

// --- hot keys ----------------------------------------------------------------------------------

struct HotKeyCase
{
    const char *what;
    std::array<int16_t, 4> mods;
    std::array<QString, 4> letters;
    int keyCode;
    int shift;
    HotKeyRow expected;
};

const std::array<QString, 4> Defaults = {"C", "L", "R", "S"};

class HotKeyMatching : public ::testing::TestWithParam<HotKeyCase>
{
};

TEST_P(HotKeyMatching, FirstRowWithTheLetterDecides)
{
    const HotKeyCase &c = GetParam();
    EXPECT_EQ(MatchHotKey(c.keyCode, c.shift, c.mods, c.letters), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HotKeyMatching,
    ::testing::Values(
        HotKeyCase {"Ctrl+C", {0, 0, 0, 0}, Defaults, 'C', 2, HotKeyClear},
        HotKeyCase {"Ctrl+L", {0, 0, 0, 0}, Defaults, 'L', 2, HotKeyClearLines},
        HotKeyCase {"Ctrl+R", {0, 0, 0, 0}, Defaults, 'R', 2, HotKeyRestore},
        HotKeyCase {"Ctrl+S", {0, 0, 0, 0}, Defaults, 'S', 2, HotKeyStandby},
        HotKeyCase {"C alone", {0, 0, 0, 0}, Defaults, 'C', 0, NoHotKey},
        HotKeyCase {"Shift+C", {0, 0, 0, 0}, Defaults, 'C', 1, NoHotKey},
        HotKeyCase {"Ctrl+Shift+C on a Ctrl row", {0, 0, 0, 0}, Defaults, 'C', 3, NoHotKey},
        HotKeyCase {"Ctrl+Alt+C", {0, 0, 0, 0}, Defaults, 'C', 6, NoHotKey},
        HotKeyCase {"Ctrl+Shift+Alt+C on a Shift row", {1, 0, 0, 0}, Defaults, 'C', 7, NoHotKey},
        HotKeyCase {"Ctrl+Shift+C on a Shift row", {1, 0, 0, 0}, Defaults, 'C', 3, HotKeyClear},
        HotKeyCase {"Ctrl+C on a Shift row", {1, 0, 0, 0}, Defaults, 'C', 2, NoHotKey},
        HotKeyCase {
            "modifier values other than 1 mean Ctrl", {5, 0, 0, 0}, Defaults, 'C', 2, HotKeyClear},
        HotKeyCase {"a key of no row", {0, 0, 0, 0}, Defaults, 'A', 2, NoHotKey},
        HotKeyCase {
            "the first of two rows decides", {0, 0, 0, 1}, {"C", "L", "R", "L"}, 'L', 3, NoHotKey},
        HotKeyCase {"... also when it matches",
                    {0, 0, 0, 1},
                    {"C", "L", "R", "L"},
                    'L',
                    2,
                    HotKeyClearLines},
        HotKeyCase {"a digit row is the main keyboard's key",
                    {0, 0, 0, 0},
                    {"5", "L", "R", "S"},
                    53,
                    2,
                    HotKeyClear},
        HotKeyCase {"not the keypad's", {0, 0, 0, 0}, {"5", "L", "R", "S"}, 101, 2, NoHotKey},
        HotKeyCase {"only the first character counts",
                    {0, 0, 0, 0},
                    {"CX", "L", "R", "S"},
                    'C',
                    2,
                    HotKeyClear},
        HotKeyCase {"a lowercase letter is no key's code",
                    {0, 0, 0, 0},
                    {"c", "L", "R", "S"},
                    'C',
                    2,
                    NoHotKey},
        HotKeyCase {"an empty letter matches no key",
                    {0, 0, 0, 0},
                    {"", "L", "C", "S"},
                    'C',
                    2,
                    HotKeyRestore},
        HotKeyCase {
            "not even a key without a code", {0, 0, 0, 0}, {"", "", "", ""}, 0, 2, NoHotKey}));

// --- the caret's line --------------------------------------------------------------------------

TEST(GetLastLine, IsWhatFollowsTheLastCarriageReturn)
{
    EXPECT_EQ(GetLastLine(QString()), QString());
    EXPECT_EQ(GetLastLine(QStringLiteral("abc")), QStringLiteral("abc"));
    EXPECT_EQ(GetLastLine(QStringLiteral("  a b  ")), QStringLiteral("  a b  "));
    EXPECT_EQ(GetLastLine(QStringLiteral("ab\r\ncd")), QStringLiteral("\ncd"));
    EXPECT_EQ(GetLastLine(QStringLiteral("ab\r\ncd\r\n ef ")), QStringLiteral("\n ef "));
    // Right after a line break: only the line feed, which measures nothing.
    EXPECT_EQ(GetLastLine(QStringLiteral("ab\r\n")), QStringLiteral("\n"));
    EXPECT_EQ(GetLastLine(QStringLiteral("\r\n\r\n")), QStringLiteral("\n"));
    EXPECT_EQ(GetLastLine(QStringLiteral("a\rb")), QStringLiteral("b"));
    EXPECT_EQ(GetLastLine(QStringLiteral("x\r")), QString());
    // A lone line feed is no carriage return.
    EXPECT_EQ(GetLastLine(QStringLiteral("a\nb")), QStringLiteral("a\nb"));
}

} // namespace
