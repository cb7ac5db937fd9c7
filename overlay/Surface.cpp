#include "Surface.h"

#include "core/VirtualKeys.h"

#include "TextItem.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

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
    m_image = image;
    update();
}

void Surface::paintPicture(const QImage &picture)
{
    if (m_image.isNull() || m_image.size() != picture.size()
        || m_image.format() != picture.format()) {
        setImage(picture);
        return;
    }
    {
        QPainter painter(&m_image);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPointF(0, 0), picture);
    }
    update();
}

void Surface::beginStroke(const QPointF &at, const QPen &pen)
{
    m_pen = pen;
    m_current = at;
    if (m_image.isNull())
        return;
    QPainter painter(&m_image);
    // Aliased, as the pen of the form runtime draws: every pixel a stroke touches takes exactly
    // the line colour, and the pixels beside it keep the snapshot's.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(pen);
    painter.drawPoint(at);
    repaintStroke(at, at);
}

void Surface::continueStroke(const QPointF &to, const QPen &pen)
{
    m_pen = pen;
    const QPointF from = m_current;
    m_current = to;
    if (m_image.isNull())
        return;
    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(pen);
    painter.drawLine(from, to);
    repaintStroke(from, to);
}

void Surface::repaintStroke(const QPointF &from, const QPointF &to)
{
    const int reach = int(std::ceil(m_pen.widthF() / 2)) + 2;
    // The segments drawn since the last paint go out as one rectangle. Left as separate
    // rectangles they make a region of many, and painting through such a clip makes the raster
    // engine take large temporary buffers; over thousands of strokes those leave the heap
    // fragmented and the memory the program holds keeps creeping up.
    m_pendingStroke
        |= QRectF(from, to).normalized().toAlignedRect().adjusted(-reach, -reach, reach, reach);
    update(m_pendingStroke);
}

void Surface::setItems(std::array<const TextItem *, 3> bottomToTop)
{
    m_items = bottomToTop;
    update();
}

QRect Surface::outlineBounds(const QRectF &outline)
{
    return outline.isEmpty() ? QRect() : outline.toAlignedRect().adjusted(-2, -2, 2, 2);
}

void Surface::setDragOutline(const QRectF &outline)
{
    if (outline == m_outline)
        return;
    const QRect before = outlineBounds(m_outline);
    m_outline = outline;
    update(before | outlineBounds(m_outline));
}

void Surface::paintEvent(QPaintEvent *event)
{
    m_pendingStroke = QRect(); // everything dirty is painted now
    QPainter painter(this);
    const QRect area = event->rect();
    if (!m_image.isNull()) {
        // Copy exactly the damaged area, device pixel for device pixel.
        const qreal ratio = m_image.devicePixelRatio();
        const QRectF source(area.x() * ratio, area.y() * ratio, area.width() * ratio,
                            area.height() * ratio);
        painter.drawImage(QRectF(area), m_image, source);
    } else {
        painter.fillRect(area, Qt::black);
    }
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const TextItem *item : m_items) {
        if (item && item->isVisible() && item->paintBounds().intersects(area))
            item->paint(painter, area);
    }
    if (!m_outline.isEmpty()) {
        // The outline a dragged label leaves under the pointer: dots that show on any picture.
        painter.setRenderHint(QPainter::Antialiasing, false);
        QPen pen(Qt::black, 1, Qt::DotLine);
        painter.setPen(pen);
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
        painter.drawRect(m_outline.toAlignedRect().adjusted(0, 0, -1, -1));
    }
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
