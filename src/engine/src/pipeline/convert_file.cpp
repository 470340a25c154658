// Single-file conversion: opens the pieces (converters, input, temporary
// output), runs the fast path, and on failure asks the slow path where it went wrong.
#include "velloran/convert.h"
#include "velloran/encoding.h"

#include "codec/byte_order_marks.h"
#include "codec/conversion_buffers.h"
#include "files/file_error.h"
#include "files/input_file.h"
#include "files/path_text.h"
#include "pipeline/error_locator.h"
#include "pipeline/parallel_converter.h"
#include "pipeline/restartable_output.h"
#include "pipeline/source_choice.h"
#include "pipeline/stream_converter.h"

#include <optional>

namespace velloran {

UnknownEncoding::UnknownEncoding(std::string name)
    : std::runtime_error("unknown encoding: " + name), m_name(std::move(name))
{
}

bool isKnownEncoding(std::string_view name)
{
    return Converter::tryOpen(name).has_value();
}

namespace {

FileResult resultOf(Outcome outcome, std::string message = {})
{
    FileResult result;
    result.outcome = outcome;
    result.message = std::move(message);
    return result;
}

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

// Converts the text that starts at `textStart` into `output`: in pieces when
// that is worth it, and in one go when not or when the pieces give up.
StreamStatus convertText(InputFile &input, std::uint64_t textStart, Decoder &decoder,
                         Encoder &encoder, ConversionBuffers &buffers, RestartableOutput &output,
                         const ConvertOptions &options)
{
    if (const std::optional<PieceBoundary> boundary =
            piecesWorthIt(input, decoder, encoder, options)) {
        const StreamStatus status =
            convertInPieces(input, textStart, decoder, encoder, *boundary, output, options);
        if (status != StreamStatus::NotSplittable)
            return status;
        output.restart();
        input.seek(textStart);
    }
    StreamConverter stream(decoder, encoder, buffers);
    return stream.run(input, textStart, output, options);
}

FileResult convertOpened(InputFile &input, const std::filesystem::path &outputPath,
                         Converter chosenSource, Encoder &encoder, const ConvertOptions &options)
{
    char head[kLongestByteOrderMark];
    const std::size_t headLength = input.readHead(head, sizeof head);
    Decoder decoder = openDecoder(std::move(chosenSource), std::string_view(head, headLength));
    const std::uint64_t textStart = decoder.markLength;
    if (textStart != 0)
        input.seek(textStart);

    RestartableOutput output(outputPath, options.discardOutput);
    ConversionBuffers buffers(inputBufferSize(options.tuning.chunkSize, input.size()));
    switch (convertText(input, textStart, decoder, encoder, buffers, output, options)) {
    case StreamStatus::Completed:
        input.checkUnchanged();
        output.commit();
        return resultOf(Outcome::Converted);
    case StreamStatus::Cancelled:
        return resultOf(Outcome::Cancelled);
    case StreamStatus::Failed:
    case StreamStatus::NotSplittable:
        break;
    }
    ErrorLocator locator(decoder, encoder, buffers);
    if (std::optional<FileResult> error = locator.locate(input, textStart))
        return *error;
    return resultOf(Outcome::CannotRead, "the file changed while it was being converted");
}

} // namespace

std::filesystem::path outputPathFor(const std::filesystem::path &outputDirectory,
                                    const std::filesystem::path &input)
{
    // Trailing separators go, except those that are the root itself ("/", "C:\").
    const std::size_t rootLength = outputDirectory.root_name().native().size() +
                                   (outputDirectory.has_root_directory() ? 1 : 0);
    std::filesystem::path::string_type directory = outputDirectory.native();
    while (directory.size() > rootLength && isSeparator(directory.back()))
        directory.pop_back();
    return std::filesystem::path(directory) / input.filename();
}

FileResult convertFile(const std::filesystem::path &input, const std::filesystem::path &output,
                       const ConvertOptions &options)
{
    // Both names are resolved before any file is touched.
    const SourceChoice source(options.sourceEncoding);
    Encoder encoder = openEncoder(options.targetEncoding);
    if (isCancelled(options.cancel))
        return resultOf(Outcome::Cancelled);
    try {
        InputFile opened(input);
        return convertFromSource(opened, source, [&](Converter chosenSource) {
            return convertOpened(opened, output, std::move(chosenSource), encoder, options);
        });
    } catch (const FileError &error) {
        return resultOf(error.outcome(), error.what());
    }
}

} // namespace velloran
