// Rules that recognise Unicode text and ASCII by their bytes alone.
#pragma once

#include "detect/sample.h"

#include <string_view>

namespace velloran {

// Only ASCII characters, and no NUL byte (which UTF-16 text has).
bool isPlainAscii(std::string_view bytes);

// No byte of 0x80 or above: every ASCII-based encoding reads it the same.
bool hasNoEightBitBytes(std::string_view bytes);

// Plausibly Chinese (or English) text in UTF-16LE without a byte-order mark.
bool looksLikeUtf16Le(const DetectionSample &sample);

// Valid UTF-8 with at least one character at U+0800 or above (every Han
// character is one). A sample that is not the whole file may end inside a
// character.
bool isUtf8WithWideCharacters(const DetectionSample &sample);

} // namespace velloran
