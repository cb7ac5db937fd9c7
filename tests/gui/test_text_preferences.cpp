// The Text preferences dialog: what it shows on opening, what OK and Cancel store and apply, the
// font list's cache, the sample, the keys, and the ways it closes.
#include "HelpRecorder.h"
#include "MouseInput.h"
#include "ProgramFixture.h"

#include "dialogs/CaptionFrame.h"
#include "dialogs/Dialogs.h"
#include "dialogs/ImageControl.h"
#include "dialogs/PaletteBox.h"
#include "dialogs/PaletteWindow.h"
#include "dialogs/TextPreferences.h"
#include "dialogs/ColorSwatch.h"
#include "dialogs/SampleBox.h"
#include "dialogs/StyleButton.h"
#include "overlay/TextBlock.h"
#include "settings/Palette.h"
#include "settings/SettingsCodec.h"
#include "settings/SettingsFile.h"
#include "settings/Units.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

namespace {

class TextPreferencesTest : public ProgramTest
{
protected:
    // Starts on the given settings (the defaults, changed by `edit`) and opens the dialog as the
    // "&Text..." command does.
    TextPreferences &open(const std::function<void()> &edit = {})
    {
        writeSettingsFile(settingsBytes(edit));
        startProgram();
        main().mnuPrefsTexts_Click();
        return *frmFont;
    }

    static QByteArray settingsBytes(const std::function<void()> &edit)
    {
        const Settings saved = gSettings;
        gSettings = Settings {};
        SetDefaults();
        if (edit)
            edit();
        const QByteArray bytes = EncodeSettings(gSettings).bytes;
        gSettings = saved;
        return bytes;
    }

    // Runs a command that shows a modal dialog; checks that the Text dialog and the palette are
    // closed by the time it shows, and closes it with Esc.
    void runModal(void (MainForm::*command)())
    {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            seen = true;
            EXPECT_FALSE(frmFont.isLoaded());
            EXPECT_FALSE(frmColor.isLoaded());
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        (main().*command)();
        EXPECT_TRUE(seen);
    }

    // A fresh program for the next case of a table.
    void restart()
    {
        TearDown();
        SetUp();
    }

    static QStringList items(const QComboBox &combo)
    {
        QStringList all;
        for (int i = 0; i < combo.count(); ++i)
            all << combo.itemText(i);
        return all;
    }

    // A left click on the palette window's picture at picture pixel (x, y).
    static void pickAt(int x, int y)
    {
        PaletteWindow &palette = *frmColor;
        const QPointF inBox(x + 2, y + 2); // inside the sunken border
        Press(palette.picPalette, inBox);
        Release(palette.picPalette, inBox);
    }

    // The colour the palette's drawing layer has at a picture pixel (transparent: unmarked).
    static QRgb markAt(int x, int y) { return frmColor->picPalette->layer().pixel(x, y); }

    static bool topmost(const QWidget &window)
    {
        return window.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    }
};

QStringList SortedWithoutCase(QStringList names)
{
    std::stable_sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

} // namespace

TEST_F(TextPreferencesTest, OpeningShowsTheSettingsAndTakesTheTopmostBand)
{
    TextPreferences &dialog = open();
    const Settings &s = gSettings;

    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral(" Preferences - Text"));
    EXPECT_EQ(s.gbDialogOpen, True);
    EXPECT_TRUE(topmost(dialog));
    EXPECT_FALSE(topmost(overlay()));

    EXPECT_EQ(dialog.cboFonts->currentText(), QStringLiteral("Arial"));
    EXPECT_EQ(dialog.cboSize->currentText(), QStringLiteral(" 36"));
    EXPECT_EQ(dialog.Frame4->caption(), QStringLiteral("Offset: 2"));
    EXPECT_EQ(dialog.hsbGap->value(), 2);
    EXPECT_TRUE(dialog.optVertical->isChecked());
    EXPECT_FALSE(dialog.optLateral->isChecked());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(dialog.chkStyle[i]->value(), s.gnFontStyle[i]) << "style " << i;

    EXPECT_EQ(dialog.picTextCol->backColor(), PackedToRgb(s.glColor[SlotText]));
    EXPECT_EQ(dialog.picShadowCol->backColor(), PackedToRgb(s.glColor[SlotShadow]));
    EXPECT_EQ(dialog.picCursorCol->backColor(), PackedToRgb(s.glColor[SlotCursor]));

