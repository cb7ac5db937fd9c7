#include "MainForm.h"

#include "DataFile.h"
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
#include "settings/Units.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QWindow>

#include <utility>

Form<MainForm> frmMain;

MainForm::MainForm()
    : QWidget(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , TextInput(this)
    , Standby(static_cast<QWidget &>(*this))
{
    setWindowTitle(QStringLiteral("Vyn Quillane"));
    QObject::connect(&tmrCapKeyEvent, &QTimer::timeout, this, [this] { tmrCapKeyEvent_Timer(); });

    buildMenu(this);
}

MainForm::~MainForm() = default;

void MainForm::Form_Load()
{
    Settings &s = gSettings;
    QScreen *screen = QGuiApplication::primaryScreen();
    s.gnTwipsX = units::ToInt16(1440.0 / screen->logicalDotsPerInchX());
    s.gnTwipsY = units::ToInt16(1440.0 / screen->logicalDotsPerInchY());
    // The form is shown only to hold the keyboard during standby, far off the left edge.
    move(-32000 / std::max<int>(s.gnTwipsX, 1), 0);

    s.gbLineMode = 0;
    setStartStates();
    s.gbLinesShown = False;
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
    if (updateItems)
        prepareForPopup(Shift);
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
    setTextShown(false);
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
    setTextShown(true);
}

void MainForm::mnuHide_Click()
{
    goAway();
    frmColor.unload();
    frmFont.unload();
}

void MainForm::mnuModeTexts_Click()
{
    gSettings.gbLineMode = 0;
    OverlayForm &overlay = *frmShow;
    overlay.setSurfacePointer(Qt::ArrowCursor);
    overlay.textBlock().setCaretShown(true);
    setLineMode(false);
    frmColor.unload();
    FocusInput();
}

void MainForm::mnuModeLines_Click()
{
    gSettings.gbLineMode = 1;
    OverlayForm &overlay = *frmShow;
    overlay.setSurfacePointer(overlay.penPointer());
    overlay.textBlock().setCaretShown(false);
    setLineMode(true);
    freezeText();
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
    showModal(frmGeneral);
}

template<class Dialog> void MainForm::showModal(Form<Dialog> &dialog)
{
    frmColor.unload();
    frmFont.unload();
    SetFormTopmost(frmShow.get(), 0);
    belongToOverlay(dialog.get());
    dialog->exec();
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
    showModal(frmInfo);
}

void MainForm::mnuQuit_Click()
{
    Form_QueryUnload(1);
}

// --- text entry and standby -----------------------------------------------------------------

bool MainForm::inTextMode() const
{
    return mnuModeTexts->isChecked();
}

void MainForm::runHotKey(HotKeyRow row)
{
    switch (row) {
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
        break;
    case NoHotKey:
        break;
    }
}

void MainForm::textLookChanged()
{
    applyMeasuringFont();
    // An empty line measures no width, whatever the label made of the new font.
    if (lblHorizontalPos.caption().isEmpty())
        lblHorizontalPos.setWidth(0);
    TextBlock &text = frmShow->textBlock();
    text.setText(txtInput->text());
    text.setCaretMeasures(lblHorizontalPos.width(), lblVerticalPos.height());
    text.applyLook();
}

void MainForm::tmrCapKeyEvent_Timer()
{
    if (returnKeyHeld())
        ReturnFromStandby();
}

void MainForm::ReturnFromStandby()
{
    if (!m_loaded || m_ending || !frmShow.isLoaded() || !frmShow->isHidden())
        return;
    comeBack();
}
