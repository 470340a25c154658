// The slow path, taken only after a conversion failed: replays the file from
// the start of its text, decoding and encoding in two separate steps, to find
// the first error in text order, its kind and its line.
#pragma once

#include "codec/byte_order_marks.h"
#include "codec/conversion_buffers.h"
#include "codec/surrogate_pairing.h"
#include "files/input_file.h"
#include "velloran/result.h"

namespace velloran {

class ErrorLocator
{
public:
    ErrorLocator(Decoder &decoder, Encoder &encoder, ConversionBuffers &buffers);

    // The first error of the text that starts at `offset`: InvalidSource or
    // Unrepresentable with its line, or CannotRead when the replay finds none
    // (the file changed in between).
    FileResult locate(InputFile &input, std::uint64_t offset);

private:
    // Each true once the first error is found, in m_error.
    bool decodeChunk(const char *begin, const char *end, bool last);
    // The first unit of decoded text that the source may not hold: an
    // unpaired surrogate, or a private-use character where they are refused.
    const UChar *firstRefused(const UChar *begin, const UChar *end);
    bool encode(const UChar *begin, const UChar *end, bool last);
    bool invalidSource(std::uint64_t line);

    Decoder &m_decoder;
    Encoder &m_encoder;
    ConversionBuffers &m_buffers;
    SurrogatePairing m_pairing;
    std::uint64_t m_lineFeeds = 0;
    FileResult m_error;
};

} // namespace velloran
