// The slow path, taken only after StreamConverter failed: replays the file
// from the start, decoding and encoding in two separate steps, to find the
// first error in text order, its kind and its line.
#pragma once

#include "codec/byte_order_marks.h"
#include "codec/conversion_buffers.h"
#include "codec/surrogate_pairing.h"
#include "files/input_file.h"
#include "velloran/result.h"

#include <optional>

namespace velloran {

class ErrorLocator
{
public:
    ErrorLocator(Decoder &decoder, Encoder &encoder, ConversionBuffers &buffers);

    // An InvalidSource or Unrepresentable result; nothing if the replay finds
    // no error (the file changed in between). `offset` is where the text starts.
    std::optional<FileResult> locate(InputFile &input, std::uint64_t offset);

private:
    std::optional<FileResult> decodeChunk(const char *begin, const char *end, bool last);
    std::optional<FileResult> encode(const UChar *begin, const UChar *end, bool last);
    FileResult invalidSource(std::uint64_t line) const;

    Decoder &m_decoder;
    Encoder &m_encoder;
    ConversionBuffers &m_buffers;
    SurrogatePairing m_pairing;
    std::uint64_t m_lineFeeds = 0;
};

} // namespace velloran
