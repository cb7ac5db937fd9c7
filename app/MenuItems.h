#pragma once

class QAction;
class QMenu;
class QWidget;

// The command menu `mnuMenu` of the main form: its items under their documented names, their
// captions and access keys, and the rules that keep their states:
// - the two mode items are never both checked; Text... is enabled exactly in text mode and
//   Line... exactly in line mode;
// - Restore Text is enabled exactly while the text is cleared, and then Clear Text and Enter Text
//   are disabled;
// - Clear Lines is enabled only while lines have been drawn since the last clearing;
// - the exit item and the separator above it show only in a menu opened with Shift+Ctrl+Alt.
// Each item runs its command, which the form implements; the hot keys run four of them directly,
// whatever the items' state.
class MenuItems
{
public:
    virtual void mnuClear_Click() = 0;
    virtual void mnuClearLines_Click() = 0;
    virtual void mnuRestore_Click() = 0;
    virtual void mnuHide_Click() = 0;
    virtual void mnuModeTexts_Click() = 0;
    virtual void mnuModeLines_Click() = 0;
    virtual void mnuPrefsTexts_Click() = 0;
    virtual void mnuPrefsLines_Click() = 0;
    virtual void mnuPrefsGeneral_Click() = 0;
    virtual void mnuContents_Click() = 0;
    virtual void mnuAbout_Click() = 0;
    virtual void mnuQuit_Click() = 0;

    QMenu *mnuMenu = nullptr;
    QAction *mnuClear = nullptr;
    QAction *mnuClearLines = nullptr;
    QAction *mnuRestore = nullptr;
    QAction *mnuBar0 = nullptr;
    QAction *mnuHide = nullptr;
    QAction *mnuBar1 = nullptr;
    QAction *mnuModeTexts = nullptr;
    QAction *mnuModeLines = nullptr;
    QAction *mnuBar2 = nullptr;
    QMenu *mnuPreferences = nullptr;
    QAction *mnuPrefsTexts = nullptr;
    QAction *mnuPrefsLines = nullptr;
    QAction *mnuPrefsGeneral = nullptr;
    QAction *mnuBar3 = nullptr;
    QAction *mnuContents = nullptr;
    QAction *mnuAbout = nullptr;
    QAction *mnuBar4 = nullptr;
    QAction *mnuQuit = nullptr;

protected:
    MenuItems() = default;
    virtual ~MenuItems() = default;
    MenuItems(const MenuItems &) = delete;
    MenuItems &operator=(const MenuItems &) = delete;

    // Makes the menu, on `owner`, each item tied to its command, in the states it has before
    // start-up sets them: text mode, the exit item hidden.
    void buildMenu(QWidget *owner);
    // The states start-up sets: nothing to clear but the text, nothing to restore.
    void setStartStates();
    // Clear Text (shown false) and Restore Text (shown true).
    void setTextShown(bool shown);
    // Enter Text (lines false) and Draw Lines (lines true).
    void setLineMode(bool lines);
    // Before the menu pops up from a press on the text or the surface: the exit item only with
    // Shift, Ctrl and Alt held (Shift = 7); Clear Lines and Restore Text from the flags.
    void prepareForPopup(int Shift);
};
