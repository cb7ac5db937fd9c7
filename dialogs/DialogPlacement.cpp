#include "DialogPlacement.h"

#include "forms/Forms.h"
#include "platform/KeyboardOnShow.h"
#include "overlay/OverlayForm.h"
#include "overlay/OverlayOwner.h"
#include "overlay/Topmost.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "settings/Units.h"

#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>
#include <QWindow>

QRect TwipsRect(int left, int top, int width, int height, TwipSizes sizes)
{
    const int tx = gSettings.gnTwipsX;
    const int ty = gSettings.gnTwipsY;
    const int x = units::TwipsToPixels(left, tx);
    const int y = units::TwipsToPixels(top, ty);
    if (sizes == TwipSizes::Separately)
        return QRect(x, y, units::TwipsToPixels(width, tx), units::TwipsToPixels(height, ty));
    return QRect(x, y, units::TwipsToPixels(double(left) + width, tx) - x,
                 units::TwipsToPixels(double(top) + height, ty) - y);
}

namespace {
int centredStart(int outerPixels, int itemPixels, int twipsPerPixel)
{
    const int64_t twips = units::IntDiv(units::PixelsToTwips(outerPixels, twipsPerPixel)
                                            - units::PixelsToTwips(itemPixels, twipsPerPixel),
                                        2);
    return units::TwipsToPixels(double(twips), twipsPerPixel);
}
} // namespace

QPoint CentredIn(QSize outerPixels, QSize itemPixels)
{
    return QPoint(centredStart(outerPixels.width(), itemPixels.width(), gSettings.gnTwipsX),
                  centredStart(outerPixels.height(), itemPixels.height(), gSettings.gnTwipsY));
}

namespace {
// The frame around the window's client area: the one it has, or before it is first shown (and
// framed) the one the system says it will give it.
QMargins frameOf(const QWidget *window)
{
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    if (outer != inner || window->isVisible())
        return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                        outer.right() - inner.right(), outer.bottom() - inner.bottom());
    // The window is made without winId(), which would also mark it native and with it turn every
    // child widget of its parent (the overlay, for the Text dialog) into a window of its own.
    const_cast<QWidget *>(window)->createWinId();
    const QWindow *handle = window->windowHandle();
    if (!handle)
        return {};
    const platform::FrameMargins frame
        = platform::caps().frame->expectedFrame(platform::NativeWindow(handle->winId()));
    return QMargins(frame.left, frame.top, frame.right, frame.bottom);
}

// The top-left corner that centres a window of `outerPixels` (frame included) on the screen.
QPoint centredTopLeft(QSize outerPixels)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    return screen.topLeft() + CentredIn(screen.size(), outerPixels);
}

// Puts the window so that its frame's top-left corner is at `outerTopLeft`.
void moveFrameTo(QWidget *window, QPoint outerTopLeft)
{
    // The client area is placed, below and right of the frame: a window's own position (move)
    // means the frame's corner only while the toolkit knows the frame, which before the first
    // showing it does not.
    const QMargins frame = frameOf(window);
    window->setGeometry(
        QRect(outerTopLeft + QPoint(frame.left(), frame.top()), window->geometry().size()));
}
} // namespace

QSize FrameExtra(const QWidget *window)
{
    const QMargins frame = frameOf(window);
    return QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
}

void CentreOnScreen(QWidget *window)
{
    moveFrameTo(window, centredTopLeft(window->size() + FrameExtra(window)));
}

void ReturnToOverlay(QWidget *dialog, bool focusInput)
{
    SetFormTopmost(dialog, 0);
    SetFormTopmost(frmShow.ifLoaded(), 1);
    if (OverlayOwner *owner = OverlayOwner::ifAny(); owner && focusInput)
        owner->FocusInput();
}

void BelongToOverlay(QWidget *dialog)
{
    OverlayForm *overlay = frmShow.ifLoaded();
    if (!overlay || !overlay->windowHandle())
        return;
    dialog->winId();
    if (QWindow *window = dialog->windowHandle())
        window->setTransientParent(overlay->windowHandle());
    platform::TakeKeyboardOnceShown(dialog);
}
