// SPDX-License-Identifier: GPL-3.0-or-later
// Lookup tables for the characters of a multi-byte converter (GB18030, GBK,
// Big5, ...), filled at run time by asking ICU itself, once per converter and
// process. They hold only what ICU answered for one character in isolation,
// and only where ICU then held nothing back (no longer match possible), so a
// lookup gives exactly what ICU gives. Whatever is not in them (four-byte
// GB18030, invalid or unmappable input) still goes through ICU, and so do
// the user-defined characters: the decode tables hold no private-use
// character, so that a decoder which refuses them sees every one, even
// behind a direct path.
#pragma once

#include "codec/converter.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace velloran {

// Characters are read from unsigned bytes.
using Byte = unsigned char;

struct DecodeTable
{
    static constexpr UChar kAbsent = 0xFFFF;
    // A byte that is a whole character on its own.
    std::array<UChar, 256> single{};
    // Two bytes, the first not a character on its own: index lead * 256 + trail.
    std::vector<UChar> pair;

    // Raw pointers, which a loop can keep in registers while it writes bytes.
    struct Reader
    {
        const UChar *single = nullptr;
        const UChar *pair = nullptr;

        // The character at `in` if the table has it; `in` moves past it. The
        // branch on its length lets the processor run ahead, where a lookup
        // free of branches would wait for each character before the next.
        bool read(const Byte *&in, const Byte *end, UChar &unit) const
        {
            UChar found = single[*in];
            if (found == kAbsent) {
                if (end - in < 2)
                    return false;
                found = pair[in[0] * 256 + in[1]];
                if (found == kAbsent)
                    return false;
                ++in;
            }
            ++in;
            unit = found;
            return true;
        }
    };
    Reader reader() const { return {single.data(), pair.data()}; }
};

struct EncodeTable
{
    // A BMP unit that is a whole character, encoded in one or two bytes:
    // length << 16 | bytes (the first byte high); 0 when ICU must encode it.
    std::vector<std::uint32_t> bytes;

    struct Writer
    {
        const std::uint32_t *bytes = nullptr;

        // The character's bytes at `out` if the table has it; `out` moves past them.
        bool write(UChar unit, char *&out) const
        {
            const std::uint32_t entry = bytes[unit];
            if (entry == 0)
                return false;
            if (entry >> 16 == 2)
                *out++ = static_cast<char>(entry >> 8);
            *out++ = static_cast<char>(entry);
            return true;
        }
    };
    Writer writer() const { return {bytes.data()}; }
};

// The DecodeTable's characters as UTF-8, for converting straight to it:
// entries are the bytes (the first lowest) | length << 24, or 0 where the
// DecodeTable has no character.
struct Utf8DecodeTable
{
    std::array<std::uint32_t, 256> single{};
    std::vector<std::uint32_t> pair;
};

// Null for converters the tables cannot describe: those that are not plain
// single-, double- or multi-byte table converters (stateful ones included).
std::shared_ptr<const DecodeTable> decodeTableFor(const Converter &converter);
std::shared_ptr<const EncodeTable> encodeTableFor(const Converter &converter);
std::shared_ptr<const Utf8DecodeTable> utf8DecodeTableFor(const Converter &converter);

} // namespace velloran
