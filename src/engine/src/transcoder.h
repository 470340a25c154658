// Converts bytes of one encoding into bytes of another in two steps: the
// source is decoded into a large UTF-16 buffer, and that buffer is encoded,
// each step by the fastest TextDecoder / TextEncoder for its encoding. It only
// tells whether the conversion failed; where and why is left to ErrorLocator,
// so the common, successful case pays nothing for line counting.
#pragma once

#include "byte_order_marks.h"
#include "byte_sink.h"
#include "conversion_buffers.h"
#include "text_codec.h"

namespace velloran {

class Transcoder
{
public:
    // Starts from the converters' current state.
    Transcoder(Decoder &decoder, Encoder &encoder, ConversionBuffers &buffers);
    // With the given steps, e.g. ICU's alone to compare the fast paths with.
    Transcoder(std::unique_ptr<TextDecoder> decoder, std::unique_ptr<TextEncoder> encoder,
               ConversionBuffers &buffers);

    // Converts the next bytes of the text into `sink`. A character split
    // between calls is completed by the next call; `last` marks the end of the
    // text, where an incomplete character is an error. False on any error.
    bool convert(const char *begin, const char *end, bool last, ByteSink &sink);

private:
    bool encode(const UChar *begin, const UChar *end, bool last, ByteSink &sink);

    ConversionBuffers &m_buffers;
    std::unique_ptr<TextDecoder> m_decoder;
    std::unique_ptr<TextEncoder> m_encoder;
};

} // namespace velloran
