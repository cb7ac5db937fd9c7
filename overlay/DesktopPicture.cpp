#include "DesktopPicture.h"

#include "core/BufferPicture.h"
#include "platform/Platform.h"

#include <QGuiApplication>
#include <QScreen>

namespace DesktopPicture {

// The desktop, as the platform reads it, cut to the overlay's rectangle (device pixels), so that
// the overlay's pixel (x, y) shows the desktop's pixel (left margin + x, top margin + y).
QRect deviceRect(const QRect &logical, qreal ratio)
{
    return QRect(qRound(logical.x() * ratio), qRound(logical.y() * ratio),
                 qRound(logical.width() * ratio), qRound(logical.height() * ratio));
}

// The capture's picture as an image that uses the capture's memory as it is; the image lets go
// of it when its last copy goes.
QImage imageOf(platform::DesktopImage desktop, qreal ratio)
{
    auto *keeper = new std::shared_ptr<void>(std::move(desktop.memory));
    QImage image(
        reinterpret_cast<uchar *>(desktop.pixels), desktop.width, desktop.height,
        qsizetype(desktop.strideBytes), QImage::Format_RGB32,
        [](void *info) { delete static_cast<std::shared_ptr<void> *>(info); }, keeper);
    image.setDevicePixelRatio(ratio);
    return image;
}

QImage blackImage(const QSize &size, qreal ratio)
{
    QImage black(size, QImage::Format_RGB32);
    black.fill(Qt::black);
    black.setDevicePixelRatio(ratio);
    return black;
}

QScreen *userScreen()
{
    const QString name = QString::fromStdString(platform::caps().stack->userOutput());
    for (QScreen *screen : QGuiApplication::screens())
        if (!name.isEmpty() && screen->name() == name)
            return screen;
    return QGuiApplication::primaryScreen();
}

QImage outputPicture(QScreen *screen)
{
    const qreal ratio = screen->devicePixelRatio();
    const QRect logical = screen->geometry();
    const QSize buffer = deviceRect(QRect(QPoint(0, 0), logical.size()), ratio).size();
    platform::DesktopCapture &capture = *platform::caps().capture;
    platform::DesktopImage desktop = capture.captureOutput(screen->name().toStdString());
    if (desktop.empty()) {
        // Cut from the picture of the whole desktop, where the output stands in it.
        const QRect device = deviceRect(logical, ratio);
        desktop = capture.captureDesktop(device.x(), device.y(), device.width(), device.height());
    }
    if (desktop.empty())
        return blackImage(buffer, ratio);
    return PictureForBuffer(imageOf(std::move(desktop), ratio), buffer);
}

QImage snapshotFor(const QRect &overlay, qreal ratio)
{
    const QRect device = deviceRect(overlay, ratio);
    platform::DesktopImage desktop = platform::caps().capture->captureDesktop(
        device.x(), device.y(), device.width(), device.height());
    if (desktop.empty())
        return blackImage(device.size(), ratio);
    return imageOf(std::move(desktop), ratio);
}

// The image's pixels as the capture's pictures hold them (the image keeps the memory).
platform::DesktopImage pixelsOf(QImage &image)
{
    platform::DesktopImage view;
    view.width = image.width();
    view.height = image.height();
    view.strideBytes = image.bytesPerLine();
    view.pixels = reinterpret_cast<std::uint32_t *>(image.bits());
    return view;
}

// The part of `whole` under `part` (device pixels) without a copy: an image over the same pixels
// that keeps `whole` alive and, being read-only, copies itself only if something writes to it.
QImage sharedPart(const QImage &whole, const QRect &part)
{
    const QRect inside = part & whole.rect();
    if (inside == whole.rect())
        return whole;
    if (inside.isEmpty() || whole.depth() != 32)
        return whole.copy(part);
    auto *keeper = new QImage(whole);
    QImage image(
        whole.constScanLine(inside.y()) + qsizetype(inside.x()) * 4, inside.width(),
        inside.height(), whole.bytesPerLine(), whole.format(),
        [](void *info) { delete static_cast<QImage *>(info); }, keeper);
    image.setDevicePixelRatio(whole.devicePixelRatio());
    return image;
}

} // namespace DesktopPicture
