#include "ColorSwatch.h"

#include <QPainter>
#include <qdrawutil.h>

ColorSwatch::ColorSwatch(QWidget *parent)
    : ClickableControl(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ColorSwatch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QBrush fill {QColor::fromRgb(m_backColor)};
    qDrawWinPanel(&painter, rect(), palette(), /*sunken=*/true, &fill);
}
