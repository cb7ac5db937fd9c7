// The drawing surface: its picture as a snapshot and tiles of lines, whose strokes give exactly the
// pixels of strokes drawn straight onto a whole image, across tile borders and over the picture's
// edges; a new picture drops every line; and a dragged outline repaints only its own dots.
#include "SurfaceTestKit.h"
#include "TextFixture.h"
#include "overlay/Surface.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

QPen linePen(int width, QRgb colour)
{
    QPen pen {QColor::fromRgb(colour)};
    pen.setWidth(width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

using Path = std::vector<QPointF>;

// The stroke as it is drawn onto one whole image: a dot, then a segment a move.
void drawDirectly(QImage &image, const Path &path, const QPen &pen)
{
    for (std::size_t i = 0; i < path.size(); ++i) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(pen);
        if (i == 0)
            painter.drawPoint(path[0]);
        else
            painter.drawLine(path[i - 1], path[i]);
    }
}

void drawOnSurface(Surface &surface, const Path &path, const QPen &pen)
{
    surface.beginStroke(path[0], pen);
    for (std::size_t i = 1; i < path.size(); ++i)
        surface.continueStroke(path[i], pen);
}

int differingPixels(const QImage &a, const QImage &b)
{
    const QImage one = a.convertToFormat(QImage::Format_RGB32);
    const QImage other = b.convertToFormat(QImage::Format_RGB32);
    if (one.size() != other.size())
        return -1;
    int differing = 0;
    for (int y = 0; y < one.height(); ++y) {
        for (int x = 0; x < one.width(); ++x)
            differing += one.pixel(x, y) != other.pixel(x, y);
    }
    return differing;
}

class LineLayerTest : public ::testing::Test
{
protected:
    LineLayerTest()
        : surface(&events, nullptr)
    {
        snapshot = noise(QSize(451, 333)); // no whole number of tiles either way
        surface.resize(snapshot.size());
        surface.setImage(snapshot);
    }

    NoEvents events;
    Surface surface;
    QImage snapshot;
};

} // namespace

TEST_F(LineLayerTest, StrokesAreThePixelsOfStrokesDrawnOnTheWholeImage)
{
    constexpr int T = LineLayer::TileSize;
    // Thin and wide pens, steep and shallow segments across tile borders and corners, dots on
    // corners, and segments that leave the picture over each of its edges.
    const std::vector<std::pair<int, Path>> strokes = {
        {1, {{T - 3, 10}, {3 * T + 7, 2 * T + 1}, {T + 0.5, 3 * T + 20}, {-40, 120}}},
        {2, {{T, T}, {T - 1, 4 * T + 9}, {6 * T + 3, 4 * T + 10}}},
        {5, {{2 * T - 1, 2 * T - 1}}},
        {12, {{100, 100}, {150, 100}, {150, 150}, {151, 151}, {500, -30}}},
        {40, {{3 * T, 3 * T}, {5 * T + 31, 3 * T + 2}, {440, 340}}},
        {7, {{-10, 200}, {460, 210}, {300, 400}}},
    };
    QImage expected = snapshot.copy();
    QRgb colour = 0xff0000ff;
    for (const auto &[width, path] : strokes) {
        const QPen pen = linePen(width, colour);
        drawDirectly(expected, path, pen);
        drawOnSurface(surface, path, pen);
        colour = qRgb(qRed(colour) + 40, qGreen(colour) + 90, qBlue(colour) - 30);
    }
    ASSERT_NE(differingPixels(expected, snapshot), 0);
    EXPECT_EQ(differingPixels(surface.image(), expected), 0);
    EXPECT_EQ(surface.image(), expected);
    // What the surface shows is that picture too: tiles and snapshot meet without a seam.
    EXPECT_EQ(differingPixels(surface.grab().toImage(), expected), 0);
    // Only the tiles the lines touch are kept.
    const int tiles = ((snapshot.width() + T - 1) / T) * ((snapshot.height() + T - 1) / T);
    EXPECT_GT(SurfaceInternals::lineTileCount(surface), 0);
    EXPECT_LT(SurfaceInternals::lineTileCount(surface), tiles);
}

