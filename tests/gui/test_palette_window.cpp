// The palette and line-width window: its two layouts, picks, the width scroll bar, the close
// button, dragging by the title strip, and the commands that open and close it.
#include "MouseInput.h"
#include "ProgramFixture.h"

#include "dialogs/Dialogs.h"
#include "dialogs/ImageControl.h"
#include "dialogs/PaletteBox.h"
#include "dialogs/PaletteWindow.h"
#include "dialogs/TextDialogLink.h"
#include "settings/Palette.h"
#include "settings/SettingsCodec.h"

#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

namespace {

class PaletteWindowTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        textDialogLink() = TextDialogLink {};
    }

    void TearDown() override
    {
        textDialogLink() = TextDialogLink {};
        ProgramTest::TearDown();
    }

    void start(const std::function<void()> &edit = {})
    {
        if (edit) {
            const Settings saved = gSettings;
            gSettings = Settings {};
            BuildPalette();
            SetDefaults();
            edit();
            Settings changed = gSettings;
            gSettings = saved;
            writeSettingsFile(EncodeSettings(changed).bytes);
        } else {
            writeSettingsFile(DefaultSettingsBytes());
        }
        startProgram();
    }

    // "Draw Lines", then "Line...".
    PaletteWindow &openLineWindow()
    {
        main().mnuModeLines_Click();
        main().mnuPrefsLines_Click();
        return *frmColor;
    }

    // A left click on the palette picture at picture pixel (x, y).
    static void clickPicture(PaletteWindow &w, QPointF at)
    {
        const QPointF inBox = at + QPointF(2, 2); // inside the sunken border
        Press(w.picPalette, inBox);
        Release(w.picPalette, inBox);
    }

    static QRgb frameAt(PaletteWindow &w, int x, int y)
    {
        return w.picPalette->layer().pixel(x, y);
    }

    // How many pixels of the drawing layer are marked.
    static int markedPixels(PaletteWindow &w)
    {
        const QImage &layer = w.picPalette->layer();
        int marked = 0;
        for (int y = 0; y < layer.height(); ++y)
            for (int x = 0; x < layer.width(); ++x)
                marked += qAlpha(layer.pixel(x, y)) != 0;
        return marked;
    }

    static QSize screen() { return QGuiApplication::primaryScreen()->geometry().size(); }
};

// The frame of cell (c, r) is the outline from (8c, 6r) to (8c + 8, 6r + 6): 32 pixels.
constexpr int FramePixels = 2 * 9 + 2 * 5;

} // namespace

TEST_F(PaletteWindowTest, LineCommandOpensTheWindowInTheTopRightCorner)
{
    start();
    PaletteWindow &w = openLineWindow();
    ASSERT_TRUE(frmColor.isLoaded());
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.isLineMode());
    EXPECT_EQ(gSettings.gnColorSlot, SlotLines);
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint) << "no system title bar";
    EXPECT_FALSE(overlay().windowFlags() & Qt::WindowStaysOnTopHint)
        << "the overlay leaves the band while the window is open";

    // The inside is the palette box's width; the frame adds 3 pixels on each side.
    EXPECT_EQ(w.client()->geometry(), QRect(3, 3, 101, w.height() - 6));
    EXPECT_EQ(w.width(), 107);
    EXPECT_EQ(w.pos(), QPoint(screen().width() - 107, 0));
    EXPECT_EQ(w.picPalette->geometry(), QRect(0, 15, 101, 137));
    EXPECT_EQ(w.imgHide->geometry(), QRect(89, 0, 12, 12));
    EXPECT_EQ(w.imgHide->picture(), w.imgHide_Up);

    // The label and the scroll bar below the palette.
    EXPECT_TRUE(w.Label1->isVisible());
    EXPECT_TRUE(w.HScroll1->isVisible());
    EXPECT_EQ(w.Label1->text(), QStringLiteral("Line Width = 12"));
    EXPECT_EQ(w.Label1->font().pointSizeF(), 8.25);
    EXPECT_EQ(w.HScroll1->value(), 12);
    EXPECT_EQ(w.HScroll1->minimum(), 1);
    EXPECT_EQ(w.HScroll1->maximum(), 50);
    EXPECT_EQ(w.Label1->y(), 154);
    EXPECT_EQ(w.HScroll1->y(), 154 + QFontMetrics(w.font()).height());
    EXPECT_EQ(w.HScroll1->width(), 92);
    EXPECT_EQ(w.HScroll1->x(), 6); // (101 - 92) / 2 + 1 = 5.5, placed at the even pixel
    EXPECT_EQ(w.Label1->x(), 8);
    EXPECT_EQ(w.height(), w.HScroll1->y() + w.HScroll1->height() + 10);
    EXPECT_GE(w.client()->height(), w.HScroll1->geometry().bottom() + 1);

    // The title strip, rows 0 to 12 across the inside, in the active title colour.
    const QRgb title = w.palette().color(QPalette::Active, QPalette::Highlight).rgb();
    const QRgb face = w.palette().color(QPalette::Window).rgb();
    EXPECT_EQ(w.background().pixel(0, 0), title);
    EXPECT_EQ(w.background().pixel(100, 12), title);
    EXPECT_EQ(w.background().pixel(50, 13), face);

    // The blue cell (4, 1) is framed in red, and only it.
    EXPECT_EQ(frameAt(w, 32, 6), qRgb(255, 0, 0));
    EXPECT_EQ(frameAt(w, 40, 12), qRgb(255, 0, 0));
    EXPECT_EQ(markedPixels(w), FramePixels);
    EXPECT_EQ(w.picPalette->composed().pixel(36, 9), qRgb(0, 0, 255)) << "the cell shows inside";
    EXPECT_EQ(w.picPalette->cursor().hotSpot(), QPoint(15, 16));
}

