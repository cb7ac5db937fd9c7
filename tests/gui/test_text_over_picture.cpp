// The text block drawn over a part of the picture on its own, as the overlay's first frame is
// made before the window shows: exactly the pixels the surface paints there, and nothing of the
// labels outside the bounds they report.
#include "SurfaceTestKit.h"
#include "overlay/Surface.h"
#include "overlay/TextItem.h"

#include <QFont>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

// The surface as the window shows it: its own paint of every pixel, into the backing store's
// kind of image.
QImage painted(Surface &surface)
{
    QImage out(surface.size(), QImage::Format_RGB32);
    out.fill(Qt::black);
    surface.render(&out);
    return out;
}

struct Case
{
    const char *name;
    QPointF text; // where the text stands
    int shadowGap; // the shadow's offset from it
    bool italic;
};

class TextOverPicture : public ::testing::TestWithParam<Case>
{
};

} // namespace

TEST_P(TextOverPicture, IsTheSurfacesOwnPaintThereAndTheBoundsHoldEveryChangedPixel)
{
    const Case c = GetParam();
    NoEvents events;
    Surface surface(&events, nullptr);
    surface.resize(360, 220);
    const QImage picture = noise(surface.size(), 29);
    surface.setImage(picture);

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(21.75);
    font.setItalic(c.italic);
    TextItem shadow(&surface), text(&surface), caret(&surface);
    for (TextItem *item : {&shadow, &text, &caret})
        item->setFont(font);
    shadow.setForeColor(0xFF000000);
    text.setForeColor(0xFFFF0050);
    caret.setForeColor(0xFF00FF00);
    text.setCaption(QStringLiteral("Wavy fj\r\nsecond line"));
    shadow.setCaption(text.caption());
    caret.setCaption(QStringLiteral("|"));
    text.move(c.text.x(), c.text.y());
    shadow.move(c.text.x() + c.shadowGap, c.text.y() + c.shadowGap);
    caret.move(c.text.x() + text.width(), c.text.y() + text.height() - caret.height());
    surface.setItems({&shadow, &text, &caret});

    const QImage whole = painted(surface);
    const QRect area = surface.itemsBounds() & surface.rect();
    ASSERT_FALSE(area.isEmpty());
    const QImage composed = surface.paintItemsOver(picture.copy(area), area.topLeft());
    EXPECT_EQ(composed, whole.copy(area));

    // Outside the bounds the surface shows the picture untouched.
    QImage outside = whole;
    QPainter(&outside).drawImage(area.topLeft(), picture.copy(area));
    EXPECT_EQ(outside, picture);
}

INSTANTIATE_TEST_SUITE_P(
    Places, TextOverPicture,
    ::testing::Values(Case {"Inside", {40, 50}, 3, false}, Case {"Italic", {60, 30}, 5, true},
                      Case {"FarShadow", {30, 40}, 16, false},
                      Case {"OverTheRightAndBottomEdges", {260, 170}, 4, false},
                      Case {"OverTheLeftAndTopEdges", {-30, -12}, 2, true}),
    [](const ::testing::TestParamInfo<Case> &place) { return std::string(place.param.name); });
