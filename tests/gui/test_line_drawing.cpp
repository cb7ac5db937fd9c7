// Freehand lines on the overlay: strokes into picShow's image, the flag that enables Clear Lines,
// the menu and the text mode, strokes under the text, and what is repainted.
#include "MouseInput.h"
#include "ProgramFixture.h"
#include "TextFixture.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <vector>

namespace {

constexpr QRgb Blue = 0xFF0000FF;

double distanceToSegment(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double length2 = QPointF::dotProduct(ab, ab);
    const double t
        = length2 == 0 ? 0 : std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0);
    const QPointF nearest = a + t * ab;
    return std::hypot(p.x() - nearest.x(), p.y() - nearest.y());
}

double distanceToPath(QPointF p, const std::vector<QPointF> &path)
{
    double best = std::hypot(p.x() - path[0].x(), p.y() - path[0].y());
    for (std::size_t i = 1; i < path.size(); ++i)
        best = std::min(best, distanceToSegment(p, path[i - 1], path[i]));
    return best;
}

// Every pixel of `area`: the stroke's colour within `inside` of the path, the clean snapshot from
// `outside` on, and nothing but those two anywhere (the strokes are aliased).
void expectStroke(const QImage &image, const QImage &clean, const std::vector<QPointF> &path,
                  double inside, double outside, QRgb colour, const QRect &area)
{
    int wrong = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const double d = distanceToPath(QPointF(x, y), path);
            bool good = pixel == colour || pixel == clean.pixel(x, y);
            if (d <= inside)
                good = pixel == colour;
            else if (d >= outside)
                good = pixel == clean.pixel(x, y);
            if (!good && ++wrong <= 5)
                ADD_FAILURE() << "pixel " << x << "," << y << " at " << d << " from the path is "
                              << std::hex << pixel;
        }
    }
    EXPECT_EQ(wrong, 0);
}

class LineDrawingTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        writeSettingsFile(DefaultSettingsBytes());
        startProgram();
        clean = OverlayInternals::formImage(overlay());
    }

    Surface *surface() { return overlay().picShow; }

    // Whether a right press at (x, y) would show Clear Lines enabled in the menu.
    bool clearLinesEnabledInTheMenu()
    {
        bool enabled = false;
        withPopupMenu([&] { overlay().picShow_MouseDown(2, 0, 700, 500); },
                      [&](QMenu &) { enabled = main().mnuClearLines->isEnabled(); });
        return enabled;
    }

    QImage clean;
};

} // namespace

TEST_F(LineDrawingTest, ThePressDrawsADotAndEachMoveAJoinedSegment)
{
    main().mnuModeLines_Click();
    OverlayForm &o = overlay();
    o.picShow_MouseDown(1, 0, 100, 100);
    EXPECT_EQ(OverlayInternals::pbDrawing(o), True);
    o.picShow_MouseMove(1, 0, 150, 100);
    o.picShow_MouseMove(1, 0, 150, 150);
    o.picShow_MouseUp(1, 0, 150, 150);
    EXPECT_EQ(OverlayInternals::pbDrawing(o), False);

    // 12 pixels wide, with round caps and a round join: blue within 5 pixels of the path, the
    // snapshot from 7 on, and no other colour anywhere.
    expectStroke(surface()->image(), clean, {{100, 100}, {150, 100}, {150, 150}}, 5, 7, Blue,
                 QRect(0, 0, 400, 400));
    // The corner is rounded: a mitred or square join would cover (156, 94).
    EXPECT_EQ(surface()->image().pixel(156, 94), clean.pixel(156, 94));
    EXPECT_EQ(surface()->image().pixel(154, 96), Blue);
    EXPECT_EQ(gSettings.gbLinesShown, True);
    EXPECT_TRUE(clearLinesEnabledInTheMenu());

    // Clear Lines gives the snapshot back pixel for pixel.
    main().mnuClearLines_Click();
    EXPECT_EQ(surface()->image(), clean);
    EXPECT_FALSE(clearLinesEnabledInTheMenu());
}

