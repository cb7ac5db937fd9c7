#include "MainForm.h"

#include "CommandMenu.h"
#include "DataFile.h"
#include "core/HotKeys.h"
#include "core/OverlayGeometry.h"
#include "core/TextEntry.h"
#include "core/VirtualKeys.h"
#include "dialogs/AboutBox.h"
#include "dialogs/Dialogs.h"
#include "dialogs/GeneralPreferences.h"
#include "dialogs/PaletteWindow.h"
#include "dialogs/TextPreferences.h"
#include "forms/Forms.h"
#include "forms/Help.h"
#include "forms/MessageBox.h"
#include "overlay/OverlayForm.h"
#include "overlay/TextBlock.h"
#include "overlay/Topmost.h"
#include "platform/Platform.h"
#include "settings/Palette.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "settings/Units.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>

#include <utility>

Form<MainForm> frmMain;

MainForm::MainForm()
    : QWidget(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , txtInput(new TextBox(this))
{
    setWindowTitle(QStringLiteral("Vyn Quillane"));
    txtInput->onChange = [this] { txtInput_Change(); };
    txtInput->onKeyDown = [this](QKeyEvent *event) {
        txtInput_KeyDown(keyCodeOf(*event), ShiftMaskFrom(event->modifiers()));
    };
    txtInput->onKeyUp = [this](QKeyEvent *event) {
        // A key held down repeats its press, and on X its release too; only the last release is
        // the key coming up.
        if (!event->isAutoRepeat())
            txtInput_KeyUp(keyCodeOf(*event), ShiftMaskFrom(event->modifiers()));
    };
    // Text an input method commits comes with no key release of its own to place the caret.
    txtInput->onInputMethodCommit = [this] { txtInput_KeyUp(0, 0); };

    QFont diagnostics(QStringLiteral("Arial"));
    diagnostics.setPointSizeF(9.75);
    for (TextItem *label : {&lblX, &lblY, &lblStart})
        label->setFont(diagnostics);

    // Once the overlay has the keyboard back after standby, the main form that kept it meanwhile
    // is put away again.
    QObject::connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *focus) {
        if (isVisible() && focus && focus != windowHandle() && frmShow.isLoaded()
            && focus == frmShow->windowHandle() && frmShow->isVisible())
            hide();
    });

    tmrCapKeyEvent.setInterval(100);
    QObject::connect(&tmrCapKeyEvent, &QTimer::timeout, this, [this] { tmrCapKeyEvent_Timer(); });

    mnuMenu = new CommandMenu(QStringLiteral("&Menu"), this);
    mnuClear = addCommand(mnuMenu, QStringLiteral("Clear &Text"), &MainForm::mnuClear_Click);
    mnuClearLines
        = addCommand(mnuMenu, QStringLiteral("Clear &Lines"), &MainForm::mnuClearLines_Click);
    mnuRestore = addCommand(mnuMenu, QStringLiteral("&Restore Text"), &MainForm::mnuRestore_Click);
    mnuBar0 = addSeparator(mnuMenu);
    mnuHide = addCommand(mnuMenu, QStringLiteral("&Standby"), &MainForm::mnuHide_Click);
    mnuBar1 = addSeparator(mnuMenu);
    mnuModeTexts
        = addCommand(mnuMenu, QStringLiteral("Enter &Text"), &MainForm::mnuModeTexts_Click);
    mnuModeLines
        = addCommand(mnuMenu, QStringLiteral("Draw &Lines"), &MainForm::mnuModeLines_Click);
    mnuModeTexts->setCheckable(true);
    mnuModeLines->setCheckable(true);
    mnuBar2 = addSeparator(mnuMenu);
    mnuPreferences = new CommandMenu(QStringLiteral("&Preferences"), mnuMenu);
    mnuMenu->addMenu(mnuPreferences);
    mnuPreferences->setObjectName(QStringLiteral("mnuPreferences"));
    mnuPrefsTexts
        = addCommand(mnuPreferences, QStringLiteral("&Text..."), &MainForm::mnuPrefsTexts_Click);
    mnuPrefsLines
        = addCommand(mnuPreferences, QStringLiteral("&Line..."), &MainForm::mnuPrefsLines_Click);
    mnuPrefsGeneral = addCommand(mnuPreferences, QStringLiteral("&General..."),
                                 &MainForm::mnuPrefsGeneral_Click);
    mnuBar3 = addSeparator(mnuMenu);
    mnuContents
        = addCommand(mnuMenu, QStringLiteral("&Help Topics..."), &MainForm::mnuContents_Click);
    mnuAbout = addCommand(mnuMenu, QStringLiteral("&About..."), &MainForm::mnuAbout_Click);
    mnuBar4 = addSeparator(mnuMenu);
    mnuQuit = addCommand(mnuMenu, QStringLiteral("E&xit"), &MainForm::mnuQuit_Click);

    // The states the menu has before start-up sets them.
    mnuModeTexts->setChecked(true);
    mnuBar4->setVisible(false);
    mnuQuit->setVisible(false);

    const char *names[]
        = {"mnuClear",      "mnuClearLines",   "mnuRestore",   "mnuBar0",     "mnuHide",
           "mnuBar1",       "mnuModeTexts",    "mnuModeLines", "mnuBar2",     "mnuPrefsTexts",
           "mnuPrefsLines", "mnuPrefsGeneral", "mnuBar3",      "mnuContents", "mnuAbout",
           "mnuBar4",       "mnuQuit"};
    QAction *items[]
        = {mnuClear,     mnuClearLines, mnuRestore, mnuBar0,       mnuHide,       mnuBar1,
           mnuModeTexts, mnuModeLines,  mnuBar2,    mnuPrefsTexts, mnuPrefsLines, mnuPrefsGeneral,
           mnuBar3,      mnuContents,   mnuAbout,   mnuBar4,       mnuQuit};
    for (std::size_t i = 0; i < std::size(items); ++i)
        items[i]->setObjectName(QLatin1String(names[i]));
}

