#include "stream_converter.h"

namespace velloran {

bool isCancelled(const std::atomic<bool> *cancel)
{
    return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

StreamConverter::StreamConverter(Decoder &decoder, Encoder &encoder, ConversionBuffers &buffers)
    : m_decoder(decoder), m_encoder(encoder), m_buffers(buffers), m_pivotSource(buffers.pivot()),
      m_pivotTarget(buffers.pivot())
{
}

StreamStatus StreamConverter::run(InputFile &input, std::uint64_t offset, AtomicOutputFile &output,
                                  const ConvertOptions &options)
{
    for (;;) {
        if (isCancelled(options.cancel))
            return StreamStatus::Cancelled;
        const std::size_t count = input.read(m_buffers.input(), m_buffers.inputCapacity());
        // The call with no more input flushes a character left incomplete at
        // the end of the file, which ICU reports as truncated.
        const bool last = count == 0;
        if (!convertChunk(m_buffers.input(), m_buffers.input() + count, last, output))
            return StreamStatus::Failed;
        if (last)
            return StreamStatus::Completed;
        offset += count;
        if (options.onBytes)
            options.onBytes(offset, input.size());
    }
}

// A character split between chunks stays inside the ICU converters until the
// next chunk completes it.
bool StreamConverter::convertChunk(const char *begin, const char *end, bool last,
                                   AtomicOutputFile &output)
{
    const char *source = begin;
    for (;;) {
        char *target = m_buffers.output();
        UErrorCode error = U_ZERO_ERROR;
        ucnv_convertEx(m_encoder.converter.get(), m_decoder.converter.get(), &target,
                       m_buffers.outputEnd(), &source, end, m_buffers.pivot(), &m_pivotSource,
                       &m_pivotTarget, m_buffers.pivotEnd(), !m_started, last, &error);
        m_started = true;
        if (U_FAILURE(error) && error != U_BUFFER_OVERFLOW_ERROR)
            return false;
        emit(static_cast<std::size_t>(target - m_buffers.output()), output);
        if (error != U_BUFFER_OVERFLOW_ERROR)
            return true;
    }
}

void StreamConverter::emit(std::size_t count, AtomicOutputFile &output)
{
    if (count == 0)
        return;
    if (!m_markWritten) {
        output.write(m_encoder.mark.data(), m_encoder.mark.size());
        m_markWritten = true;
    }
    output.write(m_buffers.output(), count);
}

} // namespace velloran
