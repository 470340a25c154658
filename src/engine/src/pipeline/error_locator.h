// SPDX-License-Identifier: GPL-3.0-or-later
// The slow path, taken only after a conversion failed: replays the file from
// the start of its text, decoding and encoding in two separate steps, to find
// the first error in text order, its kind and its line. Given an output, it
// also writes what it encodes: the conversion of a stream whose encodings
// cannot be cut into chunks (UTF-7), which must know its line as it goes.
#pragma once

#include "codec/byte_order_marks.h"
#include "codec/byte_sink.h"
#include "codec/conversion_buffers.h"
#include "codec/line_ends.h"
#include "codec/refused_units.h"
#include "codec/surrogate_pairing.h"
#include "files/input_file.h"
#include "velloran/result.h"

namespace velloran {

class ErrorLocator
{
public:
    // Encoded bytes go to `output` when there is one, up to the first error.
    ErrorLocator(Decoder &decoder, Encoder &encoder, ConversionBuffers &buffers,
                 ByteSink *output = nullptr);

    // The first error of the text that starts at `offset`: InvalidSource or
    // Unrepresentable with its line, or CannotRead when the replay finds none
    // (the file changed in between).
    [[nodiscard]] FileResult locate(InputFile &input, std::uint64_t offset);

    // Starts over from fresh converters, at a place in the text after the
    // lines `lines` counted (none: the start).
    void restart(const LineEnds &lines = {});
    // The line the text fed so far ends on, while no error was found.
    std::uint64_t line() const { return m_lines.line(); }
    // The next bytes of the text, `last` at its end. True once the first
    // error is found; error() then tells it.
    [[nodiscard]] bool feed(const char *begin, const char *end, bool last);
    const FileResult &error() const { return m_error; }

private:
    // The first unit of decoded text that the source may not hold: an
    // unpaired surrogate, or a unit it refuses (see RefusedUnits).
    const UChar *firstRefused(const UChar *begin, const UChar *end);
    [[nodiscard]] bool encode(const UChar *begin, const UChar *end, bool last);
    void write(const char *end);
    bool invalidSource(std::uint64_t line);

    Decoder &m_decoder;
    Encoder &m_encoder;
    ConversionBuffers &m_buffers;
    ByteSink *m_output;
    SurrogatePairing m_pairing;
    RefusedUnits m_refused;
    LineEnds m_lines;
    FileResult m_error;
};

} // namespace velloran
