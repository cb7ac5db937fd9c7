// Typing onto the overlay: the mirror from txtInput to the labels, the caret after each key, the
// blink held while a key is down, the freeze in line mode, input methods and the hot keys.
#include "TextFixture.h"

#include "app/TextBox.h"
#include "overlay/TextBlock.h"
#include "settings/Units.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QTest>

namespace {

#define EXPECT_POINT_EQ(actual, expected)                                                          \
    do {                                                                                           \
        const QPointF a_ = (actual), e_ = (expected);                                              \
        EXPECT_DOUBLE_EQ(a_.x(), e_.x());                                                          \
        EXPECT_DOUBLE_EQ(a_.y(), e_.y());                                                          \
    } while (false)

TEST_F(TextTest, EveryKeyShowsAtOnceAndTheCaretFollowsAcrossLines)
{
    startWithText(QStringLiteral("Hello!"));
    key(Qt::Key_A, Qt::ControlModifier); // the text box's own Select All
    key(Qt::Key_Backspace);
    EXPECT_EQ(overlay().textBlock().lblShow.caption(), QString());
    // Empty: the caret stands at the text's top-left corner, on its first line.
    EXPECT_POINT_EQ(caretInsertion(), insertionAfter(QString()));
    EXPECT_EQ(main().lblHorizontalPos.width(), 0);

    type(QStringLiteral("ab"));
    EXPECT_EQ(overlay().textBlock().lblShow.caption(), QStringLiteral("ab"));
    EXPECT_EQ(overlay().textBlock().lblShadow.caption(), QStringLiteral("ab"));
    EXPECT_POINT_EQ(caretInsertion(), insertionAfter(QStringLiteral("ab")));

    key(Qt::Key_Return);
    // Right after the break: the left edge of the second line.
    EXPECT_EQ(main().lblHorizontalPos.caption(), QStringLiteral("\n"));
    EXPECT_EQ(main().lblHorizontalPos.width(), 0);
    EXPECT_DOUBLE_EQ(caretInsertion().x(), overlay().textBlock().lblShow.left());
    EXPECT_POINT_EQ(caretInsertion(), insertionAfter(QStringLiteral("ab\r\n")));

    type(QStringLiteral("c d "));
    EXPECT_EQ(main().txtInput->text(), QStringLiteral("ab\r\nc d "));
    EXPECT_EQ(overlay().textBlock().lblShow.caption(), QStringLiteral("ab\r\nc d "));
    EXPECT_EQ(MainFormInternals::plStartPos(main()), 8);
    EXPECT_EQ(main().lblHorizontalPos.caption(), QStringLiteral("\nc d "));
    EXPECT_EQ(main().lblVerticalPos.caption(), QStringLiteral("ab\r\nc d "));
    // The trailing blank counts.
    EXPECT_GT(main().lblHorizontalPos.width(),
              TextLayout::lineWidth(overlay().textBlock().lblShow.font(), QStringLiteral("c d")));
    EXPECT_POINT_EQ(caretInsertion(), insertionAfter(QStringLiteral("ab\r\nc d ")));
    EXPECT_EQ(main().lblStart.caption(), QStringLiteral("StartPos = 8"));
    EXPECT_EQ(main().lblX.caption(),
              QStringLiteral("X = ") + units::PlainNumber(main().lblHorizontalPos.width()));
    EXPECT_TRUE(overlay().textBlock().tmrBlink.isActive());
    EXPECT_EQ(overlay().textBlock().lblCursor.caption(), QStringLiteral("|"));
}

TEST_F(TextTest, EditingKeysMoveTheCaretWhenTheyComeUp)
{
    startWithText(QStringLiteral("abc\r\ndefg"));
    struct Step
    {
        Qt::Key key;
        qsizetype selStart;
        const char *text;
    };
    const Step steps[] = {
        {Qt::Key_Home, 5, "abc\r\ndefg"},  {Qt::Key_Up, 0, "abc\r\ndefg"},
        {Qt::Key_End, 3, "abc\r\ndefg"},   {Qt::Key_Right, 5, "abc\r\ndefg"},
        {Qt::Key_Right, 6, "abc\r\ndefg"}, {Qt::Key_Backspace, 5, "abc\r\nefg"},
        {Qt::Key_Backspace, 3, "abcefg"},  {Qt::Key_Delete, 3, "abcfg"},
        {Qt::Key_Left, 2, "abcfg"},        {Qt::Key_Return, 4, "ab\r\ncfg"},
        {Qt::Key_Right, 5, "ab\r\ncfg"},   {Qt::Key_End, 7, "ab\r\ncfg"},
        {Qt::Key_Up, 2, "ab\r\ncfg"},
    };
    for (const Step &step : steps) {
        key(step.key);
        const QString text = QString::fromLatin1(step.text);
        ASSERT_EQ(main().txtInput->text(), text) << QTest::toString(step.key);
        EXPECT_EQ(overlay().textBlock().lblShow.caption(), text);
        EXPECT_EQ(MainFormInternals::plStartPos(main()), step.selStart);
        EXPECT_POINT_EQ(caretInsertion(), insertionAfter(text.left(step.selStart)));
    }
}

TEST_F(TextTest, ASelectionPutsTheCaretAtItsStartWhicheverEndTheTextBoxCaretIsAt)
{
    startWithText(QStringLiteral("abcdef"));
    for (int i = 0; i < 3; ++i)
        key(Qt::Key_Left, Qt::ShiftModifier); // the text box's caret at 3, the selection 3..6
    EXPECT_EQ(MainFormInternals::plStartPos(main()), 3);
    EXPECT_POINT_EQ(caretInsertion(), insertionAfter(QStringLiteral("abc")));

    key(Qt::Key_Home);
    key(Qt::Key_Right);
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier); // the text box's caret at 3, the selection 1..3
    EXPECT_EQ(main().txtInput->textCursor().position(), 3);
    EXPECT_EQ(MainFormInternals::plStartPos(main()), 1);
    EXPECT_POINT_EQ(caretInsertion(), insertionAfter(QStringLiteral("a")));
}