    // The sample shows face, size and styles, never the text colour.
    const QFont sample = dialog.lblSample->font();
    EXPECT_EQ(sample.family(), QStringLiteral("Arial"));
    EXPECT_DOUBLE_EQ(sample.pointSizeF(), 36);
    EXPECT_EQ(sample.bold(), s.gnFontStyle[0] != 0);
    EXPECT_EQ(sample.italic(), s.gnFontStyle[1] != 0);
    EXPECT_EQ(dialog.lblSample->text(), QStringLiteral("AaBbYyZz0123"));
    EXPECT_EQ(dialog.lblSample->palette().color(QPalette::WindowText),
              dialog.palette().color(QPalette::WindowText));

    // Typing goes to the face first.
    EXPECT_EQ(dialog.focusWidget(), dialog.cboFonts);
}

TEST_F(TextPreferencesTest, TheFormAndItsSampleAreCentredByHalvingTheDifference)
{
    TextPreferences &dialog = open();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    // Half the difference, the odd pixel dropped toward zero: 15 twips to the pixel make a
    // half pixel 7.5 twips, which the rule drops to 7, less than half a pixel.
    const auto halve
        = [](int outerPixels, int itemPixels) { return (outerPixels - itemPixels) / 2; };
    // The window is centred by its size as known when it opens: a frame the window system adds
    // around it is known only once it is shown.
    const QPoint corner = dialog.frameGeometry().topLeft();
    EXPECT_EQ(corner.x(), halve(screen.width(), dialog.width()));
    EXPECT_EQ(corner.y(), halve(screen.height(), dialog.height()));

    // The sample at a size that fits, and one so large it overflows to the left and above.
    for (const char *size : {"12", "72"}) {
        dialog.cboSize->setEditText(QLatin1String(size));
        dialog.cboSize_Click();
        const QLabel &label = *dialog.lblSample;
        EXPECT_EQ(label.size(), label.sizeHint()) << size;
        EXPECT_EQ(label.x(), halve(dialog.picFontSample->width(), label.width())) << size;
        EXPECT_EQ(label.y(), halve(dialog.picFontSample->height(), label.height())) << size;
    }
    EXPECT_LT(dialog.lblSample->x(), 0);
}

TEST_F(TextPreferencesTest, ControlsStandInTheirContainersAtTheirTwipPlaces)
{
    TextPreferences &dialog = open();
    struct Row
    {
        QWidget *control;
        QWidget *container;
        QRect twips;
    };
    const Row rows[] = {
        {dialog.Frame2, &dialog, {180, 60, 3780, 1560}},
        {dialog.cboFonts, dialog.Frame2, {135, 420, 2640, 315}},
        {dialog.cboSize, dialog.Frame2, {2815, 420, 825, 315}},
        {dialog.Frame1, dialog.Frame2, {135, 780, 3510, 660}},
        {dialog.chkStyle[3], dialog.Frame1, {2640, 270, 735, 255}},
        {dialog.picCursorCol, dialog.Frame3, {180, 1125, 255, 255}},
        {dialog.cmdShadowCol, dialog.Frame3, {510, 720, 810, 300}},
        {dialog.hsbGap, dialog.Frame4, {120, 300, 1245, 255}},
        {dialog.optLateral, dialog.Frame5, {840, 345, 210, 210}},
        {dialog.Label3, dialog.Frame5, {1080, 240, 300, 375}},
        {dialog.picFontSample, dialog.Frame6, {120, 240, 3540, 1095}},
        {dialog.cmdHelp, &dialog, {4695, 3270, 855, 340}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.control->objectName().toStdString());
        EXPECT_EQ(row.control->parentWidget(), row.container);
        // 15 twips to the pixel; 2815 and 3510 round to the nearer pixel.
        const QRect &t = row.twips;
        const QRect expected(units::TwipsToPixels(t.x(), 15), units::TwipsToPixels(t.y(), 15),
                             units::TwipsToPixels(t.width(), 15),
                             units::TwipsToPixels(t.height(), 15));
        EXPECT_EQ(row.control->geometry(), expected);
    }
    EXPECT_EQ(dialog.size(), QSize(383, 252));
    EXPECT_EQ(dialog.Label2->text(), QStringLiteral(" |"));
    EXPECT_EQ(dialog.Label3->text(), QStringLiteral(" _"));
    EXPECT_TRUE(dialog.Label3->font().bold());
    EXPECT_DOUBLE_EQ(dialog.Label3->font().pointSizeF(), 12.75);
    for (int i = 0; i < 4; ++i) {
        const QImage &picture = dialog.chkStyle[i]->picture();
        EXPECT_EQ(picture.size(), QSize(16, 16));
        for (int j = 0; j < i; ++j)
            EXPECT_NE(picture, dialog.chkStyle[j]->picture()) << i << " and " << j;
    }
    EXPECT_EQ(dialog.chkStyle[0]->toolTip(), QStringLiteral("Bold"));
    EXPECT_EQ(dialog.chkStyle[1]->toolTip(), QStringLiteral("Italic"));
    EXPECT_TRUE(dialog.chkStyle[2]->toolTip().isEmpty());
    EXPECT_EQ(dialog.cboSize->count(), 19);
    EXPECT_EQ(dialog.cboSize->itemText(0), QStringLiteral("8"));
    EXPECT_EQ(dialog.cboSize->itemText(18), QStringLiteral("72"));
}

