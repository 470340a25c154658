// SPDX-License-Identifier: GPL-3.0-or-later
// Working memory for converting one file: allocated once and reused for every
// chunk, so the conversion loop itself never allocates.
#pragma once

#include <unicode/utypes.h>

#include <algorithm>
#include <cstddef>
#include <memory>

namespace velloran {

class ConversionBuffers
{
public:
    explicit ConversionBuffers(std::size_t inputCapacity)
        : m_inputCapacity(std::max<std::size_t>(inputCapacity, 1)),
          m_input(new char[m_inputCapacity]), m_output(new char[kOutputCapacity]),
          m_pivot(new UChar[kPivotCapacity])
    {
    }

    char *input() const { return m_input.get(); }
    std::size_t inputCapacity() const { return m_inputCapacity; }
    char *output() const { return m_output.get(); }
    char *outputEnd() const { return m_output.get() + kOutputCapacity; }
    // The decoded text, UTF-16, between decoder and encoder.
    UChar *pivot() const { return m_pivot.get(); }
    UChar *pivotEnd() const { return m_pivot.get() + kPivotCapacity; }

private:
    // Large enough that ICU's per-call overhead vanishes, small enough to stay
    // in the second-level cache.
    static constexpr std::size_t kPivotCapacity = 64 * 1024;
    // Room for the whole pivot (plus one held unit) in any target: no encoding
    // ICU ships needs more than four bytes per UTF-16 unit, and UTF-8 needs three.
    static constexpr std::size_t kOutputCapacity = 4 * (kPivotCapacity + 1);

    std::size_t m_inputCapacity;
    std::unique_ptr<char[]> m_input;
    std::unique_ptr<char[]> m_output;
    std::unique_ptr<UChar[]> m_pivot;
};

} // namespace velloran
