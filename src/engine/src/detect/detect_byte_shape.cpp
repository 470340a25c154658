// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the shape of legacy Chinese bytes, fast enough to do for every
// file of a run.
#include "detect/detect_byte_shape.h"

#include <cstdint>
#include <cstring>

namespace velloran {

namespace {

// Whether eight bytes are all 0x81 or above, as in a run of two-byte
// characters: all have their top bit set, and none of them is 0x80 alone.
bool allLeadOrTrailBytes(std::uint64_t word)
{
    constexpr std::uint64_t kTopBits = 0x8080808080808080;
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    const std::uint64_t low = word & ~kTopBits;
    const bool anyLowZero = ((low - kOnes) & ~low & kTopBits) != 0;
    return (word & kTopBits) == kTopBits && !anyLowZero;
}

// Reads bytes one by one into a shape. Whether a byte leads a character
// depends only on whether the byte before it did, so it carries one flag and
// does not branch on the text.
class ShapeReader
{
public:
    void add(unsigned char byte)
    {
        const bool lead = !m_afterLead && byte >= 0x81;
        m_shape.eightBitBytes += byte >= 0x80 ? 1 : 0;
        m_shape.lowTrails += m_afterLead && byte < 0x80 ? 1 : 0;
        m_shape.characters += lead ? 1 : 0;
        m_afterLead = lead;
    }

    // Eight bytes of 0x81 and above: four characters, whichever of them leads.
    void addFourCharacters()
    {
        m_shape.characters += 4;
        m_shape.eightBitBytes += 8;
    }

    TwoByteShape shape() const
    {
        TwoByteShape shape = m_shape;
        if (m_afterLead)
            --shape.characters; // a lead byte at the very end has no trail
        return shape;
    }

private:
    TwoByteShape m_shape;
    bool m_afterLead = false;
};

} // namespace

// Most of Chinese text is runs of two-byte characters, read eight bytes at a time.
TwoByteShape shapeOf(std::string_view bytes)
{
    ShapeReader reader;
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    std::size_t i = 0;
    for (std::uint64_t word = 0; i + sizeof word <= bytes.size(); i += sizeof word) {
        std::memcpy(&word, data + i, sizeof word);
        if (allLeadOrTrailBytes(word)) {
            reader.addFourCharacters();
            continue;
        }
        for (std::size_t k = 0; k < sizeof word; ++k)
            reader.add(data[i + k]);
    }
    for (; i < bytes.size(); ++i)
        reader.add(data[i]);
    return reader.shape();
}

} // namespace velloran
