#include "DialogPlacement.h"

#include "app/Forms.h"
#include "overlay/OverlayForm.h"
#include "settings/Settings.h"
#include "settings/Units.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

QRect TwipsRect(int left, int top, int width, int height)
{
    const int tx = gSettings.gnTwipsX;
    const int ty = gSettings.gnTwipsY;
    const int x = units::TwipsToPixels(left, tx);
    const int y = units::TwipsToPixels(top, ty);
    return QRect(x, y, units::TwipsToPixels(double(left) + width, tx) - x,
                 units::TwipsToPixels(double(top) + height, ty) - y);
}

QPoint CentredTopLeft(QSize outerPixels)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const int tx = gSettings.gnTwipsX;
    const int ty = gSettings.gnTwipsY;
    const int64_t left = units::IntDiv(units::PixelsToTwips(screen.width(), tx)
                                           - units::PixelsToTwips(outerPixels.width(), tx),
                                       2);
    const int64_t top = units::IntDiv(units::PixelsToTwips(screen.height(), ty)
                                          - units::PixelsToTwips(outerPixels.height(), ty),
                                      2);
    return screen.topLeft()
        + QPoint(units::TwipsToPixels(double(left), tx), units::TwipsToPixels(double(top), ty));
}

QSize FrameExtra(const QWidget *window)
{
    return window->frameGeometry().size() - window->geometry().size();
}

void BelongToOverlay(QWidget *dialog)
{
    OverlayForm *overlay = frmShow.ifLoaded();
    if (!overlay || !overlay->windowHandle())
        return;
    dialog->winId();
    if (QWindow *window = dialog->windowHandle())
        window->setTransientParent(overlay->windowHandle());
}
