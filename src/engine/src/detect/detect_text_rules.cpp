// SPDX-License-Identifier: GPL-3.0-or-later
// The rules that recognise Unicode text and ASCII by their bytes alone,
// before ICU's detector is asked: they are exact where it guesses.
#include "detect/detect_text_rules.h"

#include "codec/private_use.h"
#include "detect/utf8_scan.h"

#include <unicode/utf.h>
#include <unicode/utf8.h>

#include <algorithm>

namespace velloran {

namespace {

bool isWhiteSpaceControl(char32_t character)
{
    return character == '\t' || character == '\n' || character == '\r' || character == '\f';
}

// No control character but white space.
bool isTextCharacter(char32_t character)
{
    return character >= 0x20 || isWhiteSpaceControl(character);
}

// A UTF-16 code unit that Chinese text is made of, judged by its high byte:
// ASCII and Latin-1 (no control characters but white space), punctuation
// (U+2000 to U+203F), CJK symbols, the common Han block and full-width forms.
// A unit whose low byte alone is zero is far more often an ASCII character
// read in the wrong byte order than U+4E00 or U+3000.
bool isPlausibleUnit(unsigned char low, unsigned char high)
{
    if (high == 0x00)
        return isTextCharacter(low);
    if (low == 0x00)
        return false;
    if (high == 0x20)
        return low <= 0x3F;
    if (high == 0xFF)
        return low <= 0xEF;
    return high == 0x30 || (high >= 0x4E && high <= 0x9F);
}

bool isBase64(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/';
}

// The UTF-32 unit at `bytes`, in `order`.
char32_t utf32UnitAt(const unsigned char *bytes, ByteOrder order)
{
    char32_t unit = 0;
    for (std::size_t i = 0; i < 4; ++i)
        unit = unit << 8 | bytes[order == ByteOrder::BigEndian ? i : 3 - i];
    return unit;
}

// What a sample read as UTF-16 of one byte order is made of.
struct Utf16Units
{
    std::size_t count = 0;
    std::size_t implausible = 0;
    std::size_t fromU8100 = 0;    // with a high byte of 0x81 or above
    std::size_t withEightBit = 0; // with a byte of 0x80 or above
    bool hasNul = false;
    bool pairedSurrogates = true;
};

Utf16Units readAsUtf16(const DetectionSample &sample, ByteOrder order)
{
    Utf16Units units;
    const std::size_t length = sample.bytes.size() & ~std::size_t(1);
    const auto *bytes = reinterpret_cast<const unsigned char *>(sample.bytes.data());
    const std::size_t lowByte = order == ByteOrder::LittleEndian ? 0 : 1;
    bool expectTrail = false;
    for (std::size_t i = 0; i < length && units.pairedSurrogates; i += 2) {
        const unsigned char low = bytes[i + lowByte];
        const unsigned char high = bytes[i + 1 - lowByte];
        const bool lead = high >= 0xD8 && high <= 0xDB;
        const bool trail = high >= 0xDC && high <= 0xDF;
        units.pairedSurrogates = trail == expectTrail;
        expectTrail = lead;
        ++units.count;
        units.implausible += !lead && !trail && !isPlausibleUnit(low, high) ? 1 : 0;
        units.fromU8100 += high >= 0x81 ? 1 : 0;
        units.withEightBit += high >= 0x80 || low >= 0x80 ? 1 : 0;
        units.hasNul = units.hasNul || low == 0 || high == 0;
    }
    units.pairedSurrogates = units.pairedSurrogates && !(expectTrail && sample.wholeFile);
    return units;
}

// Text in UTF-16 without a NUL byte has no ASCII in it, so all its units
// must be plausible; a few of them prove nothing, since two or three Big5
// or GBK characters can look the same; most must be below U+8100, where most
// Han characters in use are, while legacy two-byte text read as UTF-16BE
// (Shift_JIS above all, whose kana read as Han) has a lead byte of 0x81 or
// above for a high byte; and three Han characters in four have a byte of
// 0x80 or above, where ASCII letters with a stray byte, which pair into Han
// too, have few.
bool isTextWithoutNul(const Utf16Units &units)
{
    constexpr std::size_t kFewestUnits = 8;
    return units.implausible == 0 && units.count >= kFewestUnits &&
           units.fromU8100 * 2 <= units.count && units.withEightBit * 4 >= units.count;
}

} // namespace

bool isUtf8WithWideCharacters(const DetectionSample &sample)
{
    // Private use is left to detection's decodings, which refuse it in
    // every encoding alike.
    Utf8Scan scan(PrivateUse::Allowed);
    scan.seen(sample.bytes);
    if (sample.wholeFile)
        scan.finish();
    return scan.isWideText();
}

bool isMostlyUtf8(std::string_view bytes)
{
    const auto *text = reinterpret_cast<const uint8_t *>(bytes.data());
    const auto length = static_cast<int32_t>(bytes.size());
    std::size_t eightBitBytes = 0;
    std::size_t inCharacters = 0;
    for (int32_t i = 0; i < length;) {
        if (text[i] < 0x80) {
            ++i;
            continue;
        }
        const int32_t start = i;
        UChar32 character = 0;
        U8_NEXT(text, i, length, character);
        const auto taken = static_cast<std::size_t>(i - start);
        eightBitBytes += taken;
        inCharacters += character >= 0 ? taken : 0;
    }
    return inCharacters * 2 > eightBitBytes;
}

bool isPlainAscii(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return c != '\0' && static_cast<unsigned char>(c) < 0x80; });
}

