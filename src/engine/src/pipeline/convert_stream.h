// SPDX-License-Identifier: GPL-3.0-or-later
// One stream, from its first byte to its last: the pipeline of a file, as far
// as a stream allows (see velloran/stream.h).
#pragma once

#include "codec/byte_sink.h"
#include "files/streams.h"
#include "velloran/stream.h"

namespace velloran {

// Converts what `input` gives into `output`. Every failure to read or write
// comes back in the result.
[[nodiscard]] FileResult convertStream(StreamSource &input, ByteSink &output,
                                       const StreamOptions &options);

} // namespace velloran
