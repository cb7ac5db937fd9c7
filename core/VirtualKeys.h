#pragma once

#include <Qt>

#include <cstdint>

// The keyboard as the program's key handlers see it: 16-bit virtual-key codes (letters A to Z are
// 65 to 90 whatever the case, the main keyboard's digits 48 to 57, the keypad's 96 to 105,
// F1 to F24 112 to 135, ...) and the modifier mask Shift 1, Ctrl 2, Alt 4.

// The code of a key as Qt names it. Symbols typed with Shift are taken back to their key as on the
// standard US layout (Shift+5 gives "%", key 53); keys without a code give 0.
int VirtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers);

// Shift 1, Ctrl 2, Alt 4.
int ShiftMaskFrom(Qt::KeyboardModifiers modifiers);
