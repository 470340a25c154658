// SPDX-License-Identifier: GPL-3.0-or-later
#include "detect/chinese_reading.h"

#include "codec/derived_tables.h"
#include "detect/icu_opinion.h"

#include <bitset>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace velloran {

namespace {

enum class CharacterClass : std::uint8_t
{
    None,    // no two-byte character of the family
    Neutral, // punctuation and full-width forms
    Frequent,
    Rare,
    Other,
};

using HanSet = std::bitset<0x10000>;

// The units the two-byte codes from `first` to `last` (both included, trail
// bytes as the family has them) read as in `encoding`, per ICU's table.
void addRange(HanSet &set, std::string_view encoding, unsigned first, unsigned last)
{
    const Converter converter(encoding);
    const std::shared_ptr<const DecodeTable> table = decodeTableFor(converter);
    for (unsigned code = first; code <= last; ++code)
        if (const UChar unit = table->pair[code]; unit != DecodeTable::kAbsent)
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

using ClassTable = std::vector<CharacterClass>;

// Every two-byte code of `family`, classed by what ICU reads it as.
ClassTable classesOf(std::string_view family, const HanSet &frequent)
{
    const Converter converter(family);
    const std::shared_ptr<const DecodeTable> table = decodeTableFor(converter);
    ClassTable classes(0x10000, CharacterClass::None);
    for (std::size_t code = 0x8100; code < 0x10000; ++code) {
        const UChar unit = table->pair[code];
        if (unit == DecodeTable::kAbsent)
            continue;
        if (isNeutral(unit))
            classes[code] = CharacterClass::Neutral;
        else if (!isHan(unit))
            classes[code] = CharacterClass::Other;
        else
            classes[code] = frequent.test(unit) ? CharacterClass::Frequent : CharacterClass::Rare;
    }
    return classes;
}

struct FamilyClasses
{
    ClassTable gb;
    ClassTable big5;
};

// Built from ICU's tables when first needed: GB2312's first level and
// Big5's frequent characters, as the Han characters they read as.
const FamilyClasses &familyClasses()
{
    static const FamilyClasses classes = [] {
        auto frequent = std::make_unique<HanSet>();
        addRange(*frequent, "GB2312", 0xB0A1, 0xD7FE);
        addRange(*frequent, "Big5", 0xA440, 0xC67E);
        return FamilyClasses{classesOf(kGb18030, *frequent), classesOf(kBig5, *frequent)};
    }();
    return classes;
}

void count(ChineseShare &share, CharacterClass characterClass)
{
    share.frequent += characterClass == CharacterClass::Frequent ? 1 : 0;
    share.rare += characterClass == CharacterClass::Rare ? 1 : 0;
    share.other += characterClass == CharacterClass::Other ? 1 : 0;
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
void ChineseReadings::seen(std::string_view bytes)
{
    const FamilyClasses &classes = familyClasses();
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    const std::size_t size = bytes.size();
    for (std::size_t i = 0; i < size;) {
        if (m_lead < 0) {
            if (i + 8 <= size && allAscii(data + i)) {
                m_afterLetter = isAsciiLetter(data[i + 7]);
                i += 8;
                continue;
            }
            if (data[i] >= 0x81)
                m_lead = data[i];
            else
                m_afterLetter = isAsciiLetter(data[i]);
            ++i;
            continue;
        }
        const std::size_t code = static_cast<std::size_t>(m_lead) << 8 | data[i];
        if (m_afterLetter && isAsciiLetter(data[i])) {
            ++m_gb.rare;
            ++m_big5.rare;
        } else {
            count(m_gb, classes.gb[code]);
            count(m_big5, classes.big5[code]);
        }
        m_lead = -1;
        m_afterLetter = false;
        ++i;
    }
}

const ChineseShare &ChineseReadings::in(std::string_view family) const
{
    return family == kBig5 ? m_big5 : m_gb;
}

ChineseReadings chineseReadingsOf(std::string_view bytes)
{
    ChineseReadings readings;
    readings.seen(bytes);
    return readings;
}

} // namespace velloran
