// SPDX-License-Identifier: GPL-3.0-or-later
#include "detect/unicode_without_mark.h"

#include "codec/private_use.h"
#include "detect/detection_answers.h"

#include <unicode/utf.h>

#include <string>

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

bool isPrintableAscii(unsigned char byte)
{
    return byte >= 0x20 && byte <= 0x7E;
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

// The same for text with ASCII in it, whose NUL bytes already tell UTF-16:
// also every control character but NUL (messages hold a bell now and then),
// Latin, Greek and Cyrillic letters, the symbols, arrows and box drawing of
// U+2000 to U+2BFF, kana and the rarer Han blocks, CJK compatibility,
// variation selectors and small forms. Of the units whose low byte alone is zero,
// only box drawing, the ideographic space and Han: the others are ASCII
// characters read in the wrong byte order (which, as letters, read as Han
// too: see isTextWithNul()).
bool isPlausibleAmongAscii(unsigned char low, unsigned char high)
{
    if (high == 0x00)
        return low != 0x00;
    if (low == 0x00)
        return high == 0x25 || high == 0x30 || (high >= 0x4E && high <= 0x9F);
    if (high == 0xFF)
        return low <= 0xEF;
    return (high >= 0x01 && high <= 0x05) || high == 0x1E || (high >= 0x20 && high <= 0x2B) ||
           (high >= 0x30 && high <= 0x9F) || high == 0xF9 || high == 0xFA ||
           (high == 0xFE && (low <= 0x0F || (low >= 0x30 && low <= 0x6F)));
}

// The UTF-32 unit at `bytes`, in `order`.
char32_t utf32UnitAt(const unsigned char *bytes, ByteOrder order)
{
    char32_t unit = 0;
    for (std::size_t i = 0; i < 4; ++i)
        unit = unit << 8 | bytes[order == ByteOrder::BigEndian ? i : 3 - i];
    return unit;
}

} // namespace

void Utf16Units::add(std::string_view bytes)
{
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    std::size_t i = 0;
    const auto unitOf = [this](unsigned char first, unsigned char second) {
        if (m_order == ByteOrder::LittleEndian)
            addUnit(first, second);
        else
            addUnit(second, first);
    };
    if (m_oddByte && !bytes.empty()) {
        unitOf(*m_oddByte, data[0]);
        m_oddByte.reset();
        i = 1;
    }
    for (; i + 1 < bytes.size() && m_pairedSurrogates; i += 2)
        unitOf(data[i], data[i + 1]);
    if (i < bytes.size() && m_pairedSurrogates)
        m_oddByte = data[i];
}

void Utf16Units::addUnit(unsigned char low, unsigned char high)
{
    const bool lead = high >= 0xD8 && high <= 0xDB;
    const bool trail = high >= 0xDC && high <= 0xDF;
    m_pairedSurrogates = m_pairedSurrogates && trail == m_expectTrail;
    m_expectTrail = lead;
    ++m_count;
    if (!lead && !trail) {
        m_implausible += isPlausibleUnit(low, high) ? 0 : 1;
        m_implausibleAmongAscii += isPlausibleAmongAscii(low, high) ? 0 : 1;
    }
    m_fromU8100 += high >= 0x81 ? 1 : 0;
    m_withEightBit += high >= 0x80 || low >= 0x80 ? 1 : 0;
    m_narrow += high == 0 ? 1 : 0;
    m_lowZeroHan += high >= 0x4E && high <= 0x9F && low == 0 ? 1 : 0;
    m_wide += high != 0 ? 1 : 0;
    m_asciiPairs += isPrintableAscii(low) && isPrintableAscii(high) ? 1 : 0;
    m_hasNul = m_hasNul || low == 0 || high == 0;
}

bool Utf16Units::looksLikeText(bool whole) const
{
    if (m_count == 0 || !m_pairedSurrogates || (whole && (m_oddByte || m_expectTrail)))
        return false;
    return m_hasNul ? isTextWithNul() : isTextWithoutNul();
}

