#include "Surface.h"

#include "core/VirtualKeys.h"

#include "TextItem.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <cmath>
#include <utility>

Surface::Surface(SurfaceEvents *events, QWidget *parent)
    : QWidget(parent)
    , m_events(events)
{
    // The surface paints every pixel itself from its image, so Qt need neither clear it nor
    // repaint it whole when it grows.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_StaticContents);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

void Surface::setImage(const QImage &image)
{
    m_layer.reset(image);
    repaintContent(rect());
}

void Surface::repaintContent(const QRect &area)
{
    m_contentDirty += area;
    update(area);
}

void Surface::repaintLabelArea(const QRect &area)
{
    repaintContent(area);
}

void Surface::paintPicture(const QImage &picture)
{
    if (m_layer.isNull() || picture.size() != m_layer.snapshot().size()
        || picture.format() != m_layer.snapshot().format()
        || picture.devicePixelRatio() != m_layer.devicePixelRatio()) {
        // Another picture altogether: it replaces what was there, as it covers only part of it.
        QImage image = m_layer.isNull() ? picture : m_layer.composed();
        if (!m_layer.isNull()) {
            QPainter painter(&image);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(QPointF(0, 0), picture);
        }
        setImage(image);
        return;
    }
    // The same size and kind: it covers every pixel, lines and all, so it becomes the snapshot
    // and the lines' tiles go.
    setImage(picture);
}

void Surface::beginStroke(const QPointF &at, const QPen &pen)
{
    m_pen = pen;
    m_current = at;
    drawStroke(at, at);
}

void Surface::continueStroke(const QPointF &to, const QPen &pen)
{
    m_pen = pen;
    const QPointF from = m_current;
    m_current = to;
    drawStroke(from, to);
}

void Surface::drawStroke(const QPointF &from, const QPointF &to)
{
    if (m_layer.isNull())
        return;
    const int reach = int(std::ceil(m_pen.widthF() / 2)) + 2;
    const QRect touched
        = QRectF(from, to).normalized().toAlignedRect().adjusted(-reach, -reach, reach, reach);
    // Aliased, as the pen of the form runtime draws: every pixel a stroke touches takes exactly
    // the line colour, and the pixels beside it keep the snapshot's. A stroke's first point is a
    // dot of the pen's width; lines are opaque, whatever the pen says.
    const qreal ratio = m_layer.devicePixelRatio();
    const QRect device = QRectF(touched.x() * ratio, touched.y() * ratio, touched.width() * ratio,
                                touched.height() * ratio)
                             .toAlignedRect()
                             .adjusted(-2, -2, 2, 2);
    const QPen &pen = m_pen;
    m_layer.draw(device, pen.color().rgb(), [&](QPainter &painter) {
        QPen opaque = pen;
        QColor colour = pen.color();
        colour.setAlpha(255);
        opaque.setColor(colour);
        painter.setPen(opaque);
        if (from == to)
            painter.drawPoint(from);
        else
            painter.drawLine(from, to);
    });
    // The segments drawn since the last paint go out as one rectangle. Left as separate
    // rectangles they make a region of many, and painting through such a clip makes the raster
    // engine take large temporary buffers; over thousands of strokes those leave the heap
    // fragmented and the memory the program holds keeps creeping up.
    m_pendingStroke |= touched;
    update(m_pendingStroke);
}

void Surface::setItems(std::array<const TextItem *, 3> bottomToTop)
{
    m_items = bottomToTop;
    repaintContent(rect());
}

QRegion Surface::outlineBand(const QRectF &outline)
{
    if (outline.isEmpty())
        return {};
    // The dots lie on the first and last rows and columns of the aligned rectangle (see
    // paintEvent: a rectangle drawn with a one-pixel pen takes a pixel more than its size).
    const QRect dots = outline.toAlignedRect();
    constexpr int Wide = 2;
    const QRect grown = dots.adjusted(-Wide, -Wide, Wide, Wide);
    QRegion band;
    band += QRect(grown.left(), grown.top(), grown.width(), 2 * Wide + 1);
    band += QRect(grown.left(), dots.bottom() - Wide, grown.width(), 2 * Wide + 1);
    band += QRect(grown.left(), grown.top(), 2 * Wide + 1, grown.height());
    band += QRect(dots.right() - Wide, grown.top(), 2 * Wide + 1, grown.height());
    return band;
}

void Surface::setDragOutline(const QRectF &outline)
{
    if (outline == m_outline)
        return;
    // Nothing but the outline changes while it moves: the dots of the old one go and the new ones
    // come, and the box between them stays as it is.
    const QRegion band = outlineBand(m_outline) + outlineBand(outline);
    m_outline = outline;
    m_outlineDirty += band;
    update(band);
}

void Surface::paintEvent(QPaintEvent *event)
{
    // The stroke's segments since the last paint count as changed picture too.
    const QRegion content = m_contentDirty + m_pendingStroke;
    m_pendingStroke = QRect(); // everything dirty is painted now
    const QRegion damage = event->region();
    // Where nothing but the outline moved, the window still shows the right pixels under its
    // dots: drawing the old dots again takes them away (they are drawn in exclusive-or, so a dot
    // drawn twice is gone), and the new ones go on. The rest is painted afresh, and so is all of
    // it when the window system asked for a repaint the surface did not ask for.
    QRegion outlineOnly;
    if ((damage - m_outlineDirty - content).isEmpty())
        outlineOnly = damage - content;
    const QRegion fresh = damage - outlineOnly;
    m_outlineDirty = QRegion();
    m_contentDirty = QRegion();

    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // Rectangle by rectangle: the damage of a moving outline is a thin frame, and its bounding
    // rectangle would take in everything inside it.
    for (const QRect &area : fresh) {
        painter.setClipRect(area);
        if (!m_layer.isNull()) {
            // Copy exactly the damaged area, device pixel for device pixel.
            m_layer.paint(painter, area);
        } else {
            painter.fillRect(area, Qt::black);
        }
        paintItems(painter, area);
    }
    painter.setClipping(false);

    // The outline a dragged label leaves under the pointer: dots that show on any picture.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
    const auto dots
        = [](const QRectF &outline) { return outline.toAlignedRect().adjusted(0, 0, -1, -1); };
    if (!m_outlineDrawn.isEmpty()) {
        // Rectangle by rectangle: a dotted line clipped to a region of many rectangles is drawn
        // through their bounding rectangle, where it would put dots back into what was just
        // painted afresh.
        for (const QRect &area : outlineOnly) {
            painter.setClipRect(area);
            painter.drawRect(dots(m_outlineDrawn));
        }
        painter.setClipping(false);
    }
    if (!m_outline.isEmpty())
        painter.drawRect(dots(m_outline));
    m_outlineDrawn = m_outline;
    // The backing store goes out to the window once every widget has painted; the call waits for
    // the event loop, which comes back after that.
    if (m_afterNextPaint)
        QTimer::singleShot(0, this, std::exchange(m_afterNextPaint, nullptr));
}

void Surface::paintItems(QPainter &painter, const QRect &area) const
{
    for (const TextItem *item : m_items) {
        if (item && item->isVisible() && item->paintBounds().intersects(area))
            item->paint(painter, area);
    }
}

QRect Surface::itemsBounds() const
{
    QRect bounds;
    for (const TextItem *item : m_items) {
        if (item && item->isVisible() && !item->caption().isEmpty())
            bounds |= item->paintBounds();
    }
    return bounds;
}

QImage Surface::paintItemsOver(const QImage &under, const QPoint &deviceTopLeft) const
{
    QImage out = under.copy();
    const qreal ratio = under.devicePixelRatio();
    out.setDevicePixelRatio(ratio);
    const QRectF area(QPointF(deviceTopLeft) / ratio, QSizeF(under.size()) / ratio);
    QPainter painter(&out);
    // As paintEvent paints: the same hints, the picture's pixels at their place on the surface.
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(-area.topLeft());
    painter.setClipRect(area);
    paintItems(painter, area.toAlignedRect());
    return out;
}

int Surface::buttonMask(Qt::MouseButtons buttons)
{
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0)
        | (buttons & Qt::MiddleButton ? 4 : 0);
}

void Surface::mousePressEvent(QMouseEvent *event)
{
    // The button that went down, as the press event of the form runtime names it, with the other
    // buttons held at the same time (a left and right press together counts as a left press).
    m_events->surfacePress(buttonMask(event->button() | event->buttons()),
                           ShiftMaskFrom(event->modifiers()), event->position());
}

void Surface::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A second press in quick succession is still a press.
    mousePressEvent(event);
}

void Surface::mouseMoveEvent(QMouseEvent *event)
{
    const int buttons = buttonMask(event->buttons());
    if (buttons == 0)
        m_events->surfaceHover(event->position());
    m_events->surfaceMove(buttons, ShiftMaskFrom(event->modifiers()), event->position());
}

void Surface::mouseReleaseEvent(QMouseEvent *event)
{
    m_events->surfaceRelease(buttonMask(event->button()), ShiftMaskFrom(event->modifiers()),
                             event->position());
}
