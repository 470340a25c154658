// Lookup tables for the characters of a multi-byte converter (GB18030, GBK,
// Big5, ...), filled at run time by asking ICU itself, once per converter and
// process. They hold only what ICU answered for one character in isolation,
// and only where ICU then held nothing back (no longer match possible), so a
// lookup gives exactly what ICU gives. Whatever is not in them (four-byte
// GB18030, invalid or unmappable input) still goes through ICU.
#pragma once

#include "converter.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace velloran {

struct DecodeTable
{
    static constexpr UChar kAbsent = 0xFFFF;
    // A byte that is a whole character on its own.
    std::array<UChar, 256> single{};
    // Two bytes, the first not a character on its own: index lead * 256 + trail.
    std::vector<UChar> pair;
};

struct EncodeTable
{
    // A BMP unit that is a whole character, encoded in one or two bytes:
    // length << 16 | bytes (the first byte high); 0 when ICU must encode it.
    std::vector<std::uint32_t> bytes;
};

// Null for converters the tables cannot describe: those that are not plain
// single-, double- or multi-byte table converters (stateful ones included).
std::shared_ptr<const DecodeTable> decodeTableFor(const Converter &converter);
std::shared_ptr<const EncodeTable> encodeTableFor(const Converter &converter);

} // namespace velloran
