// SPDX-License-Identifier: GPL-3.0-or-later
// The fast path for one file: reads it chunk by chunk and converts each chunk
// with a Transcoder into the output file. It only tells whether the
// conversion failed; where and why is left to ErrorLocator.
#pragma once

#include "codec/byte_order_marks.h"
#include "codec/byte_sink.h"
#include "codec/conversion_buffers.h"
#include "files/input_file.h"
#include "velloran/convert.h"

#include <string_view>

namespace velloran {

enum class ConversionStatus
{
    Completed,
    Failed,
    Cancelled,
    // Only from the conversion in pieces: a stretch without a line feed to cut
    // at; the file must be converted again, in one go.
    NotSplittable,
};

// Writes the target's byte-order mark before the first byte of text, so an
// empty text stays empty.
class MarkedOutput : public ByteSink
{
public:
    MarkedOutput(std::string_view mark, ByteSink &output) : m_mark(mark), m_output(output) {}
    void write(const char *bytes, std::size_t count) override;

private:
    std::string_view m_mark;
    ByteSink &m_output;
    bool m_markWritten = false;
};

class ChunkConverter
{
public:
    ChunkConverter(Decoder &decoder, Encoder &encoder, ConversionBuffers &buffers);

    // Converts what `input` reads (the text, past any mark) into `output`.
    // I/O errors throw FileError.
    [[nodiscard]] ConversionStatus run(InputFile::Reader &input, ByteSink &output,
                                       const ConvertOptions &options);

private:
    Decoder &m_decoder;
    Encoder &m_encoder;
    ConversionBuffers &m_buffers;
};

} // namespace velloran
