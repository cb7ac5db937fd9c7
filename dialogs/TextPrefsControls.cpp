#include "TextPrefsControls.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <qdrawutil.h>

// --- StyleButton -----------------------------------------------------------------------------

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

// --- ColorSwatch -----------------------------------------------------------------------------

ColorSwatch::ColorSwatch(QWidget *parent)
    : ClickableControl(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ColorSwatch::setBackColor(QRgb colour)
{
    if (m_backColor == colour)
        return;
    m_backColor = colour;
    update();
}

void ColorSwatch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QBrush fill {QColor::fromRgb(m_backColor)};
    qDrawWinPanel(&painter, rect(), palette(), /*sunken=*/true, &fill);
}

// --- FrameBox --------------------------------------------------------------------------------

FrameBox::FrameBox(const QString &title, QWidget *parent)
    : QWidget(parent)
    , m_title(title)
{
}

void FrameBox::setTitle(const QString &title)
{
    if (m_title == title)
        return;
    m_title = title;
    update();
}

void FrameBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int lineY = metrics.height() / 2;
    // The etched line: a shadow line with a light line one pixel below and to the right of it.
    const QRect outline(0, lineY, width() - 1, height() - lineY - 1);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(outline.translated(1, 1).adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(outline.adjusted(0, 0, -1, -1));
    if (m_title.isEmpty())
        return;
    // The caption interrupts the top line, with a blank's room on either side.
    constexpr int captionLeft = 6;
    const int captionWidth = metrics.horizontalAdvance(m_title) + 4;
    painter.fillRect(captionLeft, 0, captionWidth, metrics.height(), palette().window());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(captionLeft + 2, 0, captionWidth, metrics.height()),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_title);
}

// --- SampleBox -------------------------------------------------------------------------------

SampleBox::SampleBox(QWidget *parent)
    : QFrame(parent)
    , m_client(new QWidget(this))
{
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
}

void SampleBox::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    m_client->setGeometry(contentsRect());
}
