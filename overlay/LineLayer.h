#pragma once

#include <QImage>
#include <QRect>
#include <QRgb>

#include <functional>
#include <memory>
#include <vector>

class QPainter;

// The surface's picture held as one clean snapshot, shared with whoever else holds it and never
// written to, plus the lines drawn over it in square tiles of device pixels, each made on the first
// line that touches it as a copy of the snapshot under it with the line drawn in. The rest of the
// screen stays the snapshot's: the picture costs the snapshot once and the tiles lines touch.
class LineLayer
{
public:
    static constexpr int TileSize = 64;

    LineLayer();
    ~LineLayer();
    LineLayer(const LineLayer &) = delete;
    LineLayer &operator=(const LineLayer &) = delete;

    // Starts over from `snapshot`, dropping every tile. A snapshot of other than 32 bits a pixel is
    // converted to RGB32 once.
    void reset(const QImage &snapshot);

    const QImage &snapshot() const { return m_snapshot; }
    qreal devicePixelRatio() const { return m_snapshot.devicePixelRatio(); }
    // Device pixels, (0, 0) at the top left.
    QRect deviceRect() const { return m_snapshot.rect(); }
    bool isNull() const { return m_snapshot.isNull(); }
    int tileCount() const { return m_tileCount; }

    // Draws opaque `colour`, aliased, wherever `paint` covers a pixel within `deviceBounds`.
    // `paint` paints in the picture's logical coordinates, as it would onto the whole picture; the
    // pixels it covers are the ones it would cover there, provided it stays inside `deviceBounds`
    // or leaves it only over the picture's edges.
    void draw(const QRect &deviceBounds, QRgb colour, const std::function<void(QPainter &)> &paint);

    // The whole picture as one image: the snapshot itself while no line is drawn.
    QImage composed() const;
    // The whole picture as one image that stays the picture: lines drawn later are drawn into it
    // as well. The first call makes the layer keep that image for good, a second copy of the
    // screen once lines are drawn; it is for readers that need the picture whole, not for painting.
    const QImage &picture() const;
    // Paints the picture's part under `area`, in logical coordinates at the painter's origin.
    void paint(QPainter &painter, const QRect &area) const;

private:
    QImage *tileAt(int column, int row);
    QRect tileRect(int column, int row) const;

    QImage m_snapshot;
    int m_columns = 0;
    int m_rows = 0;
    std::vector<QImage> m_tiles; // row by row; null where no line has been
    int m_tileCount = 0;
    mutable QImage m_picture; // the snapshot, shared, until picture() is asked for
    mutable bool m_pictureKept = false;
    // The coverage of a segment is rasterised here: a stroke draws a small segment on every
    // pointer move, and a buffer kept between them, with a painter kept open on it, spares an
    // allocation and a paint engine's set-up on each.
    QImage m_coverage;
    std::unique_ptr<QPainter> m_coveragePainter;
};
