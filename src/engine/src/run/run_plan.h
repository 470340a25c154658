// SPDX-License-Identifier: GPL-3.0-or-later
// Internal pieces that planning and executing a run share.
#pragma once

#include "velloran/run.h"

namespace velloran {

// The threads a run uses: as many as asked for, else one per usable processor.
unsigned workersFor(const RunOptions &options);

} // namespace velloran
