#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QRectF>
#include <QRgb>
#include <QString>
#include <QStringList>

#include <memory>

class QPainter;
class QRect;

// What a label drawn on a surface tells when an area of it must be repainted.
class LabelHost
{
public:
    virtual ~LabelHost() = default;
    virtual void repaintLabelArea(const QRect &area) = 0;
};

namespace TextLayout {
class LineWidths;
}

// A windowless, transparent label that sizes itself to its caption: the overlay's text, shadow and
// caret, and the main form's measuring labels. Measuring and drawing go through the same layout
// (TextLayout below), so a measuring label carrying the text font measures exactly what the
// overlay draws.
//
// A label drawn on a surface tells its host which area to repaint when it changes: for a new
// caption only the lines that changed, or moved, are repainted. A measuring label has no host.
class TextItem
{
public:
    explicit TextItem(LabelHost *host = nullptr);

    const QString &caption() const { return m_caption; }
    void setCaption(const QString &caption);

    const QFont &font() const { return m_font; }
    void setFont(const QFont &font);

    QRgb foreColor() const { return m_foreColor; }
    void setForeColor(QRgb colour);

    double left() const { return m_left; }
    double top() const { return m_top; }
    void move(double left, double top);

    // The size follows the caption and the font; setWidth overrides the width until either
    // changes again.
    double width() const { return m_width; }
    double height() const { return m_height; }
    void setWidth(double width);

    bool isVisible() const { return m_visible; }
    void setVisible(bool visible);

    QRectF rect() const { return {m_left, m_top, m_width, m_height}; }
    bool contains(const QPointF &point) const;

    // The area drawing may touch: the label's rectangle widened for overhanging glyphs.
    QRect paintBounds() const;

    // Draws the lines that reach into `exposed` (all of them when it is empty).
    void paint(QPainter &painter, const QRect &exposed = {}) const;

private:
    void resize();
    void repaint(const QRect &area) const;
    // The area lines [first, last) of a caption as wide as `width` may touch.
    QRect rowBounds(qsizetype first, qsizetype last, double width) const;

    LabelHost *m_host;
    QString m_caption;
    QStringList m_lines;
    QFont m_font;
    std::shared_ptr<TextLayout::LineWidths> m_widths;
    QRgb m_foreColor = 0xFF000000;
    double m_left = 0;
    double m_top = 0;
    double m_width = 0;
    double m_height = 0;
    bool m_visible = true;
    // Of the label font, kept so that neither painting nor repainting asks the font engine.
    double m_ascent = 0;
    double m_lineHeight = 0;
    double m_lineSpacing = 0;
    double m_slackX = 0;
    double m_slackY = 0;
};

// The one text layout of the program's labels: no word wrap; a carriage return + line feed is one
// line break, and so are a lone line feed and a lone carriage return; trailing blanks count in the
// width. Glyphs are placed one after the other at their own advances (no kerning, no ligatures)
// wherever the script allows it, so the width of a line's first n characters is where its
// character n+1 is drawn.
namespace TextLayout {
QStringList lines(const QString &caption);
QSizeF measure(const QFont &font, const QString &caption);
// The width of one line (no line breaks in it). Widths are remembered per font, so the text, its
// shadow and the measuring labels, which carry the same lines, measure each line once.
double lineWidth(const QFont &font, const QString &line);
void draw(QPainter &painter, const QFont &font, QRgb colour, const QPointF &topLeft,
          const QString &caption);
// The font as the labels use it: kerning and ligatures off.
QFont labelFont(QFont font);

// The remembered line widths of one font, shared by every label that carries it.
class LineWidths
{
public:
    explicit LineWidths(const QFont &labelFont);
    double width(const QString &line);
    double ascent() const { return m_ascent; }
    double lineHeight() const { return m_lineHeight; }
    double lineSpacing() const { return m_lineSpacing; }

private:
    QFontMetricsF m_metrics;
    double m_ascent;
    double m_lineHeight;
    double m_lineSpacing;
    QHash<QString, double> m_widths;
    qsizetype m_characters = 0;
};
std::shared_ptr<LineWidths> lineWidthsFor(const QFont &font);
} // namespace TextLayout
