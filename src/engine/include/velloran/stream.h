// SPDX-License-Identifier: GPL-3.0-or-later
// Converting a stream, such as standard input into standard output: the
// rules of engine.h, as far as a stream allows.
#pragma once

#include "velloran/convert.h"
#include "velloran/encoding.h"
#include "velloran/result.h"

#include <atomic>
#include <cstddef>

namespace velloran {

struct StreamOptions
{
    // From resolveSource(): an encoding, or detection.
    Encoding source;
    // From resolveEncoding().
    Encoding target;
    // Bytes read and converted per step at most (a stream's reads may give
    // fewer). Tests make it tiny; 0 means kDefaultChunkSize.
    std::size_t chunkSize = kDefaultChunkSize;
    // Checked between steps; when set, the conversion stops as Cancelled.
    const std::atomic<bool> *cancel = nullptr;
};

// Converts what the descriptor `input` gives, to its end, into the
// descriptor `output`; both stay open. Unlike a file's:
//  - The text is written as it is converted, in one pass and in little
//    memory, so nothing is atomic: a reader may have received the text
//    before a fault. At the first byte that is not valid in the source or
//    character the target cannot represent, the conversion stops: the text
//    before it is written, the start of its line included, nothing from it
//    on, and the result is InvalidSource or Unrepresentable with its line
//    (and character), as for a file.
//  - The byte-order mark, detection and the guards look at the first 64 KiB
//    before anything is written. An input that ends within them gets exactly
//    a file's rules. For a longer one, what a file's rules check of the whole
//    file (that it decodes in the detected or suspected encoding) is checked
//    of that start; the conversion then checks the rest, and fails where it
//    does not decode, without a hint (FileResult::likely) at an encoding the
//    whole text might decode in.
//    With a legacy Chinese source, an input whose start is UTF-8 text
//    without characters from U+0800 up, but that turns out to be UTF-8 text
//    with them (all of it valid UTF-8 as far as it was read), stops at the
//    first such character as at a fault: the text before it is written,
//    nothing from it on, and the result is AlreadyUtf8 with its line
//    (FileResult::line; 0 when the start alone decided and nothing was
//    written). Lines end at a line feed, a carriage return or the two together.
//  - Failing to read or write (the reader went away: EPIPE, with SIGPIPE
//    ignored) comes back as CannotRead or CannotWrite, its message naming
//    "the input" or "the output".
[[nodiscard]] FileResult convertStream(int input, int output, const StreamOptions &options);

} // namespace velloran
