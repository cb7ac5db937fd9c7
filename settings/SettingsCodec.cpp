#include "SettingsCodec.h"

#include "Palette.h"
#include "Units.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <optional>

namespace {

// The longest string a 2-byte length can announce.
constexpr qsizetype MaxStringBytes = 0xFFFF;

// Reads the fields one after another. A fixed-size field that runs past the end of the data
// reads its missing bytes as zeros, as the program's file reading always has.
class ByteReader
{
public:
    explicit ByteReader(const QByteArray &bytes)
        : m_bytes(bytes)
    {
    }

    int16_t int16()
    {
        const uint16_t low = byte();
        const uint16_t high = byte();
        return static_cast<int16_t>(static_cast<uint16_t>(low | (high << 8)));
    }

    float single()
    {
        uint32_t bits = 0;
        for (int shift = 0; shift < 32; shift += 8)
            bits |= static_cast<uint32_t>(byte()) << shift;
        float value = 0;
        static_assert(sizeof value == sizeof bits);
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    // A string's bytes must all be there: a length that points past the end means the file is
    // broken, and nothing is read or reserved beyond what the data holds.
    bool string(QString &out)
    {
        const auto length = static_cast<uint16_t>(int16()); // lengths are unsigned
        const qsizetype available = m_pos < m_bytes.size() ? m_bytes.size() - m_pos : 0;
        if (length > available)
            return false;
        out = length == 0 ? QString() : FromCodePage(m_bytes.mid(m_pos, length));
        m_pos += length;
        return true;
    }

private:
    uint8_t byte()
    {
        const uint8_t value = m_pos < m_bytes.size() ? static_cast<uint8_t>(m_bytes[m_pos]) : 0;
        ++m_pos;
        return value;
    }

    const QByteArray &m_bytes;
    qsizetype m_pos = 0;
};

class ByteWriter
{
public:
    void int16(int16_t value)
    {
        const auto bits = static_cast<uint16_t>(value);
        m_bytes.append(static_cast<char>(bits & 0xFF));
        m_bytes.append(static_cast<char>(bits >> 8));
    }

    void single(float value)
    {
        uint32_t bits = 0;
        static_assert(sizeof value == sizeof bits);
        std::memcpy(&bits, &value, sizeof bits);
        for (int shift = 0; shift < 32; shift += 8)
            m_bytes.append(static_cast<char>((bits >> shift) & 0xFF));
    }

    void string(const QString &text)
    {
        const QByteArray encoded = fitted(text);
        int16(static_cast<int16_t>(static_cast<uint16_t>(encoded.size())));
        m_bytes.append(encoded);
    }

    QByteArray bytes() const { return m_bytes; }
    bool truncated() const { return m_truncated; }

private:
    // The text in the code page, cut at a character boundary when it is longer than a length
    // can say. The longest fitting prefix is found by halving, so that any code page (one byte
    // or several per character) is cut correctly.
    QByteArray fitted(const QString &text)
    {
        QByteArray encoded = ToCodePage(text);
        if (encoded.size() <= MaxStringBytes)
            return encoded;
        m_truncated = true;
        const auto splitsPair = [&](qsizetype at) {
            return at > 0 && at < text.size() && text.at(at - 1).isHighSurrogate()
                && text.at(at).isLowSurrogate();
        };
        qsizetype fits = 0; // a prefix of this many UTF-16 units fits
        qsizetype tooLong = text.size(); // and this one does not
        while (tooLong - fits > 1) {
            qsizetype mid = fits + (tooLong - fits) / 2;
            if (splitsPair(mid)) {
                if (mid - 1 > fits)
                    --mid;
                else if (mid + 1 < tooLong)
                    ++mid;
                else
                    break;
            }
            if (ToCodePage(text.left(mid)).size() <= MaxStringBytes)
                fits = mid;
            else
                tooLong = mid;
        }
        return ToCodePage(text.left(fits));
    }

