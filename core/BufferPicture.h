#pragma once

#include <QImage>
#include <QSize>

// The output's picture (its device pixels) made ready for a window buffer of another size that
// the compositor scales onto the output. Where the toolkit rounds a fractional scale up (an
// output at 1.5 gets buffers of scale 2), the buffer is larger than the output and the compositor
// scales it down again. Each buffer pixel takes the picture's pixel under its centre, so every
// output pixel's centre, mapped into the buffer, lands on a buffer pixel that holds exactly that
// output pixel's colour: a compositor that samples the nearest buffer pixel puts every desktop
// pixel back as it was, and one that blends neighbours blends mostly equal pixels. A picture of
// the buffer's size already is returned as it is.
QImage PictureForBuffer(const QImage &picture, QSize bufferSize);
