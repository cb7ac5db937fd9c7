// A label repainted strip by strip, as the edges of a dragged outline repaint it, shows exactly
// the pixels of the label painted whole: the strips draw only the characters that reach into
// them, and those must stand where the whole line puts them, with every pixel of their ink.
#include "overlay/TextItem.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

namespace {

struct PiecesCase
{
    const char *family;
    double points;
    bool bold;
    bool italic;
};

class TextPieces : public ::testing::TestWithParam<PiecesCase>
{
protected:
    static QFont font()
    {
        QFont f(QString::fromLatin1(GetParam().family));
        f.setPointSizeF(GetParam().points);
        f.setBold(GetParam().bold);
        f.setItalic(GetParam().italic);
        return f;
    }

    // An opaque picture that is not one colour, so that every blended pixel shows.
    static QImage background(const QSize &size)
    {
        QImage image(size, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb(x * 7 % 256, y * 5 % 256, (x + y) % 256));
        return image;
    }
};

TEST_P(TextPieces, StripByStripIsTheWholeLabel)
{
    // Overhanging italics and swashes, a line in a shaped script and one with a combining mark
    // (those two are drawn whole), blanks and an empty line.
    const QString caption = QStringLiteral("Quillane ffi fj W.A. To\r\n"
                                           "\r\n"
                                           "  \u00e9t\u00e9 \u0192 \u00c5ngstr\u00f6m  \r\n"
                                           "e\u0301 combined\r\n"
                                           "\u0633\u0644\u0627\u0645 mixed\r\n"
                                           "\u03a9\u03bc\u03ad\u03b3\u03b1 \u0416\u0443\u043a");
    TextItem label;
    label.setFont(font());
    label.setForeColor(qRgb(20, 230, 90));
    label.setCaption(caption);
    label.move(31.3, 17.7);
    const QRect bounds = label.paintBounds();
    const QSize size(bounds.right() + 40, bounds.bottom() + 20);

    QImage whole = background(size);
    {
        QPainter painter(&whole);
        painter.setRenderHint(QPainter::TextAntialiasing);
        label.paint(painter);
    }

    for (const int strip : {1, 3, 5, 17}) {
        QImage pieces = background(size);
        {
            QPainter painter(&pieces);
            painter.setRenderHint(QPainter::TextAntialiasing);
            for (int x = 0; x < size.width(); x += strip) {
                const QRect area(x, 0, strip, size.height());
                painter.setClipRect(area);
                label.paint(painter, area);
            }
        }
        EXPECT_EQ(pieces, whole) << "strips " << strip << " pixels wide";
    }

    // The Latin, Greek and Cyrillic lines were drawn a piece at a time, the others whole.
    const auto widths = TextLayout::lineWidthsFor(font());
    const QStringList lines = TextLayout::lines(caption);
    EXPECT_TRUE(widths->pieces(lines.at(0)));
    EXPECT_TRUE(widths->pieces(lines.at(2)));
    EXPECT_FALSE(widths->pieces(lines.at(3)));
    EXPECT_FALSE(widths->pieces(lines.at(4)));
    EXPECT_TRUE(widths->pieces(lines.at(5)));
}

// Large sizes are drawn as outlines, small ones from the glyph cache; both must hold.
INSTANTIATE_TEST_SUITE_P(Fonts, TextPieces,
                         ::testing::Values(PiecesCase {"Liberation Sans", 72, true, false},
                                           PiecesCase {"DejaVu Serif", 72, false, true},
                                           PiecesCase {"Z003", 60, false, true},
                                           PiecesCase {"C059", 15, true, true},
                                           PiecesCase {"DejaVu Sans", 27.5, false, false}),
                         [](const ::testing::TestParamInfo<PiecesCase> &row) {
                             QString name = QString::fromLatin1(row.param.family)
                                 + QString::number(int(row.param.points))
                                 + (row.param.bold ? QStringLiteral("Bold") : QString())
                                 + (row.param.italic ? QStringLiteral("Italic") : QString());
                             name.remove(QLatin1Char(' '));
                             return name.toStdString();
                         });

} // namespace
