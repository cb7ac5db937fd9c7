#pragma once

#include "platform/DesktopCapture.h"

#include <QImage>
#include <QRect>

class QScreen;

// The overlay's pictures of the desktop, as the platform layer reads them: device pixels, shared
// with the capture's memory rather than copied.
namespace DesktopPicture {

// A rectangle in logical pixels, in device pixels.
QRect deviceRect(const QRect &logical, qreal ratio);
// The capture's picture as an image that uses the capture's memory as it is; the image lets go
// of it when its last copy goes.
QImage imageOf(platform::DesktopImage desktop, qreal ratio);
// A black picture, where the desktop could not be read.
QImage blackImage(const QSize &size, qreal ratio);
// The output the user is on, where the compositor places the windows; the primary screen where
// it does not say.
QScreen *userScreen();
// The whole output's picture as the overlay's buffer holds it. The toolkit draws a window at the
// screen's device pixel ratio, a whole number, so where the output's scale is fractional (1.5)
// the buffer is larger than the output (scale 2) and the compositor scales it down: the picture
// is made for that buffer.
QImage outputPicture(QScreen *screen);
// The desktop under the overlay's rectangle (logical pixels), so that the overlay's pixel (x, y)
// shows the desktop's pixel (left margin + x, top margin + y); black when it cannot be read.
QImage snapshotFor(const QRect &overlay, qreal ratio);
// The image's pixels as the capture's pictures hold them (the image keeps the memory).
platform::DesktopImage pixelsOf(QImage &image);
// The part of `whole` under `part` (device pixels) without a copy: an image over the same pixels
// that keeps `whole` alive and, being read-only, copies itself only if something writes to it.
QImage sharedPart(const QImage &whole, const QRect &part);

} // namespace DesktopPicture
