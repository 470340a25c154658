// SPDX-License-Identifier: GPL-3.0-or-later
// SSE2, which every x86-64 processor has.
#include "codec/utf16_blocks.h"

#include <emmintrin.h>

#include <cstdint>
#include <cstring>

namespace velloran {

namespace {

__m128i sixteenBits(unsigned value)
{
    return _mm_set1_epi16(static_cast<short>(value));
}

// One block of eight units; false, with nothing written, unless each unit is
// ASCII or a three-byte character.
bool convertBlock(const unsigned char *in, char *&out)
{
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in));
    const __m128i zero = _mm_setzero_si128();
    const __m128i top5 = _mm_and_si128(units, sixteenBits(0xF800));
    const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(units, sixteenBits(0xFF80)), zero);
    const __m128i belowThreeBytes = _mm_cmpeq_epi16(top5, zero);
    const __m128i surrogate = _mm_cmpeq_epi16(top5, sixteenBits(0xD800));
    const __m128i twoBytes = _mm_andnot_si128(ascii, belowThreeBytes);
    if (_mm_movemask_epi8(_mm_or_si128(twoBytes, surrogate)) != 0)
        return false;
    // Two mask bits per unit.
    const int asciiMask = _mm_movemask_epi8(ascii);
    if (asciiMask == 0xFFFF) {
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out), _mm_packus_epi16(units, zero));
        out += 8;
        return true;
    }
    // Each unit's bytes in a 32-bit lane, the first lowest: an ASCII unit is
    // its own first byte, and what follows it is overwritten by the next unit.
    const __m128i lead = _mm_or_si128(
        _mm_and_si128(ascii, units),
        _mm_andnot_si128(ascii, _mm_or_si128(_mm_srli_epi16(units, 12), sixteenBits(0xE0))));
    const __m128i middle =
        _mm_or_si128(_mm_and_si128(_mm_srli_epi16(units, 6), sixteenBits(0x3F)), sixteenBits(0x80));
    const __m128i last = _mm_or_si128(_mm_and_si128(units, sixteenBits(0x3F)), sixteenBits(0x80));
    const __m128i leadAndMiddle = _mm_or_si128(lead, _mm_slli_epi16(middle, 8));
    alignas(16) std::uint32_t bytes[8];
    _mm_store_si128(reinterpret_cast<__m128i *>(bytes), _mm_unpacklo_epi16(leadAndMiddle, last));
    _mm_store_si128(reinterpret_cast<__m128i *>(bytes + 4),
                    _mm_unpackhi_epi16(leadAndMiddle, last));
    if (asciiMask == 0) {
        for (int i = 0; i < 8; ++i)
            std::memcpy(out + 3 * i, &bytes[i], 4);
        out += 24;
        return true;
    }
    for (int i = 0; i < 8; ++i) {
        std::memcpy(out, &bytes[i], 4);
        out += (asciiMask >> 2 * i & 1) != 0 ? 1 : 3;
    }
    return true;
}

} // namespace

void convertUtf16LeBlocksToUtf8(const unsigned char *&in, const unsigned char *end, char *&out,
                                const char *outEnd)
{
    while (end - in >= kUtf16BlockInput && outEnd - out >= kUtf16BlockRoom && convertBlock(in, out))
        in += kUtf16BlockInput;
}

} // namespace velloran
