#include "TextBlock.h"

#include "OverlayForm.h"
#include "OverlayOwner.h"
#include "TextItem.h"
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

QFont SettingsFont(QFont base, bool full)
{
    const Settings &s = gSettings;
    base.setFamily(s.gsFontName);
    base.setPointSizeF(FontPointsFrom(units::ReadNumber(s.gsFontSize), base.pointSizeF()));
    base.setBold(s.gnFontStyle[0] != 0);
    base.setItalic(s.gnFontStyle[1] != 0);
    if (full) {
        base.setUnderline(s.gnFontStyle[2] != 0);
        base.setStrikeOut(s.gnFontStyle[3] != 0);
    }
    return base;
}

void ApplyFont(TextItem &control, int32_t colour, int16_t full)
{
    control.setFont(SettingsFont(control.font(), full == 1));
    control.setForeColor(PackedToRgb(colour));
}

void ApplyMeasuringFont()
{
    OverlayOwner &owner = OverlayOwner::get();
    ApplyFont(owner.horizontalMeasure(), 0, 1);
    ApplyFont(owner.verticalMeasure(), 0, 1);
}

void ApplyTextLook()
{
    const Settings &s = gSettings;
    OverlayForm &overlay = *frmShow;
    ApplyFont(overlay.lblShow, s.glColor[SlotText], 1);
    ApplyFont(overlay.lblShadow, s.glColor[SlotShadow], 1);
    ApplyFont(overlay.lblCursor, s.glColor[SlotCursor], 0);
    PlaceText();
    PlaceShadow();
    PlaceCursor();
}

void SetShadowCaption(const QString &text)
{
    frmShow->lblShadow.setCaption(gSettings.gnShadowGap == 0 ? QString() : text);
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
    OverlayOwner &owner = OverlayOwner::get();
    TextItem &caret = overlay.lblCursor;
    caret.setCaption(gSettings.gsCursorChar);
    const CaretPlace place
        = CaretPlaceFor(overlay.lblShow.left(), overlay.lblShow.top(), caret.width(),
                        caret.height(), gSettings.gnCursorStyle, owner.horizontalMeasure().width(),
                        owner.verticalMeasure().height());
    caret.move(place.left, place.top);
}
