// Start-up, the command menu's states and commands, and shut-down with the settings file.
#include "ProgramFixture.h"

#include "app/DataFile.h"
#include "overlay/Topmost.h"
#include "settings/SettingsFile.h"

#include "settings/SettingsCodec.h"
#include <QDir>
#include <QFile>

#include <QAction>
#include <QGuiApplication>
#include <QScreen>

namespace {

struct MenuState
{
    bool clear, clearLines, restore, modeTextsEnabled, modeTextsChecked, modeLinesChecked,
        prefsTexts, prefsLines;
};

MenuState menuState(MainForm &m)
{
    return {m.mnuClear->isEnabled(),      m.mnuClearLines->isEnabled(), m.mnuRestore->isEnabled(),
            m.mnuModeTexts->isEnabled(),  m.mnuModeTexts->isChecked(),  m.mnuModeLines->isChecked(),
            m.mnuPrefsTexts->isEnabled(), m.mnuPrefsLines->isEnabled()};
}

// The rules every command keeps between the menu items and the flags.
void expectInvariants(MainForm &m)
{
    const Settings &s = gSettings;
    EXPECT_FALSE(m.mnuModeTexts->isChecked() && m.mnuModeLines->isChecked());
    EXPECT_EQ(m.mnuPrefsTexts->isEnabled(), m.mnuModeTexts->isChecked());
    EXPECT_EQ(m.mnuPrefsLines->isEnabled(), m.mnuModeLines->isChecked());
    EXPECT_EQ(m.mnuRestore->isEnabled(), s.gbTextShown == False);
    if (s.gbTextShown == False) {
        EXPECT_FALSE(m.mnuClear->isEnabled());
        EXPECT_FALSE(m.mnuModeTexts->isEnabled());
    }
    if (m.mnuClearLines->isEnabled()) {
        EXPECT_EQ(s.gbLinesShown, True);
    }
}

} // namespace

TEST_F(ProgramTest, FirstStartReportsTheMissingFileOnceAndRunsOnTheDefaults)
{
    startProgram();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, QStringLiteral(" Vyn Quillane"));
    EXPECT_EQ(boxes[0].text,
              QStringLiteral("Data file 'QUILLAN.DAT' is broken or cannot be found.\r\n"
                             "The default data are now being loaded instead."));
    EXPECT_EQ(boxes[0].icon, MsgIcon::Critical);
    // The file exists, empty, while the program runs.
    EXPECT_TRUE(settingsFileExists());
    EXPECT_TRUE(readSettingsFile().isEmpty());

    EXPECT_EQ(main().txtInput->text(), QStringLiteral("Hello!"));
    EXPECT_EQ(overlay().textBlock().lblShow.caption(), QStringLiteral("Hello!"));
    EXPECT_EQ(overlay().textBlock().lblShadow.caption(), QStringLiteral("Hello!"));
    EXPECT_EQ(overlay().textBlock().lblShow.left(), 200);
    EXPECT_EQ(overlay().textBlock().lblShadow.left(), 202);
    EXPECT_EQ(overlay().textBlock().lblShow.font().family(), QStringLiteral("Arial"));
    EXPECT_TRUE(overlay().textBlock().lblShow.font().bold());
    EXPECT_EQ(overlay().textBlock().lblShow.foreColor(), qRgb(255, 0, 80));
    EXPECT_EQ(overlay().textBlock().lblShadow.foreColor(), qRgb(176, 255, 255));
    EXPECT_EQ(overlay().textBlock().lblCursor.foreColor(), qRgb(0, 255, 0));
    EXPECT_EQ(gSettings.gsCursorChar, QStringLiteral("|"));
    // The measuring labels carry the text font.
    EXPECT_EQ(main().lblVerticalPos.font(), overlay().textBlock().lblShow.font());

    const MenuState state = menuState(main());
    EXPECT_TRUE(state.clear);
    EXPECT_FALSE(state.clearLines);
    EXPECT_FALSE(state.restore);
    EXPECT_TRUE(state.modeTextsChecked);
    EXPECT_FALSE(state.modeLinesChecked);
    EXPECT_TRUE(state.prefsTexts);
    EXPECT_FALSE(state.prefsLines);
    EXPECT_FALSE(main().mnuQuit->isVisible());
    EXPECT_FALSE(main().mnuBar4->isVisible());
    EXPECT_FALSE(main().isVisible()) << "the main form is never seen";
    EXPECT_TRUE(overlay().isVisible());
}

