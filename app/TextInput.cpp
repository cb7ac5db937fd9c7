#include "TextInput.h"

#include "core/TextEntry.h"
#include "core/VirtualKeys.h"
#include "forms/Fonts.h"
#include "overlay/OverlayForm.h"
#include "overlay/TextBlock.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "settings/Units.h"

#include <QKeyEvent>

TextInput::TextInput(QWidget *form)
    : txtInput(new TextBox(form))
{
    txtInput->onChange = [this] { txtInput_Change(); };
    txtInput->onKeyDown = [this](QKeyEvent *event) {
        txtInput_KeyDown(keyCodeOf(*event), ShiftMaskFrom(event->modifiers()));
    };
    txtInput->onKeyUp = [this](QKeyEvent *event) {
        // A key held down repeats its press, and on X its release too; only the last release is
        // the key coming up.
        if (!event->isAutoRepeat())
            txtInput_KeyUp(keyCodeOf(*event), ShiftMaskFrom(event->modifiers()));
    };
    // Text an input method commits comes with no key release of its own to place the caret.
    txtInput->onInputMethodCommit = [this] { txtInput_KeyUp(0, 0); };

    for (TextItem *label : {&lblX, &lblY, &lblStart})
        label->setFont(ArialFont(9.75));
}

void TextInput::txtInput_Change()
{
    if (!inTextMode())
        txtInput->setText(psSavedText);
    frmShow->textBlock().setText(txtInput->text());
}

int TextInput::keyCodeOf(const QKeyEvent &event)
{
    const int native = platform::caps().keys->VirtualKeyFromNative(event.nativeScanCode(),
                                                                   event.nativeVirtualKey());
    return native != 0 ? native : VirtualKeyFromQt(event.key(), event.modifiers());
}

void TextInput::txtInput_KeyDown(int KeyCode, int Shift)
{
    // The caret keeps its blink phase while the key is down.
    TextBlock &text = frmShow->textBlock();
    text.tmrBlink.stop();
    // The hot keys run their commands whatever the items' state; the key goes on to the text box.
    const HotKeyRow row
        = MatchHotKey(KeyCode, Shift, gSettings.gnHotKeyMods, gSettings.gsHotKeyLetter);
    if (row == NoHotKey)
        return;
    runHotKey(row);
    // On standby the overlay that has the keyboard is hidden, so the key's release may go to
    // another window and txtInput_KeyUp never run for it; the blink it would restart starts here.
    if (row == HotKeyStandby)
        text.tmrBlink.start();
}

void TextInput::txtInput_KeyUp(int, int)
{
    TextBlock &text = frmShow->textBlock();
    plStartPos = int32_t(std::min<qsizetype>(txtInput->SelStart(), INT32_MAX));
    const QString before = txtInput->text().left(plStartPos);
    lblHorizontalPos.setCaption(GetLastLine(before));
    lblVerticalPos.setCaption(before);
    if (lblHorizontalPos.caption().isEmpty())
        lblHorizontalPos.setWidth(0);
    handCaretDown();
    lblX.setCaption(QStringLiteral("X = ") + units::PlainNumber(lblHorizontalPos.width()));
    lblY.setCaption(QStringLiteral("Y = ") + units::PlainNumber(lblHorizontalPos.height()));
    lblStart.setCaption(QStringLiteral("StartPos = ") + QString::number(plStartPos));
    text.lblCursor.setCaption(gSettings.gsCursorChar);
    text.tmrBlink.start();
}

void TextInput::applyMeasuringFont()
{
    ApplyFont(lblHorizontalPos, 0, 1);
    ApplyFont(lblVerticalPos, 0, 1);
}

void TextInput::handCaretDown()
{
    frmShow->textBlock().placeCaret(lblHorizontalPos.width(), lblVerticalPos.height());
}