MainForm::~MainForm() = default;

QAction *MainForm::addCommand(QMenu *menu, const QString &caption, void (MainForm::*handler)())
{
    QAction *action = menu->addAction(caption);
    QObject::connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    return action;
}

QAction *MainForm::addSeparator(QMenu *menu)
{
    return menu->addSeparator();
}

void MainForm::Form_Load()
{
    Settings &s = gSettings;
    QScreen *screen = QGuiApplication::primaryScreen();
    s.gnTwipsX = units::ToInt16(1440.0 / screen->logicalDotsPerInchX());
    s.gnTwipsY = units::ToInt16(1440.0 / screen->logicalDotsPerInchY());
    // The form is shown only to hold the keyboard during standby, far off the left edge.
    move(-32000 / std::max<int>(s.gnTwipsX, 1), 0);

    s.gbLineMode = 0;
    mnuClear->setEnabled(true);
    mnuClearLines->setEnabled(false);
    s.gbLinesShown = False;
    mnuRestore->setEnabled(false);
    mnuPrefsLines->setEnabled(false);
    s.gbTextShown = True;
    s.pnFontLoadFlag = 0;

    BuildPalette();
    if (ReadData() && !MsgBoxIsHooked() && !m_ending) {
        // The message box has gone; give the windows it covered a moment to repaint before the
        // desktop is copied.
        QEventLoop settle;
        QTimer::singleShot(250, &settle, &QEventLoop::quit);
        settle.exec();
    }
    // The session ended, or the program was told to end, while the message box was up: there is
    // nothing to show any more.
    if (m_ending)
        return;

    applyMeasuringFont();
    lblHorizontalPos.setWidth(0);
    txtInput->setText(s.gsText);
    // The overlay is made by then (it copies the desktop first); its caret goes where the empty
    // measures put it, before the overlay is seen.
    handCaretDown();
    frmShow->showOnScreen();
    Show();
    m_loaded = true;
}

void MainForm::Form_QueryUnload(int UnloadMode)
{
    if (m_ending)
        return;
    m_ending = true;
    tmrCapKeyEvent.stop();
    // Before start-up has finished (a request to end while the broken-file message is up) the
    // settings may be half read and txtInput does not hold the text yet: the file is left as it
    // is rather than overwritten with a record the user never saw.
    if (m_loaded && (UnloadMode == 0 || UnloadMode == 1 || UnloadMode == 2))
        WriteData(txtInput->text());
    // Ends every event loop under way, a message box's included; main() runs none after it.
    QCoreApplication::exit(0);
}

void MainForm::closeEvent(QCloseEvent *event)
{
    event->ignore();
    Form_QueryUnload(0);
}

