#pragma once

#include <QStringList>

// The font names the Text dialog's list offers: the system's font families, read into the
// settings' list when the dialog must fill it anew (pnFontLoadFlag 0), in alphabetical order
// without regard to case.
QStringList FontListNames();