TEST_F(TextTest, AHeldKeyKeepsTheCaretAndItsBlinkPhaseUntilItComesUp)
{
    startWithText(QString());
    OverlayForm &o = overlay();
    o.textBlock().tmrBlink_Timer(); // the dark half of a blink
    ASSERT_EQ(o.textBlock().lblCursor.caption(), QString());
    const QPointF before(o.textBlock().lblCursor.left(), o.textBlock().lblCursor.top());

    QTest::keyPress(&o, Qt::Key_X);
    EXPECT_FALSE(o.textBlock().tmrBlink.isActive());
    for (int repeat = 0; repeat < 3; ++repeat) {
        // The repeats a held key makes: on X each comes with a release, marked as a repeat.
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"), true);
        QCoreApplication::sendEvent(&o, &up);
        QKeyEvent down(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"), true);
        QCoreApplication::sendEvent(&o, &down);
        EXPECT_FALSE(o.textBlock().tmrBlink.isActive());
        EXPECT_EQ(o.textBlock().lblCursor.caption(), QString()) << "the caret stays in its phase";
        EXPECT_EQ(QPointF(o.textBlock().lblCursor.left(), o.textBlock().lblCursor.top()), before);
    }
    EXPECT_EQ(o.textBlock().lblShow.caption(), QStringLiteral("xxxx"))
        << "the text grows with each repeat";

    QTest::keyRelease(&o, Qt::Key_X);
    EXPECT_EQ(o.textBlock().lblCursor.caption(), QStringLiteral("|"));
    EXPECT_TRUE(o.textBlock().tmrBlink.isActive());
    EXPECT_POINT_EQ(caretInsertion(), insertionAfter(QStringLiteral("xxxx")));
}

TEST_F(TextTest, InLineModeTypedKeysNeverReachTheOverlay)
{
    startWithText(QStringLiteral("kept"));
    main().mnuModeLines_Click();
    for (const Qt::Key k : {Qt::Key_X, Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Space}) {
        key(k);
        EXPECT_EQ(main().txtInput->text(), QStringLiteral("kept"));
        EXPECT_EQ(overlay().textBlock().lblShow.caption(), QStringLiteral("kept"));
        EXPECT_EQ(overlay().textBlock().lblShadow.caption(), QStringLiteral("kept"));
    }
    // Back in text mode typing goes on.
    main().mnuModeTexts_Click();
    key(Qt::Key_End);
    type(QStringLiteral("!"));
    EXPECT_EQ(overlay().textBlock().lblShow.caption(), QStringLiteral("kept!"));
}

TEST_F(TextTest, WithoutAShadowOffsetTheShadowStaysEmpty)
{
    startWithText(QStringLiteral("x"));
    gSettings.gnShadowGap = 0;
    type(QStringLiteral("yz"));
    EXPECT_EQ(overlay().textBlock().lblShow.caption(), QStringLiteral("xyz"));
    EXPECT_EQ(overlay().textBlock().lblShadow.caption(), QString());
    // The offset back on takes effect with the next change of the text.
    gSettings.gnShadowGap = 3;
    EXPECT_EQ(overlay().textBlock().lblShadow.caption(), QString());
    type(QStringLiteral("!"));
    EXPECT_EQ(overlay().textBlock().lblShadow.caption(), QStringLiteral("xyz!"));
}

TEST_F(TextTest, InputMethodTextReachesTheTextAsKeysDo)
{
    startWithText(QStringLiteral("ab"));
    OverlayForm &o = overlay();
    // A compose sequence or dead key ends in a commit.
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("\u00e9"));
    QCoreApplication::sendEvent(&o, &composed);
    EXPECT_EQ(main().txtInput->text(), QStringLiteral("ab\u00e9"));
    EXPECT_EQ(o.textBlock().lblShow.caption(), QStringLiteral("ab\u00e9"));
    EXPECT_POINT_EQ(caretInsertion(), insertionAfter(QStringLiteral("ab\u00e9")));

    // An input method engine shows its composition first, then commits the chosen text.
    QInputMethodEvent preedit(QStringLiteral("ni"), {});
    QCoreApplication::sendEvent(&o, &preedit);
    EXPECT_EQ(main().txtInput->text(), QStringLiteral("ab\u00e9")) << "nothing committed yet";
    QInputMethodEvent commit(QString(), {});
    commit.setCommitString(QStringLiteral("\u4f60"));
    QCoreApplication::sendEvent(&o, &commit);
    EXPECT_EQ(o.textBlock().lblShow.caption(), QStringLiteral("ab\u00e9\u4f60"));
    EXPECT_EQ(MainFormInternals::plStartPos(main()), 4);
    EXPECT_POINT_EQ(caretInsertion(), insertionAfter(QStringLiteral("ab\u00e9\u4f60")));

    // The input method asks the overlay, which answers for the text box, and puts its window
    // at the caret.
    QInputMethodQueryEvent query(Qt::ImEnabled | Qt::ImCursorPosition | Qt::ImCursorRectangle);
    QCoreApplication::sendEvent(&o, &query);
    EXPECT_TRUE(query.value(Qt::ImEnabled).toBool());
    EXPECT_EQ(query.value(Qt::ImCursorPosition).toInt(),
              main().txtInput->inputMethodQuery(Qt::ImCursorPosition).toInt());
    EXPECT_EQ(query.value(Qt::ImCursorRectangle).toRect(),
              o.textBlock().lblCursor.rect().toAlignedRect());
}