TEST_F(PaletteWindowTest, ColourModeStandsAgainstTheTextDialogWithoutAScrollBar)
{
    start();
    QWidget textDialog;
    textDialog.setGeometry(100, 80, 400, 300);
    textDialog.show();
    std::vector<std::pair<int, int32_t>> swatches;
    textDialogLink().window = &textDialog;
    textDialogLink().setSwatchColor
        = [&](int slot, int32_t colour) { swatches.emplace_back(slot, colour); };

    // As the Text dialog's "Text" button opens it.
    gSettings.gnColorSlot = SlotText;
    frmColor->Show();
    DrawCell(gSettings.gnColorCol[SlotText], gSettings.gnColorRow[SlotText]);
    PaletteWindow &w = *frmColor;
    EXPECT_FALSE(w.isLineMode());
    EXPECT_EQ(w.pos(), QPoint(textDialog.frameGeometry().right() + 1, textDialog.y()));
    EXPECT_EQ(w.size(), QSize(107, 15 + 137 + 6)) << "ends just below the palette";
    EXPECT_FALSE(w.HScroll1->isVisible());
    EXPECT_FALSE(w.Label1->isVisible());
    EXPECT_FALSE(w.client()->rect().intersects(w.HScroll1->geometry()));
    // The cell (6, 5) is framed in the complement of (255, 0, 80).
    EXPECT_EQ(frameAt(w, 48, 30), qRgb(0, 255, 175));
    EXPECT_EQ(markedPixels(w), FramePixels);

    // A pick shows on the slot's swatch and frames the new cell.
    clickPicture(w, QPointF(8 * 3 + 4, 6 * 10 + 3)); // cell (3, 10)
    EXPECT_EQ(gSettings.gnColorCol[SlotText], 3);
    EXPECT_EQ(gSettings.gnColorRow[SlotText], 10);
    const int32_t packed = 112 + 256 * 104 + 65536 * 255;
    EXPECT_EQ(gSettings.glColor[SlotText], packed);
    ASSERT_EQ(swatches.size(), 1u);
    EXPECT_EQ(swatches[0], std::make_pair(0, packed));
    EXPECT_EQ(frameAt(w, 24, 60), qRgb(255 - 112, 255 - 104, 0));

    // "Shadow" while the window is open: the frame moves, the window does not.
    const QPoint place = w.pos();
    gSettings.gnColorSlot = SlotShadow;
    frmColor->Show();
    DrawCell(gSettings.gnColorCol[SlotShadow], gSettings.gnColorRow[SlotShadow]);
    EXPECT_EQ(w.pos(), place);
    EXPECT_EQ(frameAt(w, 8, 78), qRgb(255 - 176, 0, 0)); // (1, 13) is (176, 255, 255)
    EXPECT_EQ(markedPixels(w), FramePixels);
    EXPECT_EQ(gSettings.glColor[SlotLines], 0xFF0000) << "the line colour is not touched";
}

TEST_F(PaletteWindowTest, ColourModeMakesNoCorrectionAtTheScreensEdge)
{
    start();
    QWidget textDialog;
    textDialog.setGeometry(screen().width() - 100, 40, 400, 300);
    textDialogLink().window = &textDialog;
    gSettings.gnColorSlot = SlotCursor;
    frmColor->Show();
    EXPECT_EQ(frmColor->pos(), QPoint(screen().width() + 300, 40));
}

