// SPDX-License-Identifier: GPL-3.0-or-later
#include "codec/transcoder.h"

#include <algorithm>

namespace velloran {

namespace {

// Bytes handed to the two steps at a time when the direct path stops: enough
// for any character, few enough that the direct path soon takes over again.
constexpr std::ptrdiff_t kTwoStepWindow = 16;

} // namespace

Transcoder::Transcoder(Converter &source, Converter &target, ConversionBuffers &buffers,
                       PrivateUse privateUse)
    : Transcoder(makeTextDecoder(source, privateUse), makeTextEncoder(target), buffers)
{
    // A table converter's direct path takes no private-use character (the
    // tables hold none); the others' would let them by.
    if (privateUse == PrivateUse::Allowed || source.isTableConverter())
        m_direct = makeDirectPath(source, target);
}

Transcoder::Transcoder(std::unique_ptr<TextDecoder> decoder, std::unique_ptr<TextEncoder> encoder,
                       ConversionBuffers &buffers)
    : m_buffers(buffers), m_decoder(std::move(decoder)), m_encoder(std::move(encoder)),
      m_outputEnd(buffers.output())
{
}

bool Transcoder::convert(const char *begin, const char *end, bool last, ByteSink &sink)
{
    const char *source = begin;
    bool converted = true;
    if (m_direct) {
        while (converted && source != end) {
            if (m_decoder->idle() && m_encoder->idle())
                convertDirectly(source, end, sink);
            if (source == end)
                break;
            const char *stepEnd = std::min(end, source + kTwoStepWindow);
            converted = convertInTwoSteps(source, stepEnd, false, sink);
            source = stepEnd;
        }
    }
    converted = converted && convertInTwoSteps(source, end, last, sink);
    flush(sink);
    return converted;
}

void Transcoder::convertDirectly(const char *&source, const char *end, ByteSink &sink)
{
    for (;;) {
        m_direct->convert(source, end, m_outputEnd, m_buffers.outputEnd());
        if (source == end || m_buffers.outputEnd() - m_outputEnd > DirectPath::kCharacterRoom)
            return;
        flush(sink);
    }
}

bool Transcoder::convertInTwoSteps(const char *begin, const char *end, bool last, ByteSink &sink)
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
        const Step step = m_encoder->encode(source, end, m_outputEnd, m_buffers.outputEnd(), last);
        if (step == Step::Failed)
            return false;
        if (step == Step::Done)
            return true;
        flush(sink);
    }
}

void Transcoder::flush(ByteSink &sink)
{
    if (m_outputEnd == m_buffers.output())
        return;
    sink.write(m_buffers.output(), static_cast<std::size_t>(m_outputEnd - m_buffers.output()));
    m_outputEnd = m_buffers.output();
}

} // namespace velloran