// --- hot keys ----------------------------------------------------------------------------------

enum class State { TextMode, LineMode, TextCleared };

class HotKeyTest : public TextTest, public ::testing::WithParamInterface<State>
{
protected:
    void SetUp() override
    {
        TextTest::SetUp();
        startWithText(QStringLiteral("text"));
        if (GetParam() == State::LineMode)
            main().mnuModeLines_Click();
        if (GetParam() == State::TextCleared)
            main().mnuClear_Click();
    }
};

TEST_P(HotKeyTest, EachHotKeyRunsItsCommandWhateverTheItemsState)
{
    MainForm &m = main();
    OverlayForm &o = overlay();

    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(gSettings.gbTextShown, False);
    EXPECT_FALSE(o.textBlock().lblShow.isVisible());

    // Restore Text runs although its item may be disabled (and does run with the text shown).
    ASSERT_FALSE(m.mnuClearLines->isEnabled());
    key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(gSettings.gbTextShown, True);
    EXPECT_TRUE(o.textBlock().lblShow.isVisible());
    EXPECT_EQ(o.textBlock().lblCursor.isVisible(), GetParam() != State::LineMode);
    key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_FALSE(m.mnuRestore->isEnabled());

    // Clear Lines with its item disabled.
    o.picShow->beginStroke(QPointF(30, 30), QPen(Qt::blue, 9));
    ASSERT_NE(o.picShow->image(), OverlayInternals::formImage(o));
    key(Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(o.picShow->image(), OverlayInternals::formImage(o));

    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_GE(o.x(), QGuiApplication::primaryScreen()->geometry().width());
    EXPECT_TRUE(m.tmrCapKeyEvent.isActive());
    // Again while on standby: the move is repeated.
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_GE(o.x(), QGuiApplication::primaryScreen()->geometry().width());
}

TEST_P(HotKeyTest, OtherModifiersRunNothing)
{
    const int16_t shown = gSettings.gbTextShown;
    for (const Qt::KeyboardModifiers mods :
         {Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier),
          Qt::KeyboardModifiers(Qt::ControlModifier | Qt::AltModifier),
          Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier),
          Qt::KeyboardModifiers(Qt::AltModifier)}) {
        key(Qt::Key_C, mods);
        key(Qt::Key_S, mods);
    }
    EXPECT_EQ(gSettings.gbTextShown, shown);
    EXPECT_FALSE(main().tmrCapKeyEvent.isActive());
}