TEST_F(PaletteWindowTest, APickChangesTheCellTheColourTheFrameAndTheNextStroke)
{
    start();
    PaletteWindow &w = openLineWindow();

    // X = 9 is the first pixel inside column 1 and still picks column 0; X = 10 picks column 1.
    clickPicture(w, QPointF(9, 9));
    EXPECT_EQ(gSettings.gnColorCol[SlotLines], 0);
    EXPECT_EQ(gSettings.gnColorRow[SlotLines], 1);
    clickPicture(w, QPointF(10, 9));
    EXPECT_EQ(gSettings.gnColorCol[SlotLines], 1);
    EXPECT_EQ(gSettings.gnColorRow[SlotLines], 1);
    EXPECT_EQ(gSettings.glColor[SlotLines], 255) << "the red cell, packed";
    // The red cell (1, 1) is framed in black; the previous frame is gone.
    EXPECT_EQ(frameAt(w, 8, 6), qRgb(0, 0, 0));
    EXPECT_EQ(markedPixels(w), FramePixels);

    // Lines drawn from now on are red; those drawn before keep their colour.
    overlay().picShow_MouseDown(1, 0, 300, 300);
    overlay().picShow_MouseMove(1, 0, 340, 300);
    overlay().picShow_MouseUp(1, 0, 340, 300);
    EXPECT_EQ(overlay().picShow->image().pixel(320, 300), qRgb(255, 0, 0));

    // The press decides the cell: released elsewhere on the picture, the pressed cell is picked.
    Press(w.picPalette, QPointF(2 + 8 * 5 + 4, 2 + 6 * 16 + 3)); // (5, 16)
    Release(w.picPalette, QPointF(2 + 8 * 9 + 4, 2 + 6 * 3 + 3));
    EXPECT_EQ(gSettings.gnColorCol[SlotLines], 5);
    EXPECT_EQ(gSettings.gnColorRow[SlotLines], 16);
    // Released outside the picture, nothing is picked; a right click picks nothing either.
    Press(w.picPalette, QPointF(20, 20));
    Release(w.picPalette, QPointF(200, 20));
    Press(w.picPalette, QPointF(20, 20), Qt::RightButton);
    Release(w.picPalette, QPointF(20, 20), Qt::RightButton);
    EXPECT_EQ(gSettings.gnColorCol[SlotLines], 5);
    EXPECT_EQ(gSettings.gnColorRow[SlotLines], 16);
    // Grey rows are framed in red.
    clickPicture(w, QPointF(8 * 6 + 4, 6 * 20 + 3));
    EXPECT_EQ(frameAt(w, 48, 120), qRgb(255, 0, 0));
}

TEST_F(PaletteWindowTest, AnEmptyCellChangesNothing)
{
    start();
    PaletteWindow &w = openLineWindow();
    const QImage layer = w.picPalette->layer();
    const Settings before = gSettings;
    for (const QPointF at : {QPointF(95, 3), QPointF(84, 10), QPointF(90, 130), QPointF(70, 128)}) {
        clickPicture(w, at);
        EXPECT_EQ(gSettings.gnColorCol, before.gnColorCol);
        EXPECT_EQ(gSettings.gnColorRow, before.gnColorRow);
        EXPECT_EQ(gSettings.glColor, before.glColor);
        EXPECT_EQ(w.picPalette->layer(), layer);
    }
}

TEST_F(PaletteWindowTest, TheScrollBarSetsTheWidthAndItsLabel)
{
    start();
    PaletteWindow &w = openLineWindow();
    w.HScroll1->setValue(50);
    EXPECT_EQ(w.Label1->text(), QStringLiteral("Line Width = 50"));
    EXPECT_EQ(gSettings.gnLineWidth, 50);
    EXPECT_GE(w.Label1->width(), w.Label1->sizeHint().width()) << "the caption is not cut";
    // The next line is 50 pixels wide.
    overlay().picShow_MouseDown(1, 0, 300, 300);
    overlay().picShow_MouseUp(1, 0, 300, 300);
    EXPECT_EQ(overlay().picShow->image().pixel(300, 323), qRgb(0, 0, 255));
    EXPECT_EQ(overlay().picShow->image().pixel(300, 327),
              OverlayInternals::formImage(overlay()).pixel(300, 327));

    w.HScroll1->setValue(1);
    EXPECT_EQ(w.Label1->text(), QStringLiteral("Line Width = 1"));
    EXPECT_EQ(gSettings.gnLineWidth, 1);

    // A drag of the thumb counts once, when it is let go.
    w.HScroll1->setSliderDown(true);
    w.HScroll1->setSliderPosition(30);
    EXPECT_EQ(gSettings.gnLineWidth, 1);
    w.HScroll1->setSliderDown(false);
    EXPECT_EQ(gSettings.gnLineWidth, 30);
    EXPECT_EQ(w.Label1->text(), QStringLiteral("Line Width = 30"));
}

