// The text block on the overlay: moving it by dragging, the presses on it, the blink and what the
// surface repaints for them.
#include "TextFixture.h"

#include "overlay/TextBlock.h"
#include "settings/SettingsCodec.h"

#include <QTest>

namespace {

QPoint inside(const TextItem &item, double fx = 0.2, double fy = 0.4)
{
    const QRectF r = item.rect();
    return QPointF(r.left() + r.width() * fx, r.top() + r.height() * fy).toPoint();
}

TEST_F(TextTest, DraggingTheTextMovesTheWholeBlockWhereTheGrabbedPointIsDropped)
{
    startWithText(QStringLiteral("Hello!"));
    OverlayForm &o = overlay();
    Surface *surface = o.picShow;
    const QPointF caretBefore(o.textBlock().lblCursor.left(), o.textBlock().lblCursor.top());
    const QPoint grab = inside(o.textBlock().lblShow);
    const QPointF grabInText = QPointF(grab) - QPointF(200, 200);

    QTest::mousePress(surface, Qt::LeftButton, {}, grab);
    EXPECT_FLOAT_EQ(OverlayInternals::pfGrabX(o), float(grabInText.x() * 15));
    EXPECT_FLOAT_EQ(OverlayInternals::pfGrabY(o), float(grabInText.y() * 15));
    // The outline follows the pointer, carried by the grabbed point.
    QTest::mouseMove(surface, QPoint(500, 320));
    EXPECT_EQ(surface->dragOutline(),
              QRectF(QPointF(500, 320) - grabInText, o.textBlock().lblShow.rect().size()));
    EXPECT_EQ(o.textBlock().lblShow.left(), 200) << "the text itself stays until the drop";
    QTest::mouseMove(surface, QPoint(400, 300));
    QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(400, 300));

    EXPECT_TRUE(surface->dragOutline().isEmpty());
    const QPointF corner = QPointF(400, 300) - grabInText;
    EXPECT_EQ(gSettings.gnTextX, qRound(corner.x()));
    EXPECT_EQ(gSettings.gnTextY, qRound(corner.y()));
    EXPECT_EQ(QPointF(o.textBlock().lblShow.left(), o.textBlock().lblShow.top()),
              QPointF(gSettings.gnTextX, gSettings.gnTextY));
    EXPECT_EQ(QPointF(o.textBlock().lblShadow.left(), o.textBlock().lblShadow.top()),
              QPointF(gSettings.gnTextX + 2, gSettings.gnTextY + 2));
    // The caret moved with the text.
    EXPECT_EQ(QPointF(o.textBlock().lblCursor.left(), o.textBlock().lblCursor.top()) - caretBefore,
              QPointF(gSettings.gnTextX - 200, gSettings.gnTextY - 200));

    // The new place is what the program stores when it ends.
    main().mnuQuit_Click();
    Settings stored;
    ASSERT_TRUE(DecodeSettings(readSettingsFile(), stored).ok);
    EXPECT_EQ(stored.gnTextX, gSettings.gnTextX);
    EXPECT_EQ(stored.gnTextY, gSettings.gnTextY);
}

TEST_F(TextTest, DroppingOnTheTextItselfMovesItByThePointersWay)
{
    startWithText(QStringLiteral("Hello!"));
    OverlayForm &o = overlay();
    const QPoint grab = inside(o.textBlock().lblShow);
    QTest::mousePress(o.picShow, Qt::LeftButton, {}, grab);
    QTest::mouseMove(o.picShow, grab + QPoint(3, 2));
    QTest::mouseRelease(o.picShow, Qt::LeftButton, {}, grab + QPoint(3, 2));
    EXPECT_EQ(gSettings.gnTextX, 203);
    EXPECT_EQ(gSettings.gnTextY, 202);
    EXPECT_EQ(o.textBlock().lblShow.left(), 203);
}

