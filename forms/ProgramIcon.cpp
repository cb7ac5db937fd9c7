#include "ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace {
// The picture on a 32 x 32 grid; `p` may scale it.
void drawProgramIcon(QPainter &p)
{

    // The stand: a neck and a foot.
    p.fillRect(QRect(13, 24, 6, 3), QColor(112, 112, 112));
    p.fillRect(QRect(8, 27, 16, 3), QColor(150, 150, 150));
    p.fillRect(QRect(8, 29, 16, 1), QColor(80, 80, 80));

    // The case, lit from the top left, with a dark outline.
    p.fillRect(QRect(1, 2, 30, 23), QColor(64, 64, 64));
    p.fillRect(QRect(2, 3, 28, 21), QColor(192, 192, 192));
    p.fillRect(QRect(2, 3, 28, 1), QColor(232, 232, 232));
    p.fillRect(QRect(2, 3, 1, 21), QColor(232, 232, 232));

    // The screen, sunk into the case.
    p.fillRect(QRect(4, 5, 24, 17), QColor(96, 96, 96));
    p.fillRect(QRect(5, 6, 23, 16), QColor(0, 0, 168));

    // Yellow handwriting on it: a looped word and an underline.
    p.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(QColor(255, 255, 0), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    QPainterPath word;
    word.moveTo(7.5, 15.5);
    word.cubicTo(9, 9, 11, 8, 11, 11);
    word.cubicTo(11, 14, 9.5, 16, 12, 15);
    word.cubicTo(14, 13, 14.5, 11, 16, 12);
    word.cubicTo(17, 13.5, 15, 16, 17.5, 15.5);
    word.cubicTo(19.5, 14.5, 19.5, 9.5, 21, 10.5);
    word.cubicTo(22.5, 11.5, 20.5, 15.5, 22.5, 15.5);
    word.cubicTo(23.5, 15.5, 24.5, 14, 25.5, 13);
    p.drawPath(word);
    pen.setWidthF(1.2);
    p.setPen(pen);
    p.drawLine(QPointF(8, 18.5), QPointF(24, 18.5));
}

QImage drawnAt(int size)
{
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.scale(size / 32.0, size / 32.0);
    drawProgramIcon(p);
    p.end();
    return icon;
}
} // namespace

QImage ProgramIcon()
{
    return drawnAt(32);
}

QImage ProgramIconAt(int size)
{
    if (size == 32)
        return ProgramIcon();
    // Drawn on a whole multiple of the grid, every edge of the case and the screen falls on a
    // pixel boundary; other sizes are scaled down from the largest, smoothly.
    constexpr int Largest = 256;
    if (size > 0 && size % 32 == 0)
        return drawnAt(size);
    return drawnAt(Largest).scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
