#pragma once

#include <QCursor>

// The program's own pointer pictures, drawn in black outline with white fill on a transparent
// ground, 32 x 32.

// The pen of line mode: lying diagonally, its tip towards the lower left near the picture's
// centre, where the hot spot is.
QCursor PenPointer();
