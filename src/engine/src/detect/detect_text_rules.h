// SPDX-License-Identifier: GPL-3.0-or-later
// Rules that recognise Unicode text and ASCII by their bytes alone.
#pragma once

#include "detect/sample.h"

#include <optional>
#include <string_view>

namespace velloran {

// Only ASCII characters, and no NUL byte (which UTF-16 text has).
bool isPlainAscii(std::string_view bytes);

// Whether `bytes` hold a NUL byte, which no text outside UTF-16 and UTF-32 has.
bool hasNul(std::string_view bytes);

// The ISO-2022 encoding ("ISO-2022-JP", "ISO-2022-KR" or "ISO-2022-CN")
// whose escape sequences ASCII `bytes` hold; none when they hold none.
std::optional<std::string_view> iso2022EncodingOf(std::string_view bytes);

// Whether ASCII `bytes` hold what could be UTF-7's base64 for a character:
// a '+' followed by three or more base64 characters.
bool hasUtf7Shift(std::string_view bytes);

// Whether ASCII `bytes` hold what could be HZ's GB2312: "~{", then two
// bytes of GB2312's range at least, before a "~}".
bool hasHzShift(std::string_view bytes);

// Valid UTF-8 with at least one character at U+0800 or above (every Han
// character is one). A sample that is not the whole file may end inside a
// character.
bool isUtf8WithWideCharacters(const DetectionSample &sample);

// Whether most bytes of 0x80 and above in `bytes` make valid UTF-8
// characters, as in UTF-8 text with a broken byte; legacy Chinese text makes
// about one in ten by chance.
bool isMostlyUtf8(std::string_view bytes);

} // namespace velloran
