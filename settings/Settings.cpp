#include "Settings.h"

#include "Palette.h"

Settings gSettings;

void SetDefaults()
{
    Settings &s = gSettings;
    s.gnTextX = 200;
    s.gnTextY = 200;
    s.gsText = QStringLiteral("Hello!");
    s.gsFontName = QStringLiteral("Arial");
    s.gsFontSize = QStringLiteral("36");
    s.gnFontStyle = {1, 0, 0, 0}; // bold only
    s.gnShadowGap = 2;
    s.gnCursorStyle = 0;
    s.gnLineWidth = 12;
    s.gnColorCol = {6, 1, 2, 4};
    s.gnColorRow = {5, 13, 1, 1};
    for (int slot = SlotText; slot <= SlotLines; ++slot)
        DeriveSlotColor(slot);
    s.gnMarginLeft = 0;
    s.gnMarginRight = 0;
    s.gnMarginTop = 0;
    s.gnMarginBottom = 0;
    s.gnHotKeyMods = {0, 0, 0, 0};
    s.gsHotKeyLetter
        = {QStringLiteral("C"), QStringLiteral("L"), QStringLiteral("R"), QStringLiteral("S")};
    // gnStandbyKey is deliberately left alone: a key read from a damaged file stays in force.
}

void DeriveSlotColor(int slot)
{
    DeriveSlotColor(gSettings, slot);
}

void DeriveSlotColor(Settings &record, int slot)
{
    if (slot < SlotText || slot > SlotLines)
        return;
    const int column = record.gnColorCol[slot];
    const int row = record.gnColorRow[slot];
    // A cell off the grid (only a damaged file holds one) has no components: keep the colour.
    if (!IsCellInGrid(column, row))
        return;
    int red = 0, green = 0, blue = 0;
    GetCellRGB(column, row, red, green, blue);
    record.glColor[slot] = PackColor(red, green, blue);
}
