#include "LineLayer.h"

#include <QPainter>

#include <algorithm>
#include <cstring>

LineLayer::LineLayer() = default;

LineLayer::~LineLayer() = default;

void LineLayer::reset(const QImage &snapshot)
{
    switch (snapshot.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        m_snapshot = snapshot;
        break;
    default:
        m_snapshot = snapshot.isNull() ? QImage() : snapshot.convertToFormat(QImage::Format_RGB32);
        break;
    }
    m_columns = (m_snapshot.width() + TileSize - 1) / TileSize;
    m_rows = (m_snapshot.height() + TileSize - 1) / TileSize;
    m_tiles.clear();
    m_tiles.shrink_to_fit();
    m_tiles.resize(std::size_t(m_columns) * std::size_t(m_rows));
    m_tileCount = 0;
    m_picture = m_snapshot;
}

const QImage &LineLayer::picture() const
{
    if (!m_pictureKept) {
        m_pictureKept = true;
        m_picture = composed();
    }
    return m_picture;
}

QRect LineLayer::tileRect(int column, int row) const
{
    return QRect(column * TileSize, row * TileSize, TileSize, TileSize) & deviceRect();
}

QImage *LineLayer::tileAt(int column, int row)
{
    QImage &tile = m_tiles[std::size_t(row) * std::size_t(m_columns) + std::size_t(column)];
    if (tile.isNull()) {
        tile = m_snapshot.copy(tileRect(column, row));
        ++m_tileCount;
    }
    return &tile;
}

void LineLayer::draw(const QRect &deviceBounds, QRgb colour,
                     const std::function<void(QPainter &)> &paint)
{
    const QRect bounds = deviceBounds & deviceRect();
    if (bounds.isEmpty())
        return;
    // The pen's coverage, rasterised as onto the whole picture: the same transform, shifted by a
    // whole number of pixels, and a device that reaches past everything drawn except where the
    // picture itself ends. The raster engine's coverage does not depend on the format it paints,
    // and an aliased opaque pen gives each pixel it covers exactly its colour.
    // Segments of ordinary strokes fit the kept buffer; a rare long jump gets an image of its own,
    // so the buffer never grows towards the size of the screen.
    constexpr int KeptSide = 256;
    const qreal ratio = devicePixelRatio();
    const QTransform transform(ratio, 0, 0, ratio, -bounds.x(), -bounds.y());
    const QRect area(QPoint(0, 0), bounds.size());
    QImage single;
    const QImage *mask = &m_coverage;
    if (bounds.width() <= KeptSide && bounds.height() <= KeptSide) {
        if (!m_coveragePainter) {
            m_coverage = QImage(KeptSide, KeptSide, QImage::Format_Alpha8);
            m_coveragePainter = std::make_unique<QPainter>(&m_coverage);
            m_coveragePainter->setRenderHint(QPainter::Antialiasing, false);
        }
        // The segment's rectangle of the buffer, cleared, is the device it draws on.
        QPainter &painter = *m_coveragePainter;
        painter.save();
        painter.resetTransform();
        painter.setClipRect(area);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(area, Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setTransform(transform);
        paint(painter);
        painter.restore();
    } else {
        single = QImage(bounds.size(), QImage::Format_Alpha8);
        single.fill(0);
        QPainter painter(&single);
        painter.setTransform(transform);
        painter.setRenderHint(QPainter::Antialiasing, false);
        paint(painter);
        mask = &single;
    }
    const quint32 pixel = 0xff000000u | colour;
    const int firstColumn = bounds.left() / TileSize, lastColumn = bounds.right() / TileSize;
    const int firstRow = bounds.top() / TileSize, lastRow = bounds.bottom() / TileSize;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = firstColumn; column <= lastColumn; ++column) {
            const QRect part = tileRect(column, row) & bounds;
            QImage *tile = nullptr;
            for (int y = part.top(); y <= part.bottom(); ++y) {
                const uchar *covered = mask->constScanLine(y - bounds.y()) - bounds.x();
                quint32 *line = nullptr;
                quint32 *whole = nullptr;
                for (int x = part.left(); x <= part.right(); ++x) {
                    if (!covered[x])
                        continue;
                    if (!line) {
                        if (!tile)
                            tile = tileAt(column, row);
                        line = reinterpret_cast<quint32 *>(tile->scanLine(y - row * TileSize))
                            - column * TileSize;
                        if (m_pictureKept)
                            whole = reinterpret_cast<quint32 *>(m_picture.scanLine(y));
                    }
                    line[x] = pixel;
                    if (whole)
                        whole[x] = pixel;
                }
            }
        }
    }
}

QImage LineLayer::composed() const
{
    if (m_tileCount == 0)
        return m_snapshot;
    QImage picture = m_snapshot.copy();
    for (int row = 0; row < m_rows; ++row) {
        for (int column = 0; column < m_columns; ++column) {
            const QImage &tile
                = m_tiles[std::size_t(row) * std::size_t(m_columns) + std::size_t(column)];
            if (tile.isNull())
                continue;
            const QRect at = tileRect(column, row);
            for (int y = 0; y < at.height(); ++y) {
                std::memcpy(picture.scanLine(at.y() + y) + at.x() * 4, tile.constScanLine(y),
                            std::size_t(at.width()) * 4);
            }
        }
    }
    return picture;
}

void LineLayer::paint(QPainter &painter, const QRect &area) const
{
    const qreal ratio = devicePixelRatio();
    const QRect device
        = QRectF(area.x() * ratio, area.y() * ratio, area.width() * ratio, area.height() * ratio)
              .toAlignedRect()
        & deviceRect();
    if (device.isEmpty())
        return;
    const auto logical = [ratio](const QRect &r) {
        return QRectF(r.x() / ratio, r.y() / ratio, r.width() / ratio, r.height() / ratio);
    };
    painter.drawImage(logical(device), m_snapshot, device);
    if (m_tileCount == 0)
        return;
    const int lastColumn = device.right() / TileSize, lastRow = device.bottom() / TileSize;
    for (int row = device.top() / TileSize; row <= lastRow; ++row) {
        for (int column = device.left() / TileSize; column <= lastColumn; ++column) {
            const QImage &tile
                = m_tiles[std::size_t(row) * std::size_t(m_columns) + std::size_t(column)];
            if (tile.isNull())
                continue;
            const QRect part = tileRect(column, row) & device;
            painter.drawImage(logical(part), tile,
                              part.translated(-column * TileSize, -row * TileSize));
        }
    }
}
