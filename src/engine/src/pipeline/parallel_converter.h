// SPDX-License-Identifier: GPL-3.0-or-later
// One large file on several cores: the text is cut into pieces at line feeds
// (see piece_boundaries.h), worker threads convert the pieces with converters
// of their own, and the calling thread reads the input and writes the
// converted pieces in file order into the one output. At most a small window
// of pieces is in memory at once. Like ChunkConverter it only tells whether
// the conversion failed; ErrorLocator then finds the first error in file
// order by replaying the file from the start.
#pragma once

#include "codec/byte_order_marks.h"
#include "codec/byte_sink.h"
#include "codec/piece_boundaries.h"
#include "files/input_file.h"
#include "pipeline/chunk_converter.h"

namespace velloran {

// As ChunkConverter, or NotSplittable when a piece found no line feed to end
// at: the caller then converts the file again, in one go.
[[nodiscard]] ConversionStatus convertInPieces(InputFile::Reader &input, const Decoder &decoder,
                                               const Encoder &encoder,
                                               const PieceBoundary &boundary, ByteSink &output,
                                               const ConvertOptions &options);

} // namespace velloran
