#pragma once

#include <QImage>

// The program's icon, 32 x 32 pixels: a monitor showing yellow writing on a blue screen. The
// windows carry it, and the About box shows it.
QImage ProgramIcon();

// The same picture at `size` x `size` pixels, for the icon theme of an installed program.
QImage ProgramIconAt(int size);