bool hasNul(std::string_view bytes)
{
    return bytes.find('\0') != std::string_view::npos;
}

// Every ISO-2022 encoding switches to a double-byte character set with ESC
// and '$'; what follows names the set: ')' and 'C' Korean, ')', '*' or '+'
// Chinese, anything else one of ISO-2022-JP's.
std::optional<std::string_view> iso2022EncodingOf(std::string_view bytes)
{
    const std::size_t escape = bytes.find("\x1B$");
    if (escape == std::string_view::npos)
        return std::nullopt;
    const std::string_view set = bytes.substr(escape + 2, 2);
    if (set == ")C")
        return "ISO-2022-KR";
    if (set.starts_with(')') || set.starts_with('*') || set.starts_with('+'))
        return "ISO-2022-CN";
    return "ISO-2022-JP";
}

// UTF-7 writes a character outside ASCII as '+' and its UTF-16 in base64,
// three base64 characters at least.
bool hasUtf7Shift(std::string_view bytes)
{
    constexpr std::size_t kShortestShift = 3;
    for (std::size_t plus = bytes.find('+'); plus != std::string_view::npos;
         plus = bytes.find('+', plus + 1)) {
        const std::string_view after = bytes.substr(plus + 1, kShortestShift);
        if (after.size() == kShortestShift && std::all_of(after.begin(), after.end(), isBase64))
            return true;
    }
    return false;
}

// Legacy Chinese text read as UTF-16 turns its bytes of 0x80 and above into
// unlikely code units, and never has a NUL byte.
bool looksLikeUtf16(const DetectionSample &sample, ByteOrder order)
{
    if (sample.bytes.size() < 2 || (sample.wholeFile && sample.bytes.size() % 2 != 0))
        return false;
    const Utf16Units units = readAsUtf16(sample, order);
    if (!units.pairedSurrogates)
        return false;
    if (!units.hasNul)
        return isTextWithoutNul(units);
    return units.implausible * 10 <= units.count;
}

// Text in UTF-32 has three NUL bytes in most of its units, and in every one
// a value no larger than U+10FFFF outside planes 4 to 13, which have no
// characters; text in any other encoding breaks that pattern within a few
// units. UTF-16 text with a control character in every other unit (one
// character per line) reads as values in those planes. Private use is no
// evidence of text.
Utf32Reading readAsUtf32(const DetectionSample &sample, ByteOrder order)
{
    const std::size_t length = sample.bytes.size() & ~std::size_t(3);
    if (length == 0 || (sample.wholeFile && length != sample.bytes.size()))
        return Utf32Reading::None;
    const auto *bytes = reinterpret_cast<const unsigned char *>(sample.bytes.data());
    std::size_t text = 0;
    for (std::size_t i = 0; i < length; i += 4) {
        const char32_t unit = utf32UnitAt(bytes + i, order);
        if (unit > 0x10FFFF || U_IS_SURROGATE(unit) || (unit >= 0x40000 && unit < 0xE0000))
            return Utf32Reading::None;
        text += isTextCharacter(unit) && !isPrivateUseCharacter(unit) ? 1 : 0;
    }
    if (text == 0)
        return Utf32Reading::None;
    return text == length / 4 ? Utf32Reading::Text : Utf32Reading::NotAllText;
}

} // namespace velloran
