// SPDX-License-Identifier: GPL-3.0-or-later
// Where a file may be cut into pieces that convert independently: right after
// a line feed, in encodings where the line feed's bytes can only ever be a
// line feed and the converters keep no state from one character to the next.
// Each piece then converts with fresh converters into exactly the bytes the
// whole file would give there, and fails exactly where the whole would fail.
#pragma once

#include "codec/converter.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace velloran {

struct PieceBoundary
{
    // The line feed in the source encoding, e.g. "\n" or "\n\0" for UTF-16LE.
    std::string lineFeed;
    std::string carriageReturn; // the same for a carriage return
    // Pieces are cut only at multiples of this (the code-unit size) from the
    // start of the text.
    std::size_t unit = 1;
};

// Nothing when a file in this pair of encodings must be converted in one go.
// Asks ICU, and remembers the answer per encoding for the process.
std::optional<PieceBoundary> pieceBoundaryFor(const Converter &source, const Converter &target);

// The end of the last line feed in [begin, end) (begin being a boundary),
// or nullptr if there is none.
const char *lastBoundary(const char *begin, const char *end, const PieceBoundary &boundary);

} // namespace velloran
