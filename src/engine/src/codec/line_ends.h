// SPDX-License-Identifier: GPL-3.0-or-later
// The lines of a text as its reader counts them, for the line of a fault: a
// line ends at a line feed, at a carriage return, or at the two together,
// which end one line. Text comes in parts, and a part may end between the
// carriage return and the line feed of a pair, so the count carries on from
// one part to the next.
#pragma once

#include "codec/piece_boundaries.h"

#include <unicode/umachine.h>

#include <cstdint>

namespace velloran {

class LineEnds
{
public:
    // The line ends of decoded text.
    void count(const UChar *begin, const UChar *end);
    // The line ends of [begin, end), text in its source encoding that starts
    // where a character does (`boundary` knows its line feed and its unit).
    void count(const char *begin, const char *end, const PieceBoundary &boundary);

    // The line that the text after everything counted is on, from 1.
    std::uint64_t line() const { return m_ends + 1; }

private:
    std::uint64_t m_ends = 0;
    bool m_afterCarriageReturn = false;
};

} // namespace velloran