TEST_F(ProgramTest, MenuTreeHasItsCaptionsInOrder)
{
    startProgram();
    QStringList captions;
    for (QAction *action : main().mnuMenu->actions())
        captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(captions,
              (QStringList {"Clear &Text", "Clear &Lines", "&Restore Text", "-", "&Standby", "-",
                            "Enter &Text", "Draw &Lines", "-", "&Preferences", "-",
                            "&Help Topics...", "&About...", "-", "E&xit"}));
    QStringList preferences;
    for (QAction *action : main().mnuPreferences->actions())
        preferences << action->text();
    EXPECT_EQ(preferences, (QStringList {"&Text...", "&Line...", "&General..."}));
}

TEST_F(ProgramTest, AGoodFileIsReadWithoutAMessage)
{
    writeSettingsFile(DefaultSettingsBytes());
    startProgram();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(main().txtInput->text(), QStringLiteral("Hello!"));
}

TEST_F(ProgramTest, ABrokenFontKeepsTheStandbyKeyReadBeforeIt)
{
    QByteArray bytes = DefaultSettingsBytes();
    bytes[23] = 0; // font size 0
    bytes[24] = 0;
    bytes[83] = 2; // F12
    writeSettingsFile(bytes);
    startProgram();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(gSettings.gnStandbyKey, 2);
    EXPECT_EQ(gSettings.gsFontSize, QStringLiteral("36"));
}

TEST_F(ProgramTest, OverlayStandsWithinTheMarginsAndShowsTheDesktopUnderIt)
{
    QByteArray bytes = DefaultSettingsBytes();
    // Left margin 50, top margin 30 (offsets 55 and 59).
    bytes[55] = 50;
    bytes[59] = 30;
    writeSettingsFile(bytes);
    startProgram();
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_EQ(overlay().geometry(), QRect(50, 30, screen.width() - 50, screen.height() - 30));
    EXPECT_EQ(overlay().picShow->geometry(), QRect(QPoint(0, 0), overlay().size()));
    const QImage &clean = OverlayInternals::formImage(overlay());
    for (const QPoint p :
         {QPoint(0, 0), QPoint(13, 7), QPoint(clean.width() - 1, clean.height() - 1)})
        EXPECT_EQ(clean.pixel(p), DesktopPixelAt(50 + p.x(), 30 + p.y())) << p.x() << "," << p.y();
    EXPECT_EQ(overlay().picShow->image(), clean);
}

TEST_F(ProgramTest, DamagedMarginsNeverLeaveAnEmptyOverlay)
{
    QByteArray bytes = DefaultSettingsBytes();
    // Left 30000 and right 30000: the sum leaves the 16-bit range; top -32768, bottom 5000.
    bytes[55] = char(0x30);
    bytes[56] = char(0x75);
    bytes[57] = char(0x30);
    bytes[58] = char(0x75);
    bytes[59] = char(0x00);
    bytes[60] = char(0x80);
    bytes[61] = char(0x88);
    bytes[62] = char(0x13);
    writeSettingsFile(bytes);
    startProgram();
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_EQ(overlay().geometry(), QRect(QPoint(0, 0), screen));
}

