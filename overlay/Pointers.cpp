#include "Pointers.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QCursor PenPointer()
{
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::white);
        // The barrel, from the tip at (15, 16) up and to the right.
        QPainterPath barrel;
        barrel.moveTo(15, 16);
        barrel.lineTo(17, 11);
        barrel.lineTo(27, 1);
        barrel.lineTo(30, 4);
        barrel.lineTo(20, 14);
        barrel.closeSubpath();
        painter.drawPath(barrel);
        // The nib's edge.
        painter.drawLine(17, 11, 20, 14);
    }
    return QCursor(picture, 15, 16);
}
