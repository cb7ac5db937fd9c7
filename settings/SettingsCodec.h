#pragma once

#include "Settings.h"

#include <QByteArray>
#include <QString>

// The settings file's byte format: little-endian, unpadded, no header. Integers are 2 bytes,
// singles 4 bytes IEEE-754, strings a 2-byte length followed by the text in the system's code page.
// 85 bytes with the defaults. Pure: bytes in, record out, and back.

struct DecodeResult
{
    // False when the bytes cannot be used: a string whose length runs past the end of the data,
    // or a font that cannot be applied (empty face, size not a positive number).
    bool ok = false;
    // True when the reader got as far as the standby key, which then holds in the record even when
    // the result is not ok.
    bool standbyKeyRead = false;
    // A short description of what was wrong, for diagnostics; empty when ok.
    QString problem;
};

// Reads the five groups into `into` (stored fields and glColor). Bytes missing at the end of the
// data read as zeros; bytes after the standby key are ignored. String lengths are unsigned.
// The colours are looked up in gSettings.gsPalette, so BuildPalette must have run first. The
// fields are filled in file order: when a string is broken the fields before it are already set.
DecodeResult DecodeSettings(const QByteArray &bytes, Settings &into);

struct EncodeResult
{
    QByteArray bytes;
    // True when a string was longer than the 65535 bytes a length can say and was cut (at a
    // character boundary) to fit.
    bool truncated = false;
};

// Writes the five groups from `from`. The font size is the whole number gsFontSize denotes
// (nearest, a half going to the even neighbour).
EncodeResult EncodeSettings(const Settings &from);

// Text to and from the system's code page: the ANSI code page on Windows, the locale's character
// set (UTF-8) elsewhere. Unencodable characters become the code page's substitute.
QByteArray ToCodePage(const QString &text);
QString FromCodePage(const QByteArray &bytes);
