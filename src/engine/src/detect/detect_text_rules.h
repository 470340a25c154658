// Rules that recognise Unicode text and ASCII by their bytes alone.
#pragma once

#include "detect/detector.h"

#include <optional>
#include <string>
#include <string_view>

namespace velloran {

// The encoding a byte-order mark at the start of `head` names: UTF-8, UTF-16
// or UTF-32 in either byte order; no other signature counts.
std::optional<std::string> encodingOfMark(std::string_view head);

// Only ASCII characters, and no NUL byte (which UTF-16 text has).
bool isPlainAscii(std::string_view bytes);

// No byte of 0x80 or above: every ASCII-based encoding reads it the same.
bool hasNoEightBitBytes(std::string_view bytes);

// Plausibly Chinese (or English) text in UTF-16LE without a byte-order mark.
bool looksLikeUtf16Le(const DetectionSample &sample);

} // namespace velloran
