// Internal pieces that planning and executing a run share.
#pragma once

#include "velloran/run.h"

namespace velloran {

// Throws UnknownEncoding unless both of the run's encoding names resolve
// (the source may also ask for detection).
void requireKnownEncodings(const RunOptions &options);

// The threads a run uses: as many as asked for, else one per usable processor.
unsigned workersFor(const RunOptions &options);

} // namespace velloran