INSTANTIATE_TEST_SUITE_P(States, HotKeyTest,
                         ::testing::Values(State::TextMode, State::LineMode, State::TextCleared));

TEST_F(TextTest, AHotKeyStillReachesTheTextBox)
{
    startWithText(QStringLiteral("copy me"));
    key(Qt::Key_A, Qt::ControlModifier);
    QGuiApplication::clipboard()->clear();
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(gSettings.gbTextShown, False);
    // The text box copied its selection.
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("copy me"));
    // And its release placed the caret.
    EXPECT_EQ(MainFormInternals::plStartPos(main()), 0);
}

TEST_F(TextTest, HotKeysFollowTheirRows)
{
    startWithText(QStringLiteral("text"));
    gSettings.gnHotKeyMods = {1, 0, 0, 0};
    gSettings.gsHotKeyLetter
        = {QStringLiteral("C"), QStringLiteral("5"), QString(), QStringLiteral("S")};
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(gSettings.gbTextShown, True) << "row 0 asks for Shift";
    key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(gSettings.gbTextShown, False);

    // A digit row: the main keyboard's key, not the keypad's.
    gSettings.gbLinesShown = True;
    key(Qt::Key_5, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(gSettings.gbLinesShown, True);
    key(Qt::Key_5, Qt::ControlModifier);
    EXPECT_EQ(gSettings.gbLinesShown, False);

    // Row 2's letter is empty: no key runs Restore Text, and nothing fails.
    key(Qt::Key_R, Qt::ControlModifier);
    key(Qt::Key_Space, Qt::ControlModifier);
    key(Qt::Key_Shift, Qt::ControlModifier);
    EXPECT_EQ(gSettings.gbTextShown, False);
}

// --- the standby return ------------------------------------------------------------------------

TEST_F(TextTest, TheStandbyKeyBringsTheOverlayBackOnlyOnceHeldForATick)
{
    QByteArray bytes = DefaultSettingsBytes();
    bytes[55] = 40; // left margin
    bytes[59] = 20; // top margin
    bytes[83] = 1; // F11
    writeSettingsFile(bytes);
    startProgram();
    MainForm &m = main();
    key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(m.tmrCapKeyEvent.isActive());
    EXPECT_FALSE(overlay().isVisible()) << "nothing of it left on the screen";
    const QPoint away = overlay().pos();

    // F11 pressed since the last tick: not yet.
    keys->next[platform::VK_F11_Code] = std::int16_t(0x8001);
    m.tmrCapKeyEvent_Timer();
    EXPECT_EQ(overlay().pos(), away);
    // F10 is not the standby key.
    keys->next.clear();
    keys->next[platform::VK_F10_Code] = std::int16_t(0x8000);
    m.tmrCapKeyEvent_Timer();
    EXPECT_EQ(overlay().pos(), away);
    // F11 still down at the next tick.
    keys->next[platform::VK_F11_Code] = std::int16_t(0x8000);
    m.tmrCapKeyEvent_Timer();
    EXPECT_EQ(overlay().pos(), QPoint(40, 20));
    EXPECT_TRUE(overlay().isVisible());
    EXPECT_FALSE(m.tmrCapKeyEvent.isActive());
    EXPECT_EQ(overlay().size(),
              QGuiApplication::primaryScreen()->geometry().size() - QSize(40, 20));
}

TEST_F(TextTest, TheCaretBlinksOnAfterStandbyByTheHotKeyThoughItsReleaseWentElsewhere)
{
    startProgram();
    MainForm &m = main();
    // Under a window manager the release goes to the window that has the keyboard once the
    // overlay is hidden: only the press reaches the program.
    QTest::keyPress(&overlay(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(m.tmrCapKeyEvent.isActive());
    keys->next[platform::VK_F10_Code] = std::int16_t(0x8000);
    m.tmrCapKeyEvent_Timer();
    ASSERT_TRUE(overlay().isVisible());
    EXPECT_TRUE(overlay().textBlock().tmrBlink.isActive()) << "the caret blinks as before standby";
}

TEST_F(TextTest, ADamagedStandbyKeyIsF10RatherThanNoneAndMarginsNeverOverflow)
{
    QByteArray bytes = DefaultSettingsBytes();
    bytes[83] = 9; // no such key
    writeSettingsFile(bytes);
    startProgram();
    main().mnuHide_Click();
    // Margins changed meanwhile, to ones whose place in twips would overflow 16 bits.
    gSettings.gnMarginLeft = 3000;
    gSettings.gnMarginTop = 5;
    keys->next[platform::VK_F10_Code] = std::int16_t(0x8000);
    main().tmrCapKeyEvent_Timer();
    EXPECT_EQ(overlay().pos(), QPoint(0, 5));
    EXPECT_FALSE(main().tmrCapKeyEvent.isActive());
}

} // namespace

// A text given to the text box before it was ever shown (start-up, where the editor's own signals
// are held back) is announced once and held exactly as one given to a box on the screen: the same
// text, caret and undo state, and typing goes on from there alike.
TEST(TextBoxText, IsAnnouncedOnceAndHeldAlikeBeforeAndAfterTheBoxIsFirstShown)
{
    const QString text = QStringLiteral("Two\r\nlines");
    TextBox early, late;
    int earlyChanges = 0, lateChanges = 0;
    early.onChange = [&] { ++earlyChanges; };
    late.onChange = [&] { ++lateChanges; };
    early.setText(text);
    late.show();
    late.setText(text);

    EXPECT_EQ(earlyChanges, 1);
    EXPECT_EQ(lateChanges, 1);
    EXPECT_EQ(early.text(), text);
    EXPECT_EQ(early.SelStart(), late.SelStart());
    EXPECT_EQ(early.document()->isUndoAvailable(), late.document()->isUndoAvailable());
    early.setText(text);
    EXPECT_EQ(earlyChanges, 1) << "the same text again is no change";

    early.show();
    for (TextBox *box : {&early, &late}) {
        box->setSelStart(3);
        QTest::keyClick(box, Qt::Key_X);
    }
    EXPECT_EQ(early.text(), QStringLiteral("Twox\r\nlines"));
    EXPECT_EQ(early.text(), late.text());
    EXPECT_EQ(earlyChanges, 2);
    early.setText(QStringLiteral("Other"));
    EXPECT_EQ(earlyChanges, 3) << "once shown, a text set from code is announced as before";
}
