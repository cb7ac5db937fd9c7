#pragma once

#include <QWidget>

#include <utility>

// Gives what a control shows (a frame's caption, a swatch's colour, an image's picture) a new
// value: the control is repainted when the value changes, and not when it stays the same.
template<class T> void SetShownValue(QWidget &control, T &shown, T value)
{
    if (shown == value)
        return;
    shown = std::move(value);
    control.update();
}
