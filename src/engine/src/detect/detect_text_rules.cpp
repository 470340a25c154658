// The rules that recognise Unicode text and ASCII by their bytes alone,
// before ICU's detector is asked: they are exact where it guesses.
#include "detect/detect_text_rules.h"

#include <unicode/utf8.h>

#include <algorithm>

namespace velloran {

namespace {

// Where the last character of a sample cut from a longer file would end past
// the sample: there, else the sample's end.
std::size_t completeLength(std::string_view bytes)
{
    const std::size_t earliest = bytes.size() > 4 ? bytes.size() - 4 : 0;
    for (std::size_t i = bytes.size(); i > earliest;) {
        --i;
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (U8_IS_TRAIL(byte))
            continue;
        const std::size_t length = static_cast<std::size_t>(U8_COUNT_TRAIL_BYTES(byte)) + 1;
        return byte >= 0xC2 && byte <= 0xF4 && i + length > bytes.size() ? i : bytes.size();
    }
    return bytes.size();
}

// A UTF-16 code unit that Chinese text is made of, judged by its high byte:
// ASCII and Latin-1 (no control characters but white space), punctuation
// (U+2000 to U+203F), CJK symbols, the common Han block and full-width forms.
bool isPlausibleUnit(unsigned char low, unsigned char high)
{
    if (high == 0x00)
        return low >= 0x20 || low == '\t' || low == '\n' || low == '\r' || low == '\f';
    if (high == 0x20)
        return low <= 0x3F;
    if (high == 0xFF)
        return low <= 0xEF;
    return high == 0x30 || (high >= 0x4E && high <= 0x9F);
}

} // namespace

bool isUtf8WithWideCharacters(const DetectionSample &sample)
{
    const std::string_view bytes =
        sample.wholeFile ? sample.bytes : sample.bytes.substr(0, completeLength(sample.bytes));
    const auto *text = reinterpret_cast<const uint8_t *>(bytes.data());
    const auto length = static_cast<int32_t>(bytes.size());
    bool wide = false;
    for (int32_t i = 0; i < length;) {
        if (text[i] == 0)
            return false; // text in UTF-8 has no NUL; UTF-16 has plenty
        if (text[i] < 0x80) {
            ++i;
            continue;
        }
        UChar32 character = 0;
        U8_NEXT(text, i, length, character);
        // Planes 4 to 13 have no characters at all.
        if (character < 0 || (character >= 0x40000 && character < 0xE0000))
            return false;
        wide = wide || character >= 0x800;
    }
    return wide;
}

bool isPlainAscii(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return c != '\0' && static_cast<unsigned char>(c) < 0x80; });
}

bool hasNoEightBitBytes(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Legacy Chinese text read as UTF-16LE turns its bytes of 0x80 and above into
// unlikely code units, and never has a NUL byte. Text in UTF-16LE without a
// NUL byte has no ASCII in it, so all its units must be plausible; and a few
// of them prove nothing, since two or three Big5 or GBK characters can look
// the same.
bool looksLikeUtf16Le(const DetectionSample &sample)
{
    constexpr std::size_t kFewestUnitsWithoutNul = 8;
    const std::size_t length = sample.bytes.size() & ~std::size_t(1);
    if (length == 0 || (sample.wholeFile && length != sample.bytes.size()))
        return false;
    const auto *bytes = reinterpret_cast<const unsigned char *>(sample.bytes.data());
    std::size_t implausible = 0;
    bool hasNul = false;
    bool expectTrail = false;
    for (std::size_t i = 0; i < length; i += 2) {
        const unsigned char low = bytes[i];
        const unsigned char high = bytes[i + 1];
        hasNul = hasNul || low == 0 || high == 0;
        const bool lead = high >= 0xD8 && high <= 0xDB;
        const bool trail = high >= 0xDC && high <= 0xDF;
        if (trail != expectTrail)
            return false; // an unpaired surrogate
        expectTrail = lead;
        if (!lead && !trail && !isPlausibleUnit(low, high))
            ++implausible;
    }
    if (expectTrail && sample.wholeFile)
        return false;
    const std::size_t units = length / 2;
    if (!hasNul)
        return implausible == 0 && units >= kFewestUnitsWithoutNul;
    return implausible * 10 <= units;
}

} // namespace velloran
