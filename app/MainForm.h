#pragma once

#include "MenuItems.h"
#include "Standby.h"
#include "TextInput.h"
#include "forms/Forms.h"
#include "overlay/OverlayOwner.h"

#include <QWidget>

class QKeyEvent;

// The main form `frmMain`: the program's start-up form and hidden control centre. The user never
// sees it: the overlay, which has the keyboard focus, hands it every key; during standby, while
// the overlay is away, its own window holds the keyboard, one pixel far off the left edge.
// Its jobs each live in a piece of their own, under the documented names:
// - the command menu's items and their states (MenuItems), and the commands themselves (here);
// - text entry, the hot keys and the caret's measures (TextInput);
// - standby: keeping and taking the keyboard, the return (Standby);
// - the settings' reading and writing (DataFile.h).
class MainForm : public QWidget,
                 public OverlayOwner,
                 public MenuItems,
                 public TextInput,
                 public Standby
{
public:
    MainForm();
    ~MainForm() override;

    void Form_Load();
    // The program's end. UnloadMode: 0 the window's own close (Alt+F4, the window manager's
    // close), 1 the program itself (Exit), 2 the session ending; 3 and 4 end without saving.
    void Form_QueryUnload(int UnloadMode) override;
    void Form_Unload() { }

    // Commands of the menu.
    void mnuClear_Click() override;
    void mnuClearLines_Click() override;
    void mnuRestore_Click() override;
    void mnuHide_Click() override;
    void mnuModeTexts_Click() override;
    void mnuModeLines_Click() override;
    void mnuPrefsTexts_Click() override;
    void mnuPrefsLines_Click() override;
    void mnuPrefsGeneral_Click() override;
    void mnuContents_Click() override;
    void mnuAbout_Click() override;
    void mnuQuit_Click() override;

    void tmrCapKeyEvent_Timer();
    // Brings the overlay back from standby, as the standby key does; nothing while the overlay is
    // not on standby or the program is starting or ending.
    void ReturnFromStandby();

    // What the overlay asks of its owner (see OverlayOwner). Show is "Show frmMain modeless".
    void PopupMenu(bool updateItems, int Shift) override;
    void Show() override;
    void FocusInput() override;
    QWidget *input() const override { return txtInput; }
    void textLookChanged() override;

    // True once shut-down has run: the program is ending and handles nothing more.
    bool isEnding() const { return m_ending; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void runHotKey(HotKeyRow row) override;
    bool inTextMode() const override;
    QWidget *keyboardTarget() const override { return txtInput; }
    // Makes a window a child of the overlay where the compositor places the windows.
    void belongToOverlay(QWidget *window);
    // Shows a modal dialog over the overlay (General, About): the modeless ones close first, and
    // the overlay leaves the topmost band so that the dialog can stand above it.
    template<class Dialog> void showModal(Form<Dialog> &dialog);

    bool m_ending = false;
    bool m_loaded = false; // start-up has run to its end
    // A window the menu has just opened, which keeps the keyboard the press's Show would give
    // back to the overlay (only where the compositor decides the focus, see Show).
    bool m_menuOpenedWindow = false;
};

extern Form<MainForm> frmMain;
