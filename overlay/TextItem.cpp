#include "TextItem.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QWidget>

#include <cmath>

namespace TextLayout {

QStringList lines(const QString &caption)
{
    QStringList result;
    QString current;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar c = caption.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            result.append(current);
            current.clear();
            if (c == QLatin1Char('\r') && i + 1 < caption.size()
                && caption.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else {
            current.append(c);
        }
    }
    result.append(current);
    return result;
}

QFont labelFont(QFont font)
{
    font.setKerning(false);
    return font;
}

double lineWidth(const QFont &font, const QString &line)
{
    return QFontMetricsF(labelFont(font)).horizontalAdvance(line);
}

QSizeF measure(const QFont &font, const QString &caption)
{
    const QFont f = labelFont(font);
    const QFontMetricsF metrics(f);
    const QStringList all = lines(caption);
    double width = 0;
    for (const QString &line : all)
        width = std::max(width, metrics.horizontalAdvance(line));
    const double height = double(all.size() - 1) * metrics.lineSpacing() + metrics.height();
    return {width, height};
}

void draw(QPainter &painter, const QFont &font, QRgb colour, const QPointF &topLeft,
          const QString &caption)
{
    const QFont f = labelFont(font);
    const QFontMetricsF metrics(f);
    painter.setFont(f);
    painter.setPen(QColor::fromRgb(colour));
    double baseline = topLeft.y() + metrics.ascent();
    for (const QString &line : lines(caption)) {
        if (!line.isEmpty())
            painter.drawText(QPointF(topLeft.x(), baseline), line);
        baseline += metrics.lineSpacing();
    }
}

} // namespace TextLayout

TextItem::TextItem(QWidget *host)
    : m_host(host)
{
    resize();
}

void TextItem::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    const QRect before = paintBounds();
    m_caption = caption;
    resize();
    repaint(before | paintBounds());
}

void TextItem::setFont(const QFont &font)
{
    const QRect before = paintBounds();
    m_font = font;
    resize();
    repaint(before | paintBounds());
}

void TextItem::setForeColor(QRgb colour)
{
    if (colour == m_foreColor)
        return;
    m_foreColor = colour;
    repaint(paintBounds());
}

void TextItem::move(double left, double top)
{
    if (left == m_left && top == m_top)
        return;
    const QRect before = paintBounds();
    m_left = left;
    m_top = top;
    repaint(before | paintBounds());
}

void TextItem::setWidth(double width)
{
    const QRect before = paintBounds();
    m_width = width;
    repaint(before | paintBounds());
}

void TextItem::setVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    if (m_host && !paintBounds().isEmpty())
        m_host->update(paintBounds());
}

bool TextItem::contains(const QPointF &point) const
{
    return m_visible && rect().contains(point);
}

QRect TextItem::paintBounds() const
{
    if (m_caption.isEmpty())
        return {};
    // Italic and bold glyphs may reach past their advance, and antialiasing a pixel beyond.
    const double slack = std::ceil(QFontMetricsF(TextLayout::labelFont(m_font)).height() / 3) + 2;
    return QRectF(m_left - slack, m_top - 2, m_width + 2 * slack, m_height + 4).toAlignedRect();
}

void TextItem::paint(QPainter &painter) const
{
    if (!m_visible || m_caption.isEmpty())
        return;
    TextLayout::draw(painter, m_font, m_foreColor, {m_left, m_top}, m_caption);
}

void TextItem::resize()
{
    const QSizeF size = TextLayout::measure(m_font, m_caption);
    m_width = size.width();
    m_height = size.height();
}

void TextItem::repaint(const QRect &area) const
{
    if (m_host && m_visible && !area.isEmpty())
        m_host->update(area);
}
