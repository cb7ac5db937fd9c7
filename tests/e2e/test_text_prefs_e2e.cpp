// The Text preferences dialog on a real screen: opened from the menu, a new face, size and
// colour chosen with the keyboard and the palette window beside it, and OK drawing the text in
// them at once; Esc leaving everything as it was with the keyboard back on the overlay.
#include "E2eHarness.h"

#include "settings/Palette.h"
#include "settings/Settings.h"
#include "settings/SettingsCodec.h"

#include <gtest/gtest.h>

// Xlib last: its True and False macros would clash with the program's flags.
#include <X11/Xlib.h>

using namespace e2e;

namespace {

const QString DialogTitle = QStringLiteral(" Preferences - Text");
constexpr int PaletteWidth = 107;
// Where the text block stands (200, 200) and room for it at 48 points, its shadow and caret.
const QRect TextArea(150, 150, 520, 180);

XWindow textDialog()
{
    const std::vector<XWindow> found = windowsNamed(DialogTitle);
    return found.empty() ? 0 : found.front();
}

XWindow paletteWindow()
{
    for (XWindow w : windowsNamed(QStringLiteral("Vyn Quillane")))
        if (windowRect(w).width() == PaletteWidth)
            return w;
    return 0;
}

XWindow focusedWindow()
{
    ::Window focus = 0;
    int revert = 0;
    XGetInputFocus(display(), &focus, &revert);
    return focus;
}

// "&Preferences", then "&Text...", away from the text.
XWindow openTextDialog(Program &program)
{
    program.openMenu(700, 560);
    tapKey("p");
    settle();
    tapKey("t");
    XWindow dialog = 0;
    waitUntil([&] { return (dialog = textDialog()) != 0 && isMapped(dialog); });
    // Shown, painted and given the keyboard (a window manager gives it a moment later).
    waitUntil([&] { return focusedWindow() == dialog; });
    settle();
    return dialog;
}

// A click on a control of the dialog at its centre, given in the dialog's pixels (the controls'
// twips divided by 15).
void clickInDialog(XWindow dialog, QPoint centre)
{
    const QPoint at = windowRect(dialog).topLeft() + centre;
    click(at.x(), at.y());
    settle();
}

// Replaces the text of the focused combo box.
void replaceText(const QString &text)
{
    chord({"Control_L", "a"});
    settle();
    typeText(text);
    settle();
}

// The settings the dialog is to produce: Liberation Serif, 48 points, the blue cell (4, 1) for
// the text.
void newLook()
{
    gSettings.gsFontName = QStringLiteral("Liberation Serif");
    gSettings.gsFontSize = QStringLiteral("48");
    gSettings.gnColorCol[SlotText] = 4;
    gSettings.gnColorRow[SlotText] = 1;
}

constexpr QRgb Blue = 0xFF0000FF;
constexpr QRgb Green = 0xFF00FF00; // the caret's colour

// The smallest rectangle holding every pixel of exactly that colour.
QRect inkOf(const QImage &shot, QRgb colour)
{
    QRect ink;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (shot.pixel(x, y) == colour)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

bool caretSeen(const QImage &shot)
{
    return !inkOf(shot, Green).isEmpty();
}

// End: the caret goes after the last character once the key is up.
void putCaretAtTheEnd()
{
    settle();
    tapKey("End");
    settle();
}

class TextPreferences : public ::testing::Test
{
protected:
    void SetUp() override { paintDesktopPattern(); }
};

} // namespace

TEST_F(TextPreferences, OkDrawsTheTextInTheNewFaceSizeAndColourAtOnce)
{
    // What the text looks like when the program starts with the new look already stored.
    QImage expected;
    {
        Program program;
        program.writeSettings(Program::settingsBytes(newLook));
        ASSERT_TRUE(program.start()) << program.output().toStdString();
        putCaretAtTheEnd();
        ASSERT_TRUE(waitUntil([&] { return caretSeen(expected = screenshot(TextArea)); }, 3000));
        program.exitThroughMenu();
        ASSERT_TRUE(program.waitForExit());
    }

    Program program;
    program.writeSettings(Program::settingsBytes());
    ASSERT_TRUE(program.start()) << program.output().toStdString();
    putCaretAtTheEnd();
    const QImage before = screenshot(TextArea);
    ASSERT_NE(before, expected) << "the new look differs from the old one";

    const XWindow dialog = openTextDialog(program);
    ASSERT_NE(dialog, 0u) << "the dialog opens";
    const QRect place = windowRect(dialog);
    EXPECT_EQ(place.size(), QSize(383, 252));
    if (underWindowManager()) {
        EXPECT_TRUE(netWmState(dialog).contains(QStringLiteral("_NET_WM_STATE_ABOVE")));
    } else {
        // Centred: half the difference of the sizes.
        EXPECT_EQ(place.topLeft(), QPoint((1024 - 383) / 2, (768 - 252) / 2));
    }
    EXPECT_EQ(focusedWindow(), dialog) << "the dialog has the keyboard";

    // The face has the focus; the size is next in the tab order.
    replaceText(QStringLiteral("Liberation Serif"));
    tapKey("Tab");
    settle();
    replaceText(QStringLiteral("48"));

    // "Text" opens the palette window against the dialog's right edge.
    clickInDialog(dialog, {271 + 34 + 27, 4 + 21 + 10});
    XWindow palette = 0;
    ASSERT_TRUE(waitUntil([&] { return (palette = paletteWindow()) != 0 && isMapped(palette); }));
    const QRect palettePlace = windowRect(palette);
    if (!underWindowManager()) {
        EXPECT_EQ(palettePlace.topLeft(), QPoint(place.right() + 1, place.top()));
    } else {
        EXPECT_GE(palettePlace.left(), place.right() + 1);
    }
    // The blue cell (4, 1): the picture starts 3 + 2 pixels in and 3 + 15 + 2 down.
    const QPoint picture = palettePlace.topLeft() + QPoint(5, 20);
    click(picture.x() + 36, picture.y() + 9);
    settle();
    // Nothing reaches the overlay before OK (seen beside the dialog and its frame, where the text
    // starts; the caret blinks there).
    const QRect besideTheDialog(TextArea.left(), TextArea.top(),
                                place.left() - 10 - TextArea.left(),
                                place.top() - 30 - TextArea.top());
    EXPECT_TRUE(waitUntil(
        [&] {
            return screenshot(besideTheDialog)
                == before.copy(besideTheDialog.translated(-TextArea.topLeft()));
        },
        3000));

    clickInDialog(dialog, {185 + 28, 218 + 11}); // OK
    ASSERT_TRUE(waitUntil([] { return textDialog() == 0 && paletteWindow() == 0; }));
    // The caret blinks, so the picture matches the expected one at least every other second.
    QImage after;
    EXPECT_TRUE(waitUntil([&] { return (after = screenshot(TextArea)) == expected; }, 3000))
        << "the text is drawn in the new face, size and colour";
    // And the caret, in its own colour, still stands after the last character.
    const QRect text = inkOf(after, Blue);
    const QRect caret = inkOf(after, Green);
    ASSERT_FALSE(text.isEmpty());
    ASSERT_FALSE(caret.isEmpty());
    EXPECT_GE(caret.left(), text.right() - 4);
    EXPECT_LE(caret.left(), text.right() + 12);
    EXPECT_LT(caret.top(), text.bottom());
    EXPECT_TRUE(waitUntil([&] { return focusedWindow() == program.overlay(); }))
        << "the overlay has the keyboard again";
    if (underWindowManager()) {
        EXPECT_TRUE(waitUntil([&] {
            return netWmState(program.overlay()).contains(QStringLiteral("_NET_WM_STATE_ABOVE"));
        }));
    }

    program.exitThroughMenu();
    ASSERT_TRUE(program.waitForExit());
    EXPECT_EQ(program.readSettings(), Program::settingsBytes(newLook));
}

TEST_F(TextPreferences, EscLeavesTheFontAsItWasAndTypingGoesOnAtOnce)
{
    Program program;
    program.writeSettings(Program::settingsBytes());
    ASSERT_TRUE(program.start()) << program.output().toStdString();
    const QImage before = screenshot(TextArea);

    const XWindow dialog = openTextDialog(program);
    ASSERT_NE(dialog, 0u);
    replaceText(QStringLiteral("Liberation Mono"));
    tapKey("Escape");
    ASSERT_TRUE(waitUntil([] { return textDialog() == 0; }));
    EXPECT_TRUE(waitUntil([&] { return screenshot(TextArea) == before; }, 3000))
        << "the text looks as it did";

    // No click is needed: the keys reach the text.
    ASSERT_TRUE(waitUntil([&] { return focusedWindow() == program.overlay(); }));
    typeText(QStringLiteral("x"));
    settle();
    program.exitThroughMenu();
    ASSERT_TRUE(program.waitForExit());
    Settings saved;
    BuildPalette();
    ASSERT_TRUE(DecodeSettings(program.readSettings(), saved).ok);
    EXPECT_EQ(saved.gsFontName, QStringLiteral("Arial")) << "the face is as it was";
    EXPECT_EQ(saved.gsText.size(), 7);
    EXPECT_TRUE(saved.gsText.contains(QLatin1Char('x'))) << "the typed x is in the text";
}