TEST_F(TextPreferencesTest, TabVisitsTheControlsInTheirOrder)
{
    TextPreferences &dialog = open();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.cboFonts->setFocus();
    const QWidget *expected[]
        = {dialog.cboSize,     dialog.chkStyle[0], dialog.chkStyle[1],  dialog.chkStyle[2],
           dialog.chkStyle[3], dialog.cmdTextCol,  dialog.cmdShadowCol, dialog.cmdCursorCol,
           dialog.hsbGap,      dialog.optVertical, dialog.cmdOK,        dialog.cmdCancel,
           dialog.cmdHelp,     dialog.cboFonts};
    for (const QWidget *next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
}

TEST_F(TextPreferencesTest, TheCaretOptionFollowsTheStoredStyleAndRewritesIt)
{
    for (const int16_t stored : {int16_t(0), int16_t(1), int16_t(7), int16_t(-1)}) {
        SCOPED_TRACE(stored);
        TextPreferences &dialog = open([&] { gSettings.gnCursorStyle = stored; });
        const bool bar = stored == 0;
        EXPECT_EQ(dialog.optVertical->isChecked(), bar);
        EXPECT_EQ(dialog.optLateral->isChecked(), !bar);
        EXPECT_EQ(gSettings.gnCursorStyle, bar ? 0 : 1);
        EXPECT_EQ(gSettings.gsCursorChar, bar ? QStringLiteral("|") : QStringLiteral("_"));
        restart();
    }
}

TEST_F(TextPreferencesTest, OkStoresTheFaceAndSizeAsTyped)
{
    struct Row
    {
        const char *face;
        const char *size;
        const char *storedFace;
        const char *storedSize;
    };
    const Row rows[] = {
        {"", " 36", "Arial", "36"},
        {"Not A Real Font", "abc", "Not A Real Font", "18"},
        {"Lib", "1", "Lib", "1"},
        {"Liberation Serif", "0", "Liberation Serif", "18"},
        {"Liberation Serif", "", "Liberation Serif", "18"},
        {"Liberation Serif", "12pt", "Liberation Serif", "12"},
        {"Liberation Serif", "10.5", "Liberation Serif", "10.5"},
        // Beyond what the font engine is asked to draw: the nearest size it draws, or the
        // standard size for one that is not positive.
        {"Liberation Serif", "-5", "Liberation Serif", "18"},
        {"Liberation Serif", "100000", "Liberation Serif", "1000"},
        {"Liberation Serif", "1e9", "Liberation Serif", "1000"},
        {"Liberation Serif", "0.001", "Liberation Serif", "1"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.face) + " / " + row.size);
        TextPreferences &dialog = open();
        // Typed as a user types, so nothing completes or changes what is typed.
        for (QComboBox *box : {dialog.cboFonts, dialog.cboSize}) {
            box->lineEdit()->clear();
            QTest::keyClicks(box->lineEdit(),
                             QString::fromUtf8(box == dialog.cboFonts ? row.face : row.size));
        }
        dialog.cmdOK_Click();
        EXPECT_FALSE(frmFont.isLoaded());
        EXPECT_EQ(gSettings.gsFontName, QString::fromUtf8(row.storedFace));
        EXPECT_EQ(gSettings.gsFontSize, QString::fromUtf8(row.storedSize));
        // The text stays on the screen at whatever size was asked for.
        const TextItem &text = overlay().textBlock().lblShow;
        EXPECT_DOUBLE_EQ(text.font().pointSizeF(), units::ReadNumber(gSettings.gsFontSize));
        EXPECT_TRUE(text.isVisible());
        EXPECT_GT(text.width(), 0);
        EXPECT_GT(text.height(), 0);
        restart();
    }
}

