// SPDX-License-Identifier: GPL-3.0-or-later
// Where converted bytes go: the temporary output file, or the buffer of one
// piece of a file converted in parallel.
#pragma once

#include <cstddef>

namespace velloran {

class ByteSink
{
public:
    virtual ~ByteSink() = default;
    // Throws FileError(CannotWrite) when the bytes cannot be stored.
    virtual void write(const char *bytes, std::size_t count) = 0;
};

} // namespace velloran
