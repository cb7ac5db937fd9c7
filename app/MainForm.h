#pragma once

#include "TextBox.h"
#include "forms/Forms.h"
#include "overlay/OverlayOwner.h"
#include "overlay/TextItem.h"

#include <QMenu>
#include <QTimer>
#include <QWidget>

class QAction;
class QKeyEvent;

// The main form `frmMain`: the program's start-up form and hidden control centre. It owns the
// command menu, the text box `txtInput` that receives every keystroke, the standby timer and the
// two measuring labels the caret is placed from. The user never sees it: the overlay, which has
// the keyboard focus, hands it every key; during standby, while the overlay is away, its own
// window holds the keyboard, one pixel far off the left edge.
class MainForm : public QWidget, public OverlayOwner
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
    void mnuClear_Click();
    void mnuClearLines_Click();
    void mnuRestore_Click();
    void mnuHide_Click();
    void mnuModeTexts_Click();
    void mnuModeLines_Click();
    void mnuPrefsTexts_Click();
    void mnuPrefsLines_Click();
    void mnuPrefsGeneral_Click();
    void mnuContents_Click();
    // Makes a window a child of the overlay where the compositor places the windows.
    void belongToOverlay(QWidget *window);
    void mnuAbout_Click();
    void mnuQuit_Click();

    // Text entry.
    void txtInput_Change();
    void txtInput_KeyDown(int KeyCode, int Shift);
    void txtInput_KeyUp(int KeyCode, int Shift);
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

    TextBox *txtInput;
    TextItem lblVerticalPos;
    TextItem lblHorizontalPos;
    TextItem lblX;
    TextItem lblY;
    TextItem lblStart;
    QTimer tmrCapKeyEvent;

    QMenu *mnuMenu;
    QAction *mnuClear;
    QAction *mnuClearLines;
    QAction *mnuRestore;
    QAction *mnuBar0;
    QAction *mnuHide;
    QAction *mnuBar1;
    QAction *mnuModeTexts;
    QAction *mnuModeLines;
    QAction *mnuBar2;
    QMenu *mnuPreferences;
    QAction *mnuPrefsTexts;
    QAction *mnuPrefsLines;
    QAction *mnuPrefsGeneral;
    QAction *mnuBar3;
    QAction *mnuContents;
    QAction *mnuAbout;
    QAction *mnuBar4;
    QAction *mnuQuit;

    QString psSavedText;
    int32_t plStartPos = 0;

    // True once shut-down has run: the program is ending and handles nothing more.
    bool isEnding() const { return m_ending; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The virtual-key code of a key event: the system's own where it has one, else the toolkit's.
    static int keyCodeOf(const QKeyEvent &event);
    QAction *addCommand(QMenu *menu, const QString &caption, void (MainForm::*handler)());
    QAction *addSeparator(QMenu *menu);
    // The measuring labels take the text's font.
    void applyMeasuringFont();
    // Hands the overlay's text block the caret's measures, as the measuring labels hold them.
    void handCaretDown();
    // Standby: the main form, off the screen, holds the keyboard while the overlay is away, so the
    // hot keys and typing keep reaching txtInput; true while it does.
    void keepKeyboard();
    void takeKeyboard();
    bool holdsKeyboard() const;

    bool m_ending = false;
    bool m_loaded = false; // start-up has run to its end
    bool m_keyboardHolder = false; // the form is set up as standby's keyboard holder
    // A window the menu has just opened, which keeps the keyboard the press's Show would give
    // back to the overlay (only where the compositor decides the focus, see Show).
    bool m_menuOpenedWindow = false;
};

extern Form<MainForm> frmMain;
