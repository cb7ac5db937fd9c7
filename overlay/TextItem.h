#pragma once

#include <QFont>
#include <QRectF>
#include <QRgb>
#include <QString>
#include <QStringList>

class QPainter;
class QWidget;

// A windowless, transparent label that sizes itself to its caption: the overlay's text, shadow and
// caret, and the main form's measuring labels. Measuring and drawing go through the same layout
// (TextLayout below), so a measuring label carrying the text font measures exactly what the
// overlay draws.
//
// A label drawn on a surface tells its host which area to repaint when it changes; a measuring
// label has no host.
class TextItem
{
public:
    explicit TextItem(QWidget *host = nullptr);

    const QString &caption() const { return m_caption; }
    void setCaption(const QString &caption);

    const QFont &font() const { return m_font; }
    void setFont(const QFont &font);

    QRgb foreColor() const { return m_foreColor; }
    void setForeColor(QRgb colour);

    double left() const { return m_left; }
    double top() const { return m_top; }
    void setLeft(double left) { move(left, m_top); }
    void setTop(double top) { move(m_left, top); }
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

    void paint(QPainter &painter) const;

private:
    void resize();
    void repaint(const QRect &area) const;

    QWidget *m_host;
    QString m_caption;
    QFont m_font;
    QRgb m_foreColor = 0xFF000000;
    double m_left = 0;
    double m_top = 0;
    double m_width = 0;
    double m_height = 0;
    bool m_visible = true;
};

// The one text layout of the program's labels: no word wrap; a carriage return + line feed is one
// line break, and so are a lone line feed and a lone carriage return; trailing blanks count in the
// width; no kerning, so the width of a line's first n characters is where its character n+1 is
// drawn.
namespace TextLayout {
QStringList lines(const QString &caption);
QSizeF measure(const QFont &font, const QString &caption);
double lineWidth(const QFont &font, const QString &line);
void draw(QPainter &painter, const QFont &font, QRgb colour, const QPointF &topLeft,
          const QString &caption);
// The font as the labels use it: kerning off.
QFont labelFont(QFont font);
} // namespace TextLayout