TEST_F(LineDrawingTest, AClickWithoutMovementLeavesOnlyADot)
{
    main().mnuModeLines_Click();
    overlay().picShow_MouseDown(1, 0, 300, 300);
    overlay().picShow_MouseUp(1, 0, 300, 300);
    expectStroke(surface()->image(), clean, {{300, 300}}, 5, 7, Blue, QRect(250, 250, 100, 100));
    EXPECT_EQ(gSettings.gbLinesShown, False);
    EXPECT_FALSE(clearLinesEnabledInTheMenu());
}

TEST_F(LineDrawingTest, ColourIsReadAtEverySegmentAndWidthAtEachPress)
{
    main().mnuModeLines_Click();
    OverlayForm &o = overlay();
    o.picShow_MouseDown(1, 0, 100, 300);
    gSettings.glColor[SlotLines] = 0x0000FF; // red, packed
    gSettings.gnLineWidth = 40; // applies from the next stroke
    o.picShow_MouseMove(1, 0, 200, 300);
    o.picShow_MouseUp(1, 0, 200, 300);
    const QImage &image = surface()->image();
    EXPECT_EQ(image.pixel(150, 300), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(150, 307), clean.pixel(150, 307)) << "still 12 wide";

    o.picShow_MouseDown(1, 0, 400, 300);
    o.picShow_MouseUp(1, 0, 400, 300);
    EXPECT_EQ(image.pixel(400, 318), qRgb(255, 0, 0)) << "the next stroke is 40 wide";
    EXPECT_EQ(image.pixel(400, 322), clean.pixel(400, 322));
}

TEST_F(LineDrawingTest, LeftAndRightTogetherStartAStrokeAndOpenNoMenu)
{
    main().mnuModeLines_Click();
    bool menuSeen = false;
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (QWidget *popup = QApplication::activePopupWidget()) {
            menuSeen = true;
            popup->close();
        }
    });
    guard.start(10);
    // Both buttons go down in one press, then the right one while the left is held.
    Press(surface(), QPointF(100, 400), Qt::LeftButton, Qt::RightButton);
    EXPECT_EQ(OverlayInternals::pbDrawing(overlay()), True);
    MoveHeld(surface(), QPointF(140, 400), Qt::LeftButton | Qt::RightButton);
    Press(surface(), QPointF(140, 400), Qt::RightButton, Qt::LeftButton);
    MoveHeld(surface(), QPointF(180, 400), Qt::LeftButton | Qt::RightButton);
    QTest::qWait(30);
    Release(surface(), QPointF(180, 400), Qt::RightButton, Qt::LeftButton);
    Release(surface(), QPointF(180, 400), Qt::LeftButton);
    EXPECT_FALSE(menuSeen);
    EXPECT_EQ(surface()->image().pixel(160, 400), Blue);
    EXPECT_EQ(gSettings.gbLinesShown, True);
}

TEST_F(LineDrawingTest, TextModeDrawsNothing)
{
    Press(surface(), QPointF(100, 400));
    EXPECT_EQ(OverlayInternals::pbDrawing(overlay()), False);
    for (int x = 110; x <= 300; x += 10)
        MoveHeld(surface(), QPointF(x, 420));
    Release(surface(), QPointF(300, 420));
    EXPECT_EQ(surface()->image(), clean);
    EXPECT_EQ(gSettings.gbLinesShown, False);
}

