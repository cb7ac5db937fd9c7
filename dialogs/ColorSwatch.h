#pragma once

#include "ClickableControl.h"
#include "ShownValue.h"

#include <QRgb>

// A picture box used as a colour swatch: a sunken 2-pixel border around its background colour.
// A left click (press and release on it) raises onClick.
class ColorSwatch : public ClickableControl
{
public:
    explicit ColorSwatch(QWidget *parent);

    QRgb backColor() const { return m_backColor; }
    void setBackColor(QRgb colour) { SetShownValue(*this, m_backColor, colour); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRgb m_backColor = qRgb(255, 255, 255);
};
