// The fast path: converts an input chunk by chunk with ucnv_convertEx, which
// goes through a caller-owned pivot buffer (or directly, for the pairs where
// ICU has a shortcut). It only tells whether the conversion failed; where and
// why is left to ErrorLocator, so the common, successful case pays nothing
// for line counting.
#pragma once

#include "atomic_output_file.h"
#include "byte_order_marks.h"
#include "conversion_buffers.h"
#include "input_file.h"
#include "velloran/engine.h"

namespace velloran {

enum class StreamStatus
{
    Completed,
    Failed,
    Cancelled
};

class StreamConverter
{
public:
    StreamConverter(Decoder &decoder, Encoder &encoder, ConversionBuffers &buffers);

    // Converts from the input's current position (`offset`, past any mark) to
    // its end into `output`. I/O errors throw FileError.
    StreamStatus run(InputFile &input, std::uint64_t offset, AtomicOutputFile &output,
                     const ConvertOptions &options);

private:
    bool convertChunk(const char *begin, const char *end, bool last, AtomicOutputFile &output);
    void emit(std::size_t count, AtomicOutputFile &output);

    Decoder &m_decoder;
    Encoder &m_encoder;
    ConversionBuffers &m_buffers;
    UChar *m_pivotSource;
    UChar *m_pivotTarget;
    bool m_started = false;
    bool m_markWritten = false;
};

bool isCancelled(const std::atomic<bool> *cancel);

} // namespace velloran