TEST_F(TextPreferencesTest, OkAppliesTheWholeLookToTheOverlayAndTheMeasuringLabels)
{
    TextPreferences &dialog = open([] {
        gSettings.gnColorCol[SlotText] = 4;
        gSettings.gnColorRow[SlotText] = 1;
    });
    dialog.cboFonts->setEditText(QStringLiteral("Liberation Serif"));
    dialog.cboSize->setEditText(QStringLiteral("20"));
    dialog.chkStyle[0]->setChecked(false);
    dialog.chkStyle[1]->setChecked(true);
    dialog.chkStyle[2]->setChecked(true);
    dialog.chkStyle[3]->setChecked(true);
    dialog.hsbGap->setValue(-3);
    dialog.optLateral->setChecked(true);
    dialog.cmdOK_Click();

    const Settings &s = gSettings;
    EXPECT_EQ(s.gnFontStyle, (std::array<int16_t, 4> {0, 1, 1, 1}));
    EXPECT_EQ(s.gnShadowGap, -3);

    OverlayForm &o = overlay();
    for (const TextItem *label :
         {&o.textBlock().lblShow, &o.textBlock().lblShadow, &o.textBlock().lblCursor}) {
        EXPECT_EQ(label->font().family(), QStringLiteral("Liberation Serif"));
        EXPECT_DOUBLE_EQ(label->font().pointSizeF(), 20);
        EXPECT_FALSE(label->font().bold());
        EXPECT_TRUE(label->font().italic());
    }
    EXPECT_TRUE(o.textBlock().lblShow.font().underline());
    EXPECT_TRUE(o.textBlock().lblShadow.font().strikeOut());
    // The caret takes no underline or strikethrough from the styles.
    EXPECT_FALSE(o.textBlock().lblCursor.font().underline());
    EXPECT_FALSE(o.textBlock().lblCursor.font().strikeOut());
    EXPECT_EQ(o.textBlock().lblShow.foreColor(), PackedToRgb(s.glColor[SlotText]));
    EXPECT_EQ(o.textBlock().lblShow.foreColor(), qRgb(0, 0, 255));
    EXPECT_EQ(o.textBlock().lblShadow.foreColor(), PackedToRgb(s.glColor[SlotShadow]));
    EXPECT_EQ(o.textBlock().lblCursor.foreColor(), PackedToRgb(s.glColor[SlotCursor]));
    EXPECT_EQ(o.textBlock().lblCursor.caption(), QStringLiteral("_"));
    EXPECT_EQ(o.textBlock().lblShadow.caption(), main().txtInput->text());
    EXPECT_EQ(o.textBlock().lblShadow.left(), o.textBlock().lblShow.left() - 3);
    EXPECT_EQ(o.textBlock().lblShadow.top(), o.textBlock().lblShow.top() - 3);
    // The caret is measured in the new font.
    EXPECT_EQ(main().lblHorizontalPos.font(), o.textBlock().lblShow.font());
    EXPECT_EQ(main().lblVerticalPos.font(), o.textBlock().lblShow.font());
    EXPECT_EQ(main().lblVerticalPos.foreColor(), qRgb(0, 0, 0));
    EXPECT_EQ(main().lblHorizontalPos.width(), 0);

    // Closing put the window order and the keyboard back.
    EXPECT_EQ(s.gbDialogOpen, False);
    EXPECT_TRUE(topmost(o));
}

