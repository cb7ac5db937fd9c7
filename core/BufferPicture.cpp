#include "BufferPicture.h"

#include <cstring>
#include <vector>

namespace {
// The picture's pixel under the centre of buffer pixel `i`: (i + 1/2) × picture / buffer, in
// whole numbers.
std::vector<int> sources(int buffer, int picture)
{
    std::vector<int> from(static_cast<std::size_t>(buffer));
    for (int i = 0; i < buffer; ++i)
        from[std::size_t(i)] = int((2 * qint64(i) + 1) * picture / (2 * qint64(buffer)));
    return from;
}
} // namespace

QImage PictureForBuffer(const QImage &picture, QSize bufferSize)
{
    if (picture.isNull() || picture.size() == bufferSize || bufferSize.isEmpty())
        return picture;
    const QImage source = picture.format() == QImage::Format_RGB32
        ? picture
        : picture.convertToFormat(QImage::Format_RGB32);
    QImage out(bufferSize, QImage::Format_RGB32);
    if (out.isNull())
        return picture;
    const std::vector<int> columns = sources(bufferSize.width(), source.width());
    const std::vector<int> rows = sources(bufferSize.height(), source.height());
    for (int y = 0; y < bufferSize.height(); ++y) {
        auto *to = reinterpret_cast<quint32 *>(out.scanLine(y));
        if (y > 0 && rows[std::size_t(y)] == rows[std::size_t(y) - 1]) {
            std::memcpy(to, out.constScanLine(y - 1), std::size_t(bufferSize.width()) * 4);
            continue;
        }
        const auto *from
            = reinterpret_cast<const quint32 *>(source.constScanLine(rows[std::size_t(y)]));
        for (int x = 0; x < bufferSize.width(); ++x)
            to[x] = from[columns[std::size_t(x)]];
    }
    out.setDevicePixelRatio(picture.devicePixelRatio());
    return out;
}
