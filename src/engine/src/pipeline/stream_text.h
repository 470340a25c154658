// SPDX-License-Identifier: GPL-3.0-or-later
// A stream's text converted once its source is chosen, and written as it
// goes. A stream cannot be read again to find where a conversion failed, so
// each chunk is converted from converters that hold nothing, as if fresh:
// a failing chunk, still in memory, is replayed alone by the ErrorLocator,
// which starts counting lines after the line feeds of the chunks before it.
// Encodings that cannot be cut that way (UTF-7) are converted by the
// ErrorLocator itself, which knows the line of every character as it goes.
#pragma once

#include "codec/byte_order_marks.h"
#include "codec/byte_sink.h"
#include "detect/utf8_scan.h"
#include "files/streams.h"
#include "velloran/stream.h"

#include <optional>
#include <string_view>

namespace velloran {

// Converts the rest of `input`, which started with `mark` (or none), from
// `source` (a resolved name, ignored when there is a mark) into `output`; a
// private-use character is invalid in the source when `privateUse` refuses them.
// The outcome is Converted, Cancelled, or InvalidSource or Unrepresentable
// with the line and character; the text before such a fault is written, up
// to it, and nothing from it on. With `utf8Watch`, the text is also scanned as it is read: a
// stream that turns out to be UTF-8 text with wide characters (all of it
// read so far valid UTF-8, and a character from U+0800 up) stops there as at
// a fault, the text before that character written and nothing from it on, and
// comes back AlreadyUtf8 with its line. The encoding is left for the caller.
// Lines end at a line feed, a carriage return, or the two together. Throws
// FileError on I/O errors.
[[nodiscard]] FileResult convertStreamText(InputStream &input, std::string_view source,
                                           const std::optional<ByteOrderMark> &mark,
                                           PrivateUse privateUse, ByteSink &output,
                                           const StreamOptions &options,
                                           Utf8Scan *utf8Watch = nullptr);

} // namespace velloran
