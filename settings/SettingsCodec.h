#pragma once

#include "Settings.h"

#include <QByteArray>
#include <QString>

// The settings file's byte format: little-endian, unpadded, no header. Integers are 2 bytes,
// singles 4 bytes IEEE-754, strings a 2-byte length followed by the text (see ToCodePage).
// 85 bytes with the defaults. Pure: bytes in, record out, and back.

// The longest file that can mean anything: the 70 bytes of the numbers and string lengths, and
// six strings (the text, the font face, four hot-key letters) of the longest length a 2-byte
// length can say. A longer file is no settings file.
constexpr qsizetype MaxSettingsFileBytes = 70 + 6 * 0xFFFF;

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

// Text to and from the bytes of a string in the file. The file's strings are in the Windows ANSI
// code page, Windows-1252, whatever system the program runs on, so that a file moves between
// systems unchanged. A text with characters Windows-1252 does not have is written in UTF-8
// instead, so nothing typed in any script is lost. On reading, bytes that are well-formed UTF-8
// with at least one character of several bytes are UTF-8; anything else is Windows-1252, in which
// every byte reads as a character and is written back as the same byte.
QByteArray ToCodePage(const QString &text);
QString FromCodePage(const QByteArray &bytes);
