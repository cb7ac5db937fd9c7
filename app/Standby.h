#pragma once

#include <QTimer>

class QWidget;

// Standby: the overlay goes off the screen (hidden, where the program cannot place its windows)
// until the standby return key, or a second start of the program, brings it back. Meanwhile the
// main form, a window of one pixel far off the left edge, keeps the keyboard, so that the hot
// keys and typing reach txtInput, and the overlay can have it back on its return.
class Standby
{
public:
    // Polls the standby return key every 100 ms while the overlay is away (where the system lets
    // the program read the global keyboard).
    QTimer tmrCapKeyEvent;

protected:
    // `holder` is the main form, which holds the keyboard while the overlay is away.
    explicit Standby(QWidget &holder);
    virtual ~Standby() = default;
    Standby(const Standby &) = delete;
    Standby &operator=(const Standby &) = delete;

    // Sends the overlay away and starts polling the return key.
    void goAway();
    // Whether the return key the settings name has been held down for a tick.
    bool returnKeyHeld();
    // Brings the overlay back at the margins' place: with the keyboard where the program kept it,
    // on top but without it where the user went to another program meanwhile.
    void comeBack();

    // Whether the main form holds the keyboard now; makes it hold the keyboard.
    bool holdsKeyboard() const;
    void takeKeyboard();
    // The control in the main form that has the keyboard while the form holds it (txtInput).
    virtual QWidget *keyboardTarget() const = 0;

private:
    void keepKeyboard();

    QWidget &m_holder;
    bool m_keyboardHolder = false; // the form is set up as the keyboard's holder
};
