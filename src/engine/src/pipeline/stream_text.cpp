// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/stream_text.h"

#include "codec/conversion_buffers.h"
#include "codec/line_ends.h"
#include "codec/piece_boundaries.h"
#include "codec/transcoder.h"
#include "pipeline/cancellation.h"
#include "pipeline/chunk_converter.h"
#include "pipeline/error_locator.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

namespace velloran {

namespace {

// The longest character of the encodings that chunks can be cut in
// (piece_boundaries.h): four bytes, in GB18030, UTF-8, UTF-16 and UTF-32.
constexpr std::ptrdiff_t kLongestCharacter = 4;

// At least a few characters, whatever a test asks; ICU refuses inputs of a
// gigabyte or more per call.
std::size_t chunkCapacity(std::size_t chunkSize)
{
    constexpr std::size_t kLargest = 256 * 1024 * 1024;
    const std::size_t size = chunkSize == 0 ? kDefaultChunkSize : std::min(chunkSize, kLargest);
    return std::max<std::size_t>(size, 4 * kLongestCharacter);
}

// The next bytes of the text into [into, into + capacity), shown to the
// UTF-8 watch; 0 at the end.
std::size_t readText(InputStream &input, char *into, std::size_t capacity, Utf8Scan *utf8Watch)
{
    const std::size_t count = input.read(into, capacity);
    if (utf8Watch)
        utf8Watch->seen(std::string_view(into, count));
    return count;
}

// Whether [begin, end), starting at a boundary, ends with a line feed.
bool endsWithLineFeed(const char *begin, const char *end, const PieceBoundary &boundary)
{
    const std::string_view text(begin, static_cast<std::size_t>(end - begin));
    return text.ends_with(boundary.lineFeed) &&
           (text.size() - boundary.lineFeed.size()) % boundary.unit == 0;
}

// Where in the chunk [chunk, end), which starts at `chunkStart` in the text,
// the stream turned out to be UTF-8 text: at the first character from U+0800
// up, once all the text read so far is valid UTF-8 with it. Null before.
const char *utf8TextIn(const Utf8Scan *utf8Watch, const char *chunk, const char *end,
                       std::uint64_t chunkStart)
{
    if (utf8Watch == nullptr || !utf8Watch->isWideText())
        return nullptr;
    const std::uint64_t at = std::max(*utf8Watch->firstWideAt(), chunkStart) - chunkStart;
    return chunk + std::min<std::uint64_t>(at, static_cast<std::uint64_t>(end - chunk));
}

// A stream that turned out to be UTF-8 text stops there, as at a fault: the
// text before it is written, nothing of it, and the result names its line.
FileResult utf8TextAt(std::uint64_t line)
{
    return FileResult{.outcome = Outcome::AlreadyUtf8, .line = line};
}

// The output of a stream, which counts what a chunk wrote before it failed,
// so that its replay writes the rest of the text before the fault: the
// replay, from the same fresh converters, gives the same bytes first.
class ChunkOutput : public ByteSink
{
public:
    explicit ChunkOutput(ByteSink &output) : m_output(output) {}

    void write(const char *bytes, std::size_t count) override
    {
        const std::size_t skipped = std::min<std::uint64_t>(count, m_skip);
        m_skip -= skipped;
        m_written += count - skipped;
        if (count > skipped)
            m_output.write(bytes + skipped, count - skipped);
    }

    // A chunk starts: nothing of it written yet.
    void startChunk() { m_written = m_skip = 0; }
    // The chunk starts again: what it wrote is not written twice.
    void replayChunk() { m_skip = std::exchange(m_written, 0); }

private:
    ByteSink &m_output;
    std::uint64_t m_written = 0;
    std::uint64_t m_skip = 0;
};

// Chunks cut where the converters hold nothing, in encodings that keep no
// state from one character to the next (piece_boundaries.h): there, fresh
// converters would go on exactly alike, and a line feed's bytes are always
// a line feed, so lines can be counted in the bytes.
class SettledChunks
{
public:
    SettledChunks(Decoder &decoder, Encoder &encoder, ConversionBuffers &buffers,
                  const PieceBoundary &boundary, ByteSink &output)
        : m_decoder(decoder), m_encoder(encoder), m_buffers(buffers), m_boundary(boundary),
          m_output(output),
          m_transcoder(decoder.converter, encoder.converter, buffers, decoder.privateUse)
    {
    }

