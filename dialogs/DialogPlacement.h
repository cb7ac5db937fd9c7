#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Where the dialogs put themselves. Their layouts are given in twips; gSettings.gnTwipsX and
// gnTwipsY turn them into pixels.

// How a control's twips become pixels: its edges, so that controls that touch in twips touch in
// pixels too (the About and General dialogs), or its corner and its size each on its own (the
// Text dialog).
enum class TwipSizes { FromEdges, Separately };

// A control's place from its Left, Top, Width and Height in twips.
QRect TwipsRect(int left, int top, int width, int height, TwipSizes sizes = TwipSizes::FromEdges);

// The offset that centres an item of `itemPixels` in `outerPixels`, computed in twips: the
// difference \ 2, back to pixels.
QPoint CentredIn(QSize outerPixels, QSize itemPixels);

// The window's frame around its client area, in pixels. Before the window is first shown, the
// frame the window manager will give it (0 x 0 where there is none), so that a dialog can be
// placed by its outer size before it appears.
QSize FrameExtra(const QWidget *window);

// Centres the window on the screen by its outer size (frame included), as CentredIn computes
// it. The frame's corner is placed, not the client area's.
void CentreOnScreen(QWidget *window);

// What a closing dialog does last: it leaves the topmost band and gives it back to the overlay,
// and with focusInput gives txtInput the keyboard again.
void ReturnToOverlay(QWidget *dialog, bool focusInput);

// A dialog belongs to the overlay, as a window manager sees it: no task bar entry of its own,
// and kept above the overlay.
void BelongToOverlay(QWidget *dialog);