TEST_F(TextPreferencesTest, OkWithNoOffsetEmptiesTheShadow)
{
    TextPreferences &dialog = open();
    dialog.hsbGap->setValue(0);
    EXPECT_EQ(dialog.Frame4->caption(), QStringLiteral("Offset: 0"));
    dialog.cmdOK_Click();
    EXPECT_EQ(gSettings.gnShadowGap, 0);
    EXPECT_TRUE(overlay().textBlock().lblShadow.caption().isEmpty());
    EXPECT_FALSE(overlay().textBlock().lblShow.caption().isEmpty());
}

TEST_F(TextPreferencesTest, CancelKeepsTheFontButNotTheOffsetOrCaretStyle)
{
    TextPreferences &dialog = open();
    const Settings before = gSettings;
    const QFont shownBefore = overlay().textBlock().lblShow.font();
    dialog.cboFonts->setEditText(QStringLiteral("Liberation Serif"));
    dialog.cboSize->setEditText(QStringLiteral("10"));
    dialog.chkStyle[0]->setChecked(false);
    dialog.chkStyle[3]->setChecked(true);
    dialog.hsbGap->setValue(12);
    EXPECT_EQ(dialog.Frame4->caption(), QStringLiteral("Offset: 12"));
    dialog.optLateral->setChecked(true);
    dialog.cmdCancel_Click();

    EXPECT_FALSE(frmFont.isLoaded());
    const Settings &s = gSettings;
    EXPECT_EQ(s.gsFontName, before.gsFontName);
    EXPECT_EQ(s.gsFontSize, before.gsFontSize);
    EXPECT_EQ(s.gnFontStyle, before.gnFontStyle);
    EXPECT_EQ(s.gnShadowGap, 12);
    EXPECT_EQ(s.gnCursorStyle, 1);
    EXPECT_EQ(s.gsCursorChar, QStringLiteral("_"));
    EXPECT_EQ(overlay().textBlock().lblShow.font(), shownBefore);
    EXPECT_EQ(s.gbDialogOpen, False);
    EXPECT_TRUE(topmost(overlay()));
}

TEST_F(TextPreferencesTest, EveryOtherWayOfClosingIsCancel)
{
    const std::pair<const char *, std::function<void(TextPreferences &)>> ways[] = {
        {"window close", [](TextPreferences &d) { d.close(); }},
        {"Esc", [](TextPreferences &d) { QTest::keyClick(d.cboFonts, Qt::Key_Escape); }},
        {"Standby", [this](TextPreferences &) { main().mnuHide_Click(); }},
        {"Draw Lines", [this](TextPreferences &) { main().mnuModeLines_Click(); }},
    };
    for (const auto &[name, close] : ways) {
        SCOPED_TRACE(name);
        TextPreferences &dialog = open();
        dialog.cboFonts->setEditText(QStringLiteral("Liberation Serif"));
        close(dialog);
        EXPECT_FALSE(frmFont.isLoaded());
        EXPECT_EQ(gSettings.gsFontName, QStringLiteral("Arial"));
        EXPECT_EQ(gSettings.gbDialogOpen, False);
        EXPECT_TRUE(topmost(overlay()));
        restart();
    }
}

TEST_F(TextPreferencesTest, EnterAndEscActOncePerPress)
{
    // Enter anywhere but on Cancel (or on another button) is OK.
    for (const char *where : {"cboFonts", "cboSize", "chkStyle(1)", "cmdOK"}) {
        SCOPED_TRACE(where);
        TextPreferences &dialog = open();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        auto *target = dialog.findChild<QWidget *>(QLatin1String(where));
        ASSERT_NE(target, nullptr);
        const bool italic = dialog.chkStyle[1]->isChecked();
        dialog.cboFonts->lineEdit()->clear();
        QTest::keyClicks(dialog.cboFonts, QStringLiteral("Liberation Serif"));
        target->setFocus();
        const QString text = main().txtInput->text();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_FALSE(frmFont.isLoaded());
        EXPECT_EQ(gSettings.gsFontName, QStringLiteral("Liberation Serif"));
        // The key toggled nothing and did not reach the text once the dialog had gone.
        EXPECT_EQ(gSettings.gnFontStyle[1] != 0, italic);
        EXPECT_EQ(main().txtInput->text(), text);
        restart();
    }
    // Enter on Cancel cancels and does not also press OK; so does Esc anywhere.
    for (const auto &[where, key] :
         {std::pair {"cmdCancel", Qt::Key_Return}, std::pair {"cmdCancel", Qt::Key_Enter},
          std::pair {"cmdOK", Qt::Key_Escape}, std::pair {"hsbGap", Qt::Key_Escape}}) {
        SCOPED_TRACE(std::string(where) + " " + std::to_string(key));
        TextPreferences &dialog = open();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        dialog.findChild<QWidget *>(QLatin1String(where))->setFocus();
        dialog.cboFonts->setEditText(QStringLiteral("Liberation Serif"));
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_FALSE(frmFont.isLoaded());
        EXPECT_EQ(gSettings.gsFontName, QStringLiteral("Arial"));
        restart();
    }
}