TEST_F(TextTest, ADropOnTheShadowOrTheCaretLeavesTheTextWhereItWas)
{
    startWithText(QStringLiteral("Hello!"));
    OverlayForm &o = overlay();
    // Past the text's right edge but on its shadow, two pixels further right.
    const QPoint onShadow(int(std::floor(o.textBlock().lblShow.rect().right())) + 1,
                          int(o.textBlock().lblShow.top() + o.textBlock().lblShow.height() / 2));
    ASSERT_TRUE(o.textBlock().lblShadow.contains(onShadow));
    ASSERT_FALSE(o.textBlock().lblShow.contains(onShadow));
    main().txtInput->setSelStart(2);
    main().txtInput_KeyUp(0, 0);
    const QPoint onCaret = o.textBlock().lblCursor.rect().center().toPoint();

    for (const QPoint drop : {onShadow, onCaret}) {
        QTest::mousePress(o.picShow, Qt::LeftButton, {}, inside(o.textBlock().lblShow));
        QTest::mouseMove(o.picShow, drop);
        QTest::mouseRelease(o.picShow, Qt::LeftButton, {}, drop);
        EXPECT_EQ(o.textBlock().lblShow.left(), 200);
        EXPECT_EQ(gSettings.gnTextX, 200);
        EXPECT_EQ(gSettings.gnTextY, 200);
        EXPECT_TRUE(o.picShow->dragOutline().isEmpty());
    }
}

TEST_F(TextTest, InLineModeALeftPressOnTheTextDoesNothingAtAll)
{
    startWithText(QStringLiteral("Hello!"));
    OverlayForm &o = overlay();
    main().mnuModeLines_Click();
    const QImage before = o.picShow->image();
    const QPoint grab = inside(o.textBlock().lblShow);
    QTest::mousePress(o.picShow, Qt::LeftButton, {}, grab);
    EXPECT_TRUE(o.picShow->dragOutline().isEmpty());
    QTest::mouseMove(o.picShow, QPoint(500, 400));
    QTest::mouseRelease(o.picShow, Qt::LeftButton, {}, QPoint(500, 400));
    EXPECT_EQ(o.textBlock().lblShow.left(), 200);
    EXPECT_EQ(o.picShow->image(), before) << "no stroke either";
    EXPECT_EQ(gSettings.gbLinesShown, False);
}

TEST_F(TextTest, ARightPressOnTheTextOpensTheMenuWithExitOnlyUnderShiftCtrlAlt)
{
    startWithText(QStringLiteral("Hello!"));
    OverlayForm &o = overlay();
    const QPoint onText = inside(o.textBlock().lblShow);
    gSettings.gbLinesShown = True;
    struct Seen
    {
        bool exit = false, bar = false, clearLines = false, restore = true;
    } seen;
    const auto look = [&](QMenu &) {
        seen = {main().mnuQuit->isVisible(), main().mnuBar4->isVisible(),
                main().mnuClearLines->isEnabled(), main().mnuRestore->isEnabled()};
    };
    const Qt::KeyboardModifiers all = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    withPopupMenu([&] { QTest::mousePress(o.picShow, Qt::RightButton, all, onText); }, look);
    QTest::mouseRelease(o.picShow, Qt::RightButton, all, onText);
    EXPECT_TRUE(seen.exit);
    EXPECT_TRUE(seen.bar);
    EXPECT_TRUE(seen.clearLines) << "enabled from the flag";
    EXPECT_FALSE(seen.restore);

    const Qt::KeyboardModifiers two = Qt::ControlModifier | Qt::AltModifier;
    withPopupMenu([&] { QTest::mousePress(o.picShow, Qt::RightButton, two, onText); }, look);
    QTest::mouseRelease(o.picShow, Qt::RightButton, two, onText);
    EXPECT_FALSE(seen.exit);
    EXPECT_FALSE(seen.bar);

    // The exit item chosen from a menu opened with all three ends the program and saves.
    withPopupMenu([&] { QTest::mousePress(o.picShow, Qt::RightButton, all, onText); },
                  [](QMenu &) {}, main().mnuQuit);
    EXPECT_TRUE(main().isEnding());
    EXPECT_EQ(readSettingsFile().size(), 85);
}

TEST_F(TextTest, TheCaretBlinksOffForOneTickAndOnForTheNext)
{
    startWithText(QStringLiteral("Hello!"));
    OverlayForm &o = overlay();
    EXPECT_TRUE(o.textBlock().tmrBlink.isActive());
    EXPECT_EQ(o.textBlock().tmrBlink.interval(), 500);
    o.textBlock().nBlinkTick = 0;
    o.textBlock().placeCaret();
    EXPECT_EQ(o.textBlock().lblCursor.caption(), QStringLiteral("|"));
    o.textBlock().tmrBlink_Timer();
    EXPECT_EQ(o.textBlock().lblCursor.caption(), QString());
    EXPECT_EQ(o.textBlock().lblCursor.width(), 0) << "a blank caret takes no room";
    o.textBlock().tmrBlink_Timer();
    EXPECT_EQ(o.textBlock().lblCursor.caption(), QStringLiteral("|"));
    EXPECT_EQ(o.textBlock().nBlinkTick, 0);

    // The counter is not reset when the timer stops and starts again, and PlaceCursor shows the
    // glyph without touching it.
    o.textBlock().tmrBlink_Timer();
    o.textBlock().tmrBlink.stop();
    o.textBlock().tmrBlink.start();
    o.textBlock().placeCaret();
    EXPECT_EQ(o.textBlock().nBlinkTick, 1);
    EXPECT_EQ(o.textBlock().lblCursor.caption(), QStringLiteral("|"));
    o.textBlock().tmrBlink_Timer();
    EXPECT_EQ(o.textBlock().lblCursor.caption(), QStringLiteral("|"));
    EXPECT_EQ(o.textBlock().nBlinkTick, 0);
    // The underscore caret blinks alike.
    gSettings.gsCursorChar = QStringLiteral("_");
    o.textBlock().tmrBlink_Timer();
    o.textBlock().tmrBlink_Timer();
    EXPECT_EQ(o.textBlock().lblCursor.caption(), QStringLiteral("_"));
}

