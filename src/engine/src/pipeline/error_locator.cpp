// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/error_locator.h"

#include <algorithm>

namespace velloran {

ErrorLocator::ErrorLocator(Decoder &decoder, Encoder &encoder, ConversionBuffers &buffers,
                           ByteSink *output)
    : m_decoder(decoder), m_encoder(encoder), m_buffers(buffers), m_output(output),
      m_refused(decoder.converter, decoder.privateUse)
{
}

FileResult ErrorLocator::locate(InputFile &input, std::uint64_t offset)
{
    restart();
    InputFile::Reader reader = input.from(offset);
    for (;;) {
        const std::size_t count = reader.read(m_buffers.input(), m_buffers.inputCapacity());
        const bool last = count == 0;
        if (feed(m_buffers.input(), m_buffers.input() + count, last))
            return m_error;
        if (last)
            return FileResult{.outcome = Outcome::CannotRead,
                              .message = "the file changed while it was being converted"};
    }
}

void ErrorLocator::restart(const LineEnds &lines)
{
    m_decoder.converter.reset();
    m_encoder.converter.reset();
    m_pairing.reset();
    m_lines = lines;
}

bool ErrorLocator::feed(const char *begin, const char *end, bool last)
{
    const char *source = begin;
    for (;;) {
        UChar *text = m_buffers.pivot();
        UErrorCode error = U_ZERO_ERROR;
        ucnv_toUnicode(m_decoder.converter.get(), &text, m_buffers.pivotEnd(), &source, end,
                       nullptr, last, &error);
        const bool more = error == U_BUFFER_OVERFLOW_ERROR;
        const bool atEnd = last && !more && U_SUCCESS(error);
        const UChar *unpaired = firstRefused(m_buffers.pivot(), text);
        if (unpaired == nullptr && atEnd && m_pairing.leadLeftOpen())
            unpaired = text;
        // The text decoded before an invalid byte comes first in the file, so
        // a character in it that cannot be encoded is the first error.
        if (encode(m_buffers.pivot(), unpaired ? unpaired : text, atEnd && !unpaired))
            return true;
        if (unpaired != nullptr || (U_FAILURE(error) && !more))
            return invalidSource(m_lines.line());
        if (!more)
            return false;
    }
}

const UChar *ErrorLocator::firstRefused(const UChar *begin, const UChar *end)
{
    const UChar *unpaired = m_pairing.firstUnpaired(begin, end);
    if (!m_refused.any())
        return unpaired;
    const UChar *checkedEnd = unpaired ? unpaired : end;
    const UChar *refused =
        std::find_if(begin, checkedEnd, [this](UChar unit) { return m_refused.refuses(unit); });
    return refused != checkedEnd ? refused : unpaired;
}

// Encodes into scratch space to learn whether the target can represent the
// text, and writes it out when there is an output. The end of the text is
// flushed, as the real conversion flushed it.
bool ErrorLocator::encode(const UChar *begin, const UChar *end, bool last)
{
    const UChar *source = begin;
    for (;;) {
        char *target = m_buffers.output();
        UErrorCode error = U_ZERO_ERROR;
        ucnv_fromUnicode(m_encoder.converter.get(), &target, m_buffers.outputEnd(), &source, end,
                         nullptr, last, &error);
        write(target);
        if (error == U_BUFFER_OVERFLOW_ERROR)
            continue;
        if (U_FAILURE(error)) {
            LineEnds before = m_lines;
            before.count(begin, source);
            const std::uint64_t line = before.line();
            // An unpaired surrogate is the source's fault, whatever the target.
            if (error == U_ILLEGAL_CHAR_FOUND || error == U_TRUNCATED_CHAR_FOUND)
                return invalidSource(line);
            m_error = FileResult{.outcome = Outcome::Unrepresentable,
                                 .line = line,
                                 .character = m_encoder.converter.unrepresentableCharacter()};
            return true;
        }
        m_lines.count(begin, end);
        return false;
    }
}

// What ICU encoded comes before any error it stopped at.
void ErrorLocator::write(const char *end)
{
    if (m_output != nullptr && end != m_buffers.output())
        m_output->write(m_buffers.output(), static_cast<std::size_t>(end - m_buffers.output()));
}

bool ErrorLocator::invalidSource(std::uint64_t line)
{
    m_error = FileResult{.outcome = Outcome::InvalidSource, .line = line};
    return true;
}

} // namespace velloran
