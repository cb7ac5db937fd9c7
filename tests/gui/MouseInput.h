#pragma once

// Mouse events as the window system delivers them to a widget, with the buttons held and the
// pointer's place on the screen.

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

inline void SendMouse(QWidget *widget, QEvent::Type type, const QPointF &at, Qt::MouseButton button,
                      Qt::MouseButtons held, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, modifiers);
    QApplication::sendEvent(widget, &event);
}

inline void Press(QWidget *widget, const QPointF &at, Qt::MouseButton button = Qt::LeftButton,
                  Qt::MouseButtons alsoHeld = Qt::NoButton)
{
    SendMouse(widget, QEvent::MouseButtonPress, at, button, alsoHeld | button);
}

inline void MoveHeld(QWidget *widget, const QPointF &at, Qt::MouseButtons held = Qt::LeftButton)
{
    SendMouse(widget, QEvent::MouseMove, at, Qt::NoButton, held);
}

inline void Release(QWidget *widget, const QPointF &at, Qt::MouseButton button = Qt::LeftButton,
                    Qt::MouseButtons stillHeld = Qt::NoButton)
{
    SendMouse(widget, QEvent::MouseButtonRelease, at, button, stillHeld);
}
