// The output's picture drawn for a buffer of the next whole scale: a compositor that scales the
// buffer down to the output by the nearest pixel puts back every pixel of the picture, at every
// fractional scale people use and at odd sizes.
#include "core/BufferPicture.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <cmath>

namespace {

// The compositor's down-scaling: each output pixel takes the buffer pixel under its centre.
QImage downscaleByNearest(const QImage &buffer, QSize output)
{
    QImage out(output, QImage::Format_RGB32);
    for (int y = 0; y < output.height(); ++y)
        for (int x = 0; x < output.width(); ++x)
            out.setPixel(x, y,
                         buffer.pixel(int((x + 0.5) * buffer.width() / output.width()),
                                      int((y + 0.5) * buffer.height() / output.height())));
    return out;
}

TEST(BufferPicture, TheCompositorsScalingPutsEveryPixelBack)
{
    QRandomGenerator random(20);
    for (const double scale : {1.25, 1.5, 1.75}) {
        for (const QSize output : {QSize(1920, 1080), QSize(1366, 768), QSize(333, 97)}) {
            QImage picture(output, QImage::Format_RGB32);
            for (int y = 0; y < output.height(); ++y)
                for (int x = 0; x < output.width(); ++x)
                    picture.setPixel(x, y, 0xFF000000u | random.bounded(0x1000000u));
            // The toolkit's window: the output's size in the layout, at scale 2.
            const QSize buffer(int(std::round(output.width() / scale)) * 2,
                               int(std::round(output.height() / scale)) * 2);
            const QImage drawn = PictureForBuffer(picture, buffer);
            ASSERT_EQ(drawn.size(), buffer);
            EXPECT_EQ(downscaleByNearest(drawn, output), picture)
                << scale << " " << output.width() << "x" << output.height();
        }
    }
    // A picture of the buffer's size already is the buffer's picture.
    QImage same(64, 32, QImage::Format_RGB32);
    same.fill(Qt::red);
    EXPECT_EQ(PictureForBuffer(same, same.size()).constBits(), same.constBits());
}

} // namespace
