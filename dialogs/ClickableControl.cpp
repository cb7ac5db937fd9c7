#include "ClickableControl.h"
#include "core/VirtualKeys.h"

#include "overlay/Surface.h"

#include <QMouseEvent>

void ClickableControl::report(const MouseHandler &handler, const QMouseEvent &event) const
{
    if (!handler)
        return;
    const QPointF at = event.position() - origin();
    handler(Surface::buttonMask(event.button()), ShiftMaskFrom(event.modifiers()), at.x(), at.y());
}

void ClickableControl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_leftDown = true;
    report(onMouseDown, *event);
}

void ClickableControl::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = event->button() == Qt::LeftButton && m_leftDown
        && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_leftDown = false;
    report(onMouseUp, *event);
    // The click may unload the window: nothing of the control is touched after it.
    if (click && onClick)
        onClick();
}
