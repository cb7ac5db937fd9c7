// The overlay's surface picShow: its presses, and the freehand lines the left button draws into
// its persistent image in line mode.
#include "OverlayForm.h"
#include "OverlayOwner.h"
#include "core/LineWidth.h"
#include "settings/Palette.h"
#include "settings/Settings.h"

#include <QPainter>

namespace {
QPen linePen(int width)
{
    QPen pen(QColor::fromRgb(PackedToRgb(gSettings.glColor[SlotLines])));
    pen.setWidth(ClampLineWidth(width));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}
} // namespace

void OverlayForm::picShow_MouseDown(int Button, int Shift, double X, double Y)
{
    if (Button & 1) {
        if (gSettings.gbLineMode == 1) {
            pbDrawing = True;
            setSurfacePointer(penPointer());
            picShow->beginStroke(QPointF(X, Y), linePen(gSettings.gnLineWidth));
        } else {
            pbDrawing = False;
        }
    } else if ((Button & 2) && gSettings.gbDialogOpen == False) {
        OverlayOwner::get().PopupMenu(/*updateItems=*/true, Shift);
    }
    OverlayOwner::get().Show();
}

void OverlayForm::picShow_MouseMove(int, int, double X, double Y)
{
    if (gSettings.gbLineMode != 1 || pbDrawing != True)
        return;
    gSettings.gbLinesShown = True;
    QPen pen = picShow->strokePen();
    pen.setColor(QColor::fromRgb(PackedToRgb(gSettings.glColor[SlotLines])));
    picShow->continueStroke(QPointF(X, Y), pen);
}

void OverlayForm::picShow_MouseUp(int, int, double, double)
{
    pbDrawing = False;
}
