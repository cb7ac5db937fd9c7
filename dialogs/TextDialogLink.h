#pragma once

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>

// What the palette window needs of the Text preferences dialog (frmFont), which opens it for the
// text, shadow and caret colours. The Text dialog fills this in while it is loaded and empties it
// when it unloads; the palette window only reads it, so the two dialogs need not know each other's
// classes.
struct TextDialogLink
{
    // frmFont's window: the palette window in colour mode stands against its right edge.
    QPointer<QWidget> window;
    // Shows the colour picked for slot 0, 1 or 2 (packed red + 256 green + 65536 blue) as the
    // background of that slot's swatch: picTextCol, picShadowCol or picCursorCol.
    std::function<void(int slot, int32_t colour)> setSwatchColor;
    // Unloads frmFont; its own closing unloads the palette window too.
    std::function<void()> unload;
};

TextDialogLink &textDialogLink();
