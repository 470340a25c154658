// SPDX-License-Identifier: GPL-3.0-or-later
// Detection of a file's source encoding.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace velloran {

struct Detection
{
    // "UTF-8", "UTF-16LE", "UTF-16BE", "UTF-32LE", "UTF-32BE", "GB18030" or
    // "Big5"; none when undecided.
    std::optional<std::string> encoding;
    // For an undecided file: why.
    std::string reason;
    // How sure: 100 for a byte-order mark, the UTF rules and a Chinese family
    // that the bytes alone settle, otherwise the confidence of ICU's
    // detector (0 to 100).
    int confidence = 0;
};

// Detects the encoding of the file at `path`: an answer only when the bytes
// rule out every other reading (Japanese and Korean encodings, UTF-16 of the
// other byte order, UTF-7 and ISO-2022 in ASCII...), else undecided with the
// reason, such as "too short", "looks like EUC-JP" or "ASCII that may be
// UTF-7". A file that cannot be read is undecided with the reason "cannot be
// read".
Detection detectEncoding(const std::filesystem::path &path);

} // namespace velloran
