#include "ImageControl.h"

#include <QPainter>

ImageControl::ImageControl(QWidget *parent)
    : ClickableControl(parent)
{
}

void ImageControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_picture);
}
