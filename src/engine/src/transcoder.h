// Converts bytes of one encoding into bytes of another in two separate steps,
// each through ICU's fastest entry point for it: the source is decoded into a
// large UTF-16 buffer (ucnv_toUnicode), and that buffer is encoded (u_strToUTF8
// for a UTF-8 target, which is far tighter than the UTF-8 converter, else
// ucnv_fromUnicode). It only tells whether the conversion failed; where and
// why is left to ErrorLocator, so the common, successful case pays nothing
// for line counting.
#pragma once

#include "byte_order_marks.h"
#include "byte_sink.h"
#include "conversion_buffers.h"

namespace velloran {

class Transcoder
{
public:
    Transcoder(Decoder &decoder, Encoder &encoder, ConversionBuffers &buffers);

    // Converts the next bytes of the text into `sink`. A character split
    // between calls is completed by the next call; `last` marks the end of the
    // text, where an incomplete character is an error. False on any error.
    bool convert(const char *begin, const char *end, bool last, ByteSink &sink);

private:
    bool encode(const UChar *begin, const UChar *end, bool last, ByteSink &sink);
    bool encodeWithConverter(const UChar *begin, const UChar *end, bool last, ByteSink &sink);
    bool encodeUtf8(const UChar *begin, const UChar *end, ByteSink &sink);

    Decoder &m_decoder;
    Encoder &m_encoder;
    ConversionBuffers &m_buffers;
    const bool m_toUtf8;
    // u_strToUTF8 keeps no state between calls: a lead surrogate that ended
    // the previous decoded text waits here for its trail.
    UChar m_heldLead = 0;
};

} // namespace velloran
