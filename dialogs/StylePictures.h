#pragma once

#include <QImage>

// The 16 x 16 pictures of the Text preferences dialog's four style buttons, drawn pixel by pixel
// so that they look the same whatever fonts are installed: a bold B (index 0), an italic I (1),
// an underlined U (2) and the letters ABC struck through (3). Black on a transparent ground; any
// other index gives a null image.
QImage StylePicture(int index);
