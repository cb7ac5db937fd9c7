#include "SettingsCodec.h"

#include "Palette.h"
#include "Units.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <cstring>

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

QByteArray ToCodePage(const QString &text)
{
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
}

QString FromCodePage(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringConverter::System);
    return decoder.decode(bytes);
}
