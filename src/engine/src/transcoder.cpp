#include "transcoder.h"

namespace velloran {

Transcoder::Transcoder(Decoder &decoder, Encoder &encoder, ConversionBuffers &buffers)
    : Transcoder(makeTextDecoder(decoder.converter), makeTextEncoder(encoder.converter), buffers)
{
}

Transcoder::Transcoder(std::unique_ptr<TextDecoder> decoder, std::unique_ptr<TextEncoder> encoder,
                       ConversionBuffers &buffers)
    : m_buffers(buffers), m_decoder(std::move(decoder)), m_encoder(std::move(encoder))
{
}

bool Transcoder::convert(const char *begin, const char *end, bool last, ByteSink &sink)
{
    const char *source = begin;
    for (;;) {
        UChar *text = m_buffers.pivot();
        const Step step = m_decoder->decode(source, end, text, m_buffers.pivotEnd(), last);
        if (step == Step::Failed)
            return false;
        if (!encode(m_buffers.pivot(), text, last && step == Step::Done, sink))
            return false;
        if (step == Step::Done)
            return true;
    }
}

bool Transcoder::encode(const UChar *begin, const UChar *end, bool last, ByteSink &sink)
{
    const UChar *source = begin;
    for (;;) {
        char *target = m_buffers.output();
        const Step step = m_encoder->encode(source, end, target, m_buffers.outputEnd(), last);
        if (step == Step::Failed)
            return false;
        sink.write(m_buffers.output(), static_cast<std::size_t>(target - m_buffers.output()));
        if (step == Step::Done)
            return true;
    }
}

} // namespace velloran
