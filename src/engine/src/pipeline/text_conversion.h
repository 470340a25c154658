// SPDX-License-Identifier: GPL-3.0-or-later
// A file's text converted once its source is chosen: chunk by chunk, or in
// pieces on several threads for a large file, into a temporary output that
// replaces the final one only when every character converted. A failed
// conversion is replayed to find its first error.
#pragma once

#include "codec/byte_order_marks.h"
#include "files/input_file.h"
#include "pipeline/source_watch.h"
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
// caller. With `watch`, the bytes are also shown to it as they are read; a
// file it refuses at the end (SourceWatch::refusalAtEnd(), asked with the
// input still open, since a judgement may read it all once more) gets that
// result, nothing written. A converted file's input is closed before its
// output is committed, which may replace it (Windows replaces no open file).
// Throws FileError on I/O errors.
[[nodiscard]] FileResult convertText(InputFile &input, std::string_view source,
                                     const std::optional<ByteOrderMark> &mark,
                                     PrivateUse privateUse, const std::filesystem::path &output,
                                     const ConvertOptions &options, SourceWatch *watch = nullptr);

} // namespace velloran
