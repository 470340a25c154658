// Working memory for converting one file: allocated once per file and reused
// for every chunk, so the conversion loop itself never allocates.
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
          m_outputCapacity(std::clamp<std::size_t>(2 * m_inputCapacity, 256, kMaxOutput)),
          m_input(new char[m_inputCapacity]), m_output(new char[m_outputCapacity]),
          m_pivot(new UChar[kPivotCapacity])
    {
    }

    char *input() const { return m_input.get(); }
    std::size_t inputCapacity() const { return m_inputCapacity; }
    char *output() const { return m_output.get(); }
    char *outputEnd() const { return m_output.get() + m_outputCapacity; }
    // UTF-16 between decoder and encoder.
    UChar *pivot() const { return m_pivot.get(); }
    UChar *pivotEnd() const { return m_pivot.get() + kPivotCapacity; }

private:
    // Large enough that ICU's per-call overhead vanishes, small enough to stay in cache.
    static constexpr std::size_t kPivotCapacity = 16 * 1024;
    static constexpr std::size_t kMaxOutput = 2 * 1024 * 1024;

    std::size_t m_inputCapacity;
    std::size_t m_outputCapacity;
    std::unique_ptr<char[]> m_input;
    std::unique_ptr<char[]> m_output;
    std::unique_ptr<UChar[]> m_pivot;
};

} // namespace velloran