TEST_F(TextTest, TheCaretIsDrawnOverTheTextOverTheShadow)
{
    startWithText(QStringLiteral("Hello!"));
    OverlayForm &o = overlay();
    const QImage shot = o.picShow->grab().toImage();
    const QPoint caretGlyph
        = QPointF(caretInsertion().x() - 3, o.textBlock().lblCursor.rect().center().y()).toPoint();
    EXPECT_EQ(shot.pixel(caretGlyph), qRgb(0, 255, 0)) << "the caret on top of the text";
    // Where the shadow's glyphs lie under the text's, the text shows.
    int textPixels = 0;
    const QRect text = o.textBlock().lblShow.rect().toAlignedRect();
    for (int y = text.top(); y < text.bottom(); ++y)
        for (int x = text.left(); x < text.right(); ++x)
            textPixels += shot.pixel(x, y) == qRgb(255, 0, 80) ? 1 : 0;
    EXPECT_GT(textPixels, 200);
}

// --- what is repainted ------------------------------------------------------------------------

QRect blockBounds(const OverlayForm &o)
{
    return o.textBlock().lblShadow.paintBounds() | o.textBlock().lblShow.paintBounds()
        | o.textBlock().lblCursor.paintBounds();
}

TEST_F(TextTest, AKeyRepaintsNoMoreThanTheTextBlockAndOnlyTheLinesItChanged)
{
    // Eight lines: all of the text block stays on the (800 x 600) test screen.
    QString text;
    for (int line = 0; line < 8; ++line)
        text += QStringLiteral("line %1 of the text\r\n").arg(line);
    startWithText(text);
    OverlayForm &o = overlay();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&o));
    PaintSpy spy(o.picShow);
    processPaints();
    spy.clear();

    const QRect before = blockBounds(o);
    type(QStringLiteral("x"));
    processPaints();
    ASSERT_FALSE(spy.painted.isEmpty());
    const QRect block = before | blockBounds(o);
    EXPECT_TRUE(block.contains(spy.painted.boundingRect()));
    // The key changed the last line: the surface repaints about that line, not the block.
    const double lineSpacing = o.textBlock().lblShow.height() / 9;
    EXPECT_LT(spy.painted.boundingRect().height(), 3 * lineSpacing);
    EXPECT_LT(spy.painted.boundingRect().top(),
              o.textBlock().lblShow.top() + o.textBlock().lblShow.height());
    EXPECT_GT(spy.painted.boundingRect().top(), o.textBlock().lblShow.top() + 7 * lineSpacing);

    // A line break inserted near the top moves every line below it: those are repainted.
    spy.clear();
    main().txtInput->setSelStart(3);
    key(Qt::Key_Return);
    processPaints();
    EXPECT_TRUE((before | blockBounds(o)).contains(spy.painted.boundingRect()));
    EXPECT_GT(spy.painted.boundingRect().height(), 7 * lineSpacing);
}

TEST_F(TextTest, TheBlinkRepaintsOnlyTheCaret)
{
    startWithText(QStringLiteral("Hello!\r\nworld"));
    OverlayForm &o = overlay();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&o));
    PaintSpy spy(o.picShow);
    processPaints();
    const QRect caret = o.textBlock().lblCursor.paintBounds();
    for (int tick = 0; tick < 4; ++tick) {
        spy.clear();
        o.textBlock().tmrBlink_Timer();
        processPaints();
        EXPECT_FALSE(spy.painted.isEmpty());
        EXPECT_TRUE(caret.contains(spy.painted.boundingRect()));
    }
}

} // namespace
