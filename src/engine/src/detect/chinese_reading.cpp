// SPDX-License-Identifier: GPL-3.0-or-later
#include "detect/chinese_reading.h"

#include "codec/derived_tables.h"
#include "detect/icu_opinion.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace velloran {

namespace {

// How one family reads a two-byte code, in two bits; punctuation, full-width
// forms and codes that are no character count for neither side.
enum CharacterClass : std::uint8_t
{
    kUncounted = 0,
    kFrequent = 1,
    kRare = 2,
    kOther = 3,
};

// Both families' classes of one code: GB18030's in the low two bits, Big5's
// in the next two.
constexpr std::uint8_t kBothRare = kRare | kRare << 2;

using HanSet = std::bitset<0x10000>;

// The units the two-byte codes from `first` to `last` (both included) read
// as in the family `table` is of.
void addRange(HanSet &set, const DecodeTable &table, unsigned first, unsigned last)
{
    for (unsigned code = first; code <= last; ++code)
        if (const UChar unit = table.pair[code]; unit != DecodeTable::kAbsent)
            set.set(unit);
}

bool isHan(UChar unit)
{
    return (unit >= 0x3400 && unit <= 0x9FFF) || (unit >= 0xF900 && unit <= 0xFAFF);
}

bool isNeutral(UChar unit)
{
    return unit < 0x80 || unit == 0xB7 || (unit >= 0x2010 && unit <= 0x206F) ||
           (unit >= 0x3000 && unit <= 0x303F) || (unit >= 0xFF00 && unit <= 0xFFEF);
}

std::uint8_t classOf(UChar unit, const HanSet &frequent)
{
    if (unit == DecodeTable::kAbsent || isNeutral(unit))
        return kUncounted;
    if (!isHan(unit))
        return kOther;
    return frequent.test(unit) ? kFrequent : kRare;
}

// Every two-byte code, classed by what both families read it as, built from
// ICU's tables when first needed (GB18030's is the conversion's own, and
// reads GB2312's codes as GB2312 does): the frequent characters are GB2312's
// first level and Big5's A440 to C67E.
const std::vector<std::uint8_t> &classTable()
{
    static const std::vector<std::uint8_t> classes = [] {
        const std::shared_ptr<const DecodeTable> gb = decodeTableFor(Converter(kGb18030));
        const std::shared_ptr<const DecodeTable> big5 = decodeTableFor(Converter(kBig5));
        auto frequent = std::make_unique<HanSet>();
        addRange(*frequent, *gb, 0xB0A1, 0xD7F9);
        addRange(*frequent, *big5, 0xA440, 0xC67E);
        std::vector<std::uint8_t> table(0x10000, kUncounted);
        for (std::size_t code = 0x8100; code < 0x10000; ++code)
            table[code] = static_cast<std::uint8_t>(classOf(gb->pair[code], *frequent) |
                                                    classOf(big5->pair[code], *frequent) << 2);
        return table;
    }();
    return classes;
}

bool isAsciiLetter(unsigned char byte)
{
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

bool allAscii(const unsigned char *bytes)
{
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, sizeof word);
    return (word & 0x8080808080808080) == 0;
}

} // namespace

// A two-byte character inside a Latin word (an ASCII letter before its lead
// byte, its trail byte one) is an accented letter of ISO-8859-1 or
// windows-1252 and the letter after it, whatever a family reads it as
// (GBK reads "ré" as the Traditional 閡): seldom so in Chinese text. It
// counts as a rare Han character, as most such pairs read.
void ChineseReadings::count(const std::uint8_t *table, bool afterLetter, unsigned char lead,
                            unsigned char trail)
{
    const std::uint8_t classes = afterLetter && isAsciiLetter(trail)
                                     ? kBothRare
                                     : table[static_cast<std::size_t>(lead) << 8 | trail];
    ++m_counts[classes];
}

void ChineseReadings::seen(std::string_view bytes)
{
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    const std::size_t size = bytes.size();
    if (size == 0)
        return;
    const std::uint8_t *table = classTable().data();
    std::size_t i = 0;
    if (m_lead) {
        count(table, m_leadAfterLetter, *m_lead, data[0]);
        m_lead.reset();
        m_afterLetter = false;
        i = 1;
    }
    // Whether the byte before `i` is an ASCII letter on its own (not the
    // trail byte of a character).
    bool afterLetter = m_afterLetter;
    while (i < size) {
        if (i + 8 <= size && allAscii(data + i)) {
            afterLetter = isAsciiLetter(data[i + 7]);
            i += 8;
            continue;
        }
        if (data[i] < 0x81) {
            afterLetter = isAsciiLetter(data[i]);
            ++i;
            continue;
        }
        if (i + 1 == size) {
            m_lead = data[i];
            m_leadAfterLetter = afterLetter;
            afterLetter = false;
            break;
        }
        count(table, afterLetter, data[i], data[i + 1]);
        afterLetter = false;
        i += 2;
    }
    m_afterLetter = afterLetter;
}

ChineseShare ChineseReadings::in(std::string_view family) const
{
    const unsigned shift = family == kBig5 ? 2 : 0;
    ChineseShare share;
    for (std::size_t classes = 0; classes < m_counts.size(); ++classes) {
        switch (classes >> shift & 3) {
        case kFrequent:
            share.frequent += m_counts[classes];
            break;
        case kRare:
            share.rare += m_counts[classes];
            break;
        case kOther:
            share.other += m_counts[classes];
            break;
        default:
            break;
        }
    }
    return share;
}

ChineseReadings chineseReadingsOf(std::string_view bytes)
{
    ChineseReadings readings;
    readings.seen(bytes);
    return readings;
}

} // namespace velloran