    QByteArray m_bytes;
    bool m_truncated = false;
};

DecodeResult Broken(const QString &field)
{
    DecodeResult result;
    result.problem = QStringLiteral("the %1 runs past the end of the data").arg(field);
    return result;
}

} // namespace

DecodeResult DecodeSettings(const QByteArray &bytes, Settings &into)
{
    ByteReader in(bytes);

    // Group 1: the main block.
    into.gnTextX = in.single();
    into.gnTextY = in.single();
    if (!in.string(into.gsText))
        return Broken(QStringLiteral("text"));
    if (!in.string(into.gsFontName))
        return Broken(QStringLiteral("font face"));
    const int16_t fontSize = in.int16();
    into.gsFontSize = QString::number(fontSize); // "36", "-5": no leading blank
    for (int16_t &style : into.gnFontStyle)
        style = in.int16();
    into.gnShadowGap = in.int16();
    into.gnCursorStyle = in.int16();
    into.gnLineWidth = in.int16();

    // Group 2: the colour cells, each slot's colour looked up again.
    for (int slot = SlotText; slot <= SlotLines; ++slot) {
        into.gnColorCol[slot] = in.int16();
        into.gnColorRow[slot] = in.int16();
        DeriveSlotColor(into, slot);
    }

    // Group 3: the margins.
    into.gnMarginLeft = in.int16();
    into.gnMarginRight = in.int16();
    into.gnMarginTop = in.int16();
    into.gnMarginBottom = in.int16();

    // Group 4: the hot keys.
    for (int key = 0; key < 4; ++key) {
        into.gnHotKeyMods[key] = in.int16();
        if (!in.string(into.gsHotKeyLetter[key]))
            return Broken(QStringLiteral("letter of hot key %1").arg(key));
    }

    // Group 5: the standby key. Anything after it is left over from an older file.
    into.gnStandbyKey = in.int16();

    DecodeResult result;
    result.standbyKeyRead = true;
    // The font is applied only after everything has been read, so a font that cannot be applied
    // fails the file but leaves the standby key in force.
    if (into.gsFontName.isEmpty()) {
        result.problem = QStringLiteral("the font cannot be applied: the face name is empty");
    } else if (fontSize <= 0) {
        result.problem = QStringLiteral("the font cannot be applied: the size %1 is not positive")
                             .arg(fontSize);
    } else {
        result.ok = true;
    }
    return result;
}

EncodeResult EncodeSettings(const Settings &from)
{
    ByteWriter out;

    out.single(from.gnTextX);
    out.single(from.gnTextY);
    out.string(from.gsText);
    out.string(from.gsFontName);
    // The nearest whole number, a half to the even neighbour, pinned to the 16-bit range; text
    // that is not a number is 0.
    out.int16(units::ToInt16(units::ReadNumber(from.gsFontSize)));
    for (const int16_t style : from.gnFontStyle)
        out.int16(style);
    out.int16(from.gnShadowGap);
    out.int16(from.gnCursorStyle);
    out.int16(from.gnLineWidth);

    for (int slot = SlotText; slot <= SlotLines; ++slot) {
        out.int16(from.gnColorCol[slot]);
        out.int16(from.gnColorRow[slot]);
    }

    out.int16(from.gnMarginLeft);
    out.int16(from.gnMarginRight);
    out.int16(from.gnMarginTop);
    out.int16(from.gnMarginBottom);

    for (int key = 0; key < 4; ++key) {
        out.int16(from.gnHotKeyMods[key]);
        out.string(from.gsHotKeyLetter[key]);
    }

    out.int16(from.gnStandbyKey);

    return EncodeResult {out.bytes(), out.truncated()};
}

namespace {

// Windows-1252's characters for the bytes 0x80 to 0x9F. The five bytes it leaves undefined stand
// for the C1 control of the same value, as the system's own conversion has them, so that every
// byte reads as something and those five are written back as they were.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The text in Windows-1252, or nothing when a character has no byte there.
std::optional<QByteArray> toCp1252(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.append(static_cast<char>(u));
            continue;
        }
        const auto *const found = std::find(std::begin(Cp1252High), std::end(Cp1252High), u);
        if (found == std::end(Cp1252High))
            return std::nullopt;
        out.append(static_cast<char>(0x80 + (found - std::begin(Cp1252High))));
    }
    return out;
}

QString fromCp1252(const QByteArray &bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *to = out.data();
    for (const char b : bytes) {
        const auto byte = static_cast<uint8_t>(b);
        *to++ = QChar(byte >= 0x80 && byte < 0xA0 ? Cp1252High[byte - 0x80] : char16_t(byte));
    }
    return out;
}

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing past
// U+10FFFF) holding at least one character of more than one byte. Text in Windows-1252 with
// letters beyond ASCII almost never is: a lone accented letter is followed by another letter,
// not by the continuation byte UTF-8 wants.
bool isMultiByteUtf8(const QByteArray &bytes)
{
    bool multiByte = false;
    const auto *p = reinterpret_cast<const uint8_t *>(bytes.constData());
    const auto *const end = p + bytes.size();
    while (p < end) {
        const uint8_t lead = *p++;
        if (lead < 0x80)
            continue;
        int more = 0;
        uint32_t code = 0;
        uint32_t least = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1, code = lead & 0x1F, least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2, code = lead & 0x0F, least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3, code = lead & 0x07, least = 0x10000;
        } else {
            return false;
        }
        if (end - p < more)
            return false;
        for (int i = 0; i < more; ++i, ++p) {
            if ((*p & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (*p & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        multiByte = true;
    }
    return multiByte;
}

} // namespace

QByteArray ToCodePage(const QString &text)
{
    // Windows-1252 when every character has its byte there, unless those bytes would read back
    // as UTF-8 ("Ã©" is C3 A9, UTF-8's "é"); UTF-8 otherwise, so that nothing is lost to a
    // substitute. UTF-8 of a text beyond ASCII always reads back as UTF-8.
    if (const std::optional<QByteArray> cp1252 = toCp1252(text);
        cp1252 && !isMultiByteUtf8(*cp1252))
        return *cp1252;
    return text.toUtf8();
}

QString FromCodePage(const QByteArray &bytes)
{
    if (!isMultiByteUtf8(bytes))
        return fromCp1252(bytes);
    // A leading byte-order mark is part of the text, so that it is written back as it came.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}
