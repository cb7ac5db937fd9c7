// libFuzzer target for the settings file reader: any bytes at all, and the reader either gives a
// usable record or takes the failure path, never crashes, leaks or reads past the data. A record
// it accepts is written again and read back unchanged, so what the program saves at the end of a
// run that started from a damaged file is a file it reads the same way next time.
#include "settings/Palette.h"
#include "settings/Settings.h"
#include "settings/SettingsCodec.h"
#include "settings/Units.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void fail(const char *what)
{
    std::fprintf(stderr, "fuzz_decode_settings: %s\n", what);
    std::abort();
}

void check(bool condition, const char *what)
{
    if (!condition)
        fail(what);
}

bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool sameStored(const Settings &a, const Settings &b)
{
    return sameBits(a.gnTextX, b.gnTextX) && sameBits(a.gnTextY, b.gnTextY) && a.gsText == b.gsText
        && a.gsFontName == b.gsFontName && a.gsFontSize == b.gsFontSize
        && a.gnFontStyle == b.gnFontStyle && a.gnShadowGap == b.gnShadowGap
        && a.gnCursorStyle == b.gnCursorStyle && a.gnLineWidth == b.gnLineWidth
        && a.gnColorCol == b.gnColorCol && a.gnColorRow == b.gnColorRow
        && a.gnMarginLeft == b.gnMarginLeft && a.gnMarginRight == b.gnMarginRight
        && a.gnMarginTop == b.gnMarginTop && a.gnMarginBottom == b.gnMarginBottom
        && a.gnHotKeyMods == b.gnHotKeyMods && a.gsHotKeyLetter == b.gsHotKeyLetter
        && a.gnStandbyKey == b.gnStandbyKey && a.glColor == b.glColor;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    BuildPalette();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The reader sees exactly the fuzzer's buffer, with no terminator or slack behind it, so a
    // read of one byte past the end is an AddressSanitizer report.
    const QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    Settings record;
    record.gsPalette = gSettings.gsPalette;
    const DecodeResult result = DecodeSettings(bytes, record);

    if (!result.ok) {
        check(!result.problem.isEmpty(), "a refused file carries no reason");
        return 0;
    }
    check(result.problem.isEmpty(), "an accepted file carries a reason");
    check(result.standbyKeyRead, "an accepted file did not reach the standby key");
    check(!record.gsFontName.isEmpty(), "an accepted file has no font face");
    check(units::ReadNumber(record.gsFontSize) > 0, "an accepted file has no positive font size");

    // Written and read again, the record comes back as it went out.
    const EncodeResult encoded = EncodeSettings(record);
    if (encoded.truncated)
        return 0; // a text grown past 65535 bytes by substitutes cannot come back whole
    Settings again;
    again.gsPalette = record.gsPalette;
    const DecodeResult reread = DecodeSettings(encoded.bytes, again);
    check(reread.ok, "a written record is refused when read back");
    check(sameStored(record, again), "a written record reads back different");
    check(EncodeSettings(again).bytes == encoded.bytes, "writing the record again differs");
    return 0;
}
