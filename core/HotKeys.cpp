#include "HotKeys.h"

HotKeyRow MatchHotKey(int KeyCode, int Shift, const std::array<int16_t, 4> &mods,
                      const std::array<QString, 4> &letters)
{
    for (int row = 0; row < 4; ++row) {
        const QString &letter = letters[std::size_t(row)];
        if (letter.isEmpty() || KeyCode != letter.at(0).unicode())
            continue;
        const int required = 2 + (mods[std::size_t(row)] == 1 ? 1 : 0);
        return Shift == required ? HotKeyRow(row) : NoHotKey;
    }
    return NoHotKey;
}
