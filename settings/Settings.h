#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

// The one settings record of the program. Every form reads and writes these fields directly;
// there are no accessors and no change notifications. Stored fields come first, in the order the
// settings file carries them; the run-time values derived from them and the program's flags follow.
struct Settings
{
    // --- stored in QUILLAN.DAT ---
    float gnTextX = 0; // left edge of the text block, overlay pixels
    float gnTextY = 0; // top edge of the text block, overlay pixels
    QString gsText;
    QString gsFontName;
    QString gsFontSize; // points, decimal text ("36", "10.5")
    std::array<int16_t, 4> gnFontStyle{}; // bold, italic, underline, strikethrough
    int16_t gnShadowGap = 0; // shadow offset right and down, pixels
    int16_t gnCursorStyle = 0; // 0 bar, 1 underscore
    int16_t gnLineWidth = 0; // pen width, pixels
    std::array<int16_t, 4> gnColorCol{}; // palette cell of each colour slot
    std::array<int16_t, 4> gnColorRow{};
    int16_t gnMarginLeft = 0;
    int16_t gnMarginRight = 0;
    int16_t gnMarginTop = 0;
    int16_t gnMarginBottom = 0;
    std::array<int16_t, 4> gnHotKeyMods{}; // 1 = Ctrl+Shift, anything else Ctrl
    std::array<QString, 4> gsHotKeyLetter;
    int16_t gnStandbyKey = 0; // 0 F10, 1 F11, 2 F12

    // --- derived at run time, never stored ---
    std::array<int32_t, 4> glColor{}; // red + 256 * green + 65536 * blue of each slot's cell
    int16_t gnColorSlot = 0; // the slot the palette window edits
    QString gsCursorChar; // "|" or "_"
    std::array<QString, 22> gsPalette; // the palette rows, see Palette.h
    int16_t gnTwipsX = 15; // twips per pixel
    int16_t gnTwipsY = 15;

    // --- run-time flags: True is -1, False 0 (gbLineMode and pnFontLoadFlag use 1 and 0) ---
    int16_t gbLineMode = 0;
    int16_t gbTextShown = 0;
    int16_t gbLinesShown = 0;
    int16_t gbDialogOpen = 0;
    int16_t pnFontLoadFlag = 0;

    // --- the screen's font names, read once per run by the Text preferences dialog ---
    int16_t pnFontCount = 0;
    QStringList psFontNames; // in the order the screen reports them
};

constexpr int16_t True = -1;
constexpr int16_t False = 0;

// The process-wide instance.
extern Settings gSettings;

// Colour slots, the index of gnColorCol, gnColorRow and glColor.
enum ColorSlot : int16_t { SlotText = 0, SlotShadow = 1, SlotCursor = 2, SlotLines = 3 };

// Fills every stored setting except gnStandbyKey with its factory value and derives glColor.
void SetDefaults();

// Recomputes glColor(slot) from the slot's cell. A cell outside the palette grid leaves the
// colour it had (the lookup yields no components).
void DeriveSlotColor(int slot);
// The same for a record other than the process-wide one.
void DeriveSlotColor(Settings &record, int slot);
