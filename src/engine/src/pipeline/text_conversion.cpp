// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/text_conversion.h"

#include "codec/conversion_buffers.h"
#include "pipeline/chunk_converter.h"
#include "pipeline/error_locator.h"
#include "pipeline/parallel_converter.h"
#include "pipeline/restartable_output.h"

#include <algorithm>

namespace velloran {

namespace {

// Small files get small buffers, not a whole chunk; but not tiny ones, since
// a file can grow after it was opened, and /proc files all claim size 0.
// ICU refuses inputs of a gigabyte or more per call.
std::size_t inputBufferSize(std::size_t chunkSize, std::uint64_t fileSize)
{
    constexpr std::uint64_t kSmallest = 64 * 1024;
    constexpr std::size_t kLargest = 256 * 1024 * 1024;
    const std::size_t chunk = chunkSize == 0 ? kDefaultChunkSize : std::min(chunkSize, kLargest);
    return static_cast<std::size_t>(std::min<std::uint64_t>(chunk, std::max(fileSize, kSmallest)));
}

// Only large files are worth the threads, and only encodings whose line
// feeds are safe places to cut.
std::optional<PieceBoundary> piecesWorthIt(const InputFile &input, const Decoder &decoder,
                                           const Encoder &encoder, const ConvertOptions &options)
{
    if (options.workers < 2 || input.size() < options.tuning.parallelFrom)
        return std::nullopt;
    return pieceBoundaryFor(decoder.converter, encoder.converter);
}

// Converts the text into `output`: in pieces when that is worth it, and in
// one go when not or when the pieces give up.
ConversionStatus convert(InputFile &input, Decoder &decoder, Encoder &encoder,
                         ConversionBuffers &buffers, RestartableOutput &output,
                         const ConvertOptions &options, SourceWatch *watch)
{
    if (const std::optional<PieceBoundary> boundary =
            piecesWorthIt(input, decoder, encoder, options)) {
        InputFile::Reader text = input.from(decoder.markLength, watch);
        const ConversionStatus status =
            convertInPieces(text, decoder, encoder, *boundary, output, options);
        if (status != ConversionStatus::NotSplittable)
            return status;
        output.restart();
        if (watch)
            watch->restart();
    }
    InputFile::Reader text = input.from(decoder.markLength, watch);
    ChunkConverter chunks(decoder, encoder, buffers);
    return chunks.run(text, output, options);
}

} // namespace

FileResult convertText(InputFile &input, std::string_view source,
                       const std::optional<ByteOrderMark> &mark, PrivateUse privateUse,
                       const std::filesystem::path &output, const ConvertOptions &options,
                       SourceWatch *watch)
{
    Decoder decoder = openDecoder(source, mark);
    decoder.privateUse = privateUse;
    Encoder encoder = openEncoder(options.target);
    RestartableOutput restartable(output, options.discardOutput,
                                  options.leaveIdenticalAlone ? &input : nullptr);
    ConversionBuffers buffers(inputBufferSize(options.tuning.chunkSize, input.size()));
    switch (convert(input, decoder, encoder, buffers, restartable, options, watch)) {
    case ConversionStatus::Completed:
        input.checkUnchanged();
        if (watch)
            if (std::optional<FileResult> refusal = watch->refusalAtEnd())
                return *std::move(refusal);
        if (restartable.sameAsReplaced())
            return FileResult{.outcome = Outcome::Unchanged};
        input.close();
        // A cancel that came while the file was finished still abandons it.
        if (!restartable.commitUnlessCancelled(options.cancel))
            return FileResult{.outcome = Outcome::Cancelled};
        return FileResult{.outcome = Outcome::Converted};
    case ConversionStatus::Cancelled:
        return FileResult{.outcome = Outcome::Cancelled};
    case ConversionStatus::Failed:
    case ConversionStatus::NotSplittable:
        break;
    }
    // Stopped before the end: UTF-8 text so far may be UTF-8 text to the end.
    if (watch && watch->mayBeUtf8() && isUtf8Text(input))
        return FileResult{.outcome = Outcome::AlreadyUtf8};
    return ErrorLocator(decoder, encoder, buffers).locate(input, decoder.markLength);
}

} // namespace velloran
