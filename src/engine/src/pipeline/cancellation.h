// SPDX-License-Identifier: GPL-3.0-or-later
// The one question every stage of a conversion and of a run asks between
// its steps: whether the user asked it to stop.
#pragma once

#include <atomic>

namespace velloran {

// Whether `cancel` (an option's flag, null when the caller cannot cancel) is set.
[[nodiscard]] inline bool isCancelled(const std::atomic<bool> *cancel)
{
    return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

} // namespace velloran
