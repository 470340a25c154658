// Single-file conversion: opens the pieces (converters, input, temporary
// output), runs the fast path, and on failure asks the slow path where it went wrong.
#include "velloran/engine.h"

#include "atomic_output_file.h"
#include "byte_order_marks.h"
#include "conversion_buffers.h"
#include "error_locator.h"
#include "file_error.h"
#include "input_file.h"
#include "parallel_converter.h"
#include "stream_converter.h"

#include <memory>
#include <optional>

namespace velloran {

UnknownEncoding::UnknownEncoding(std::string name)
    : std::runtime_error("unknown encoding: " + name), m_name(std::move(name))
{
}

bool isKnownEncoding(std::string_view name)
{
    try {
        Converter converter(name);
        return true;
    } catch (const UnknownEncoding &) {
        return false;
    }
}

namespace {

// "/" everywhere, and "\\" on Windows too.
bool isSeparator(std::filesystem::path::value_type c)
{
    return c == '/' || c == std::filesystem::path::preferred_separator;
}

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
std::optional<StreamStatus> tryInPieces(InputFile &input, Decoder &decoder, Encoder &encoder,
                                        AtomicOutputFile &output, const ConvertOptions &options)
{
    if (options.workers < 2 || input.size() < options.parallelFrom)
        return std::nullopt;
    const std::optional<PieceBoundary> boundary =
        pieceBoundaryFor(decoder.converter, encoder.converter);
    if (!boundary)
        return std::nullopt;
    return convertInPieces(input, decoder.markLength, decoder, encoder, *boundary, output,
                           options);
}

FileResult convertOpened(const std::filesystem::path &inputPath,
                         const std::filesystem::path &outputPath, Converter chosenSource,
                         Encoder &encoder, const ConvertOptions &options)
{
    InputFile input(inputPath);
    char head[kLongestByteOrderMark];
    const std::size_t headLength = input.readHead(head, sizeof head);
    Decoder decoder = openDecoder(std::move(chosenSource), std::string_view(head, headLength));
    if (decoder.markLength != 0)
        input.seek(decoder.markLength);

    auto output = std::make_unique<AtomicOutputFile>(outputPath);
    std::optional<StreamStatus> status = tryInPieces(input, decoder, encoder, *output, options);
    ConversionBuffers buffers(inputBufferSize(options.chunkSize, input.size()));
    if (!status) {
        if (input.position() != decoder.markLength) {
            // Pieces were tried but a stretch without line feeds stopped them:
            // start over in one go.
            output.reset();
            output = std::make_unique<AtomicOutputFile>(outputPath);
            input.seek(decoder.markLength);
        }
        StreamConverter stream(decoder, encoder, buffers);
        status = stream.run(input, decoder.markLength, *output, options);
    }
    switch (*status) {
    case StreamStatus::Completed:
        input.checkUnchanged();
        output->commit();
        return resultOf(Outcome::Converted);
    case StreamStatus::Cancelled:
        return resultOf(Outcome::Cancelled);
    case StreamStatus::Failed:
        break;
    }
    ErrorLocator locator(decoder, encoder, buffers);
    if (std::optional<FileResult> error = locator.locate(input, decoder.markLength))
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
    Converter chosenSource(options.sourceEncoding);
    Encoder encoder = openEncoder(options.targetEncoding);
    if (isCancelled(options.cancel))
        return resultOf(Outcome::Cancelled);
    try {
        return convertOpened(input, output, std::move(chosenSource), encoder, options);
    } catch (const FileError &error) {
        return resultOf(error.outcome(), error.what());
    }
}

} // namespace velloran