TEST_F(TextPreferencesTest, TheFontListIsReadFromTheSystemOncePerRun)
{
    TextPreferences &first = open();
    const QStringList system = QFontDatabase::families();
    const Settings &s = gSettings;
    EXPECT_EQ(s.pnFontLoadFlag, 1);
    EXPECT_EQ(s.pnFontCount, system.size());
    EXPECT_EQ(s.psFontNames, system);
    EXPECT_EQ(items(*first.cboFonts), SortedWithoutCase(system));
    first.cmdCancel_Click();

    // A later opening lists the copy it kept, even when the system would now say otherwise.
    gSettings.psFontNames = {QStringLiteral("zeta"), QStringLiteral("Alpha"),
                             QStringLiteral("beta"), QStringLiteral("Gamma")};
    gSettings.pnFontCount = 3;
    main().mnuPrefsTexts_Click();
    EXPECT_EQ(
        items(*frmFont->cboFonts),
        (QStringList {QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("zeta")}));
    // A face not in the list is still what the box shows.
    EXPECT_EQ(frmFont->cboFonts->currentText(), QStringLiteral("Arial"));
}

TEST_F(TextPreferencesTest, TheSampleFollowsTheListAndTheStylesButNotTyping)
{
    TextPreferences &dialog = open();
    const QFont before = dialog.lblSample->font();
    dialog.cboFonts->setEditText(QStringLiteral("Liberation Mono"));
    dialog.cboSize->setEditText(QStringLiteral("9"));
    EXPECT_EQ(dialog.lblSample->font(), before);

    const int mono = dialog.cboFonts->findText(QStringLiteral("Liberation Mono"));
    ASSERT_GE(mono, 0);
    dialog.cboFonts->setCurrentIndex(mono);
    emit dialog.cboFonts->activated(mono);
    EXPECT_EQ(dialog.lblSample->font().family(), QStringLiteral("Liberation Mono"));
    emit dialog.cboSize->activated(0);
    EXPECT_DOUBLE_EQ(dialog.lblSample->font().pointSizeF(), 9);

    QTest::mouseClick(dialog.chkStyle[2], Qt::LeftButton);
    EXPECT_TRUE(dialog.lblSample->font().underline());
    QTest::mouseClick(dialog.chkStyle[0], Qt::LeftButton);
    EXPECT_EQ(dialog.lblSample->font().bold(), gSettings.gnFontStyle[0] == 0);
    // None of it is a setting until OK.
    EXPECT_EQ(gSettings.gsFontName, QStringLiteral("Arial"));
    EXPECT_EQ(gSettings.gnFontStyle[2], 0);
}

TEST_F(TextPreferencesTest, DamagedOffsetsAndStyleFlagsShowAndStoreWhatTheOverlayDraws)
{
    struct Row
    {
        int16_t stored;
        int16_t shown;
    };
    for (const Row row : {Row {100, 20}, Row {-32768, -20}, Row {21, 20}, Row {-20, -20}}) {
        SCOPED_TRACE(row.stored);
        TextPreferences &dialog = open([&] {
            gSettings.gnShadowGap = row.stored;
            gSettings.gnFontStyle = {5, -1, 0, 2};
        });
        EXPECT_EQ(dialog.hsbGap->value(), row.shown);
        EXPECT_EQ(dialog.Frame4->caption(), QStringLiteral("Offset: %1").arg(row.shown));
        EXPECT_EQ(gSettings.gnShadowGap, row.shown);
        // A flag that is not 0 is on, as the overlay's font has it.
        EXPECT_EQ(dialog.chkStyle[0]->value(), 1);
        EXPECT_EQ(dialog.chkStyle[1]->value(), 1);
        EXPECT_EQ(dialog.chkStyle[2]->value(), 0);
        EXPECT_EQ(dialog.chkStyle[3]->value(), 1);
        EXPECT_TRUE(dialog.lblSample->font().strikeOut());
        dialog.cmdOK_Click();
        EXPECT_EQ(gSettings.gnFontStyle, (std::array<int16_t, 4> {1, 1, 0, 1}));
        EXPECT_EQ(gSettings.gnShadowGap, row.shown);
        restart();
    }
}

