#include "PressRouter.h"

#include "OverlayForm.h"
#include "Surface.h"
#include "SurfaceMouse.h"
#include "TextBlock.h"
#include "TextDrag.h"
#include "settings/Settings.h"

#include <utility>

PressRouter::PressRouter(OverlayForm &form, Surface &surface, const TextBlock &text,
                         SurfaceMouse &mouse, TextDrag &drag)
    : m_form(form)
    , m_surface(surface)
    , m_text(text)
    , m_mouse(mouse)
    , m_drag(drag)
{
}

const TextItem *PressRouter::itemAt(const QPointF &at) const
{
    for (const TextItem *item : {&m_text.lblCursor, &m_text.lblShow, &m_text.lblShadow}) {
        if (item->contains(at) && !item->caption().isEmpty())
            return item;
    }
    return nullptr;
}

QPointF PressRouter::inText(const QPointF &at) const
{
    return {(at.x() - m_text.lblShow.left()) * gSettings.gnTwipsX,
            (at.y() - m_text.lblShow.top()) * gSettings.gnTwipsY};
}

void PressRouter::press(int button, int shift, const QPointF &at)
{
    if (m_target != Target::None) {
        // A second button while the first is held belongs to the control that has the mouse.
        if (m_target == Target::Surface)
            m_form.picShow_MouseDown(button, shift, at.x(), at.y());
        return;
    }
    const TextItem *item = itemAt(at);
    if (item == &m_text.lblShow) {
        m_target = Target::Text;
        const QPointF twips = inText(at);
        m_form.lblShow_MouseDown(button, shift, twips.x(), twips.y());
    } else if (item) {
        // The shadow and the caret take the press and do nothing with it.
        m_target = Target::Other;
    } else {
        m_target = Target::Surface;
        m_form.picShow_MouseDown(button, shift, at.x(), at.y());
    }
}

void PressRouter::move(int button, int shift, const QPointF &at)
{
    switch (m_target) {
    case Target::Surface:
        m_form.picShow_MouseMove(button, shift, at.x(), at.y());
        break;
    case Target::Text:
        m_drag.follow(at);
        break;
    case Target::None:
        if (!itemAt(at))
            m_form.picShow_MouseMove(button, shift, at.x(), at.y());
        break;
    case Target::Other:
        break;
    }
}

void PressRouter::release(int button, int shift, const QPointF &at)
{
    switch (std::exchange(m_target, Target::None)) {
    case Target::Surface:
        m_form.picShow_MouseUp(button, shift, at.x(), at.y());
        if (m_surface.rect().contains(at.toPoint()))
            m_form.picShow_Click();
        break;
    case Target::Text:
        if (m_drag.dragging()) {
            m_drag.end();
            // The drop lands on the control under the pointer; the shadow and the caret have no
            // drop handler, and outside the overlay there is nothing of the program's to drop on.
            if (!m_surface.rect().contains(at.toPoint()))
                break;
            const TextItem *item = itemAt(at);
            if (item == &m_text.lblShow) {
                const QPointF twips = inText(at);
                m_form.lblShow_DragDrop(twips.x(), twips.y());
            } else if (!item) {
                m_form.picShow_DragDrop(at.x(), at.y());
            }
        } else if (m_text.lblShow.contains(at)) {
            m_form.lblShow_Click();
        }
        break;
    case Target::Other:
    case Target::None:
        break;
    }
}

void PressRouter::hover(const QPointF &at)
{
    const TextItem *item = itemAt(at);
    if (item == &m_text.lblShow || item == &m_text.lblShadow)
        m_surface.setCursor(Qt::OpenHandCursor);
    else if (item == &m_text.lblCursor)
        m_surface.setCursor(Qt::ArrowCursor);
    else
        m_surface.setCursor(m_mouse.pointer());
}

void PressRouter::endPress()
{
    m_target = Target::None;
    m_mouse.release();
    m_drag.end();
}
