// SPDX-License-Identifier: GPL-3.0-or-later
// The way around UTF-16 for the common case: each character is read from the
// source bytes and written as target bytes at once, when both sides know it
// without asking ICU (a table lookup, UTF-8 or UTF-16 of a fixed byte order).
// It stops before the first character it cannot take (outside the tables,
// split by the end of the input, invalid or unmappable), which the two-step
// path of the Transcoder then handles, errors included. Only for use while
// neither step holds part of a character.
#pragma once

#include "codec/converter.h"

#include <memory>

namespace velloran {

class DirectPath
{
public:
    // Room that must be left at the end of a target: the most bytes one
    // character becomes (four, in UTF-8 and UTF-16).
    static constexpr std::ptrdiff_t kCharacterRoom = 4;

    virtual ~DirectPath() = default;
    // Converts as long as characters are known and the target has room.
    virtual void convert(const char *&source, const char *end, char *&target,
                         char *targetEnd) const = 0;
};

// Null unless both encodings have a direct reader or writer. The converters
// must outlive the result.
std::unique_ptr<DirectPath> makeDirectPath(const Converter &source, const Converter &target);

} // namespace velloran
