// The caret stands exactly where the text is drawn: after every character of a multi-line text
// with blanks, the place the caret marks is where the next character is drawn and the line it
// stands on is where that line is drawn. Proved on the pixels: drawing the text up to the caret
// from the text's corner and the rest from the caret's place gives exactly the picture of the
// whole text, which can only be when the measuring labels measure as lblShow draws.
#include "TextFixture.h"

#include "overlay/TextBlock.h"

#include <QPainter>

#include <algorithm>

namespace {

struct FontCase
{
    const char *family;
    const char *points;
    bool bold;
    bool italic;
};

class CaretExactness : public TextTest, public ::testing::WithParamInterface<FontCase>
{
protected:
    void useFont(const FontCase &f)
    {
        Settings &s = gSettings;
        s.gsFontName = QString::fromLatin1(f.family);
        s.gsFontSize = QString::fromLatin1(f.points);
        s.gnFontStyle = {int16_t(f.bold), int16_t(f.italic), 0, 0};
        OverlayForm &o = overlay();
        ApplyFont(o.textBlock().lblShow, s.glColor[SlotText], 1);
        ApplyFont(o.textBlock().lblShadow, s.glColor[SlotShadow], 1);
        ApplyFont(o.textBlock().lblCursor, s.glColor[SlotCursor], 0);
        ApplyFont(main().lblHorizontalPos, 0, 1);
        ApplyFont(main().lblVerticalPos, 0, 1);
    }

    QImage canvas() const
    {
        QImage image(frmShow->textBlock().lblShow.paintBounds().size(),
                     QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        return image;
    }

    QPainter &begin(QPainter &painter, QImage &image) const
    {
        painter.begin(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.translate(-QPointF(frmShow->textBlock().lblShow.paintBounds().topLeft()));
        return painter;
    }
};

TEST_P(CaretExactness, AfterEveryCharacterTheCaretIsWhereTheTextIsDrawn)
{
    // Blanks leading, inside, doubled and trailing; an empty line; letters that ligate or kern in
    // many fonts (fi, ffi, AV, To, W.); accents.
    const QString text
        = QStringLiteral("  To fit  AV \r\n\r\noffice, W.A.  \r\n \u00e9t\u00e9 ffi. ");
    startWithText(text);
    useFont(GetParam());
    const TextItem &shown = overlay().textBlock().lblShow;
    const QFont font = shown.font();
    const QRgb colour = shown.foreColor();
    const QFontMetricsF metrics(TextLayout::labelFont(font));

    QImage whole = canvas();
    {
        QPainter painter;
        begin(painter, whole);
        shown.paint(painter);
    }

    int checked = 0;
    for (qsizetype pos = 0; pos <= text.size(); ++pos) {
        if (pos > 0 && text.at(pos - 1) == QLatin1Char('\r'))
            continue; // inside a line break: no place for the caret
        main().txtInput->setSelStart(pos);
        main().txtInput_KeyUp(0, 0);
        ASSERT_EQ(MainFormInternals::plStartPos(main()), pos);
        const QPointF at = caretInsertion();
        const double lineTop = at.y() - metrics.height();

        const QString head = text.left(pos);
        const QStringList tail = TextLayout::lines(text.mid(pos));
        QImage pieces = canvas();
        {
            QPainter painter;
            begin(painter, pieces);
            TextLayout::draw(painter, font, colour, {shown.left(), shown.top()}, head);
            TextLayout::draw(painter, font, colour, {at.x(), lineTop}, tail.first());
            TextLayout::draw(painter, font, colour, {shown.left(), lineTop + metrics.lineSpacing()},
                             QStringList(tail.mid(1)).join(QLatin1String("\r\n")));
        }
        EXPECT_EQ(pieces, whole) << "caret after " << pos << " characters (\"" << head.toStdString()
                                 << "\") at " << at.x() << ", " << at.y();
        ++checked;
    }
    EXPECT_EQ(checked, text.size() + 1 - 3);
}

INSTANTIATE_TEST_SUITE_P(Fonts, CaretExactness,
                         ::testing::Values(FontCase {"Arial", "36", true, false},
                                           FontCase {"DejaVu Sans", "20", false, true},
                                           FontCase {"Liberation Serif", "27.5", false, false},
                                           FontCase {"C059", "15", true, true}),
                         [](const ::testing::TestParamInfo<FontCase> &row) {
                             std::string name = row.param.family;
                             name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
                             return name + (row.param.bold ? "Bold" : "")
                                 + (row.param.italic ? "Italic" : "");
                         });

} // namespace