TEST_F(TextPreferencesTest, ShadowAndCursorButtonsLeaveTheTopmostBandTextDoesNot)
{
    TextPreferences &dialog = open();
    dialog.cmdTextCol_Click();
    EXPECT_EQ(gSettings.gnColorSlot, SlotText);
    EXPECT_TRUE(topmost(dialog));
    dialog.picShadowCol_Click();
    EXPECT_EQ(gSettings.gnColorSlot, SlotShadow);
    EXPECT_FALSE(topmost(dialog));
    // Once out, the dialog stays out until it closes.
    QTest::mouseClick(dialog.picTextCol, Qt::LeftButton);
    EXPECT_EQ(gSettings.gnColorSlot, SlotText);
    EXPECT_FALSE(topmost(dialog));
    dialog.picCursorcol_Click();
    EXPECT_EQ(gSettings.gnColorSlot, SlotCursor);
    EXPECT_FALSE(topmost(dialog));
}

TEST_F(TextPreferencesTest, ThePaletteStandsBesideTheDialogAndFillsItsSwatches)
{
    TextPreferences &dialog = open();
    QTest::mouseClick(dialog.cmdTextCol, Qt::LeftButton);
    ASSERT_TRUE(frmColor.isLoaded());
    PaletteWindow &palette = *frmColor;
    EXPECT_FALSE(palette.isLineMode());
    const QRect frame = dialog.frameGeometry();
    EXPECT_EQ(palette.pos(), QPoint(frame.x() + frame.width(), frame.y()));
    // The text colour's cell (6, 5) is framed in the complement of (255, 0, 80).
    EXPECT_EQ(markAt(48, 30), qRgb(0, 255, 175));

    // A pick is a setting at once and shows on the text swatch, not yet on the overlay.
    const QRgb shownBefore = overlay().textBlock().lblShow.foreColor();
    pickAt(8 * 3 + 4, 6 * 10 + 3); // cell (3, 10)
    const QRgb picked = PackedToRgb(gSettings.glColor[SlotText]);
    EXPECT_EQ(gSettings.gnColorCol[SlotText], 3);
    EXPECT_EQ(gSettings.gnColorRow[SlotText], 10);
    EXPECT_EQ(dialog.picTextCol->backColor(), picked);
    EXPECT_NE(picked, shownBefore);
    EXPECT_EQ(overlay().textBlock().lblShow.foreColor(), shownBefore);

    // "Shadow" with the palette open: the mark moves to the shadow's cell (1, 13), the window
    // stays where it is, and the dialog leaves the topmost band.
    const QPoint place = palette.pos();
    QTest::mouseClick(dialog.cmdShadowCol, Qt::LeftButton);
    EXPECT_EQ(&*frmColor, &palette);
    EXPECT_EQ(palette.pos(), place);
    EXPECT_EQ(markAt(8, 78), qRgb(255 - 176, 0, 0));
    EXPECT_EQ(qAlpha(markAt(24, 60)), 0) << "the text colour's cell is no longer marked";
    EXPECT_FALSE(topmost(dialog));
    pickAt(8 * 5 + 4, 6 * 2 + 3); // cell (5, 2), for the shadow
    EXPECT_EQ(dialog.picShadowCol->backColor(), PackedToRgb(gSettings.glColor[SlotShadow]));
    EXPECT_EQ(dialog.picTextCol->backColor(), picked);

    // OK gives the overlay the picked colours and closes the palette first.
    dialog.cmdOK_Click();
    EXPECT_FALSE(frmColor.isLoaded());
    EXPECT_EQ(overlay().textBlock().lblShow.foreColor(), picked);
    EXPECT_EQ(overlay().textBlock().lblShadow.foreColor(),
              PackedToRgb(gSettings.glColor[SlotShadow]));
}

