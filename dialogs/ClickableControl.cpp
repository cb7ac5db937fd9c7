#include "ClickableControl.h"
#include "core/VirtualKeys.h"

#include "overlay/Surface.h"

#include <QMouseEvent>

void ClickableControl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_leftDown = true;
    if (onMouseDown) {
        const QPointF at = event->position() - origin();
        onMouseDown(Surface::buttonMask(event->button()), ShiftMaskFrom(event->modifiers()), at.x(),
                    at.y());
    }
}

void ClickableControl::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = event->button() == Qt::LeftButton && m_leftDown
        && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_leftDown = false;
    if (onMouseUp) {
        const QPointF at = event->position() - origin();
        onMouseUp(Surface::buttonMask(event->button()), ShiftMaskFrom(event->modifiers()), at.x(),
                  at.y());
    }
    // The click may unload the window: nothing of the control is touched after it.
    if (click && onClick)
        onClick();
}
