// SPDX-License-Identifier: GPL-3.0-or-later
// Byte-order marks decide how a file is read and written:
//  - an input that starts with a UTF-8, UTF-16 or UTF-32 mark is decoded in
//    the encoding the mark names, and the mark is not part of the text;
//  - "UTF-16" and "UTF-32" without a mark mean little-endian;
//  - "UTF-16" and "UTF-32" targets are little-endian;
//  - a target starts with a mark when its Encoding says so (by default
//    "UTF-16" and "UTF-32" only).
#pragma once

#include "codec/converter.h"
#include "codec/text_codec.h"
#include "velloran/encoding.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velloran {

// How many leading bytes of a file are enough to recognise any mark.
inline constexpr std::size_t kLongestByteOrderMark = 4;

// The mark a file starts with.
struct ByteOrderMark
{
    std::string encoding; // ICU's name of the encoding it names, such as "UTF-16LE"
    std::size_t length = 0;
};

// The mark at the start of `head` (the start of a file, any length); no
// other signature than UTF-8's, UTF-16's and UTF-32's counts.
std::optional<ByteOrderMark> findByteOrderMark(std::string_view head);

struct Decoder
{
    Converter converter;
    // Bytes of the mark at the start of the input, to be skipped.
    std::size_t markLength = 0;
    PrivateUse privateUse = PrivateUse::Allowed;
};

// The decoder of a file that starts with `mark` (or none): in the encoding
// the mark names, else in `chosen`, a resolved name.
Decoder openDecoder(std::string_view chosen, const std::optional<ByteOrderMark> &mark);

struct Encoder
{
    Converter converter;
    // Written before the first encoded byte; an empty text gets no mark either.
    std::string mark;
};

Encoder openEncoder(const Encoding &target);

} // namespace velloran
