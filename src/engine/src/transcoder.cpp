#include "transcoder.h"

#include <unicode/ustring.h>
#include <unicode/utf16.h>

namespace velloran {

Transcoder::Transcoder(Decoder &decoder, Encoder &encoder, ConversionBuffers &buffers)
    : m_decoder(decoder), m_encoder(encoder), m_buffers(buffers),
      m_toUtf8(encoder.converter.type() == UCNV_UTF8)
{
}

bool Transcoder::convert(const char *begin, const char *end, bool last, ByteSink &sink)
{
    const char *source = begin;
    for (;;) {
        UChar *text = m_buffers.pivot();
        if (m_heldLead != 0) {
            *text++ = m_heldLead;
            m_heldLead = 0;
        }
        UErrorCode error = U_ZERO_ERROR;
        ucnv_toUnicode(m_decoder.converter.get(), &text, m_buffers.pivotEnd(), &source, end,
                       nullptr, last, &error);
        const bool more = error == U_BUFFER_OVERFLOW_ERROR;
        if (U_FAILURE(error) && !more)
            return false;
        if (!encode(m_buffers.pivot(), text, last && !more, sink))
            return false;
        if (!more)
            return true;
    }
}

bool Transcoder::encode(const UChar *begin, const UChar *end, bool last, ByteSink &sink)
{
    if (!m_toUtf8)
        return encodeWithConverter(begin, end, last, sink);
    // At the very end a held lead surrogate is unpaired, and u_strToUTF8 fails on it
    // just as the UTF-8 converter would.
    if (!last && begin != end && U16_IS_LEAD(end[-1]))
        m_heldLead = *--end;
    return encodeUtf8(begin, end, sink);
}

// The last call flushes the encoder, which lets a stateful target (UTF-7)
// close its final sequence.
bool Transcoder::encodeWithConverter(const UChar *begin, const UChar *end, bool last,
                                     ByteSink &sink)
{
    const UChar *source = begin;
    for (;;) {
        char *target = m_buffers.output();
        UErrorCode error = U_ZERO_ERROR;
        ucnv_fromUnicode(m_encoder.converter.get(), &target, m_buffers.outputEnd(), &source, end,
                         nullptr, last, &error);
        const bool more = error == U_BUFFER_OVERFLOW_ERROR;
        if (U_FAILURE(error) && !more)
            return false;
        sink.write(m_buffers.output(), static_cast<std::size_t>(target - m_buffers.output()));
        if (!more)
            return true;
    }
}

// The output buffer holds three bytes per UTF-16 unit, the most UTF-8 needs,
// so one call always fits.
bool Transcoder::encodeUtf8(const UChar *begin, const UChar *end, ByteSink &sink)
{
    int32_t length = 0;
    UErrorCode error = U_ZERO_ERROR;
    u_strToUTF8(m_buffers.output(), static_cast<int32_t>(m_buffers.outputEnd() - m_buffers.output()),
                &length, begin, static_cast<int32_t>(end - begin), &error);
    if (U_FAILURE(error))
        return false;
    sink.write(m_buffers.output(), static_cast<std::size_t>(length));
    return true;
}

} // namespace velloran