TEST_F(LineDrawingTest, AStrokeRunsUnderTheTextAndOnOutsideTheWindow)
{
    main().mnuModeLines_Click();
    OverlayForm &o = overlay();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&o));
    const QRectF text = o.textBlock().lblShow.rect();
    const double y = text.center().y();
    // The pixels of the text's glyphs along the band the stroke will cover.
    const QImage before = surface()->grab().toImage();
    std::vector<QPoint> glyph;
    for (int x = int(text.left()); x < int(text.right()); ++x)
        for (int dy = -4; dy <= 4; ++dy)
            if (before.pixel(x, int(y) + dy) == qRgb(255, 0, 80))
                glyph.emplace_back(x, int(y) + dy);
    ASSERT_FALSE(glyph.empty());

    Press(surface(), QPointF(120, y));
    MoveHeld(surface(), QPointF(text.right() + 40, y)); // across the text
    MoveHeld(surface(), QPointF(-30, y)); // out of the window on the left
    Release(surface(), QPointF(-30, y));
    EXPECT_EQ(OverlayInternals::pbDrawing(o), False);
    EXPECT_EQ(gSettings.gbLinesShown, True);

    const QImage &image = surface()->image();
    const QImage after = surface()->grab().toImage();
    for (const QPoint &p : glyph) {
        ASSERT_EQ(image.pixel(p), Blue) << "the stroke is in the image under the text";
        // The glyph's edges blend with what is under them; its body is the text colour.
        const QRgb seen = after.pixel(p);
        ASSERT_TRUE(std::abs(qRed(seen) - 255) <= 3 && qGreen(seen) <= 3
                    && std::abs(qBlue(seen) - 80) <= 3)
            << "the text stays on top, at " << p.x() << "," << p.y() << ": " << std::hex << seen;
    }
    EXPECT_EQ(image.pixel(0, int(y)), Blue) << "the segment to the outside reaches the edge";
}

TEST_F(LineDrawingTest, EachSegmentRepaintsOnlyItsOwnRectangle)
{
    main().mnuModeLines_Click();
    OverlayForm &o = overlay();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&o));
    QCoreApplication::processEvents();

    PaintSpy recorder(surface());

    const int width = gSettings.gnLineWidth;
    const std::vector<QPoint> path = {{300, 300}, {340, 310}, {345, 380}, {290, 400}, {291, 401}};
    o.picShow_MouseDown(1, 0, path[0].x(), path[0].y());
    for (std::size_t i = 1; i < path.size(); ++i) {
        recorder.clear();
        o.picShow_MouseMove(1, 0, path[i].x(), path[i].y());
        QTRY_VERIFY(!recorder.painted.isEmpty());
        // No more than the segment's bounding rectangle grown by half the pen and 2 pixels on
        // each side, which is less than the pen width itself on each side.
        const int reach = width / 2 + 2;
        ASSERT_LE(reach, width);
        const QPoint a = path[i - 1], b = path[i];
        const QRect allowed = QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                                    QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())))
                                  .adjusted(-reach, -reach, reach, reach);
        EXPECT_TRUE(allowed.contains(recorder.painted.boundingRect()))
            << "segment " << i << " repainted " << recorder.painted.boundingRect().x() << ","
            << recorder.painted.boundingRect().y() << " " << recorder.painted.boundingRect().width()
            << "x" << recorder.painted.boundingRect().height();
    }
    o.picShow_MouseUp(1, 0, 291, 401);
}

TEST_F(LineDrawingTest, WidthsFromADamagedFileAreKeptWithinOneToFifty)
{
    main().mnuModeLines_Click();
    OverlayForm &o = overlay();
    gSettings.gnLineWidth = 0;
    o.picShow_MouseDown(1, 0, 100, 500);
    o.picShow_MouseMove(1, 0, 200, 500);
    o.picShow_MouseUp(1, 0, 200, 500);
    expectStroke(surface()->image(), clean, {{100, 500}, {200, 500}}, 0, 2, Blue,
                 QRect(90, 490, 120, 20));

    gSettings.gnLineWidth = -32768;
    o.picShow_MouseDown(1, 0, 300, 500);
    o.picShow_MouseUp(1, 0, 300, 500);
    EXPECT_EQ(surface()->image().pixel(300, 500), Blue);

    gSettings.gnLineWidth = 32767;
    o.picShow_MouseDown(1, 0, 500, 300);
    o.picShow_MouseMove(1, 0, 520, 300);
    o.picShow_MouseUp(1, 0, 520, 300);
    expectStroke(surface()->image(), clean, {{500, 300}, {520, 300}}, 23, 27, Blue,
                 QRect(440, 240, 140, 120));
    EXPECT_EQ(gSettings.gnLineWidth, 32767) << "the stored value is not changed by drawing";
}
