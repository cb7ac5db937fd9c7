#pragma once

class QWidget;

// What the overlay (and the dialogs over it) need of the form that owns it (the main form): the
// menu, the keyboard's text box `txtInput`, the program's end, and a new look of the text to be
// measured. The overlay reaches its owner only through this, so it knows nothing of the form
// behind it; what the owner measures it hands down, and the overlay never asks for it.
//
// There is one owner while the program runs; the overlay exists only while it does.
class OverlayOwner
{
public:
    // The owner; there must be one.
    static OverlayOwner &get();
    // The owner, or null when there is none (the program is starting or has ended).
    static OverlayOwner *ifAny();

    // The menu at the pointer. With updateItems (a right press on the text or the surface) the
    // exit item shows only when Shift, Ctrl and Alt were all held (Shift = 7), and Clear Lines and
    // Restore Text are enabled from the flags first.
    virtual void PopupMenu(bool updateItems, int Shift) = 0;
    // Makes the window that holds the keyboard for txtInput active, so typing goes on.
    virtual void Show() = 0;
    // "txtInput.SetFocus".
    virtual void FocusInput() = 0;
    // The program's end; UnloadMode 0 is the window's own close.
    virtual void Form_QueryUnload(int UnloadMode) = 0;

    // txtInput: the overlay hands it every key and input-method event, and asks it what an input
    // method wants to know.
    virtual QWidget *input() const = 0;
    // The settings give the text another look (the Text dialog's OK): the owner measures the
    // caret in the new font and hands the text block its text, its look and the caret's place.
    virtual void textLookChanged() = 0;

protected:
    // The owner makes itself known on construction and is forgotten on destruction.
    OverlayOwner();
    ~OverlayOwner();
    OverlayOwner(const OverlayOwner &) = delete;
    OverlayOwner &operator=(const OverlayOwner &) = delete;
};
