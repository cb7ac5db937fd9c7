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

// The top-left corner that centres a window of `outerPixels` (frame included) on the screen, as
// CentredIn computes it.
QPoint CentredTopLeft(QSize outerPixels);

// The window's frame around its client area, in pixels. Before the window is first shown, the
// frame the window manager will give it (0 x 0 where there is none), so that a dialog can be
// placed by its outer size before it appears.
QSize FrameExtra(const QWidget *window);

// Puts the window so that its frame's top-left corner is at `outerTopLeft`.
void MoveFrameTo(QWidget *window, QPoint outerTopLeft);

// Centres the window on the screen by its outer size (frame included), as CentredTopLeft
// computes it.
void CentreOnScreen(QWidget *window);

// What a closing dialog does last: it leaves the topmost band and gives it back to the overlay,
// and with focusInput gives txtInput the keyboard again.
void ReturnToOverlay(QWidget *dialog, bool focusInput);

// A dialog belongs to the overlay, as a window manager sees it: no task bar entry of its own,
// and kept above the overlay.
void BelongToOverlay(QWidget *dialog);
