#include "PalettePictures.h"

#include <QPainter>
#include <QPolygon>

namespace {
constexpr QRgb Face = qRgb(189, 189, 189);
constexpr QRgb DarkGrey = qRgb(123, 123, 123);
constexpr QRgb Black = qRgb(0, 0, 0);
constexpr QRgb White = qRgb(255, 255, 255);

// One ring of a button's edge at `inset` from the picture's border: `topLeft` along the top row
// and the left column, `bottomRight` along the bottom row and the right column. The bottom and
// right lines run the full length of the ring, so the top right and bottom left corners take the
// bottom right colour, as a button's edges are drawn.
void Ring(QImage &image, int inset, QRgb topLeft, QRgb bottomRight)
{
    const int first = inset;
    const int last = image.width() - 1 - inset;
    for (int i = first; i < last; ++i) {
        image.setPixel(i, first, topLeft);
        image.setPixel(first, i, topLeft);
    }
    for (int i = first; i <= last; ++i) {
        image.setPixel(i, last, bottomRight);
        image.setPixel(last, i, bottomRight);
    }
}
} // namespace

QImage CloseButtonPicture(bool pressed)
{
    QImage picture(12, 12, QImage::Format_RGB32);
    picture.fill(Face);
    Ring(picture, 0, DarkGrey, Black);
    if (pressed)
        Ring(picture, 1, Face, White);
    else
        Ring(picture, 1, White, DarkGrey);
    // The cross: the two diagonals of the 6 x 6 square at (3, 3).
    for (int i = 0; i < 6; ++i) {
        picture.setPixel(3 + i, 3 + i, Black);
        picture.setPixel(8 - i, 3 + i, Black);
    }
    return picture;
}

QPoint EyedropperHotSpot()
{
    return {15, 16};
}

QImage EyedropperPicture()
{
    QImage picture(32, 32, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(Qt::black, 1));
        // The barrel, lying diagonally from the tip beside the centre up to the right.
        painter.setBrush(Qt::white);
        painter.drawPolygon(QPolygon(
            {QPoint(16, 15), QPoint(24, 7), QPoint(26, 9), QPoint(18, 17), QPoint(16, 17)}));
        // The collar and the rubber bulb at the upper right end, in black.
        painter.setBrush(Qt::black);
        painter.drawPolygon(
            QPolygon({QPoint(22, 7), QPoint(25, 4), QPoint(29, 8), QPoint(26, 11)}));
        painter.drawEllipse(QRect(25, 1, 5, 5));
    }
    // The tip.
    const QPoint tip = EyedropperHotSpot();
    picture.setPixel(tip, qRgb(255, 0, 0));
    return picture;
}
