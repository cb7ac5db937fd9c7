#include "TextItem.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <memory>

namespace TextLayout {

namespace {
// Each version of a line being typed is a new entry; they are all forgotten now and then rather
// than let a long session's versions pile up.
constexpr qsizetype MaxRememberedCharacters = 1 << 20;

void drawLine(QPainter &painter, double left, double baseline, const QString &line)
{
    if (!line.isEmpty())
        painter.drawText(QPointF(left, baseline), line);
}

} // namespace

// Typing changes one line at a time, so nearly every line a label is given has been measured
// before, by this label or by another one with the same font.
LineWidths::LineWidths(const QFont &labelFont)
    : m_metrics(labelFont)
    , m_ascent(m_metrics.ascent())
    , m_lineHeight(m_metrics.height())
    , m_lineSpacing(m_metrics.lineSpacing())
{
}

double LineWidths::width(const QString &line)
{
    if (line.isEmpty())
        return 0;
    const auto found = m_widths.constFind(line);
    if (found != m_widths.constEnd())
        return *found;
    if (m_characters > MaxRememberedCharacters) {
        m_widths.clear();
        m_characters = 0;
    }
    const double width = m_metrics.horizontalAdvance(line);
    m_widths.insert(line, width);
    m_characters += line.size();
    return width;
}

std::shared_ptr<LineWidths> lineWidthsFor(const QFont &font)
{
    static QHash<QString, std::weak_ptr<LineWidths>> inUse;
    const QFont label = labelFont(font);
    const QString key = label.key();
    std::shared_ptr<LineWidths> widths = inUse.value(key).lock();
    if (!widths) {
        widths = std::make_shared<LineWidths>(label);
        inUse.insert(key, widths);
    }
    return widths;
}

QStringList lines(const QString &caption)
{
    QStringList result;
    qsizetype start = 0;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar c = caption.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            result.append(caption.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < caption.size()
                && caption.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    result.append(caption.mid(start));
    return result;
}

QFont labelFont(QFont font)
{
    font.setKerning(false);
    // Without shaping, where the script needs none, glyphs stand at their own advances: no
    // ligature joins "fi" into a glyph a caret could not stand inside of.
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
    return font;
}

double lineWidth(const QFont &font, const QString &line)
{
    return lineWidthsFor(font)->width(line);
}

QSizeF measure(const QFont &font, const QString &caption)
{
    const std::shared_ptr<LineWidths> widths = lineWidthsFor(font);
    const QStringList all = lines(caption);
    double width = 0;
    for (const QString &line : all)
        width = std::max(width, widths->width(line));
    return {width, double(all.size() - 1) * widths->lineSpacing() + widths->lineHeight()};
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
        drawLine(painter, topLeft.x(), baseline, line);
        baseline += metrics.lineSpacing();
    }
}

} // namespace TextLayout

TextItem::TextItem(LabelHost *host)
    : m_host(host)
{
    setFont(m_font);
}

void TextItem::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    const QStringList before = m_lines;
    const double widthBefore = m_width;
    m_caption = caption;
    resize();
    if (!m_host || !m_visible)
        return;

    // Lines that are the same and stay where they were need no repaint: those before the first
    // change, and, when the number of lines is the same, those after the last.
    const qsizetype oldCount = before.size(), newCount = m_lines.size();
    qsizetype first = 0;
    while (first < oldCount && first < newCount && before.at(first) == m_lines.at(first))
        ++first;
    qsizetype end = std::max(oldCount, newCount);
    if (oldCount == newCount) {
        while (end > first && before.at(end - 1) == m_lines.at(end - 1))
            --end;
    }
    repaint(rowBounds(first, end, std::max(widthBefore, m_width)));
}

void TextItem::setFont(const QFont &font)
{
    const QRect before = paintBounds();
    m_font = font;
    m_widths = TextLayout::lineWidthsFor(m_font);
    m_ascent = m_widths->ascent();
    m_lineHeight = m_widths->lineHeight();
    m_lineSpacing = m_widths->lineSpacing();
    // Italic and bold glyphs may reach past their advance, marks above and below a line past its
    // ascent and descent, and antialiasing a pixel beyond.
    m_slackX = std::ceil(m_lineHeight / 3) + 2;
    m_slackY = std::ceil(m_lineHeight / 6) + 2;
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
        m_host->repaintLabelArea(paintBounds());
}

bool TextItem::contains(const QPointF &point) const
{
    return m_visible && rect().contains(point);
}

QRect TextItem::rowBounds(qsizetype first, qsizetype last, double width) const
{
    if (m_caption.isEmpty() && width <= 0)
        return {};
    if (last <= first)
        return {};
    const double top = m_top + double(first) * m_lineSpacing;
    const double bottom = m_top + double(last - 1) * m_lineSpacing + m_lineHeight;
    return QRectF(QPointF(m_left - m_slackX, top - m_slackY),
                  QPointF(m_left + width + m_slackX, bottom + m_slackY))
        .toAlignedRect();
}

QRect TextItem::paintBounds() const
{
    if (m_caption.isEmpty())
        return {};
    return rowBounds(0, m_lines.size(), m_width);
}

void TextItem::paint(QPainter &painter, const QRect &exposed) const
{
    if (!m_visible || m_caption.isEmpty())
        return;
    const QFont font = TextLayout::labelFont(m_font);
    painter.setFont(font);
    painter.setPen(QColor::fromRgb(m_foreColor));
    // Only the lines whose glyphs may reach into the exposed area are drawn.
    qsizetype first = 0, last = m_lines.size();
    if (!exposed.isEmpty() && m_lineSpacing > 0) {
        const auto row
            = [&](double y) { return qsizetype(std::floor((y - m_top) / m_lineSpacing)); };
        first = std::clamp<qsizetype>(row(exposed.top() - m_slackY - m_lineHeight), 0, last);
        last = std::clamp<qsizetype>(row(exposed.bottom() + m_slackY) + 1, first, last);
    }
    double baseline = m_top + m_ascent + double(first) * m_lineSpacing;
    for (qsizetype i = first; i < last; ++i) {
        const QString &line = m_lines.at(i);
        if (!line.isEmpty())
            painter.drawText(QPointF(m_left, baseline), line);
        baseline += m_lineSpacing;
    }
}

void TextItem::resize()
{
    m_lines = TextLayout::lines(m_caption);
    double width = 0;
    for (const QString &line : m_lines)
        width = std::max(width, m_widths->width(line));
    m_width = width;
    m_height = double(m_lines.size() - 1) * m_lineSpacing + m_lineHeight;
}

void TextItem::repaint(const QRect &area) const
{
    if (m_host && m_visible && !area.isEmpty())
        m_host->repaintLabelArea(area);
}
