// SPDX-License-Identifier: GPL-3.0-or-later
// Whether legacy bytes read as Chinese in each family. The encoding tables
// carry their own frequency classes: GB2312's first level (rows 16 to 55)
// holds the 3,755 most frequent Simplified characters, Big5's A440 to C67E
// the 5,401 frequent Traditional ones. Real Chinese text has nearly all its
// Han characters among them, in its own family; the other family's text,
// UTF-8 bytes and Latin letters read in a family land mostly outside them
// (UTF-8 as GBK reads as rare Han, accented Latin letters as GBK's rarest
// rows). Both readings are counted at once, as the bytes come, over a whole
// file: the two families cut the bytes into characters alike.
#pragma once

#include "files/input_file.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace velloran {

// How one family reads the two-byte characters of some bytes. Punctuation
// and full-width forms count for neither side: both families have them.
struct ChineseShare
{
    std::size_t frequent = 0; // Han characters of the two frequent sets
    std::size_t rare = 0;     // other Han characters
    std::size_t other = 0;    // any other character: kana, Hangul, letters, symbols...

    std::size_t han() const { return frequent + rare; }
    std::size_t characters() const { return han() + other; }
    // The frequent ones, in percent of the Han characters, and of all.
    int hanPercent() const { return percent(han()); }
    int textPercent() const { return percent(characters()); }

private:
    int percent(std::size_t whole) const
    {
        return whole == 0 ? 0 : static_cast<int>(frequent * 100 / whole);
    }
};

class ChineseReadings : public ReadObserver
{
public:
    void seen(std::string_view bytes) override;
    void restart() { *this = ChineseReadings(); }

    // "GB18030" (GBK and GB2312 read the same) or "Big5".
    ChineseShare in(std::string_view family) const;

private:
    void count(const std::uint8_t *table, bool afterLetter, unsigned char lead,
               unsigned char trail);

    // Characters by both families' classes of them (see chinese_reading.cpp).
    std::array<std::size_t, 16> m_counts{};
    std::optional<unsigned char> m_lead; // a lead byte the bytes seen so far end with
    bool m_leadAfterLetter = false;      // an ASCII letter before it
    bool m_afterLetter = false;          // the bytes seen so far end with an ASCII letter
};

// The readings of `bytes`, as a whole.
ChineseReadings chineseReadingsOf(std::string_view bytes);

} // namespace velloran
