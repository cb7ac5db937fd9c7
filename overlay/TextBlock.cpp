#include "TextBlock.h"

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

TextBlock::TextBlock(LabelHost *surface)
    : lblShadow(surface)
    , lblShow(surface)
    , lblCursor(surface)
{
    tmrBlink.setInterval(500);
    QObject::connect(&tmrBlink, &QTimer::timeout, &tmrBlink, [this] { tmrBlink_Timer(); });
    tmrBlink.start();
}

void TextBlock::tmrBlink_Timer()
{
    ++nBlinkTick;
    if (nBlinkTick == 2) {
        lblCursor.setCaption(gSettings.gsCursorChar);
        nBlinkTick = 0;
    } else {
        lblCursor.setCaption(QString());
    }
}

void TextBlock::setText(const QString &text)
{
    lblShow.setCaption(text);
    lblShadow.setCaption(gSettings.gnShadowGap == 0 ? QString() : text);
}

void TextBlock::setShown(bool shown, bool caretToo)
{
    lblShow.setVisible(shown);
    lblShadow.setVisible(shown);
    setCaretShown(shown && caretToo);
}

void TextBlock::setCaretShown(bool shown)
{
    lblCursor.setVisible(shown);
    if (shown)
        tmrBlink.start();
    else
        tmrBlink.stop();
}

void TextBlock::moveTo(int16_t left, int16_t top)
{
    lblShow.move(left, top);
    placeShadow();
    placeCaret();
}

void TextBlock::placeCaret()
{
    lblCursor.setCaption(gSettings.gsCursorChar);
    const CaretPlace place
        = CaretPlaceFor(lblShow.left(), lblShow.top(), lblCursor.width(), lblCursor.height(),
                        gSettings.gnCursorStyle, m_measures.lineWidth, m_measures.heightToCaret);
    lblCursor.move(place.left, place.top);
}

void TextBlock::applyLook()
{
    const Settings &s = gSettings;
    ApplyFont(lblShow, s.glColor[SlotText], 1);
    ApplyFont(lblShadow, s.glColor[SlotShadow], 1);
    ApplyFont(lblCursor, s.glColor[SlotCursor], 0);
    lblShow.move(s.gnTextX, s.gnTextY);
    placeShadow();
    placeCaret();
}

void TextBlock::placeShadow()
{
    const Settings &s = gSettings;
    lblShadow.move(s.gnShadowGap + s.gnTextX, s.gnShadowGap + s.gnTextY);
}
