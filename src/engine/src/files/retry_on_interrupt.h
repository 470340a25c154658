// SPDX-License-Identifier: GPL-3.0-or-later
// System calls that a signal can interrupt before they did anything (read,
// write, open of a slow device, fsync) are simply made again.
#pragma once

#include <cerrno>

namespace velloran {

// Calls `systemCall` until it returns something other than -1 with errno EINTR.
template <class SystemCall> auto retryOnInterrupt(SystemCall systemCall)
{
    for (;;) {
        const auto result = systemCall();
        if (result != -1 || errno != EINTR)
            return result;
    }
}

} // namespace velloran
