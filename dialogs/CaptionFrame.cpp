#include "CaptionFrame.h"

#include <QPainter>

CaptionFrame::CaptionFrame(QWidget *parent, const QString &caption, const FrameLook &look)
    : QWidget(parent)
    , m_caption(caption)
    , m_look(look)
{
}

void CaptionFrame::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QFontMetrics metrics(font());
    // The edge runs through the middle of the caption's line.
    const bool atTop = m_caption.isEmpty() && m_look.edgeRisesWithoutCaption;
    const int top = atTop ? 0 : metrics.height() / 2;
    const QRect edge(0, top, width() - 1, height() - 1 - top);
    const auto drawShadow = [&] {
        p.setPen(palette().color(m_look.shadow));
        p.drawRect(edge.adjusted(0, 0, -1, -1));
    };
    const auto drawLight = [&] {
        p.setPen(palette().color(QPalette::Light));
        p.drawRect(edge.adjusted(1, 1, 0, 0));
    };
    if (m_look.lightOverShadow) {
        drawShadow();
        drawLight();
    } else {
        drawLight();
        drawShadow();
    }
    if (m_caption.isEmpty())
        return;
    // The caption interrupts the top edge, with a blank's room on either side.
    const QRect text(m_look.captionLeft, 0, metrics.horizontalAdvance(m_caption) + 4,
                     metrics.height());
    p.fillRect(text, palette().color(QPalette::Window));
    const QPalette::ColorGroup group = m_look.captionFollowsActivation
        ? palette().currentColorGroup()
        : (isEnabled() ? QPalette::Active : QPalette::Disabled);
    p.setPen(palette().color(group, QPalette::WindowText));
    if (m_look.captionCentred)
        p.drawText(text, Qt::AlignCenter | Qt::TextSingleLine, m_caption);
    else
        p.drawText(text.translated(2, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   m_caption);
}
