// SPDX-License-Identifier: GPL-3.0-or-later
// Converts bytes of one encoding into bytes of another. Characters both
// encodings know without ICU go straight from source to target bytes (the
// DirectPath); everything else takes two steps: decoded into a large UTF-16
// buffer, and that buffer encoded, each step by the fastest TextDecoder /
// TextEncoder for its encoding. It only tells whether the conversion failed;
// where and why is left to ErrorLocator, so the common, successful case pays
// nothing for line counting.
#pragma once

#include "codec/byte_sink.h"
#include "codec/conversion_buffers.h"
#include "codec/direct_path.h"
#include "codec/text_codec.h"

namespace velloran {

class Transcoder
{
public:
    // The fastest way; starts from the converters' current state, which stay
    // owned by the caller. A source that refuses private use fails at the
    // first private-use character (see PrivateUse).
    Transcoder(Converter &source, Converter &target, ConversionBuffers &buffers,
               PrivateUse privateUse = PrivateUse::Allowed);
    // With the given steps alone, e.g. ICU's to compare the fast paths with.
    Transcoder(std::unique_ptr<TextDecoder> decoder, std::unique_ptr<TextEncoder> encoder,
               ConversionBuffers &buffers);

    // Converts the next bytes of the text into `sink`. A character split
    // between calls is completed by the next call; `last` marks the end of the
    // text, where an incomplete character is an error. False on any error.
    [[nodiscard]] bool convert(const char *begin, const char *end, bool last, ByteSink &sink);

    // Holds no part of a character and owes no output: the bytes that come
    // next start a new character. For an encoding that keeps no state from
    // one character to the next, as good as fresh converters.
    bool idle() const { return m_decoder->idle() && m_encoder->idle(); }

private:
    [[nodiscard]] bool convertInTwoSteps(const char *begin, const char *end, bool last,
                                         ByteSink &sink);
    [[nodiscard]] bool encode(const UChar *begin, const UChar *end, bool last, ByteSink &sink);
    void convertDirectly(const char *&source, const char *end, ByteSink &sink);
    void flush(ByteSink &sink);

    ConversionBuffers &m_buffers;
    std::unique_ptr<TextDecoder> m_decoder;
    std::unique_ptr<TextEncoder> m_encoder;
    std::unique_ptr<DirectPath> m_direct;
    // The end of the converted bytes waiting in the output buffer.
    char *m_outputEnd;
};

} // namespace velloran
