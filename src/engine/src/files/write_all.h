// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a whole buffer to a descriptor, whatever a single write takes.
#pragma once

#include "files/file_system.h"
#include "files/retry_on_interrupt.h"

#include <cerrno>
#include <cstddef>

namespace velloran::files {

// Writes all of `bytes`, writing again after a short write or an interrupt.
// 0 when all were written, else the errno of the failure.
inline int writeAll(int fd, const char *bytes, std::size_t count)
{
    while (count > 0) {
        const long long written = retryOnInterrupt([&] { return writeSome(fd, bytes, count); });
        if (written < 0)
            return errno;
        bytes += written;
        count -= static_cast<std::size_t>(written);
    }
    return 0;
}

} // namespace velloran::files
