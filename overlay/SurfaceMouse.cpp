#include "SurfaceMouse.h"

#include "OverlayOwner.h"
#include "Pointers.h"
#include "Surface.h"
#include "core/LineWidth.h"
#include "settings/Palette.h"
#include "settings/Settings.h"

#include <QPainter>

namespace {
QColor lineColour()
{
    return QColor::fromRgb(PackedToRgb(gSettings.glColor[SlotLines]));
}
} // namespace

SurfaceMouse::SurfaceMouse(Surface &surface)
    : m_surface(surface)
{
}

void SurfaceMouse::press(int Button, int Shift, double X, double Y)
{
    if (Button & 1) {
        if (gSettings.gbLineMode == 1) {
            pbDrawing = True;
            setPointer(PenPointer());
            // The width is taken at each press, so a width changed meanwhile applies from the
            // next stroke on.
            QPen pen(lineColour());
            pen.setWidth(ClampLineWidth(gSettings.gnLineWidth));
            pen.setCapStyle(Qt::RoundCap);
            pen.setJoinStyle(Qt::RoundJoin);
            m_surface.beginStroke(QPointF(X, Y), pen);
        } else {
            pbDrawing = False;
        }
    } else if ((Button & 2) && gSettings.gbDialogOpen == False) {
        OverlayOwner::get().PopupMenu(/*updateItems=*/true, Shift);
    }
    OverlayOwner::get().Show();
}

void SurfaceMouse::move(double X, double Y)
{
    if (gSettings.gbLineMode != 1 || pbDrawing != True)
        return;
    gSettings.gbLinesShown = True;
    // The colour is read at every segment.
    QPen pen = m_surface.strokePen();
    pen.setColor(lineColour());
    m_surface.continueStroke(QPointF(X, Y), pen);
}

void SurfaceMouse::release()
{
    pbDrawing = False;
}

void SurfaceMouse::setPointer(const QCursor &pointer)
{
    m_pointer = pointer;
    m_surface.setCursor(pointer);
}