TEST_F(ProgramTest, CommandsKeepTheMenuInStep)
{
    startProgram();
    MainForm &m = main();
    OverlayForm &o = overlay();

    m.mnuClear_Click();
    EXPECT_FALSE(o.textBlock().lblShow.isVisible());
    EXPECT_FALSE(o.textBlock().lblShadow.isVisible());
    EXPECT_FALSE(o.textBlock().lblCursor.isVisible());
    EXPECT_FALSE(o.textBlock().tmrBlink.isActive());
    expectInvariants(m);

    // Typing goes on while the text is cleared, and restoring shows it as typed.
    m.txtInput->setText(QStringLiteral("typed meanwhile"));
    m.mnuRestore_Click();
    EXPECT_TRUE(o.textBlock().lblShow.isVisible());
    EXPECT_EQ(o.textBlock().lblShow.caption(), QStringLiteral("typed meanwhile"));
    EXPECT_TRUE(o.textBlock().lblCursor.isVisible());
    EXPECT_TRUE(o.textBlock().tmrBlink.isActive());
    expectInvariants(m);

    m.mnuModeLines_Click();
    EXPECT_EQ(gSettings.gbLineMode, 1);
    EXPECT_FALSE(o.textBlock().lblCursor.isVisible());
    EXPECT_FALSE(o.textBlock().tmrBlink.isActive());
    expectInvariants(m);

    // Restoring the text in line mode shows the text but not the caret.
    m.mnuClear_Click();
    m.mnuRestore_Click();
    EXPECT_TRUE(o.textBlock().lblShow.isVisible());
    EXPECT_FALSE(o.textBlock().lblCursor.isVisible());
    expectInvariants(m);

    m.mnuModeTexts_Click();
    EXPECT_EQ(gSettings.gbLineMode, 0);
    EXPECT_TRUE(o.textBlock().lblCursor.isVisible());
    expectInvariants(m);
}

TEST_F(ProgramTest, LineModeFreezesTheText)
{
    startProgram();
    main().mnuModeLines_Click();
    main().txtInput->insertPlainText(QStringLiteral("xyz"));
    EXPECT_EQ(main().txtInput->text(), QStringLiteral("Hello!"));
    EXPECT_EQ(overlay().textBlock().lblShow.caption(), QStringLiteral("Hello!"));
}

TEST_F(ProgramTest, ClearLinesPaintsTheCleanSnapshotBack)
{
    startProgram();
    const QImage clean = OverlayInternals::formImage(overlay());
    main().mnuModeLines_Click();
    overlay().picShow_MouseDown(1, 0, 100, 100);
    overlay().picShow_MouseMove(1, 0, 150, 100);
    overlay().picShow_MouseUp(1, 0, 150, 100);
    EXPECT_NE(overlay().picShow->image(), clean);
    EXPECT_EQ(gSettings.gbLinesShown, True);
    main().mnuClearLines->setEnabled(true);
    main().mnuClearLines_Click();
    EXPECT_EQ(overlay().picShow->image(), clean);
    EXPECT_EQ(gSettings.gbLinesShown, False);
    EXPECT_FALSE(main().mnuClearLines->isEnabled());
    EXPECT_EQ(OverlayInternals::formImage(overlay()), clean)
        << "the form's own image is never drawn on";
}

TEST_F(ProgramTest, StandbyMovesTheOverlayOffTheRightEdge)
{
    startProgram();
    const int width = QGuiApplication::primaryScreen()->geometry().width();
    main().mnuHide_Click();
    EXPECT_GE(overlay().x(), width + 6);
    EXPECT_TRUE(main().tmrCapKeyEvent.isActive());
    EXPECT_EQ(overlay().size(), QGuiApplication::primaryScreen()->geometry().size());
}

