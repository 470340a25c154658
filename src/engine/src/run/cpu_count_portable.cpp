// SPDX-License-Identifier: GPL-3.0-or-later
// Systems without a Linux-specific way to ask: the hardware's thread count.
#include "velloran/run.h"

#include <algorithm>
#include <thread>

namespace velloran {

unsigned usableCpuCount()
{
    return std::max(std::thread::hardware_concurrency(), 1u);
}

} // namespace velloran
