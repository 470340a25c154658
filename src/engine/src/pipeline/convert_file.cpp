// SPDX-License-Identifier: GPL-3.0-or-later
// One file, from its first byte to its committed output, in one straight
// line: open it and look at its start once, recognise its byte-order mark,
// choose its source (or refuse it), convert it, then give the opinions that
// only warn. Every failure of the file system comes back here as a
// FileError and leaves as the file's result.
#include "velloran/convert.h"

#include "codec/converter.h"
#include "files/file_error.h"
#include "files/input_file.h"
#include "files/output_folders.h"
#include "files/path_text.h"
#include "pipeline/source_choice.h"
#include "pipeline/stream_converter.h"
#include "pipeline/text_conversion.h"

namespace velloran {

namespace {

FileResult convertOpened(InputFile &input, const std::filesystem::path &output,
                         const ConvertOptions &options)
{
    const DetectionSample sample = sampleOf(input);
    const FileLook look{sample, findByteOrderMark(sample.bytes)};
    WholeFileCheck wholeFile(sample, &input);
    SourceChoice source = chooseSource(options.source, look, wholeFile, options.refuseLookalikes);
    if (source.refused())
        return source.refusal;

    // A source detected on trust is held to detection's rules by the
    // conversion itself, as a small file's is by detection: no private use.
    // A conversion that stops before the end has not confirmed it.
    const PrivateUse privateUse = source.unconfirmed ? PrivateUse::Refused : PrivateUse::Allowed;
    Utf8Scan utf8Watch(PrivateUse::Refused);
    std::string lookalike;
    const std::function<void()> beforeCommit = [&] {
        lookalike = lookalikeWarning(source, options.source, look, wholeFile);
    };
    FileResult result = convertText(input, source.encoding, look.mark, privateUse, output, options,
                                    source.watchForUtf8 ? &utf8Watch : nullptr, beforeCommit);
    const bool stopped =
        result.outcome == Outcome::InvalidSource || result.outcome == Outcome::Unrepresentable;
    if (source.unconfirmed && stopped) {
        SourceChoice confirmed = confirmSource(look, wholeFile);
        if (confirmed.refused())
            return confirmed.refusal;
        const bool another = confirmed.encoding != source.encoding;
        source = std::move(confirmed);
        if (another)
            result = convertText(input, source.encoding, look.mark, PrivateUse::Allowed, output,
                                 options, nullptr, beforeCommit);
    }
    result.encoding = source.encoding;
    if (result.outcome == Outcome::Converted)
        result.likely = std::move(lookalike);
    addSecondOpinion(result, options.source, look, wholeFile);
    return result;
}

// In place, a file refused as UTF-8 already is what a UTF-8 target without a
// mark would write back byte for byte: a second run of the same conversion
// leaves it as it is, as it does a file converted to its very bytes.
FileResult leftAsItIs(FileResult result, const ConvertOptions &options)
{
    if (result.outcome == Outcome::AlreadyUtf8 && options.leaveIdenticalAlone &&
        !options.target.writesMark && Converter(options.target).isUtf8())
        return FileResult{.outcome = Outcome::Unchanged, .encoding = options.target.name};
    return result;
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
    if (isCancelled(options.cancel))
        return FileResult{.outcome = Outcome::Cancelled};
    try {
        if (options.makeOutputFolders && !options.discardOutput)
            makeFoldersOf(output);
        InputFile opened(input);
        return leftAsItIs(convertOpened(opened, output, options), options);
    } catch (const FileError &error) {
        return FileResult{.outcome = error.outcome(), .message = error.what()};
    }
}

} // namespace velloran