// The way back (a second start, or the desktop's global shortcut on Wayland) may come at any
// time, more than once: only a standby overlay is moved.
TEST_F(ProgramTest, TheWayBackFromStandbyMovesOnlyAnOverlayOnStandby)
{
    startProgram();
    const QPoint place = overlay().pos();
    const bool mainVisible = main().isVisible();
    main().ReturnFromStandby();
    EXPECT_EQ(overlay().pos(), place);
    EXPECT_TRUE(overlay().isVisible());
    EXPECT_EQ(main().isVisible(), mainVisible);
    EXPECT_FALSE(main().tmrCapKeyEvent.isActive());

    main().mnuHide_Click();
    ASSERT_NE(overlay().pos(), place);
    main().ReturnFromStandby();
    main().ReturnFromStandby();
    EXPECT_EQ(overlay().pos(), place);
    EXPECT_TRUE(overlay().isVisible());
    EXPECT_FALSE(main().tmrCapKeyEvent.isActive());
}

TEST_F(ProgramTest, ExitMenuItemShowsOnlyWithShiftCtrlAlt)
{
    startProgram();
    bool exitShown = true;
    withPopupMenu([&] { overlay().picShow_MouseDown(2, 0, 10, 10); },
                  [&](QMenu &) { exitShown = main().mnuQuit->isVisible(); });
    EXPECT_FALSE(exitShown);
    EXPECT_FALSE(main().mnuBar4->isVisible());

    withPopupMenu([&] { overlay().picShow_MouseDown(2, 7, 10, 10); },
                  [&](QMenu &) { exitShown = main().mnuQuit->isVisible(); });
    EXPECT_TRUE(exitShown);
    EXPECT_TRUE(main().mnuBar4->isVisible());

    withPopupMenu([&] { overlay().picShow_MouseDown(2, 3, 10, 10); }, [&](QMenu &) {});
    EXPECT_FALSE(main().mnuQuit->isVisible());
}

TEST_F(ProgramTest, TheChosenCommandRunsWhileTheMenuIsUp)
{
    startProgram();
    withPopupMenu([&] { overlay().picShow_MouseDown(2, 0, 10, 10); }, [&](QMenu &) {},
                  main().mnuClear);
    EXPECT_EQ(gSettings.gbTextShown, False);
}

TEST_F(ProgramTest, NoMenuWhileTheTextDialogIsOpen)
{
    startProgram();
    gSettings.gbDialogOpen = True;
    overlay().picShow_MouseDown(2, 0, 10, 10); // would block if a menu came up
    overlay().Form_MouseDown(2, 0, 10, 10);
    SUCCEED();
}

// Shut-down: the window's own close, Exit and the session's end save; the others do not.
class ShutDownTest : public ProgramTest, public ::testing::WithParamInterface<std::pair<int, bool>>
{
};

TEST_P(ShutDownTest, SavesExactlyForItsModes)
{
    const auto [mode, saves] = GetParam();
    startProgram();
    main().Form_QueryUnload(mode);
    const QByteArray written = readSettingsFile();
    if (saves) {
        EXPECT_EQ(written, DefaultSettingsBytes());
        EXPECT_EQ(written.size(), 85);
    } else {
        EXPECT_TRUE(written.isEmpty());
    }
    EXPECT_TRUE(main().isEnding());
}

INSTANTIATE_TEST_SUITE_P(Modes, ShutDownTest,
                         ::testing::Values(std::pair {0, true}, std::pair {1, true},
                                           std::pair {2, true}, std::pair {3, false},
                                           std::pair {4, false}));

TEST_F(ProgramTest, SavedTextAndPlaceComeBackAtTheNextStart)
{
    startProgram();
    main().txtInput->setText(QStringLiteral("Grüße\r\nzwei"));
    overlay().picShow_DragDrop(300, 250);
    main().mnuQuit_Click();
    frmShow.destroy();
    frmMain.destroy();
    gSettings = Settings {};
    boxes.clear();
    startProgram();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(main().txtInput->text(), QStringLiteral("Grüße\r\nzwei"));
    EXPECT_EQ(gSettings.gnTextX, 300);
    EXPECT_EQ(gSettings.gnTextY, 250);
    EXPECT_EQ(overlay().textBlock().lblShow.left(), 300);
}