    FileResult run(InputStream &input, const StreamOptions &options, Utf8Scan *utf8Watch)
    {
        char *const chunk = m_buffers.input();
        std::size_t carried = 0; // the unconverted end of the chunk before
        for (;;) {
            if (isCancelled(options.cancel))
                return FileResult{.outcome = Outcome::Cancelled};
            const std::size_t count =
                readText(input, chunk + carried, m_buffers.inputCapacity() - carried, utf8Watch);
            const bool last = count == 0;
            const char *end = chunk + carried + count;
            m_output.startChunk();
            if (const char *utf8 = utf8TextIn(utf8Watch, chunk, end, m_chunkStart))
                return stopBefore(chunk, utf8);
            const char *settled = convertUntilSettled(chunk, end, last);
            if (settled == nullptr)
                return locateError(chunk, end, last);
            if (last)
                return FileResult{.outcome = Outcome::Converted};
            m_lines.count(chunk, settled, m_boundary);
            m_chunkStart += static_cast<std::uint64_t>(settled - chunk);
            carried = static_cast<std::size_t>(end - settled);
            std::memmove(chunk, settled, carried);
        }
    }

private:
    // Converts [begin, end) as far as a place where the converters hold
    // nothing, and returns it: the end of a chunk that ends the text or a
    // line, else somewhere in its last bytes, fed one at a time until the
    // converters settle (a character is never longer). The bytes after it
    // were not converted. Null when the conversion failed.
    const char *convertUntilSettled(const char *begin, const char *end, bool last)
    {
        const bool whole = last || endsWithLineFeed(begin, end, m_boundary);
        const char *settled = whole ? end : end - std::min(end - begin, kLongestCharacter);
        if (!m_transcoder.convert(begin, settled, last, m_output))
            return nullptr;
        while (!last && !m_transcoder.idle()) {
            if (settled == end)
                throw std::logic_error("a character longer than " +
                                       std::to_string(kLongestCharacter) + " bytes");
            if (!m_transcoder.convert(settled, settled + 1, false, m_output))
                return nullptr;
            ++settled;
        }
        return settled;
    }

    // Converts [begin, stop), the last of the text to be written (it ends
    // where a character starts, before UTF-8 text), and stops.
    FileResult stopBefore(const char *begin, const char *stop)
    {
        if (!m_transcoder.convert(begin, stop, true, m_output))
            return locateError(begin, stop, true);
        LineEnds lines = m_lines;
        lines.count(begin, stop, m_boundary);
        return utf8TextAt(lines.line());
    }

    // The chunk [begin, end) failed: its first error, found by replaying it
    // from fresh converters, which also writes its text up to the error.
    FileResult locateError(const char *begin, const char *end, bool last)
    {
        m_output.replayChunk();
        ErrorLocator locator(m_decoder, m_encoder, m_buffers, &m_output);
        locator.restart(m_lines);
        if (!locator.feed(begin, end, last))
            throw std::logic_error("the replay of a failed chunk found no error");
        return locator.error();
    }

    Decoder &m_decoder;
    Encoder &m_encoder;
    ConversionBuffers &m_buffers;
    const PieceBoundary &m_boundary;
    ChunkOutput m_output;
    Transcoder m_transcoder;
    LineEnds m_lines;               // of the chunks converted
    std::uint64_t m_chunkStart = 0; // where the chunk starts in the text
};

// For encodings that keep state from one character to the next (UTF-7):
// the ErrorLocator's two steps convert the whole text, slowly, and count its
// lines as they go.
FileResult convertCountingLines(InputStream &input, Decoder &decoder, Encoder &encoder,
                                ConversionBuffers &buffers, ByteSink &output,
                                const StreamOptions &options, Utf8Scan *utf8Watch)
{
    ErrorLocator converter(decoder, encoder, buffers, &output);
    converter.restart();
    for (std::uint64_t start = 0;;) {
        if (isCancelled(options.cancel))
            return FileResult{.outcome = Outcome::Cancelled};
        char *const chunk = buffers.input();
        const std::size_t count = readText(input, chunk, buffers.inputCapacity(), utf8Watch);
        const bool last = count == 0;
        const char *utf8 = utf8TextIn(utf8Watch, chunk, chunk + count, start);
        if (converter.feed(chunk, utf8 ? utf8 : chunk + count, last || utf8))
            return converter.error();
        if (utf8)
            return utf8TextAt(converter.line());
        if (last)
            return FileResult{.outcome = Outcome::Converted};
        start += count;
    }
}

} // namespace

FileResult convertStreamText(InputStream &input, std::string_view source,
                             const std::optional<ByteOrderMark> &mark, PrivateUse privateUse,
                             ByteSink &output, const StreamOptions &options, Utf8Scan *utf8Watch)
{
    Decoder decoder = openDecoder(source, mark);
    decoder.privateUse = privateUse;
    Encoder encoder = openEncoder(options.target);
    input.skip(decoder.markLength);
    ConversionBuffers buffers(chunkCapacity(options.chunkSize));
    MarkedOutput marked(encoder.mark, output);
    // All of a short stream is in memory already: converted in one go by the
    // ErrorLocator, it needs no chunks, and so not the work of finding out
    // whether its encoding can be cut (a tenth of a second for GB18030).
    const std::optional<PieceBoundary> boundary =
        input.endedWithinStart() ? std::nullopt
                                 : pieceBoundaryFor(decoder.converter, encoder.converter);
    // UTF-8 text stops the conversion where it shows, so a stream converted
    // to its end never was.
    return boundary
               ? SettledChunks(decoder, encoder, buffers, *boundary, marked)
                     .run(input, options, utf8Watch)
               : convertCountingLines(input, decoder, encoder, buffers, marked, options, utf8Watch);
}

} // namespace velloran
