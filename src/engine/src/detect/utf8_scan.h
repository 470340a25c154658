// SPDX-License-Identifier: GPL-3.0-or-later
// Whether bytes, seen in order and in parts of any size, are UTF-8 text:
// valid UTF-8 without a NUL byte (UTF-16 has plenty) or a character of the
// planes 4 to 13 (which have none), and with at least one character from
// U+0800 up (every Han character is one). It runs alongside a conversion, so
// ASCII, most of many texts, is skipped eight bytes at a time.
#pragma once

#include "codec/private_use.h"
#include "files/input_file.h"

#include <unicode/umachine.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace velloran {

class Utf8Scan : public ReadObserver
{
public:
    explicit Utf8Scan(PrivateUse privateUse) : m_privateUse(privateUse) {}

    void seen(std::string_view bytes) override;
    // The end of the text: a character left incomplete is not UTF-8.
    void finish();
    // Back to the start of the text, for a reader that starts over.
    void restart() { *this = Utf8Scan(m_privateUse); }

    // UTF-8 text so far (its last character may be incomplete before finish()).
    bool valid() const { return m_valid; }
    // Valid, with a character from U+0800 up.
    bool isWideText() const { return m_valid && m_wide; }
    // Valid, with a character from U+00A0 up: a no-break space or an
    // accented letter is as plain a sign of UTF-8 text as a Han character,
    // and legacy Chinese text is seldom valid UTF-8 at all (see
    // isUtf8Text()).
    bool isText() const { return m_valid && m_text; }
    // Where the first character from U+0800 up starts, counted in the bytes
    // seen, once one was seen while the text was valid.
    std::optional<std::uint64_t> firstWideAt() const { return m_firstWide; }

private:
    // `at`: where `bytes` start in the bytes seen.
    void scan(std::string_view bytes, std::uint64_t at);
    void check(UChar32 character, std::uint64_t at);
    void completePending(std::string_view &bytes);

    PrivateUse m_privateUse;
    bool m_valid = true;
    bool m_wide = false;
    bool m_text = false;
    std::uint64_t m_seen = 0; // bytes seen so far
    std::optional<std::uint64_t> m_firstWide;
    // A character cut by the end of the bytes seen so far, and where it starts.
    char m_pending[4] = {};
    std::size_t m_pendingLength = 0;
    std::size_t m_pendingNeeded = 0;
    std::uint64_t m_pendingAt = 0;
};

// Whether the whole of `input` is UTF-8 text with a character from U+00A0
// up (Utf8Scan::isText()), private use refused. Throws FileError(CannotRead).
bool isUtf8Text(InputFile &input);

} // namespace velloran