TEST_F(ProgramTest, ASaveThatFailsIsReportedAndGoesToThePerUserFolder)
{
    startProgram();
    // The program's folder holds a directory where the file would go, so it cannot be replaced.
    QFile::remove(ProgramSettingsPath());
    ASSERT_TRUE(QDir(programFolder()).mkdir(QStringLiteral("QUILLAN.DAT")));
    boxes.clear();
    WriteData(frmMain->txtInput->text());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("QUILLAN.DAT")));
    QFile user(UserSettingsPath());
    ASSERT_TRUE(user.open(QIODevice::ReadOnly));
    EXPECT_EQ(user.readAll(), DefaultSettingsBytes());
    // The next save to the same place says nothing new.
    boxes.clear();
    WriteData(frmMain->txtInput->text());
    EXPECT_TRUE(boxes.empty());
    // ... and the next start reads the per-user copy.
    EXPECT_EQ(SettingsPathToRead(), UserSettingsPath());
}

TEST_F(ProgramTest, ASaveThatFindsNoPlaceNamesBothPlacesAndWhy)
{
    startProgram();
    QFile::remove(ProgramSettingsPath());
    ASSERT_TRUE(QDir(programFolder()).mkdir(QStringLiteral("QUILLAN.DAT")));
    // Where the per-user folder would be there is a file.
    const QString userFolder = QFileInfo(UserSettingsPath()).absolutePath();
    QDir().mkpath(QFileInfo(userFolder).absolutePath());
    QFile blocker(userFolder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    frmMain->txtInput->setText(QStringLiteral("long text") + QString(70000, QLatin1Char('x')));
    boxes.clear();
    WriteData(frmMain->txtInput->text());
    // One box, naming both places; nothing claims that part of the text was saved.
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(boxes[0].text.contains(ProgramSettingsPath())) << boxes[0].text.toStdString();
    EXPECT_TRUE(boxes[0].text.contains(UserSettingsPath())) << boxes[0].text.toStdString();
}

TEST_F(ProgramTest, ATextTooLongForTheFileIsSavedCutAtACharacterAndTheUserIsTold)
{
    startProgram();
    // 3-byte characters after one byte: 65535 falls inside a character.
    const QString text = QStringLiteral("x") + QString(30000, QChar(0x6F22));
    frmMain->txtInput->setText(text);
    boxes.clear();
    WriteData(frmMain->txtInput->text());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("65535"))) << boxes[0].text.toStdString();
    QFile file(ProgramSettingsPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    Settings read;
    read.gsPalette = gSettings.gsPalette;
    ASSERT_TRUE(DecodeSettings(file.readAll(), read).ok);
    EXPECT_EQ(read.gsText, text.left(1 + 65534 / 3));
}

TEST_F(ProgramTest, EnteringAndLeavingTheTopmostBandKeepsTheWindowAsItIs)
{
    startProgram();
    OverlayForm &o = overlay();
    const WId before = o.winId();
    const QRect geometry = o.geometry();
    for (int mode : {0, 1, 7, 0, 1}) {
        SetFormTopmost(&o, mode);
        EXPECT_EQ(o.winId(), before);
        EXPECT_EQ(o.geometry(), geometry);
        EXPECT_TRUE(o.isVisible());
    }
    EXPECT_TRUE(o.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    SetFormTopmost(&o, 0);
    EXPECT_FALSE(o.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    SetFormTopmost(&o, 2); // any other mode does nothing
    EXPECT_FALSE(o.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST(NativePlatform, SaysWhenTheDesktopCannotBeCopiedUnderWayland)
{
    const QByteArray saved = qgetenv("WAYLAND_DISPLAY");
    qputenv("WAYLAND_DISPLAY", "wayland-0");
    const std::string reason = platform::makeNativeCapabilities()->capture->unavailableReason();
    EXPECT_NE(reason.find("X11 session"), std::string::npos) << reason;
    if (saved.isNull())
        qunsetenv("WAYLAND_DISPLAY");
    else
        qputenv("WAYLAND_DISPLAY", saved);
}
