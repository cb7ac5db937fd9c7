#pragma once

// What the drawing surface's widget tests share: a surface's owner that takes no notice of the
// mouse, and pictures in which a pixel out of place shows.
#include "overlay/Surface.h"

#include <QImage>
#include <QRandomGenerator>

// The surface's insides the tests look at.
struct SurfaceInternals
{
    // How many tiles of the picture hold drawn lines.
    static int lineTileCount(const Surface &surface) { return surface.m_layer.tileCount(); }
};

class NoEvents : public SurfaceEvents
{
    void surfacePress(int, int, const QPointF &) override { }
    void surfaceMove(int, int, const QPointF &) override { }
    void surfaceRelease(int, int, const QPointF &) override { }
    void surfaceHover(const QPointF &) override { }
};

// A picture with no two neighbouring pixels alike; the same picture for the same size and seed.
inline QImage noise(const QSize &size, quint32 seed = 13)
{
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = 0xff000000u | (random.generate() & 0xffffffu);
    }
    return image;
}
