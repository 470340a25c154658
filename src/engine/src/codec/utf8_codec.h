// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-8 through ICU's string functions (u_strFromUTF8, u_strToUTF8), several
// times faster than the UTF-8 converter and exactly as strict. They keep no
// state between calls, so a character split between calls waits here.
#pragma once

#include "codec/text_codec.h"

namespace velloran {

std::unique_ptr<TextDecoder> makeUtf8Decoder(Converter &converter);
std::unique_ptr<TextEncoder> makeUtf8Encoder(Converter &converter);

// Where the last character that starts before `end` would end past `end`:
// the start of that incomplete character, else `end`.
const char *completeUtf8End(const char *begin, const char *end);
// Decodes whole characters from `begin` to `end` into `target`, which must
// have room for a unit per byte; false, with `target` unmoved, when ICU
// refuses them.
bool decodeUtf8(const char *begin, const char *end, UChar *&target, UChar *targetEnd);

} // namespace velloran
