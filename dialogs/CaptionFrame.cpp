#include "CaptionFrame.h"

#include <QPainter>

CaptionFrame::CaptionFrame(QWidget *parent, const QString &caption)
    : QWidget(parent)
    , m_caption(caption)
{
}

void CaptionFrame::setCaption(const QString &caption)
{
    m_caption = caption;
    update();
}

void CaptionFrame::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QFontMetrics metrics(font());
    // The edge runs through the middle of the caption's line.
    const int top = m_caption.isEmpty() ? 0 : metrics.height() / 2;
    const QRect edge(0, top, width() - 1, height() - 1 - top);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(edge.adjusted(0, 0, -1, -1));
    p.setPen(palette().color(QPalette::Light));
    p.drawRect(edge.adjusted(1, 1, 0, 0));
    if (m_caption.isEmpty())
        return;
    const QRect text(8, 0, metrics.horizontalAdvance(m_caption) + 4, metrics.height());
    p.fillRect(text, palette().color(QPalette::Window));
    p.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    p.drawText(text, Qt::AlignCenter | Qt::TextSingleLine, m_caption);
}
