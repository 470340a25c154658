// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-16 and UTF-32 without a byte-order mark, recognised by their units:
// each reading of the bytes is counted as they come, in parts of any size,
// so that a file is judged on all of it, as a sample is.
#pragma once

#include "velloran/detect.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace velloran {

enum class ByteOrder
{
    LittleEndian,
    BigEndian
};

// What bytes read as UTF-16 of one byte order are made of.
class Utf16Units
{
public:
    explicit Utf16Units(ByteOrder order) : m_order(order) {}
    void add(std::string_view bytes);
    // Plausibly Chinese (or English) text, when the bytes seen are all of
    // the text (`whole`) or its start.
    bool looksLikeText(bool whole) const;

private:
    void addUnit(unsigned char low, unsigned char high);
    bool isTextWithoutNul() const;
    bool isTextWithNul() const;

    ByteOrder m_order;
    std::optional<unsigned char> m_oddByte;
    bool m_expectTrail = false;
    bool m_pairedSurrogates = true;
    std::size_t m_count = 0;
    std::size_t m_implausible = 0;           // outside what Chinese text without ASCII is made of
    std::size_t m_implausibleAmongAscii = 0; // outside what text with ASCII in it is made of
    std::size_t m_fromU8100 = 0;             // with a high byte of 0x81 or above
    std::size_t m_withEightBit = 0;          // with a byte of 0x80 or above
    std::size_t m_narrow = 0;                // ASCII and Latin-1: a high byte of zero
    std::size_t m_wide = 0;                  // the others
    std::size_t m_lowZeroHan = 0;            // Han ones with a low byte of zero
    std::size_t m_asciiPairs = 0;            // wide units of two printable ASCII bytes
    bool m_hasNul = false;
};

// What the bytes read as UTF-32 of one byte order are.
enum class Utf32Reading
{
    None,       // some unit is no character, or none is text
    Text,       // every unit a character, and no control character but white space
    NotAllText, // every unit a character, but some are control characters
};

class Utf32Units
{
public:
    explicit Utf32Units(ByteOrder order) : m_order(order) {}
    void add(std::string_view bytes);
    Utf32Reading reading(bool whole) const;

private:
    ByteOrder m_order;
    unsigned char m_partial[4] = {};
    std::size_t m_partialLength = 0;
    bool m_allCharacters = true;
    std::size_t m_count = 0;
    std::size_t m_text = 0;
};

// The four readings of the same bytes, and the answer they give: UTF-32
// first, then UTF-16; undecided when more than one byte order fits, nothing
// when no reading is plausible.
class UnicodeReadings
{
public:
    void add(std::string_view bytes);
    std::optional<Detection> answer(bool whole) const;

private:
    Utf32Units m_utf32le{ByteOrder::LittleEndian};
    Utf32Units m_utf32be{ByteOrder::BigEndian};
    Utf16Units m_utf16le{ByteOrder::LittleEndian};
    Utf16Units m_utf16be{ByteOrder::BigEndian};
};

} // namespace velloran
