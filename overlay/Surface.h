#pragma once

#include "LineLayer.h"
#include "TextItem.h"

#include <QImage>
#include <QPen>
#include <QRegion>
#include <QWidget>

#include <array>
#include <functional>

// What the drawing surface reports to its form: presses, moves and releases in surface pixels,
// with the button and modifier masks of the form runtime (Button: 1 left, 2 right, 4 middle;
// Shift: 1 Shift, 2 Ctrl, 4 Alt).
class SurfaceEvents
{
public:
    virtual ~SurfaceEvents() = default;
    virtual void surfacePress(int button, int shift, const QPointF &at) = 0;
    virtual void surfaceMove(int button, int shift, const QPointF &at) = 0;
    virtual void surfaceRelease(int button, int shift, const QPointF &at) = 0;
    // The pointer over the surface with no button held: the form chooses the pointer shape.
    virtual void surfaceHover(const QPointF &at) = 0;
};

// The drawing surface `picShow`: a persistent backing image, in device pixels, that drawing goes
// into and repaints copy from, and the windowless labels drawn over it in a fixed order (the first
// of the list is drawn first, so the last lies on top). The image is kept as the picture it was
// given, untouched, and the tiles of it that lines have been drawn on (see LineLayer).
class Surface : public QWidget, public LabelHost
{
    // What the widget tests look at inside the surface (tests/gui/SurfaceTestKit.h).
    friend struct SurfaceInternals;

public:
    Surface(SurfaceEvents *events, QWidget *parent);

    // The persistent image, lines and all, kept up to date from the first call on. Its device
    // pixel ratio says how it maps onto the surface's pixels. The surface itself paints without
    // it: asking for it costs a whole copy of the screen once lines are drawn.
    const QImage &image() const { return m_layer.picture(); }
    void setImage(const QImage &image);
    // Paints `picture` at (0, 0) at its natural size, replacing what was there.
    void paintPicture(const QImage &picture);
    // How many tiles of the image hold lines.

    // Drawing into the image. A stroke starts with a dot of the pen's width at its first point,
    // which becomes the current point; each continuation draws a segment from the current point,
    // with round caps and joins, and makes its end the current point. Only the touched area is
    // repainted.
    void beginStroke(const QPointF &at, const QPen &pen);
    void continueStroke(const QPointF &to, const QPen &pen);
    const QPen &strokePen() const { return m_pen; }

    // The labels over the surface, bottom first.
    void setItems(std::array<const TextItem *, 3> bottomToTop);

    // Where the visible labels may draw (surface pixels); empty when none can.
    QRect itemsBounds() const;
    // `under`, the picture's pixels from the device pixel `deviceTopLeft` on (its device pixel
    // ratio that of the picture), with the labels drawn over it exactly as the surface paints
    // them over the picture there.
    QImage paintItemsOver(const QImage &under, const QPoint &deviceTopLeft) const;

    // Calls `done` once, after the surface's next paint has gone out to the window.
    void afterNextPaint(std::function<void()> done) { m_afterNextPaint = std::move(done); }

    // A dotted outline of a dragged label's rectangle, or none when empty.
    void setDragOutline(const QRectF &outline);
    QRectF dragOutline() const { return m_outline; }

    static int buttonMask(Qt::MouseButtons buttons);

    void repaintLabelArea(const QRect &area) override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    // The band the outline's dots cover, widened by two pixels on each side of its four edges.
    static QRegion outlineBand(const QRectF &outline);
    void drawStroke(const QPointF &from, const QPointF &to);
    // Repaints an area whose picture or labels changed.
    void repaintContent(const QRect &area);
    // The labels that reach into `area`, bottom first, through the painter's clip.
    void paintItems(QPainter &painter, const QRect &area) const;

    SurfaceEvents *m_events;
    LineLayer m_layer;
    std::array<const TextItem *, 3> m_items {};
    QRectF m_outline;
    QRectF m_outlineDrawn; // the outline whose dots the window's last paint left
    // What was asked to be repainted since the last paint: where the outline moved, and where
    // the picture or the labels changed.
    QRegion m_outlineDirty;
    QRegion m_contentDirty;
    QPen m_pen;
    QRect m_pendingStroke; // stroke segments not painted yet
    QPointF m_current;
    std::function<void()> m_afterNextPaint;
};
