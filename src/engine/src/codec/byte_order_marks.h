// Byte-order marks decide how a file is read and written:
//  - an input that starts with a UTF-8, UTF-16 or UTF-32 mark is decoded in
//    the encoding the mark names, and the mark is not part of the text;
//  - "UTF-16" and "UTF-32" without a mark mean little-endian;
//  - "UTF-16" and "UTF-32" targets are little-endian with a leading mark,
//    every other target has none.
#pragma once

#include "codec/converter.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace velloran {

// How many leading bytes of a file are enough to recognise any mark.
inline constexpr std::size_t kLongestByteOrderMark = 4;

struct Decoder
{
    Converter converter;
    // Bytes of the mark at the start of the input, to be skipped.
    std::size_t markLength = 0;
};

// `chosen` is the converter for the source encoding the user picked; `head` is
// the start of the input, kLongestByteOrderMark bytes unless the input is shorter.
Decoder openDecoder(Converter chosen, std::string_view head);

struct Encoder
{
    Converter converter;
    // Written before the first encoded byte; an empty text gets no mark either.
    std::string mark;
};

Encoder openEncoder(std::string_view targetEncoding);

} // namespace velloran
