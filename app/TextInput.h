#pragma once

#include "TextBox.h"
#include "core/HotKeys.h"
#include "overlay/TextItem.h"

#include <QString>

#include <cstdint>

class QKeyEvent;
class QWidget;

// Text entry on the main form: the text box txtInput, which receives every key the user types,
// the overlay's text kept equal to it (frozen in line mode), the hot keys checked as keys go down,
// and the caret measured as they come up: the two measuring labels, in the text's font, give the
// width of the caret's line and the height of the text down to it, and those numbers go down to
// the overlay's text block.
class TextInput
{
    // What the widget tests look at (tests/gui/ProgramFixture.h).
    friend struct MainFormInternals;

public:
    TextBox *txtInput;
    TextItem lblVerticalPos;
    TextItem lblHorizontalPos;
    // Diagnostic read-outs of the last measurement, never shown.
    TextItem lblX;
    TextItem lblY;
    TextItem lblStart;

    void txtInput_Change();
    void txtInput_KeyDown(int KeyCode, int Shift);
    void txtInput_KeyUp(int KeyCode, int Shift);

protected:
    explicit TextInput(QWidget *form);
    virtual ~TextInput() = default;
    TextInput(const TextInput &) = delete;
    TextInput &operator=(const TextInput &) = delete;

    // Line mode begins: the text as it is now stays until text mode.
    void freezeText() { psSavedText = txtInput->text(); }
    // The measuring labels take the text's font.
    void applyMeasuringFont();
    // Hands the overlay's text block the caret's measures, as the measuring labels hold them.
    void handCaretDown();

    // Runs the command of a hot key's row, whatever the state of its menu item.
    virtual void runHotKey(HotKeyRow row) = 0;
    // Text mode (Enter Text checked); in line mode the text is frozen.
    virtual bool inTextMode() const = 0;

private:
    // The virtual-key code of a key event: the system's own where it has one, else the toolkit's.
    static int keyCodeOf(const QKeyEvent &event);

    QString psSavedText; // the text frozen when line mode began
    int32_t plStartPos = 0; // the caret's position at the last key release
};
