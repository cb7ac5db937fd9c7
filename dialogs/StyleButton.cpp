#include "StyleButton.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <qdrawutil.h>

StyleButton::StyleButton(const QImage &picture, QWidget *parent)
    : QAbstractButton(parent)
    , m_picture(picture)
{
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
}

void StyleButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const bool sunken = isChecked() || isDown();
    qDrawWinButton(&painter, rect(), palette(), sunken, &palette().brush(QPalette::Button));
    const QRect face = rect().adjusted(2, 2, -2, -2);
    if (isChecked() && !isDown()) {
        // A box that is on shows a face dithered with the light colour, as such buttons do.
        painter.fillRect(face, QBrush(palette().color(QPalette::Light), Qt::Dense4Pattern));
    }
    const int shift = sunken ? 1 : 0;
    const QPoint at((width() - m_picture.width()) / 2 + shift,
                    (height() - m_picture.height()) / 2 + shift);
    painter.drawImage(at, m_picture);
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}
