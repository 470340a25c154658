// SPDX-License-Identifier: GPL-3.0-or-later
// The shape of legacy Chinese bytes, which tells the two Chinese families
// apart where ICU's detector cannot.
#pragma once

#include <cstddef>
#include <string_view>

namespace velloran {

// Two-byte characters read the way both families write them (a lead byte of
// 0x81 or above and the byte after it), and how many of them have a trail
// byte below 0x80: GB2312 has none, Big5 has them in about two characters of five.
struct TwoByteShape
{
    std::size_t characters = 0;
    std::size_t lowTrails = 0;
    std::size_t eightBitBytes = 0; // bytes of 0x80 and above
};

// The shape of `bytes`; a lead byte at their very end is no character.
TwoByteShape shapeOf(std::string_view bytes);

} // namespace velloran
