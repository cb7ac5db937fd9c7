#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Where the dialogs put themselves. Their layouts are given in twips; gSettings.gnTwipsX and
// gnTwipsY turn them into pixels.

// A control's place from its Left, Top, Width and Height in twips. The edges are converted, not
// the sizes, so controls that touch in twips touch in pixels too.
QRect TwipsRect(int left, int top, int width, int height);

// The top-left corner that centres a window of `outerPixels` (frame included) on the screen,
// computed in twips: (screen - window), rounded to a whole number, \ 2.
QPoint CentredTopLeft(QSize outerPixels);

// The window's frame around its client area, in pixels (0 x 0 until a window manager has framed
// it).
QSize FrameExtra(const QWidget *window);

// A dialog belongs to the overlay, as a window manager sees it: no task bar entry of its own,
// and kept above the overlay.
void BelongToOverlay(QWidget *dialog);