// Text in UTF-16 without a NUL byte has no ASCII in it, so all its units
// must be plausible; a few of them prove nothing, since two or three Big5
// or GBK characters can look the same; most must be below U+8100, where most
// Han characters in use are, while legacy two-byte text read as UTF-16BE
// (Shift_JIS above all, whose kana read as Han) has a lead byte of 0x81 or
// above for a high byte; and three Han characters in four have a byte of
// 0x80 or above, where ASCII letters with a stray byte, which pair into Han
// too, have few.
bool Utf16Units::isTextWithoutNul() const
{
    constexpr std::size_t kFewestUnits = 8;
    return m_implausible == 0 && m_count >= kFewestUnits && m_fromU8100 * 2 <= m_count &&
           m_withEightBit * 4 >= m_count;
}

// Text in UTF-16 with NUL bytes has ASCII in it (or a Han character whose
// low byte is zero), every unit of it plausible: legacy bytes after it (GBK
// past an English start) read as Hangul, Yi, private use or unpaired
// surrogates. And ASCII with a stray NUL byte is no such text, though its
// pairs of letters read as Han: in Han text about one unit in five is made
// of two printable ASCII bytes, so three in four of them, and more than
// there are ASCII characters, tell ASCII. Han units whose low byte alone is
// zero are one Han character in 256, far fewer than the ASCII characters of
// the text, while ASCII read in the wrong byte order makes them of every
// letter.
bool Utf16Units::isTextWithNul() const
{
    return m_implausibleAmongAscii == 0 && m_lowZeroHan <= m_narrow + 1 &&
           !(m_asciiPairs * 4 > m_wide * 3 && m_asciiPairs > m_narrow);
}

void Utf32Units::add(std::string_view bytes)
{
    for (std::size_t i = 0; i < bytes.size() && m_allCharacters; ++i) {
        m_partial[m_partialLength++] = static_cast<unsigned char>(bytes[i]);
        if (m_partialLength < 4)
            continue;
        m_partialLength = 0;
        const char32_t unit = utf32UnitAt(m_partial, m_order);
        ++m_count;
        if (unit > 0x10FFFF || U_IS_SURROGATE(unit) || (unit >= 0x40000 && unit < 0xE0000))
            m_allCharacters = false;
        m_text += isTextCharacter(unit) && !isPrivateUseCharacter(unit) ? 1 : 0;
    }
}

// Text in UTF-32 has three NUL bytes in most of its units, and in every one
// a value no larger than U+10FFFF outside planes 4 to 13, which have no
// characters; text in any other encoding breaks that pattern within a few
// units. UTF-16 text with a control character in every other unit (one
// character per line) reads as values in those planes. Private use is no
// evidence of text.
Utf32Reading Utf32Units::reading(bool whole) const
{
    if (!m_allCharacters || m_text == 0 || (whole && m_partialLength != 0))
        return Utf32Reading::None;
    return m_text == m_count ? Utf32Reading::Text : Utf32Reading::NotAllText;
}

void UnicodeReadings::add(std::string_view bytes)
{
    for (Utf32Units *units : {&m_utf32le, &m_utf32be})
        units->add(bytes);
    for (Utf16Units *units : {&m_utf16le, &m_utf16be})
        units->add(bytes);
}

std::optional<Detection> UnicodeReadings::answer(bool whole) const
{
    for (const auto &[units, name] :
         {std::pair(&m_utf32le, "UTF-32LE"), std::pair(&m_utf32be, "UTF-32BE")}) {
        switch (units->reading(whole)) {
        case Utf32Reading::Text:
            return decided(name, kCertain);
        case Utf32Reading::NotAllText:
            return undecided("looks like " + std::string(name) + " without a mark");
        case Utf32Reading::None:
            break;
        }
    }
    const bool littleEndian = m_utf16le.looksLikeText(whole);
    const bool bigEndian = m_utf16be.looksLikeText(whole);
    if (littleEndian && bigEndian)
        return undecided("UTF-16LE and UTF-16BE both possible");
    if (littleEndian || bigEndian)
        return decided(littleEndian ? "UTF-16LE" : "UTF-16BE", kCertain);
    return std::nullopt;
}

} // namespace velloran