TEST_F(PaletteWindowTest, TheCloseButtonClosesOnlyOnAReleaseOverIt)
{
    start();
    int textDialogUnloads = 0;
    textDialogLink().unload = [&] { ++textDialogUnloads; };
    PaletteWindow &w = openLineWindow();

    Press(w.imgHide, QPointF(5, 5));
    EXPECT_EQ(w.imgHide->picture(), w.imgHide_Dn);
    Release(w.imgHide, QPointF(40, 30)); // released outside
    EXPECT_EQ(w.imgHide->picture(), w.imgHide_Up);
    EXPECT_TRUE(frmColor.isLoaded());
    EXPECT_EQ(textDialogUnloads, 0);

    Press(w.imgHide, QPointF(5, 5));
    Release(w.imgHide, QPointF(6, 6));
    EXPECT_FALSE(frmColor.isLoaded());
    EXPECT_EQ(textDialogUnloads, 1) << "the Text dialog closes with it";
    // The overlay is topmost again and has the keyboard at once.
    EXPECT_TRUE(overlay().windowFlags() & Qt::WindowStaysOnTopHint);
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(&overlay()));
}

TEST_F(PaletteWindowTest, EnterTextAndStandbyCloseTheWindow)
{
    start();
    openLineWindow();
    main().mnuModeTexts_Click();
    EXPECT_FALSE(frmColor.isLoaded());
    EXPECT_TRUE(overlay().windowFlags() & Qt::WindowStaysOnTopHint);

    openLineWindow();
    ASSERT_TRUE(frmColor.isLoaded());
    main().mnuHide_Click();
    EXPECT_FALSE(frmColor.isLoaded());
    // A second unload of a window that is not loaded does nothing.
    frmColor.unload();
    EXPECT_FALSE(frmColor.isLoaded());
}

TEST_F(PaletteWindowTest, TheTitleStripDragsTheWindowAndTheLineCommandKeepsItsPlace)
{
    start();
    PaletteWindow &w = openLineWindow();
    const QPoint start = w.pos();
    QWidget *strip = w.client();
    // Without a window manager to hand the move to, the window follows the pointer itself.
    const QPointF grab(30, 5);
    Press(strip, grab);
    const QPoint global = strip->mapToGlobal(grab.toPoint());
    QMouseEvent move(QEvent::MouseMove, grab, QPointF(global + QPoint(-200, 120)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(strip, &move);
    Release(strip, grab);
    EXPECT_EQ(w.pos(), start + QPoint(-200, 120));

    // After the release, and with any other button, moves do not drag.
    QMouseEvent stray(QEvent::MouseMove, grab, QPointF(global), Qt::NoButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(strip, &stray);
    Press(strip, grab, Qt::RightButton);
    QMouseEvent rightMove(QEvent::MouseMove, grab, QPointF(global), Qt::NoButton, Qt::RightButton,
                          Qt::NoModifier);
    QApplication::sendEvent(strip, &rightMove);
    Release(strip, grab, Qt::RightButton);
    EXPECT_EQ(w.pos(), start + QPoint(-200, 120));

    // "Line..." again only brings the window forward: same place, same cell marked.
    main().mnuPrefsLines_Click();
    EXPECT_EQ(frmColor.get(), &w);
    EXPECT_EQ(w.pos(), start + QPoint(-200, 120));
    EXPECT_EQ(markedPixels(w), FramePixels);
}

TEST_F(PaletteWindowTest, DamagedWidthAndCellsAreSurvivedAndMended)
{
    start([] {
        gSettings.gnLineWidth = 300;
        gSettings.gnColorCol[SlotLines] = 40;
        gSettings.gnColorRow[SlotLines] = -3;
    });
    PaletteWindow &w = openLineWindow();
    // The width is taken to the scroll bar's end, and that is the width from now on.
    EXPECT_EQ(w.HScroll1->value(), 50);
    EXPECT_EQ(w.Label1->text(), QStringLiteral("Line Width = 50"));
    EXPECT_EQ(gSettings.gnLineWidth, 50);
    // A cell off the grid is not marked at all.
    EXPECT_EQ(markedPixels(w), 0);
    // A pick puts things right.
    clickPicture(w, QPointF(8 * 2 + 4, 6 * 1 + 3));
    EXPECT_EQ(gSettings.gnColorCol[SlotLines], 2);
    EXPECT_EQ(gSettings.gnColorRow[SlotLines], 1);
    EXPECT_EQ(gSettings.glColor[SlotLines], 0x00FF00);
    EXPECT_EQ(markedPixels(w), FramePixels);
    frmColor.unload();

    gSettings.gnLineWidth = 0;
    PaletteWindow &again = *frmColor; // a fresh window: loading runs again
    main().mnuPrefsLines_Click();
    EXPECT_EQ(again.HScroll1->value(), 1);
    EXPECT_EQ(again.Label1->text(), QStringLiteral("Line Width = 1"));
    EXPECT_EQ(gSettings.gnLineWidth, 1);
}