void MainForm::Show()
{
    if (!frmShow.isLoaded())
        return;
    OverlayForm *overlay = frmShow.get();
    // On standby (chosen from a menu opened by a press on the overlay) the main form itself holds
    // the keyboard until the overlay is back; the closing menu may have handed it elsewhere.
    if (overlay->isHidden()) {
        if (isVisible())
            takeKeyboard();
        return;
    }
    // Where the compositor decides the focus, asking for it arrives after the window the menu
    // just opened has asked for it, and would take the keyboard from that window.
    const bool windowOpened = std::exchange(m_menuOpenedWindow, false);
    if (windowOpened && !platform::caps().stack->placesWindows())
        return;
    overlay->activateWindow();
    overlay->setFocus(Qt::ActiveWindowFocusReason);
}

void MainForm::FocusInput()
{
    Show();
}

bool MainForm::holdsKeyboard() const
{
    const QWindow *window = windowHandle();
    return isVisible() && window && QGuiApplication::focusWindow() == window;
}

void MainForm::keepKeyboard()
{
    // Standby is given by the user to the program (its menu or a hot key), so the program has the
    // keyboard now, even while the closing menu still holds it.
    if (!holdsKeyboard())
        takeKeyboard();
}

void MainForm::takeKeyboard()
{
    if (!m_keyboardHolder) {
        // A window of one pixel, far off the left edge, that no window manager moves back onto
        // the screen or hands the keyboard to another window for: an active window that is never
        // seen.
        m_keyboardHolder = true;
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
        setAttribute(Qt::WA_ShowWithoutActivating);
        const int twips = std::max<int>(gSettings.gnTwipsX, 1);
        setGeometry(-32000 / twips, 0, 1, 1);
    }
    txtInput->setFocus(Qt::OtherFocusReason);
    show();
    if (!platform::caps().stack->giveKeyboardTo(platform::NativeWindow(winId())))
        activateWindow();
}

