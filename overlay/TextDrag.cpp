#include "TextDrag.h"

#include "OverlayOwner.h"
#include "Surface.h"
#include "TextBlock.h"
#include "settings/Settings.h"

TextDrag::TextDrag(Surface &surface, TextBlock &text)
    : m_surface(surface)
    , m_text(text)
{
}

void TextDrag::press(int Button, int Shift, double X, double Y)
{
    if (Button & 1) {
        // In line mode the text is not to be moved, and a press on it does nothing at all.
        if (gSettings.gbLineMode != 0)
            return;
        m_surface.setDragOutline(m_text.lblShow.rect());
        pfGrabX = float(X);
        pfGrabY = float(Y);
    } else if ((Button & 2) && gSettings.gbDialogOpen == False) {
        OverlayOwner::get().PopupMenu(/*updateItems=*/true, Shift);
    }
    if (gSettings.gbLineMode == 0)
        OverlayOwner::get().Show();
}

bool TextDrag::dragging() const
{
    return !m_surface.dragOutline().isEmpty();
}

void TextDrag::follow(const QPointF &at)
{
    if (!dragging())
        return;
    const QPointF grab(pfGrabX / gSettings.gnTwipsX, pfGrabY / gSettings.gnTwipsY);
    m_surface.setDragOutline(QRectF(at - grab, m_text.lblShow.rect().size()));
}

void TextDrag::end()
{
    m_surface.setDragOutline({});
}

void TextDrag::dropOnText(double X, double Y)
{
    const Settings &s = gSettings;
    const TextCorner corner = DropOnText(X, Y, pfGrabX, pfGrabY, s.gnTwipsX, s.gnTwipsY,
                                         m_text.lblShow.left(), m_text.lblShow.top());
    dropAt(corner.left, corner.top);
}

void TextDrag::dropOnSurface(double X, double Y)
{
    const Settings &s = gSettings;
    const TextCorner corner = DropOnSurface(X, Y, pfGrabX, pfGrabY, s.gnTwipsX, s.gnTwipsY);
    dropAt(corner.left, corner.top);
}

void TextDrag::dropAt(int16_t left, int16_t top)
{
    gSettings.gnTextX = left;
    gSettings.gnTextY = top;
    m_text.moveTo(left, top);
}
