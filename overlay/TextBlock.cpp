#include "TextBlock.h"

#include "OverlayForm.h"
#include "TextItem.h"
#include "app/Forms.h"
#include "app/MainForm.h"
#include "settings/Palette.h"
#include "settings/Settings.h"
#include "settings/Units.h"

#include <cmath>

double FontPointsFrom(double requested, double fallback)
{
    if (!std::isfinite(requested) || requested <= 0)
        return fallback;
    return std::clamp(requested, MinFontPoints, MaxFontPoints);
}

void ApplyFont(TextItem &control, int32_t colour, int16_t full)
{
    const Settings &s = gSettings;
    QFont font = control.font();
    font.setFamily(s.gsFontName);
    font.setPointSizeF(FontPointsFrom(units::ReadNumber(s.gsFontSize), font.pointSizeF()));
    font.setBold(s.gnFontStyle[0] != 0);
    font.setItalic(s.gnFontStyle[1] != 0);
    if (full == 1) {
        font.setUnderline(s.gnFontStyle[2] != 0);
        font.setStrikeOut(s.gnFontStyle[3] != 0);
    }
    control.setFont(font);
    control.setForeColor(PackedToRgb(colour));
}

void PlaceText()
{
    frmShow->lblShow.move(gSettings.gnTextX, gSettings.gnTextY);
}

void PlaceShadow()
{
    frmShow->lblShadow.move(gSettings.gnShadowGap + gSettings.gnTextX,
                            gSettings.gnShadowGap + gSettings.gnTextY);
}

void PlaceCursor()
{
    OverlayForm &overlay = *frmShow;
    MainForm &main = *frmMain;
    TextItem &caret = overlay.lblCursor;
    caret.setCaption(gSettings.gsCursorChar);
    const CaretPlace place = CaretPlaceFor(overlay.lblShow.left(), overlay.lblShow.top(),
                                           caret.width(), caret.height(),
                                           gSettings.gnCursorStyle, main.lblHorizontalPos.width(),
                                           main.lblVerticalPos.height());
    caret.move(place.left, place.top);
}
