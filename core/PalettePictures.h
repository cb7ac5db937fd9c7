#pragma once

#include <QImage>
#include <QPoint>

// The pictures of the palette window, drawn in code so that every pixel is known.

// The 12 x 12 close button: a light grey face (189, 189, 189) with a black cross over x = 3 to 8,
// y = 3 to 8, in a ring that is dark grey (123, 123, 123) along the top and left and black along
// the bottom and right. Inside the ring the raised picture has white along the top and left and
// dark grey along the bottom and right; the pressed one face grey along the top and left and
// white along the bottom and right.
QImage CloseButtonPicture(bool pressed);

// The 32 x 32 eyedropper pointer over the palette: black outline, white barrel, on a transparent
// ground, with one red pixel at the tip beside the picture's centre, where the hot spot is.
QImage EyedropperPicture();
QPoint EyedropperHotSpot();
