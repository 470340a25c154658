// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/chunk_converter.h"

#include "codec/transcoder.h"
#include "pipeline/cancellation.h"

namespace velloran {

void MarkedOutput::write(const char *bytes, std::size_t count)
{
    if (count == 0)
        return;
    if (!m_markWritten) {
        m_output.write(m_mark.data(), m_mark.size());
        m_markWritten = true;
    }
    m_output.write(bytes, count);
}

ChunkConverter::ChunkConverter(Decoder &decoder, Encoder &encoder, ConversionBuffers &buffers)
    : m_decoder(decoder), m_encoder(encoder), m_buffers(buffers)
{
}

ConversionStatus ChunkConverter::run(InputFile::Reader &input, ByteSink &output,
                                     const ConvertOptions &options)
{
    Transcoder transcoder(m_decoder.converter, m_encoder.converter, m_buffers,
                          m_decoder.privateUse);
    MarkedOutput sink(m_encoder.mark, output);
    for (;;) {
        if (isCancelled(options.cancel))
            return ConversionStatus::Cancelled;
        const std::size_t count = input.read(m_buffers.input(), m_buffers.inputCapacity());
        // The call with no more input flushes a character left incomplete at
        // the end of the file, which ICU reports as truncated.
        const bool last = count == 0;
        if (!transcoder.convert(m_buffers.input(), m_buffers.input() + count, last, sink))
            return ConversionStatus::Failed;
        if (last)
            return ConversionStatus::Completed;
        if (options.onBytes)
            options.onBytes(input.position(), input.size());
    }
}

} // namespace velloran