TEST_F(LineLayerTest, TheImageReadBeforeAStrokeShowsTheStroke)
{
    const QImage &image = surface.image();
    EXPECT_EQ(image.cacheKey(), snapshot.cacheKey()) << "no copy of a clean picture";
    const QPen pen = linePen(9, 0xff00ff00);
    drawOnSurface(surface, {{70, 70}, {200, 90}}, pen);
    QImage expected = snapshot.copy();
    drawDirectly(expected, {{70, 70}, {200, 90}}, pen);
    EXPECT_EQ(image, expected);
    EXPECT_EQ(snapshot, noise(snapshot.size())) << "the snapshot itself is never drawn on";
}

TEST_F(LineLayerTest, TheSamePicturePaintedAgainDropsEveryLine)
{
    drawOnSurface(surface, {{10, 10}, {440, 320}, {10, 320}}, linePen(20, 0xffff0000));
    ASSERT_GT(SurfaceInternals::lineTileCount(surface), 0);
    ASSERT_NE(surface.image(), snapshot);

    surface.paintPicture(snapshot);
    EXPECT_EQ(SurfaceInternals::lineTileCount(surface), 0);
    EXPECT_EQ(surface.image(), snapshot);
    EXPECT_EQ(differingPixels(surface.grab().toImage(), snapshot), 0);

    // A smaller picture covers only its part: the lines beyond it stay.
    drawOnSurface(surface, {{300, 300}, {400, 300}}, linePen(6, 0xffff0000));
    const QImage corner = noise(QSize(100, 100));
    QImage expected = surface.image().copy();
    {
        QPainter painter(&expected);
        painter.drawImage(QPointF(0, 0), corner);
    }
    surface.paintPicture(corner);
    EXPECT_EQ(surface.image(), expected);
    EXPECT_EQ(surface.image().pixel(350, 300), 0xffff0000);
}

TEST_F(LineLayerTest, AMovingDragOutlineRepaintsOnlyTheDotsOfTheOldAndTheNew)
{
    surface.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&surface));
    PaintSpy recorder(&surface);

    // Dots on the rectangle's first and last rows and columns; every one of them must be
    // repainted when the outline moves, and nothing two pixels or more away from any.
    const auto dots = [](const QRect &r) {
        QRegion region(r);
        return region - QRegion(r.adjusted(1, 1, -1, -1));
    };
    const auto near = [&](const QRect &r) {
        return dots(r.adjusted(-2, -2, 2, 2)) + dots(r.adjusted(-1, -1, 1, 1)) + dots(r)
            + dots(r.adjusted(1, 1, -1, -1)) + dots(r.adjusted(2, 2, -2, -2));
    };
    QRect outline(50, 60, 240, 180);
    surface.setDragOutline(outline);
    QTRY_VERIFY(!recorder.painted.isEmpty());
    for (const QPoint step : {QPoint(5, 0), QPoint(0, -5), QPoint(-37, 22), QPoint(1, 1)}) {
        recorder.clear();
        const QRect moved = outline.translated(step);
        surface.setDragOutline(moved);
        QTRY_VERIFY(!recorder.painted.isEmpty());
        EXPECT_TRUE((dots(outline) + dots(moved) - recorder.painted).isEmpty());
        EXPECT_TRUE((recorder.painted - near(outline) - near(moved)).isEmpty())
            << "painted " << recorder.painted.boundingRect().width() << "x"
            << recorder.painted.boundingRect().height() << " in " << recorder.painted.rectCount()
            << " rectangles";
        outline = moved;
    }
    recorder.clear();
    surface.setDragOutline({});
    QTRY_VERIFY(!recorder.painted.isEmpty());
    EXPECT_TRUE((dots(outline) - recorder.painted).isEmpty()) << "the last outline goes";
}
