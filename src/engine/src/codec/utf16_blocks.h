// SPDX-License-Identifier: GPL-3.0-or-later
// Runs of UTF-16LE converted to UTF-8 eight units at a time, with the
// processor's vector instructions where CMake found them. A block is taken
// only when every unit in it is ASCII or a three-byte character (Chinese text
// is almost all of these); anything else is left for the per-character loop.
#pragma once

#include <cstddef>

namespace velloran {

// Bytes of input and of room in the target that one block needs.
inline constexpr std::ptrdiff_t kUtf16BlockInput = 16;
inline constexpr std::ptrdiff_t kUtf16BlockRoom = 32;

// Converts whole blocks from `in` while they qualify and fit; moves `in` and
// `out` past what it converted, which may be nothing.
void convertUtf16LeBlocksToUtf8(const unsigned char *&in, const unsigned char *end, char *&out,
                                const char *outEnd);

} // namespace velloran
