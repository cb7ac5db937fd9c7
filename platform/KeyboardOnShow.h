#pragma once

class QWidget;

namespace platform {

// Where the compositor decides the focus (Wayland), a window asks for the keyboard once the
// compositor has it on the screen: asked before that (at show()), the request finds no window to
// give it to and is dropped. The request carries an activation token made from the program's last
// input (the press that chose the menu item, the hot key), which is what a compositor that honours
// activation wants. Nothing happens where the program places its windows (X11): there showing and
// activating a window gives it the keyboard at once.
void TakeKeyboardOnceShown(QWidget *window);

} // namespace platform