TEST_F(TextPreferencesTest, ThePalettesCloseControlClosesBothAndAppliesNothing)
{
    TextPreferences &dialog = open();
    dialog.cboFonts->setEditText(QStringLiteral("Liberation Serif"));
    dialog.chkStyle[3]->setChecked(true);
    dialog.picCursorcol_Click();
    ASSERT_TRUE(frmColor.isLoaded());
    pickAt(8 * 3 + 4, 6 * 10 + 3);
    const int32_t picked = gSettings.glColor[SlotCursor];
    const QFont fontBefore = overlay().textBlock().lblShow.font();
    const QRgb caretBefore = overlay().textBlock().lblCursor.foreColor();

    PaletteWindow &palette = *frmColor;
    const QPointF onClose(6, 6);
    Press(palette.imgHide, onClose);
    Release(palette.imgHide, onClose);

    EXPECT_FALSE(frmColor.isLoaded());
    EXPECT_FALSE(frmFont.isLoaded());
    EXPECT_EQ(gSettings.gbDialogOpen, False);
    EXPECT_EQ(gSettings.gsFontName, QStringLiteral("Arial"));
    EXPECT_EQ(gSettings.gnFontStyle[3], 0);
    EXPECT_EQ(overlay().textBlock().lblShow.font(), fontBefore);
    EXPECT_EQ(overlay().textBlock().lblCursor.foreColor(), caretBefore);
    // The pick itself stays picked, as every pick does.
    EXPECT_EQ(gSettings.glColor[SlotCursor], picked);
    EXPECT_TRUE(topmost(overlay()));
}

TEST_F(TextPreferencesTest, EveryWayOfClosingTheDialogClosesThePaletteFirst)
{
    const std::pair<const char *, std::function<void(TextPreferences &)>> ways[] = {
        {"Cancel", [](TextPreferences &d) { d.cmdCancel_Click(); }},
        {"OK", [](TextPreferences &d) { d.cmdOK_Click(); }},
        {"window close", [](TextPreferences &d) { d.close(); }},
        {"Standby", [this](TextPreferences &) { main().mnuHide_Click(); }},
        {"Draw Lines", [this](TextPreferences &) { main().mnuModeLines_Click(); }},
        {"General", [this](TextPreferences &) { runModal(&MainForm::mnuPrefsGeneral_Click); }},
        {"About", [this](TextPreferences &) { runModal(&MainForm::mnuAbout_Click); }},
    };
    for (const auto &[name, close] : ways) {
        SCOPED_TRACE(name);
        TextPreferences &dialog = open();
        dialog.cmdShadowCol_Click();
        ASSERT_TRUE(frmColor.isLoaded());
        close(dialog);
        EXPECT_FALSE(frmColor.isLoaded());
        EXPECT_FALSE(frmFont.isLoaded());
        EXPECT_TRUE(topmost(overlay()));
        restart();
    }
}

TEST_F(TextPreferencesTest, HelpOpensThePreferencesTopicAndLeavesTheDialogOpen)
{
    HelpRecorder *help = &recordHelp();
    QFile file(AppPathSlash() + QStringLiteral("Quillan.hlp"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html><body><a name=\"topic-10\">x</a></body></html>");
    file.close();

    TextPreferences &dialog = open();
    QTest::mouseClick(dialog.cmdHelp, Qt::LeftButton);
    ASSERT_EQ(help->requests.size(), 1u);
    EXPECT_EQ(help->requests[0].owner, platform::NativeWindow(dialog.winId()));
    EXPECT_EQ(QString::fromStdString(help->requests[0].file),
              AppPathSlash() + QStringLiteral("Quillan.hlp"));
    EXPECT_EQ(help->requests[0].command, platform::HELP_CONTEXT_Command);
    EXPECT_EQ(help->requests[0].data, 10ul);
    EXPECT_TRUE(frmFont.isLoaded());
    EXPECT_EQ(gSettings.gbDialogOpen, True);
    EXPECT_TRUE(boxes.empty());
}
