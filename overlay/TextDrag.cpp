// The overlay's text lblShow and its own events: moving the text by dragging it, and its clicks.
#include "OverlayForm.h"
#include "OverlayOwner.h"
#include "TextBlock.h"
#include "settings/Settings.h"
#include "settings/Units.h"

void OverlayForm::lblShow_MouseDown(int Button, int Shift, double X, double Y)
{
    if (Button & 1) {
        // In line mode the text is not to be moved, and a press on it does nothing at all.
        if (gSettings.gbLineMode != 0)
            return;
        picShow->setDragOutline(m_text.lblShow.rect());
        pfGrabX = float(X);
        pfGrabY = float(Y);
    } else if ((Button & 2) && gSettings.gbDialogOpen == False) {
        OverlayOwner::get().PopupMenu(/*updateItems=*/true, Shift);
    }
    if (gSettings.gbLineMode == 0)
        OverlayOwner::get().Show();
}

void OverlayForm::lblShow_DragDrop(double X, double Y)
{
    const Settings &s = gSettings;
    const TextCorner corner = DropOnText(X, Y, pfGrabX, pfGrabY, s.gnTwipsX, s.gnTwipsY,
                                         m_text.lblShow.left(), m_text.lblShow.top());
    dropTextAt(corner.left, corner.top);
}

void OverlayForm::picShow_DragDrop(double X, double Y)
{
    const Settings &s = gSettings;
    const TextCorner corner = DropOnSurface(X, Y, pfGrabX, pfGrabY, s.gnTwipsX, s.gnTwipsY);
    dropTextAt(corner.left, corner.top);
}

void OverlayForm::dropTextAt(int16_t left, int16_t top)
{
    gSettings.gnTextX = left;
    gSettings.gnTextY = top;
    m_text.moveTo(left, top);
}

void OverlayForm::lblShow_Click()
{
    OverlayOwner::get().FocusInput();
}

void OverlayForm::picShow_Click()
{
    OverlayOwner::get().FocusInput();
}
