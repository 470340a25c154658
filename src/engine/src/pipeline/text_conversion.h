// SPDX-License-Identifier: GPL-3.0-or-later
// A file's text converted once its source is chosen: chunk by chunk, or in
// pieces on several threads for a large file, into a temporary output that
// replaces the final one only when every character converted. A failed
// conversion is replayed to find its first error.
#pragma once

#include "codec/byte_order_marks.h"
#include "detect/utf8_scan.h"
#include "files/input_file.h"
#include "velloran/convert.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

namespace velloran {

// Converts `input`, which starts with `mark` (or none), from `source` (a
// resolved name, ignored when there is a mark) into `output`; a private-use
// character is invalid in the source when `privateUse` refuses them. The
// result's outcome is Converted, Cancelled, InvalidSource or Unrepresentable
// (with the line and character), Unchanged (with options.leaveIdenticalAlone,
// for an output that would be the input's very bytes: nothing is written),
// or CannotRead when the file changed meanwhile; its encoding is left for the
// caller. With `utf8Watch`, the text is also scanned as it is read, and a
// file that turns out to be UTF-8 text with wide characters is refused as
// AlreadyUtf8, nothing written. A converted file calls `beforeCommit`, if
// any, with the input still open, then closes the input and commits the
// output, which may replace the input. Throws FileError on I/O errors.
[[nodiscard]] FileResult convertText(InputFile &input, std::string_view source,
                                     const std::optional<ByteOrderMark> &mark,
                                     PrivateUse privateUse, const std::filesystem::path &output,
                                     const ConvertOptions &options, Utf8Scan *utf8Watch = nullptr,
                                     const std::function<void()> &beforeCommit = {});

} // namespace velloran