void MainForm::keyPressEvent(QKeyEvent *event)
{
    // Keys txtInput has no use for, while the main form itself has the keyboard (standby): Alt+F4
    // closes the program as the window's own close does, with no window manager to do it for a
    // window it does not look after.
    if (event->key() == Qt::Key_F4 && event->modifiers() == Qt::AltModifier) {
        Form_QueryUnload(0);
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainForm::PopupMenu(bool updateItems, int Shift)
{
    if (updateItems) {
        const bool exitShown = Shift == 7;
        mnuBar4->setVisible(exitShown);
        mnuQuit->setVisible(exitShown);
        mnuClearLines->setEnabled(gSettings.gbLinesShown == True);
        mnuRestore->setEnabled(gSettings.gbTextShown != True);
    }
    mnuMenu->exec(QCursor::pos());
    // The menu took the mouse while it was open: the release of the press that opened it went
    // to the menu, never to the overlay.
    if (frmShow.isLoaded())
        frmShow->endPress();
}

// --- commands --------------------------------------------------------------------------------

void MainForm::mnuClear_Click()
{
    gSettings.gbTextShown = False;
    frmShow->textBlock().setShown(false, false);
    mnuModeTexts->setEnabled(false);
    mnuClear->setEnabled(false);
    mnuRestore->setEnabled(true);
}

void MainForm::mnuClearLines_Click()
{
    gSettings.gbLinesShown = False;
    frmShow->paintFormImageOntoSurface();
    mnuClearLines->setEnabled(false);
}

void MainForm::mnuRestore_Click()
{
    gSettings.gbTextShown = True;
    frmShow->textBlock().setShown(true, mnuModeTexts->isChecked());
    mnuModeTexts->setEnabled(true);
    mnuClear->setEnabled(true);
    mnuRestore->setEnabled(false);
}

void MainForm::mnuHide_Click()
{
    OverlayForm &overlay = *frmShow;
    const platform::Capabilities &caps = platform::caps();
    if (caps.stack->placesWindows()) {
        // Entirely off the right edge: the screen's width plus 100 twips.
        const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
        const int twips = std::max<int>(gSettings.gnTwipsX, 1);
        overlay.move(int(units::IntDiv(int64_t(screenWidth) * twips + 100 + twips - 1, twips)),
                     overlay.y());
        // The keyboard stays with the program while the overlay is away, so that the hot keys
        // and typing go on, and the overlay can have it back on its return.
        keepKeyboard();
    }
    // A window manager keeps a window it manages partly on the screen, which would leave a strip
    // of the frozen picture over the desktop; off the screen the overlay is not to be seen at all.
    // Where windows cannot be placed, hiding it is all there is: the keyboard goes back to the
    // desktop.
    overlay.hide();
    // The standby key is read from the global keyboard where the system lets the program read it;
    // elsewhere a second start of the program brings the overlay back.
    if (caps.keys->readsGlobalState())
        tmrCapKeyEvent.start();
    frmColor.unload();
    frmFont.unload();
}

void MainForm::mnuModeTexts_Click()
{
    gSettings.gbLineMode = 0;
    OverlayForm &overlay = *frmShow;
    overlay.setSurfacePointer(Qt::ArrowCursor);
    overlay.textBlock().setCaretShown(true);
    mnuModeTexts->setChecked(true);
    mnuModeLines->setChecked(false);
    mnuPrefsTexts->setEnabled(true);
    mnuPrefsLines->setEnabled(false);
    frmColor.unload();
    FocusInput();
}

void MainForm::mnuModeLines_Click()
{
    gSettings.gbLineMode = 1;
    OverlayForm &overlay = *frmShow;
    overlay.setSurfacePointer(overlay.penPointer());
    overlay.textBlock().setCaretShown(false);
    mnuModeLines->setChecked(true);
    mnuModeTexts->setChecked(false);
    mnuPrefsTexts->setEnabled(false);
    mnuPrefsLines->setEnabled(true);
    psSavedText = txtInput->text();
    frmFont.unload();
}

void MainForm::mnuPrefsTexts_Click()
{
    SetFormTopmost(frmShow.get(), 0);
    frmFont->Show();
    m_menuOpenedWindow = true;
}

void MainForm::mnuPrefsLines_Click()
{
    Settings &s = gSettings;
    s.gnColorSlot = SlotLines;
    SetFormTopmost(frmShow.get(), 0);
    frmColor->Show();
    m_menuOpenedWindow = true;
    DrawCell(s.gnColorCol[SlotLines], s.gnColorRow[SlotLines]);
}

void MainForm::mnuPrefsGeneral_Click()
{
    frmColor.unload();
    frmFont.unload();
    SetFormTopmost(frmShow.get(), 0);
    belongToOverlay(frmGeneral.get());
    frmGeneral->exec();
}

void MainForm::belongToOverlay(QWidget *window)
{
    // Where the compositor places the windows, a window that does not belong to the full-screen
    // overlay may open behind it and is not given the keyboard while the overlay is in front.
    if (platform::caps().stack->placesWindows() || !frmShow.isLoaded() || !frmShow->isVisible())
        return;
    window->winId();
    frmShow->winId();
    window->windowHandle()->setTransientParent(frmShow->windowHandle());
}

void MainForm::mnuContents_Click()
{
    // Where the compositor places the windows, the help (or the box that says it is missing)
    // must belong to the overlay in front or it may open behind it; the main form is not on the
    // screen there.
    QWidget *owner = this;
    if (!platform::caps().stack->placesWindows() && frmShow.isLoaded() && frmShow->isVisible())
        owner = frmShow.get();
    ShowHelp(owner, QStringLiteral("quillan.hlp"), platform::HELP_CONTENTS_Command, 0);
}

void MainForm::mnuAbout_Click()
{
    frmColor.unload();
    frmFont.unload();
    SetFormTopmost(frmShow.get(), 0);
    belongToOverlay(frmInfo.get());
    frmInfo->exec();
}

void MainForm::mnuQuit_Click()
{
    Form_QueryUnload(1);
}

// --- text entry ------------------------------------------------------------------------------

void MainForm::txtInput_Change()
{
    if (!mnuModeTexts->isChecked())
        txtInput->setText(psSavedText);
    frmShow->textBlock().setText(txtInput->text());
}

int MainForm::keyCodeOf(const QKeyEvent &event)
{
    const int native = platform::caps().keys->VirtualKeyFromNative(event.nativeScanCode(),
                                                                   event.nativeVirtualKey());
    return native != 0 ? native : VirtualKeyFromQt(event.key(), event.modifiers());
}

void MainForm::txtInput_KeyDown(int KeyCode, int Shift)
{
    // The caret keeps its blink phase while the key is down.
    TextBlock &text = frmShow->textBlock();
    text.tmrBlink.stop();
    // The hot keys run their commands whatever the items' state; the key goes on to the text box.
    switch (MatchHotKey(KeyCode, Shift, gSettings.gnHotKeyMods, gSettings.gsHotKeyLetter)) {
    case HotKeyClear:
        mnuClear_Click();
        break;
    case HotKeyClearLines:
        mnuClearLines_Click();
        break;
    case HotKeyRestore:
        mnuRestore_Click();
        break;
    case HotKeyStandby:
        mnuHide_Click();
        // The overlay that has the keyboard is hidden now, so the key's release may go to another
        // window and txtInput_KeyUp never run for it; the blink it would restart starts here.
        text.tmrBlink.start();
        break;
    case NoHotKey:
        break;
    }
}

void MainForm::txtInput_KeyUp(int, int)
{
    TextBlock &text = frmShow->textBlock();
    plStartPos = int32_t(std::min<qsizetype>(txtInput->SelStart(), INT32_MAX));
    const QString before = txtInput->text().left(plStartPos);
    lblHorizontalPos.setCaption(GetLastLine(before));
    lblVerticalPos.setCaption(before);
    if (lblHorizontalPos.caption().isEmpty())
        lblHorizontalPos.setWidth(0);
    handCaretDown();
    lblX.setCaption(QStringLiteral("X = ") + units::PlainNumber(lblHorizontalPos.width()));
    lblY.setCaption(QStringLiteral("Y = ") + units::PlainNumber(lblHorizontalPos.height()));
    lblStart.setCaption(QStringLiteral("StartPos = ") + QString::number(plStartPos));
    text.lblCursor.setCaption(gSettings.gsCursorChar);
    text.tmrBlink.start();
}

void MainForm::applyMeasuringFont()
{
    ApplyFont(lblHorizontalPos, 0, 1);
    ApplyFont(lblVerticalPos, 0, 1);
}

void MainForm::handCaretDown()
{
    frmShow->textBlock().placeCaret(lblHorizontalPos.width(), lblVerticalPos.height());
}

void MainForm::textLookChanged()
{
    applyMeasuringFont();
    // An empty line measures no width, whatever the label made of the new font.
    if (lblHorizontalPos.caption().isEmpty())
        lblHorizontalPos.setWidth(0);
    TextBlock &text = frmShow->textBlock();
    text.setText(txtInput->text());
    text.applyLook(lblHorizontalPos.width(), lblVerticalPos.height());
}

void MainForm::tmrCapKeyEvent_Timer()
{
    const Settings &s = gSettings;
    // A standby key outside F10 to F12 (only a damaged file holds one) would leave the overlay
    // off the screen for good; F10 brings it back then.
    static constexpr int keys[]
        = {platform::VK_F10_Code, platform::VK_F11_Code, platform::VK_F12_Code};
    const int key
        = s.gnStandbyKey >= 0 && s.gnStandbyKey <= 2 ? keys[s.gnStandbyKey] : platform::VK_F10_Code;
    const std::int16_t state = platform::caps().keys->GetAsyncKeyState(key);
    // Down, and not pressed anew since the previous tick: the key has been held for a tick.
    if (state == std::int16_t(0x8000))
        ReturnFromStandby();
}

void MainForm::ReturnFromStandby()
{
    if (!m_loaded || m_ending || !frmShow.isLoaded() || !frmShow->isHidden())
        return;
    tmrCapKeyEvent.stop();
    const Settings &s = gSettings;
    OverlayForm &overlay = *frmShow;
    const bool placesWindows = platform::caps().stack->placesWindows();
    if (placesWindows) {
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        const QRect place
            = OverlayRect(screen.width(), screen.height(), s.gnTwipsX, s.gnTwipsY, s.gnMarginLeft,
                          s.gnMarginRight, s.gnMarginTop, s.gnMarginBottom);
        overlay.move(place.topLeft());
    }
    if (holdsKeyboard() || !placesWindows) {
        // The program kept the keyboard through standby (or, where nothing of the program could
        // keep it, the user asked for the overlay by starting the program again): the overlay
        // takes it, and typing goes on without a click. The main form lets go once the overlay
        // has it.
        overlay.showOnScreen();
        overlay.activateWindow();
        overlay.setFocus(Qt::ActiveWindowFocusReason);
    } else {
        // The user went to another program meanwhile: the overlay only comes back on top,
        // without taking the keyboard from it; a press on the overlay gives it back to
        // txtInput. (Once the window exists the platform reads the request from its window,
        // not the widget.)
        hide();
        overlay.setAttribute(Qt::WA_ShowWithoutActivating);
        if (QWindow *window = overlay.windowHandle())
            window->setProperty("_q_showWithoutActivating", true);
        overlay.showOnScreen();
        if (QWindow *window = overlay.windowHandle())
            window->setProperty("_q_showWithoutActivating", QVariant());
        overlay.setAttribute(Qt::WA_ShowWithoutActivating, false);
    }
    // Over the windows opened meanwhile, as the topmost window it is.
    if (overlay.windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        SetFormTopmost(&overlay, 1);
}
