#pragma once

#include <QString>

#include <array>
#include <cstdint>

// The four hot keys: Ctrl, or Ctrl+Shift, with a letter or digit key. Rows, in the order they are
// tried: 0 Clear Text, 1 Clear Lines, 2 Restore Text, 3 Standby.
enum HotKeyRow : int {
    NoHotKey = -1,
    HotKeyClear = 0,
    HotKeyClearLines,
    HotKeyRestore,
    HotKeyStandby
};

// The row whose command a key going down runs, or NoHotKey. The first row whose letter is the key
// decides: it runs when the modifiers are exactly the row's (Ctrl, plus Shift when its modifier
// is 1), otherwise nothing runs and later rows are not tried. A row's key code is the character
// code of the first character of its letter; an empty letter is no key at all.
HotKeyRow MatchHotKey(int KeyCode, int Shift, const std::array<int16_t, 4> &mods,
                      const std::array<QString, 4> &letters);
